// The one place the engine's callback table is written: every entry
// forwards to the method of the same name of a MIDI sink or a sound sink.
#pragma once

#include "host/midi_sink.h"
#include "host/sound_sink.h"

#include "zemplay.h"

#include <cstddef>

namespace host {

// Where an instance's events go; its user value, alive as long as it.
struct Sinks {
    MidiSink* midi = nullptr;
    // None: the voice and stream entries stay empty, so the engine drops
    // those requests.
    SoundSink* sound = nullptr;
};

// The table for sinks, whose address is to be the instance's user value.
// Memory stays with the engine's own heap.
dp_options engineOptions(const Sinks& sinks);

// An instance of `ports` ports (0 means 1) playing image (alive and
// unchanged until close) into sinks; null when dp_const refuses, with its
// code in *error when error is not null.
dp_player* createEngine(int ports, const void* image, size_t size, Sinks& sinks, int* error);

} // namespace host
