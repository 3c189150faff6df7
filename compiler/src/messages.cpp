#include "messages.h"

#include <array>

namespace kvt {

namespace {

struct MessageEntry {
    util::ErrCode code;
    const char* text;
};

constexpr std::array<MessageEntry, 20> kMessages = {{
    {kErrNotEnoughSize, "Not have enough size in %d."},
    {kErrIllegalParameter, "Illegal parameter in %d."},
    {kErrMissingParameter, "Missing parameter in %d."},
    {kErrUndefinedCommand, "Undefined command in %d."},
    {kErrEmptyTrack, "Empty effective track."},
    {kErrMetaTooLong, "Meta too long in %d."},
    {kErrSysexTooLong, "SysEx too long in %d."},
    {kErrChecksum, "Checksum cannot calculate in %d."},
    {kErrDeltaTooLong, "Deltatime too long in %d."},
    {kErrMissingTrack, "Missing track in %d."},
    {kErrSlurCannotContinue, "Slur cannot continue in %d."},
    {kErrSlurImpossible, "Slur operation impossible in %d."},
    {kErrSyntax, "Syntax error in %d."},
    {kErrTooManyParameters, "Parameter too many in %d."},
    {kErrTooManyChordNotes, "Note too many on chord in %d."},
    {kErrChordImpossible, "Chord operation impossible in %d."},
    {kErrLoopTooDeep, "Loop too deep in %d."},
    {kErrOutOfLoop, "Out of loop in %d."},
    {kErrLoopInfinite, "Loop infinitly in %d."},
    {kErrLoopStillOpen, "Loop still open in %d."},
}};
static_assert(kMessages.back().text != nullptr, "every entry of the message table is filled");

} // namespace

void compileError(util::ErrCode code) { util::uerr_raise(code); }

const char* messageTemplate(util::ErrCode code)
{
    for (const MessageEntry& entry : kMessages)
        if (entry.code == code) return entry.text;
    return nullptr;
}

void formatCompileMessage(util::STRSET* out, util::ErrCode code)
{
    const char* text = messageTemplate(code);
    if (text == nullptr) return;
    util::ss_format(out, text, {static_cast<int32_t>(messageLine())});
}

bool isReportedFileError(util::ErrCode code)
{
    return code == util::kErrFileCannotRead || code == util::kErrFileCannotWrite || code == util::kErrFileNotFound ||
           code == util::kErrFileNotOpen;
}

} // namespace kvt
