// A host that records every engine callback as one line, stamped with the
// unit and tick counters the engine last reported, and answers with
// configurable statuses.  Channel messages, SysEx, texts, tempo changes,
// errors and loop passes are also kept as data with their song time, for
// tests that measure time rather than compare lines.
#pragma once

#include "image_builder.h"
#include "zemplay.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zemtest {

enum class EventKind { NoteOn, NoteOff, KeyPressure, Control, Program, ChannelPressure, Bend, Exclusive, Text, Tempo };

// Times are the unit counter the engine last reported: milliseconds of song
// time.
struct Event {
    uint32_t ms = 0;
    EventKind kind = EventKind::NoteOn;
    int port = 0;
    int track = 0;
    int channel = 0;
    int number = 0;             // key, controller or program
    int value = 0;              // velocity, controller value, pressure, bend (-8192..8191),
                                // tempo period (1/256 ms per tick), byte count of SysEx and texts
    std::vector<uint8_t> bytes; // SysEx messages and texts
};

struct EngineError {
    uint32_t ms;
    uint32_t offset; // of the failing command in the image
    int code;
};

struct LoopPass {
    uint32_t ms;
    int track;
    uint32_t pass;
};

class RecordingHost {
public:
    RecordingHost();

    // "unit" and "tick" lines are left out unless asked for.
    bool logUnits = false;
    bool logTicks = false;
    // Answers: the error callback's answer, and the status each event kind
    // ("on", "ctrl", "meta", ...) returns the nth time it is called
    // (1-based); unlisted calls answer 0.
    int errorAnswer = 0;
    std::map<std::string, std::map<int, int>> answers;
    // The endless loop callback answers 1 from this pass on (0 = never).
    uint32_t leaveLoopAtPass = 0;
    bool hasLoopCallback = true;
    int syncAnswer = 0;
    bool hasSyncCallback = false;
    bool hasErrorCallback = true;

    std::vector<std::string> log;
    std::vector<Event> events;
    std::vector<EngineError> errors;
    std::vector<LoopPass> loopPasses;
    uint32_t unit = 0, tick = 0;
    uint8_t exclusive[512] = {};

    dp_options options() const;
    // Lines of the log whose event name (the word after the stamp) is one of
    // the given names.
    std::vector<std::string> only(std::initializer_list<const char*> names) const;
    // The same without the "unit/tick " stamp.
    std::vector<std::string> onlyUnstamped(std::initializer_list<const char*> names) const;
    // The same as "<tick> <event>", without the unit counter: with a period
    // of 256 one tick is one unit, and an event stamped n happened in tick n + 1.
    std::vector<std::string> byTick(std::initializer_list<const char*> names) const;

    int record(const char* kind, const std::string& details);
    // Keeps the event and records its line.
    int record(Event event);

private:
    std::map<std::string, int> counts_;
};

// An image with its instance; closes it at the end.
class Session {
public:
    Session(RecordingHost& host, const ImagePlan& plan, int ports = 16);
    // With callbacks of a host built on the recording one.
    Session(RecordingHost& host, const dp_options& options, const ImagePlan& plan, int ports);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    dp_player* player() const { return player_; }
    void units(uint32_t n) { player_->advance_units(player_, n, DP_NORMAL_SPEED); }
    void ticks(uint32_t n) { player_->advance_ticks(player_, n, DP_NORMAL_SPEED); }
    void close();

    std::vector<uint8_t> image;
    int error = -1;

private:
    dp_player* player_ = nullptr;
};

} // namespace zemtest
