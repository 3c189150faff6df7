// The built-in synthesizer: each port owns its 16 channels, drums on every
// port's tenth channel, system-exclusive messages reach it, and the
// real-time device opens (on SDL's dummy driver in tests).
#include "gs_part_message.h"
#include "platform/midi_out.h"
#include "platform/midi_synth.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

namespace {

using platform::MidiSynth;

std::unique_ptr<MidiSynth> makeSynth()
{
    std::string error;
    auto synth = MidiSynth::create(platform::kDefaultSoundFont, 0.2, &error);
    EXPECT_TRUE(synth) << error;
    return synth;
}

std::vector<int16_t> render(MidiSynth& synth, size_t frames)
{
    std::vector<int16_t> out(2 * frames);
    synth.render(out.data(), frames);
    return out;
}

double rms(const std::vector<int16_t>& samples)
{
    double sum = 0;
    for (int16_t s : samples) sum += double(s) * s;
    return std::sqrt(sum / double(samples.size()));
}

uint32_t packed(int status, int channel, int d1, int d2 = 0) { return uint32_t(status | channel | d1 << 8 | d2 << 16); }

TEST(MidiSynth, SilentUntilANotePlays)
{
    auto synth = makeSynth();
    ASSERT_TRUE(synth);
    EXPECT_LT(rms(render(*synth, 4410)), 2.0);
    EXPECT_FALSE(synth->hasActiveVoices());
    // The one mute channel: FluidSynth's free-voice marker.
    synth->shortMessage(15, packed(0x90, 15, 60, 100));
    synth->shortMessage(15, packed(0xB0, 15, 7, 100));
    EXPECT_FALSE(synth->hasActiveVoices());
    synth->shortMessage(15, packed(0x90, 14, 60, 100));
    EXPECT_TRUE(synth->hasActiveVoices());
    synth->shortMessage(0, packed(0x90, 0, 60, 100));
    EXPECT_TRUE(synth->hasActiveVoices());
    EXPECT_GT(rms(render(*synth, 4410)), 100.0);
}

TEST(MidiSynth, PortsOwnTheirChannels)
{
    // A note-off on another port (or another channel) leaves the note
    // sounding; the right one ends it.
    struct Case {
        int offPort, offChannel;
        bool stillSounding;
    };
    const Case cases[] = {{1, 0, true}, {0, 1, true}, {15, 0, true}, {0, 0, false}};
    for (const Case& c : cases) {
        auto synth = makeSynth();
        ASSERT_TRUE(synth);
        synth->shortMessage(0, packed(0xC0, 0, 0)); // piano: decays, no sustain loop forever
        synth->shortMessage(0, packed(0x90, 0, 60, 100));
        render(*synth, 441);
        synth->shortMessage(c.offPort, packed(0x80, c.offChannel, 60, 64));
        render(*synth, 44100); // past the piano's release
        const double level = rms(render(*synth, 4410));
        if (c.stillSounding)
            EXPECT_GT(level, 20.0) << c.offPort << "/" << c.offChannel;
        else
            EXPECT_LT(level, 20.0) << c.offPort << "/" << c.offChannel;
    }
}

TEST(MidiSynth, EveryPortHasItsDrumChannel)
{
    // Key 42 on a drum channel is a short hi-hat; on a melodic channel a
    // piano note many times louder over half a second.
    auto level = [](int port, int channel) {
        auto synth = makeSynth();
        synth->shortMessage(port, packed(0x90, channel, 42, 100));
        return rms(render(*synth, 22050));
    };
    const double drums = level(0, 9);
    for (int port : {1, 7, 15}) EXPECT_NEAR(level(port, 9), drums, drums * 0.01) << port;
    EXPECT_GT(level(3, 0), 4 * drums);
}

TEST(MidiSynth, ExclusiveMessagesReachTheSynthesizer)
{
    // After a program change, a GM system-on resets the channel to the
    // piano: the result sounds as a fresh synthesizer does.
    const uint8_t gmOn[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    auto fresh = makeSynth();
    auto reset = makeSynth();
    auto unreset = makeSynth();
    ASSERT_TRUE(fresh && reset && unreset);
    for (MidiSynth* s : {reset.get(), unreset.get()}) s->shortMessage(0, packed(0xC0, 0, 40));
    reset->exclusive(0, gmOn, sizeof gmOn);
    for (MidiSynth* s : {fresh.get(), reset.get(), unreset.get()}) s->shortMessage(0, packed(0x90, 0, 60, 100));
    const auto expected = render(*fresh, 8820);
    EXPECT_EQ(render(*reset, 8820), expected);
    EXPECT_NE(render(*unreset, 8820), expected);
}

// GS scale tuning of part 1 on a port: C a quarter tone sharp.
std::vector<uint8_t> quarterToneSharpC()
{
    std::vector<uint8_t> cents(12, 64); // 64 = no offset, C first
    cents[0] = 64 + 50;
    return partMessage(1, 0x40, cents);
}

TEST(MidiSynth, ScaleTuningActsOnItsPortsPart)
{
    // Only the tuned pitch class on the tuned port and channel changes; a
    // system reset tunes it back.
    const auto tuning = quarterToneSharpC();
    const uint8_t gsReset[] = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
    struct Case {
        int tunedPort, playedPort, key;
        bool resetAfter;
        bool changed;
    };
    const Case cases[] = {
        {0, 0, 60, false, true},  {0, 0, 62, false, false}, {2, 2, 72, false, true},
        {2, 0, 60, false, false}, {0, 2, 60, false, false}, {2, 2, 60, true, false},
    };
    for (const Case& c : cases) {
        auto plain = makeSynth();
        auto tuned = makeSynth();
        ASSERT_TRUE(plain && tuned);
        tuned->exclusive(c.tunedPort, tuning.data(), tuning.size());
        if (c.resetAfter) {
            tuned->exclusive(c.tunedPort, gsReset, sizeof gsReset);
            plain->exclusive(c.tunedPort, gsReset, sizeof gsReset);
        }
        for (MidiSynth* s : {plain.get(), tuned.get()}) s->shortMessage(c.playedPort, packed(0x90, 0, c.key, 100));
        EXPECT_EQ(render(*tuned, 8820) != render(*plain, 8820), c.changed)
            << c.tunedPort << " " << c.playedPort << " " << c.key << " " << c.resetAfter;
    }
}

TEST(MidiSynth, RhythmPartOnAnyPort)
{
    // "Use for rhythm part" on part 1 of port 2 makes channel 0 there a
    // drum channel: key 42 is the hi-hat of port 0's channel 9.
    std::vector<uint8_t> m = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x11, 0x15, 0x01};
    m.push_back(uint8_t((128 - (0x40 + 0x11 + 0x15 + 0x01) % 128) % 128));
    m.push_back(0xF7);
    // A GS reset afterwards makes it melodic again.
    const uint8_t gsReset[] = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
    for (bool reset : {false, true}) {
        auto expected = makeSynth();
        auto part = makeSynth();
        ASSERT_TRUE(expected && part);
        part->exclusive(2, m.data(), m.size());
        if (reset) {
            part->exclusive(2, gsReset, sizeof gsReset);
            expected->exclusive(2, gsReset, sizeof gsReset);
        }
        expected->shortMessage(0, packed(0x90, reset ? 0 : 9, 42, 100));
        part->shortMessage(2, packed(0x90, 0, 42, 100));
        EXPECT_NEAR(rms(render(*part, 22050)), rms(render(*expected, 22050)), 1.0) << reset;
    }
}

TEST(MidiSynth, MissingSoundFontIsReported)
{
    std::string error;
    EXPECT_FALSE(MidiSynth::create("/nonexistent/none.sf2", 0.2, &error));
    EXPECT_NE(error.find("/nonexistent/none.sf2"), std::string::npos) << error;

    ::setenv("ZEM_SOUNDFONT", "/somewhere/else.sf2", 1);
    EXPECT_EQ(platform::synthSoundFontPath(), "/somewhere/else.sf2");
    ::setenv("ZEM_SOUNDFONT", "", 1);
    EXPECT_EQ(platform::synthSoundFontPath(), platform::kDefaultSoundFont);
    ::unsetenv("ZEM_SOUNDFONT");
}

TEST(MidiSynthDevice, PortsOpenOnTheSharedSynthesizer)
{
    // Sixteen ports fit on the 256 channels; a seventeenth does not.  (SDL's
    // dummy driver unless the environment names another.)
    ::setenv("SDL_AUDIODRIVER", "dummy", 0);
    std::vector<std::unique_ptr<platform::MidiOutPort>> ports;
    for (int i = 0; i < 16; ++i) {
        ports.push_back(platform::midiOutOpen(platform::kMidiMapper));
        ASSERT_TRUE(ports.back()) << i;
        EXPECT_TRUE(ports.back()->shortMessage(packed(0x90, 0, 60, 100)));
    }
    EXPECT_FALSE(platform::midiOutOpen(platform::kMidiMapper));
    ports.pop_back();
    auto again = platform::midiOutOpen(platform::kMidiMapper);
    ASSERT_TRUE(again);
    const uint8_t gsReset[] = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
    platform::MidiLongMessage message;
    message.data = gsReset;
    message.length = sizeof gsReset;
    EXPECT_TRUE(again->longMessage(message));
    EXPECT_TRUE(message.done);
}

TEST(MidiSynthDevice, SoundsInRealTime)
{
    // SDL's disk driver writes what the device would play to a file: the
    // note is there, as 16-bit stereo at 44100 Hz.
    const std::string path = ::testing::TempDir() + "/synth-device.raw";
    ::setenv("SDL_AUDIODRIVER", "disk", 1);
    ::setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
    {
        auto port = platform::midiOutOpen(platform::kMidiMapper);
        ASSERT_TRUE(port);
        EXPECT_TRUE(port->shortMessage(packed(0x90, 0, 60, 100)));
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
    }
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::ifstream file(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::remove(path.c_str());
    std::vector<int16_t> samples(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = int16_t(uint8_t(bytes[2 * i]) | uint8_t(bytes[2 * i + 1]) << 8);
    // At least a tenth of a second reached the device, and it was heard.
    EXPECT_GE(samples.size(), 2u * 4410);
    EXPECT_GT(rms(samples), 100.0);
}

} // namespace
