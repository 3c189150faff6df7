#include "follow_timing.h"

#include "smf/smf_reader.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

namespace zem_test {

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

uint64_t sizeOf(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? uint64_t(st.st_size) : 0;
}

[[noreturn]] void execChild(const std::string& binary, const std::vector<std::string>& args, const std::string& cwd,
                            const std::vector<std::string>& env, int out)
{
    ::dup2(out, STDOUT_FILENO);
    const int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, STDIN_FILENO);
    ::dup2(null, STDERR_FILENO);
    if (::chdir(cwd.c_str()) != 0) std::_Exit(127);
    for (const std::string& setting : env) {
        const size_t eq = setting.find('=');
        ::setenv(setting.substr(0, eq).c_str(), setting.c_str() + eq + 1, 1);
    }
    std::vector<char*> argv{const_cast<char*>(binary.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(binary.c_str(), argv.data());
    std::_Exit(127);
}

} // namespace

TimedRun runTimed(const std::string& binary, const std::vector<std::string>& args, const std::string& cwd,
                  const std::vector<std::string>& env, const std::string& watchPath, std::chrono::seconds limit)
{
    TimedRun run;
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) return run;
    const auto start = Clock::now();
    const pid_t child = ::fork();
    if (child == 0) execChild(binary, args, cwd, env, pipeEnds[1]);
    ::close(pipeEnds[1]);
    std::string pending;
    uint64_t lastSize = 0;
    for (bool open = child > 0; open;) {
        pollfd in{pipeEnds[0], POLLIN, 0};
        if (::poll(&in, 1, 1) > 0) {
            char buffer[4096];
            const ssize_t n = ::read(pipeEnds[0], buffer, sizeof buffer);
            if (n <= 0) open = false;
            pending.append(buffer, size_t(std::max<ssize_t>(n, 0)));
            for (size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1))
                run.out.push_back({msSince(start), pending.substr(0, end)});
        }
        if (const uint64_t size = sizeOf(watchPath); size != lastSize) {
            run.growth.push_back({msSince(start), size});
            lastSize = size;
        }
        if (Clock::now() - start > limit) {
            ::kill(child, SIGKILL);
            open = false;
        }
    }
    ::close(pipeEnds[0]);
    int status = 0;
    if (child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status)) run.status = WEXITSTATUS(status);
    return run;
}

double grownTo(const std::vector<GrowthSample>& growth, uint64_t bytes, double bytesPerMs)
{
    for (size_t i = 0; i < growth.size(); ++i) {
        if (growth[i].bytes < bytes) continue;
        if (bytesPerMs <= 0 || i == 0) return growth[i].ms;
        // The step's bytes were written at once: the byte sounds as far into
        // the step as it lies in it.
        const uint64_t stepStart = growth[i - 1].bytes;
        const double stepMs = double(growth[i].bytes - stepStart) / bytesPerMs;
        return growth[i].ms - stepMs + double(bytes - stepStart) / bytesPerMs;
    }
    return -1;
}

std::vector<MidiNoteOn> midiNoteOns(const std::vector<uint8_t>& file)
{
    smf::SmfHeader header{};
    if (smf::readHeader(file.data(), file.size(), header) != smf::ReadError::None) return {};
    smf::ByteCursor cursor(file.data(), file.size());
    cursor.skip(header.chunksOffset);
    // Every event by tick; tempo changes first among equal ticks.
    std::multimap<uint64_t, std::pair<uint32_t, smf::SmfEvent>> tempos;
    std::vector<std::pair<uint64_t, smf::SmfEvent>> notes;
    for (uint16_t t = 0; t < header.trackCount; ++t) {
        const uint8_t* chunk = nullptr;
        uint32_t length = 0;
        if (smf::readTrackChunk(cursor, chunk, length) != smf::ReadError::None) break;
        std::vector<smf::SmfEvent> events;
        smf::readTrackEvents(chunk, length, events);
        uint64_t tick = 0;
        for (const smf::SmfEvent& e : events) {
            tick += e.delta;
            if (e.status == 0xFF && e.data1 == 0x51 && e.length == 3) tempos.insert({tick, {t, e}});
            if (smf::isNoteOn(e)) notes.push_back({tick, e});
        }
    }
    // Milliseconds of a tick through the tempo map.
    const auto msAt = [&](uint64_t tick) {
        double ms = 0;
        uint64_t from = 0;
        uint32_t usPerQuarter = 500000;
        for (const auto& [at, change] : tempos) {
            if (at >= tick) break;
            ms += double(at - from) * usPerQuarter / 1000.0 / header.division;
            from = at;
            const uint8_t* p = change.second.payload;
            usPerQuarter = uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
        }
        return ms + double(tick - from) * usPerQuarter / 1000.0 / header.division;
    };
    std::vector<MidiNoteOn> out;
    for (const auto& [tick, e] : notes) out.push_back({msAt(tick), e.status & 0x0F, e.data1});
    std::stable_sort(out.begin(), out.end(), [](const MidiNoteOn& a, const MidiNoteOn& b) {
        return a.ms != b.ms ? a.ms < b.ms : a.channel < b.channel;
    });
    return out;
}

std::vector<double> recordedNoteOns(const std::string& path, const std::vector<GrowthSample>& growth)
{
    std::ifstream in(path);
    std::vector<double> times;
    uint64_t end = 0;
    for (std::string line; std::getline(in, line);) {
        end += line.size() + 1;
        std::istringstream words(line);
        unsigned long long stamp = 0;
        unsigned status = 0, key = 0, velocity = 0;
        words >> stamp >> std::hex >> status >> key >> velocity;
        if ((status & 0xF0) == 0x90 && velocity != 0) times.push_back(grownTo(growth, end));
    }
    return times;
}

} // namespace zem_test
