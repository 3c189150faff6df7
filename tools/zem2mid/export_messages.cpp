#include "export_messages.h"

#include <array>
#include <cstdio>

namespace zem2mid {

namespace {

struct CodeText {
    util::ErrCode code;
    const char* text;
};

constexpr std::array<CodeText, 17> kFileErrors = {{
    {kErrConProof, "CON\\CON-Proof affected."},
    {kErrDeltaTooLong, "Deltatime too long at %08x."},
    {kErrEngineBase + 1, "Dummy function."},
    {kErrEngineBase + 2, "ZEM format error."},
    {kErrEngineBase + 3, "Version of 'ZEMPLAY.DLL' too old."},
    {kErrEngineBase + 4, "Null callback."},
    {kErrEngineBase + 5, "Out of memory."},
    {kErrEngineBase + 6, "Not enough size."},
    {kErrEngineBase + 7, "Cannot fetch at %08x."},
    {kErrEngineBase + 8, "Illegal parameter at %08x."},
    {kErrEngineBase + 9, "Tempo become zero at %08x."},
    {kErrEngineBase + 10, "Arguments too short at %08x."},
    {kErrEngineBase + 11, "Undefined command at %08x."},
    {kErrEngineBase + 12, "Loopstack overflow at %08x."},
    {kErrEngineBase + 13, "Loopstack underflow at %08x."},
    {kErrEngineBase + 14, "Reentranted at %08x."},
    {playback::kErrSongTooLong, "Song still playing after 24 hours: written up to there."},
}};
static_assert(playback::kSongTimeLimitMs == 24u * 60 * 60 * 1000, "the message names the limit");

} // namespace

std::string fileErrorText(util::ErrCode code, uint32_t errorOffset)
{
    for (const CodeText& entry : kFileErrors) {
        if (entry.code != code) continue;
        char text[64];
        std::snprintf(text, sizeof text, entry.text, errorOffset);
        return text;
    }
    switch (code) {
    case util::kErrOutOfMemory:
    case util::kErrFileCannotRead:
    case util::kErrFileCannotWrite:
    case util::kErrFileNotFound:
    case util::kErrFileNotOpen: return util::uerr_name(code);
    default: return {};
    }
}

} // namespace zem2mid
