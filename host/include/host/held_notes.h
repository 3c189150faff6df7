// The notes sounding at a moment, each named by its track, port, channel
// and key; a key struck twice without release counts twice.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace host {

class HeldNotes {
public:
    HeldNotes() { ids_.reserve(kReserved); }

    static uint64_t id(int track, int port, int channel, int key)
    {
        return uint64_t(uint32_t(track)) << 32 | uint64_t(uint8_t(port)) << 16 | uint64_t(uint8_t(channel)) << 8 |
               uint8_t(key);
    }

    void on(uint64_t note) { ids_.push_back(note); }
    // Forgets one strike of note; false when it was not held.
    bool off(uint64_t note);
    bool holds(uint64_t note) const;
    void clear() { ids_.clear(); }
    // The notes held here and in other (as often as both hold them).
    HeldNotes common(const HeldNotes& other) const;

private:
    // Enough for every ordinary song without growing while it plays.
    static constexpr size_t kReserved = 512;

    std::vector<uint64_t> ids_;
};

} // namespace host
