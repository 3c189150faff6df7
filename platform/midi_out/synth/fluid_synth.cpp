// The built-in synthesizer's core over FluidSynth.
#include "platform/midi_synth.h"

#include "gs_messages.h"

#include <fluidsynth.h>

#include <array>
#include <cstdlib>
#include <mutex>

namespace platform {

namespace {

constexpr int kChannels = kSynthPorts * 16;
constexpr int kDrumChannel = 9;
// FluidSynth marks its free voices with channel number 255, so a message
// for that channel would reach every free voice and corrupt the synth; the
// last channel of the last port stays mute.
constexpr int kUnusableChannel = 255;

class FluidMidiSynth final : public MidiSynth {
public:
    FluidMidiSynth(fluid_settings_t* settings, fluid_synth_t* synth) : settings_(settings), synth_(synth)
    {
        // General MIDI's percussion channel on every port, not only the first.
        for (int port = 1; port < kSynthPorts; ++port) setChannelType(port * 16 + kDrumChannel, CHANNEL_TYPE_DRUM);
    }
    ~FluidMidiSynth() override
    {
        delete_fluid_synth(synth_);
        delete_fluid_settings(settings_);
    }

    void shortMessage(int port, uint32_t packed) override
    {
        if (port < 0 || port >= kSynthPorts) return;
        std::lock_guard guard(lock_);
        const int status = packed & 0xF0;
        const int channel = port * 16 + static_cast<int>(packed & 0x0F);
        if (channel == kUnusableChannel) return;
        const int data1 = packed >> 8 & 0x7F;
        const int data2 = packed >> 16 & 0x7F;
        switch (status) {
        case 0x80: fluid_synth_noteoff(synth_, channel, data1); break;
        case 0x90:
            if (data2 == 0)
                fluid_synth_noteoff(synth_, channel, data1);
            else
                fluid_synth_noteon(synth_, channel, data1, data2);
            break;
        case 0xA0: fluid_synth_key_pressure(synth_, channel, data1, data2); break;
        case 0xB0: fluid_synth_cc(synth_, channel, data1, data2); break;
        case 0xC0: fluid_synth_program_change(synth_, channel, data1); break;
        case 0xD0: fluid_synth_channel_pressure(synth_, channel, data1); break;
        case 0xE0: fluid_synth_pitch_bend(synth_, channel, data1 | data2 << 7); break;
        default: break; // system messages have no meaning for the synthesizer
        }
    }

    void exclusive(int port, const uint8_t* bytes, size_t count) override
    {
        if (port < 0 || port >= kSynthPorts || !bytes) return;
        std::lock_guard guard(lock_);
        if (const auto part = gs::parsePartMessage(bytes, count)) {
            if (applyPartMessage(port * 16 + part->channel, *part)) return;
            // FluidSynth would give another port's part message to the first port.
            if (port != 0) return;
        }
        // FluidSynth takes the bytes between F0 and F7.
        const bool reset = gs::isSystemReset(bytes, count);
        if (count > 0 && bytes[0] == 0xF0) ++bytes, --count;
        if (count > 0 && bytes[count - 1] == 0xF7) --count;
        if (count == 0) return;
        fluid_synth_sysex(synth_, reinterpret_cast<const char*>(bytes), static_cast<int>(count), nullptr, nullptr,
                          nullptr, 0);
        if (reset) undoPartSettings();
    }

    void render(int16_t* stereo, size_t frames) override
    {
        // FluidSynth takes an int count: long renders go in pieces.
        constexpr size_t kPiece = 1 << 16;
        std::lock_guard guard(lock_);
        while (frames > 0) {
            const size_t n = frames < kPiece ? frames : kPiece;
            fluid_synth_write_s16(synth_, static_cast<int>(n), stereo, 0, 2, stereo, 1, 2);
            stereo += 2 * n;
            frames -= n;
        }
    }

    bool hasActiveVoices() const override
    {
        std::lock_guard guard(lock_);
        return fluid_synth_get_active_voice_count(synth_) > 0;
    }

private:
    void setChannelType(int channel, int type)
    {
        fluid_synth_set_channel_type(synth_, channel, type);
        // The program change takes the bank of the new type.
        fluid_synth_program_change(synth_, channel, 0);
    }

    // FluidSynth's reset keeps tunings and channel types: a reset
    // synthesizer plays in tune, with drums on the tenth channels only.
    void undoPartSettings()
    {
        for (int channel = 0; channel < kChannels; ++channel) {
            if (tuned_[size_t(channel)]) fluid_synth_deactivate_tuning(synth_, channel, 1);
            if (retyped_[size_t(channel)])
                setChannelType(channel, channel % 16 == kDrumChannel ? CHANNEL_TYPE_DRUM : CHANNEL_TYPE_MELODIC);
        }
        tuned_.fill(false);
        retyped_.fill(false);
    }

    // The GS part messages read here; false for the others.
    bool applyPartMessage(int channel, const gs::PartMessage& part)
    {
        if (part.address == gs::kScaleTuning && part.count == 12) {
            if (channel == kUnusableChannel) return true;
            // One tuning per synthesizer channel, numbered by the channel.
            double cents[12];
            for (size_t i = 0; i < 12; ++i) cents[i] = double(part.data[i]) - 64;
            const int bank = channel >> 7, program = channel & 127;
            fluid_synth_activate_octave_tuning(synth_, bank, program, "scale tuning", cents, 1);
            fluid_synth_activate_tuning(synth_, channel, bank, program, 1);
            tuned_[size_t(channel)] = true;
            return true;
        }
        if (part.address == gs::kUseForRhythmPart && part.count == 1) {
            if (channel == kUnusableChannel) return true;
            setChannelType(channel, part.data[0] == 0 ? CHANNEL_TYPE_MELODIC : CHANNEL_TYPE_DRUM);
            retyped_[size_t(channel)] = true;
            return true;
        }
        return false;
    }

    // Rendering (the audio thread) and messages (the player's thread) are
    // serialised here rather than left to FluidSynth's own locking.
    mutable std::mutex lock_;
    std::array<bool, kChannels> tuned_{};
    std::array<bool, kChannels> retyped_{};
    fluid_settings_t* settings_;
    fluid_synth_t* synth_;
};

void quietLog(int, const char*, void*) {}

class OfflinePort final : public MidiOutPort {
public:
    OfflinePort(MidiSynth& synth, int port) : synth_(synth), port_(port) {}
    bool shortMessage(uint32_t packed) override
    {
        synth_.shortMessage(port_, packed);
        return true;
    }
    bool longMessage(MidiLongMessage& message) override
    {
        if (!message.data || message.length == 0) return false;
        synth_.exclusive(port_, message.data, message.length);
        message.done = true;
        return true;
    }

private:
    MidiSynth& synth_;
    int port_;
};

} // namespace

std::unique_ptr<MidiOutPort> synthPort(MidiSynth& synth, int port)
{
    return port >= 0 && port < kSynthPorts ? std::make_unique<OfflinePort>(synth, port) : nullptr;
}

std::string synthSoundFontPath()
{
    const char* chosen = std::getenv("ZEM_SOUNDFONT");
    return chosen && *chosen ? chosen : kDefaultSoundFont;
}

std::unique_ptr<MidiSynth> MidiSynth::create(const std::string& soundFont, double gain, std::string* error,
                                             unsigned threads)
{
    // FluidSynth's own errors and warnings (a missing preset, say) are not
    // the user's concern: the callers report what failed in their words.
    fluid_set_log_function(FLUID_ERR, quietLog, nullptr);
    fluid_set_log_function(FLUID_WARN, quietLog, nullptr);
    fluid_set_log_function(FLUID_INFO, quietLog, nullptr);
    fluid_set_log_function(FLUID_DBG, quietLog, nullptr);

    fluid_settings_t* settings = new_fluid_settings();
    if (!settings) {
        if (error) *error = "cannot create the synthesizer settings";
        return nullptr;
    }
    fluid_settings_setnum(settings, "synth.sample-rate", kSynthSampleRate);
    fluid_settings_setnum(settings, "synth.gain", gain);
    fluid_settings_setint(settings, "synth.midi-channels", kChannels);
    // FluidSynth shares each block's voices out among its threads; the
    // count changes the speed, not the samples.
    fluid_settings_setint(settings, "synth.cpu-cores", static_cast<int>(threads));
    fluid_synth_t* synth = new_fluid_synth(settings);
    if (!synth) {
        delete_fluid_settings(settings);
        if (error) *error = "cannot create the synthesizer";
        return nullptr;
    }
    if (fluid_synth_sfload(synth, soundFont.c_str(), 1) == FLUID_FAILED) {
        delete_fluid_synth(synth);
        delete_fluid_settings(settings);
        if (error) *error = "cannot load the SoundFont " + soundFont;
        return nullptr;
    }
    return std::make_unique<FluidMidiSynth>(settings, synth);
}

} // namespace platform
