// Reading the image: the checks dp_const runs before it allocates anything,
// and the header texts.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zemplay {

struct ImageInfo {
    unsigned trackCount;
    unsigned timebase;
    uint32_t notice, title; // payload offsets, 0 = none
    uint32_t extension[2];  // payload offsets of meta types 190 and 191, 0 = none
};

// 0 when the image is playable, else the failing test's code (2, 6 or 15).
int validateImage(const uint8_t* image, size_t size, ImageInfo* info);

// The length byte of the payload at offset (the byte two places before it);
// 0 for offset 0.
uint32_t payloadLength(const uint8_t* image, size_t size, uint32_t offset);

// Copies the payload at offset as a NUL-terminated text; returns its length.
int copyPayloadText(const uint8_t* image, size_t size, uint32_t offset, char* buffer, size_t bufferSize);

} // namespace zemplay
