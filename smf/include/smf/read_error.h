// The importer's error codes (program range of the error frames) and their
// message texts.
#pragma once

#include <cstdint>

namespace smf {

enum class ReadError : uint32_t {
    None = 0,
    ConProof = 0x40000,
    NotEnoughSize = 0x40001,
    MthdNotMatch = 0x40002,
    MthdFormat = 0x40003,
    MtrkNotMatch = 0x40004,
    DeltaTooLong = 0x40005,
};

// The message text of a code from 0x40000 to 0x40005, null for any other.
const char* readErrorMessage(uint32_t code);

} // namespace smf
