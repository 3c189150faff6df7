// Arbitrary bytes as a WAVE file played by the stream output library on its
// offline device: loaded whole as a one-shot and streamed with a loop, both
// positioned and pitched by choices drawn from the input, the device
// rendered for a bounded time, then everything closed.  Nothing may crash,
// hang, leak or read outside a buffer.
#include "audsink.h"

#include "platform/audio.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* kDecoder = ZEM_BIN_DIR "/qzwav.so";
constexpr const char* kCodec = ZEM_BIN_DIR "/zemcodec.so";
constexpr uint32_t kTickMs = 10;
constexpr uint32_t kTickFrames = 441;
constexpr int kMaxTicks = 60;

// Decisions come from a generator seeded by the input itself, so every
// input replays the same way.
class Choices {
public:
    Choices(const uint8_t* data, size_t size)
    {
        for (size_t i = 0; i < size; ++i) state_ = (state_ ^ data[i]) * 0x100000001B3ull;
    }
    uint32_t next(uint32_t bound)
    {
        state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
        return bound == 0 ? 0 : static_cast<uint32_t>(state_ >> 33) % bound;
    }
    int32_t between(int32_t low, int32_t high) { return low + static_cast<int32_t>(next(uint32_t(high - low) + 1)); }

private:
    uint64_t state_ = 0xCBF29CE484222325ull;
};

// The input as a file of its own, in a folder made once per process and
// removed when it ends.
char gFolder[] = "/tmp/audsink_wave_fuzz.XXXXXX";

const std::string& inputPath()
{
    static const std::string path = [] {
        if (!mkdtemp(gFolder)) std::abort();
        std::atexit([] {
            std::remove((std::string(gFolder) + "/f.wav").c_str());
            rmdir(gFolder);
        });
        return std::string(gFolder) + "/f.wav";
    }();
    return path;
}

void writeInput(const uint8_t* data, size_t size)
{
    FILE* f = std::fopen(inputPath().c_str(), "wb");
    if (!f || std::fwrite(data, 1, size, f) != size || std::fclose(f) != 0) std::abort();
}

void render(ds8* ds, int ticks)
{
    auto& device =
        *static_cast<platform::OfflineAudioDevice*>(static_cast<platform::AudioDevice*>(ds->device_object(ds)));
    std::vector<int16_t> out(2 * kTickFrames);
    for (int i = 0; i < ticks; ++i) device.render(out.data(), kTickFrames);
}

ds8_sound* playOneShot(ds8* ds, Choices& choices)
{
    ds8_sound* sound = ds->sound_load(ds, inputPath().c_str(), kDecoder, 0, 0);
    if (!sound) return nullptr;
    ds->sound_position(sound, choices.between(-10, DS8_POSITION_MAX + 10));
    ds->sound_pitch(sound, choices.between(DS8_PITCH_MIN, DS8_PITCH_MAX));
    ds->sound_pan(sound, choices.between(-DS8_PAN_MAX, DS8_PAN_MAX));
    ds->sound_play(sound, choices.next(2) ? DS8_PLAY_LOOP : 0);
    return sound;
}

void playStream(ds8* ds, ds8_stream* stream, Choices& choices)
{
    ds->stream_request_open(stream, inputPath().c_str(), kDecoder, 20 + choices.next(200), 0, 0);
    if (choices.next(2)) ds->stream_set_loop(stream, choices.next(5000), 0, choices.next(20000), 0);
    if (choices.next(2)) ds->stream_set_position(stream, choices.next(20000), 0);
    ds->stream_pitch(stream, choices.between(DS8_PITCH_MIN, DS8_PITCH_MAX));
    ds->stream_play(stream);
}

} // namespace

// The fuzzer counts coverage in the decoder and its codec through tables
// inside them: they must stay mapped when the library lets them go.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    for (const char* library : {kDecoder, kCodec}) dlopen(library, RTLD_NOW | RTLD_NODELETE);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    writeInput(data, size);
    Choices choices(data, size);
    ds8* ds = ds8_const(nullptr, nullptr, nullptr);
    if (!ds) std::abort();
    if (ds->open_device(ds, DS8_OFFLINE_DEVICE, 2, 16, 44100, nullptr, 2) != DS8_OK) std::abort();
    ds8_sound* sound = playOneShot(ds, choices);
    ds8_stream* stream = ds->stream_create(ds, kTickMs);
    playStream(ds, stream, choices);
    for (int tick = 0; tick < kMaxTicks; ++tick) {
        render(ds, 1);
        if (tick == kMaxTicks / 2 && choices.next(2)) ds->stream_set_position(stream, choices.next(20000), 0);
        if (ds->stream_is_stopped(stream) && !(sound && ds->sound_status(sound) & DS8_STATUS_PLAYING)) break;
    }
    ds->stream_request_close(stream);
    render(ds, 2);
    ds->stream_destroy(stream);
    if (sound) ds->sound_free(sound);
    ds->destroy(ds);
    return 0;
}
