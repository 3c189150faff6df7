// The recording backend: every message with its time, one line each, so
// tests can see exactly what a player sent.
#include "../backends.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace platform {

namespace {

constexpr const char* kRecordVariable = "ZEM_MIDI_RECORD";

class RecordingPort final : public MidiOutPort {
public:
    RecordingPort(std::FILE* file, MidiClock clock) : file_(file), clock_(std::move(clock)) {}
    ~RecordingPort() override { std::fclose(file_); }

    bool shortMessage(uint32_t packed) override
    {
        const uint8_t bytes[3] = {uint8_t(packed), uint8_t(packed >> 8), uint8_t(packed >> 16)};
        const int length = midiShortMessageLength(bytes[0]);
        return length > 0 && writeLine(bytes, static_cast<size_t>(length));
    }

    bool longMessage(MidiLongMessage& message) override
    {
        if (!message.data || message.length == 0) return false;
        if (!writeLine(message.data, message.length)) return false;
        message.done = true;
        return true;
    }

private:
    bool writeLine(const uint8_t* bytes, size_t count)
    {
        bool ok = std::fprintf(file_, "%llu", static_cast<unsigned long long>(clock_())) > 0;
        for (size_t i = 0; i < count && ok; ++i) ok = std::fprintf(file_, " %02X", bytes[i]) > 0;
        // Flushed per line: a reader sees every message sent so far.
        return ok && std::fputc('\n', file_) != EOF && std::fflush(file_) == 0;
    }

    std::FILE* file_;
    MidiClock clock_;
};

const char* recordPath()
{
    const char* path = std::getenv(kRecordVariable);
    return path && *path ? path : nullptr;
}

int recordingCount() { return recordPath() ? 1 : 0; }

std::string recordingName(int) { return "MIDI Recorder"; }

std::unique_ptr<MidiOutPort> openRecordingDevice(int)
{
    const char* path = recordPath();
    return path ? midiOutOpenRecording(path) : nullptr;
}

} // namespace

std::unique_ptr<MidiOutPort> midiOutOpenRecording(const std::string& path, MidiClock clock)
{
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (!file) return nullptr;
    if (!clock) {
        const auto start = std::chrono::steady_clock::now();
        clock = [start] {
            return static_cast<uint64_t>(
                std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start)
                    .count());
        };
    }
    return std::make_unique<RecordingPort>(file, std::move(clock));
}

const midi_backend::Backend midi_backend::kRecordingBackend = {"recording", recordingCount, recordingName,
                                                               openRecordingDevice};

} // namespace platform
