// The recording backend: every message with its time, one line each, so
// tests can see exactly what a player sent.
#include "../backends.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace platform {

namespace {

constexpr const char* kRecordVariable = "ZEM_MIDI_RECORD";

class RecordingPort final : public midi_backend::BytePort {
public:
    RecordingPort(std::FILE* file, MidiClock clock) : file_(file), clock_(std::move(clock)) {}
    ~RecordingPort() override { std::fclose(file_); }

private:
    // One line: the time, then the bytes in hex.
    bool sendBytes(const uint8_t* bytes, size_t count) override
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
