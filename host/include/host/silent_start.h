// Starting a new image where a playing one stands, without a sound from the
// skipped part: the new instance runs silently from its start to the song
// position, then sends each used channel's bank, program, controllers and
// bend as they stand there, and from then on plays audibly.
//
// A SilentStart sits between the engine and the host's own callbacks: create
// the instance with options() and the SilentStart as user value, keep the
// SilentStart alive until that instance is closed, and call catchUp once.
#pragma once

#include "host/held_notes.h"

#include "zemplay.h"

#include <array>
#include <bitset>
#include <cstdint>

namespace zemfe {

template <class Fn> struct SilentSlot;

class SilentStart {
public:
    // host and hostUser: the table and user value the instance would have
    // had; entries null there stay null.
    SilentStart(const dp_options& host, void* hostUser);
    SilentStart(const SilentStart&) = delete;
    SilentStart& operator=(const SilentStart&) = delete;

    const dp_options& options() const { return options_; }

    // Runs player (made with options() and this as user value) from its
    // start to songMs (1 unit = 1 ms at normal speed) with sound, streams,
    // texts and the elapsed-time count held back, then resends the state of
    // every channel used so far.  Returns the engine's first nonzero result,
    // else 0.
    int catchUp(dp_player* player, uint32_t songMs);
    // The notes the new instance holds at the song position (struck while
    // catching up and not yet released): none of them was heard.
    const HeldNotes& heldAtSwitch() const { return held_; }

    template <class Fn> friend struct SilentSlot;

private:
    struct ChannelUse {
        std::bitset<128> controllers;
        bool program = false;
        bool bend = false;
    };

    static int noteOn(void* user, int port, int track, int channel, int key, int velocity);
    static int noteOff(void* user, int port, int track, int channel, int key, int velocity);
    static int controlChange(void* user, int port, int track, int channel, int controller, int value);
    static int programChange(void* user, int port, int track, int channel, int program);
    static int pitchBend(void* user, int port, int track, int channel, int value);
    ChannelUse* use(int port, int channel);
    int resendState(dp_player* player);

    dp_options host_;
    void* hostUser_;
    dp_options options_{};
    bool muted_ = true;
    HeldNotes held_;
    std::array<std::array<ChannelUse, 16>, DP_MAX_PORTS> used_{};
};

} // namespace zemfe
