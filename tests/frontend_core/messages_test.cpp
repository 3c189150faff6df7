// Every kind of message the session reports shows as its designed message
// pane lines.
#include "frontend/messages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using frontend::Message;
using Lines = std::vector<std::string>;
using audsink_bridge::StreamFailureCode;
using audsink_bridge::StreamRequest;

TEST(Messages, PaneLines)
{
    const struct {
        Message message;
        Lines lines;
    } cases[] = {
        {frontend::PortOpened{0, "Built-in Synthesizer"}, {"Dev00: Built-in Synthesizer"}},
        {frontend::PortOpened{15, ""}, {"Dev15: "}},
        {frontend::PortFailed{3, "No Such Port"}, {"Dev03: [error]No Such Port"}},
        // A device name longer than any line buffer is kept whole.
        {frontend::PortFailed{12, std::string(300, 'x')}, {"Dev12: [error]" + std::string(300, 'x')}},
        {frontend::ExclusiveFailed{2, frontend::ExclusiveProblem::Busy}, {"Dev02: exclusive message busy"}},
        {frontend::ExclusiveFailed{0, frontend::ExclusiveProblem::TimedOut}, {"Dev00: exclusive message timed out"}},
        {frontend::CompileMessage{"/m/song.kvt", 3, 5, "Syntax error in 3.", 0},
         {"[/m/song.kvt]", "Syntax error in 3."}},
        {frontend::CompileMessage{"/m/t.mid", 0, 0, "Not have enough size.", 2},
         {"[/m/t.mid]", "Not have enough size."}},
        {frontend::CompileMessage{"", 0, 0, "compiler failure", 0}, {"[]", "compiler failure"}},
        {frontend::EngineError{0x30, 1}, {"00000030 : dummy function"}},
        {frontend::EngineError{0, 2}, {"00000000 : ZEM format error"}},
        {frontend::EngineError{0xABCDEF01, 11}, {"abcdef01 : undefined command"}},
        {frontend::EngineError{0x44, 14}, {"00000044 : reentranted"}},
        {frontend::EngineError{0x44, 15}, {"00000044 : ZEMPLAY.DLL's version too elder"}},
        {frontend::EngineError{0x10, 0}, {"00000010 : unknown error(00000000)"}},
        {frontend::EngineError{0x10, 3}, {"00000010 : unknown error(00000003)"}},
        {frontend::EngineError{0x10, 16}, {"00000010 : unknown error(00000010)"}},
        {frontend::EngineError{0x10, -1}, {"00000010 : unknown error(ffffffff)"}},
        {frontend::StreamFailure{StreamRequest::Open, -1, StreamFailureCode::UnsupportedSlot},
         {"stropen: unsupported context(-1)"}},
        {frontend::StreamFailure{StreamRequest::Close, 99, StreamFailureCode::UnsupportedSlot},
         {"strclose: unsupported context(99)"}},
        {frontend::StreamFailure{StreamRequest::Play, 16, StreamFailureCode::UnsupportedSlot},
         {"strplay: unsupported context(16)"}},
        {frontend::StreamFailure{StreamRequest::Stop, 16, StreamFailureCode::UnsupportedSlot},
         {"strstop: unsupported context(16)"}},
        {frontend::StreamFailure{StreamRequest::Open, 2, StreamFailureCode::CannotOpen}, {"stropen: cannot open(2)"}},
        // The song's own texts as they are, also when they look like others.
        {frontend::SongText{"Verse"}, {"Verse"}},
        {frontend::SongText{"[x.kvt]"}, {"[x.kvt]"}},
        {frontend::SongText{"Dev00: [error]x"}, {"Dev00: [error]x"}},
        {frontend::SongText{""}, {""}},
        {frontend::ReloadDone{"/m/song.kvt"}, {"[/m/song.kvt] reloaded"}},
        {frontend::ReloadRefused{}, {"dp_const() failed"}},
        {frontend::StartRefused{"no command at line 12"}, {"no command at line 12"}},
    };
    for (const auto& c : cases) EXPECT_EQ(frontend::paneLines(c.message), c.lines) << c.lines.front();
}

} // namespace
