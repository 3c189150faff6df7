// What the test decoder delivers and how tests read its call log.
#pragma once

#include <cstdint>

// Byte i of every PCM the test decoder delivers.
inline uint8_t fakePatternByte(uint64_t i) { return static_cast<uint8_t>(i % 251 + 1); }

// Entry of the test decoder: the calls since the last read, one per line.
typedef const char* (*fake_log_fn)(void);
