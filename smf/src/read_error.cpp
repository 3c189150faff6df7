#include "smf/read_error.h"

#include <array>

namespace smf {

namespace {

constexpr uint32_t kFirstCode = static_cast<uint32_t>(ReadError::ConProof);

// Indexed by code - 0x40000.
constexpr std::array kMessages{
    "CON\\CON-Proof affected.", "Not have enough size.", "'MThd' not match.",
    "'MThd' format error.",     "'MTrk' not match.",     "Deltatime too long.",
};
static_assert(kMessages.size() == static_cast<uint32_t>(ReadError::DeltaTooLong) - kFirstCode + 1);

} // namespace

const char* readErrorMessage(uint32_t code)
{
    if (code < kFirstCode || code - kFirstCode >= kMessages.size()) return nullptr;
    return kMessages[code - kFirstCode];
}

} // namespace smf
