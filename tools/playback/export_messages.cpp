#include "export_messages.h"

#include "common/file_job.h"

#include <array>
#include <cstdio>

namespace playback {

namespace {

struct CodeText {
    util::ErrCode code;
    const char* text;
};

// Engine codes 3 and 4 come from older engines, which a song may still
// name; this engine raises neither.
constexpr unsigned kEngineVersionTooOld = 3;
constexpr unsigned kEngineNullCallback = 4;

constexpr auto kTexts = std::to_array<CodeText>({
    {kErrConProof, "CON\\CON-Proof affected."},
    {engineError(DP_DUMMY_FUNCTION), "Dummy function."},
    {engineError(DP_FORMAT_ERROR), "ZEM format error."},
    {engineError(kEngineVersionTooOld), "Version of 'ZEMPLAY.DLL' too old."},
    {engineError(kEngineNullCallback), "Null callback."},
    {engineError(DP_OUT_OF_MEMORY), "Out of memory."},
    {engineError(DP_FIELD_OVERFLOW), "Not enough size."},
    {engineError(DP_OUT_OF_TRACK_DATA), "Cannot fetch at %08x."},
    {engineError(DP_ILLEGAL_PARAMETER), "Illegal parameter at %08x."},
    {engineError(DP_TEMPO_ZERO), "Tempo become zero at %08x."},
    {engineError(DP_ARGS_TOO_SHORT), "Arguments too short at %08x."},
    {engineError(DP_UNDEFINED_COMMAND), "Undefined command at %08x."},
    {engineError(DP_LOOPSTACK_OVERFLOW), "Loopstack overflow at %08x."},
    {engineError(DP_LOOPSTACK_UNDERFLOW), "Loopstack underflow at %08x."},
    {engineError(DP_REENTERED), "Reentranted at %08x."},
    {host::kErrSongTooLong, "Song still playing after 24 hours: written up to there."},
});
// CON-proof, every engine code from 1 to the last re-entry, the time limit.
static_assert(kTexts.size() == 1 + DP_REENTERED + 1);
static_assert(host::kSongTimeLimitMs == 24u * 60 * 60 * 1000, "the message names the limit");

} // namespace

std::string exportErrorText(util::ErrCode code, uint32_t errorOffset)
{
    for (const CodeText& entry : kTexts) {
        if (entry.code != code) continue;
        char text[64];
        std::snprintf(text, sizeof text, entry.text, errorOffset);
        return text;
    }
    if (code == util::kErrOutOfMemory || tools::isFileError(code)) return util::uerr_name(code);
    return {};
}

} // namespace playback
