// Ogg page headers (RFC 3533): the encoder library numbers its stream with a
// random serial, so the same render would give different bytes each time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zem2wav {

// The CRC of an Ogg page: polynomial 0x04C11DB7, initial value 0, no bit
// reflection, computed with the page's CRC field set to zero.
uint32_t oggCrc(const uint8_t* bytes, size_t n);

// Gives every page of the single logical stream in bytes the serial number
// `serial` and a CRC to match.  False (bytes unchanged from the first page
// that is not whole) when the bytes are not a sequence of whole Ogg pages.
bool setOggSerial(std::vector<uint8_t>& bytes, uint32_t serial);

} // namespace zem2wav
