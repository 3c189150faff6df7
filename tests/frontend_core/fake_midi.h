// A MIDI device list of fake ports that write every message they get as a
// text line, for checking what the player sends.
#pragma once

#include "frontend/midi_devices.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace frontend_test {

struct FakeDevice {
    std::string name;
    bool opens = true;
    int audioRate = 0;        // nonzero: a device with an audio clock
    bool finishesLong = true; // false: long messages are never done
    int ringMs = 0;           // sounds this long after its last message (-1: for ever)
};

class FakeMidiDevices final : public frontend::MidiDevices {
public:
    // devices[0] is device -1 (the mapper), devices[1] device 0, ...
    explicit FakeMidiDevices(std::vector<FakeDevice> devices) : devices_(std::move(devices)) {}

    int count() override { return int(devices_.size()) - 1; }
    std::string name(int device) override;
    std::unique_ptr<platform::MidiOutPort> open(int device) override;

    // Lines "<device> <bytes in hex>", "<device> @<frame> <bytes>" for timed
    // messages, "<device> open", "<device> close".
    std::vector<std::string> lines();
    void add(const std::string& line);

private:
    std::vector<FakeDevice> devices_;
    std::mutex lock_;
    std::vector<std::string> lines_;
};

} // namespace frontend_test
