// The whole chain checked against an independent renderer: a song rendered
// by zem2wav and its zem2mid export rendered by the fluidsynth program (same
// SoundFont, rate and gain) must sound alike: the same note onsets within
// 2 ms once the two are aligned, and loudness envelopes that correlate.
//
// The fluidsynth program's player loses time on files whose tempo changes
// every few ticks (a tempo slide: seconds over a minute), so the export is
// first rewritten at one constant tempo by mido, each event at the time the
// file's own tempo map gives it.
#include "run_program.h"
#include "temp_dir.h"
#include "wave_bytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numeric>

namespace {

using zem2wav_test::readLe;
using zem_test::runProgram;
using zem_test::TempDir;

constexpr double kRate = 44100;
constexpr const char* kSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
constexpr const char* kFluidSynth = "/usr/bin/fluidsynth";

// The mono mix of a 44100 Hz 16-bit stereo WAVE file, read chunk by chunk;
// empty when the file is not one.
std::vector<double> readMono(const std::string& bytes)
{
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0) return {};
    bool pcm = false;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const std::string id = bytes.substr(at, 4);
        const size_t size = readLe(bytes, at + 4, 4);
        const size_t body = at + 8;
        const size_t available = std::min(size, bytes.size() - body);
        if (id == "fmt " && available >= 16)
            pcm = readLe(bytes, body, 2) == 1 && readLe(bytes, body + 2, 2) == 2 &&
                  readLe(bytes, body + 4, 4) == 44100 && readLe(bytes, body + 14, 2) == 16;
        if (id == "data" && pcm) {
            std::vector<double> mono(available / 4);
            for (size_t i = 0; i < mono.size(); ++i) {
                const auto l = int16_t(readLe(bytes, body + 4 * i, 2));
                const auto r = int16_t(readLe(bytes, body + 4 * i + 2, 2));
                mono[i] = (l + r) / 65536.0;
            }
            return mono;
        }
        at = body + size + (size & 1);
    }
    return {};
}

// Energy in windows of 1 ms every half millisecond.
constexpr size_t kHop = 22;
constexpr size_t kWindow = 44;
constexpr double kHopMs = kHop * 1000 / kRate;

std::vector<double> energy(const std::vector<double>& x)
{
    std::vector<double> e;
    for (size_t start = 0; start + kWindow <= x.size(); start += kHop) {
        double sum = 0;
        for (size_t i = start; i < start + kWindow; ++i) sum += x[i] * x[i];
        e.push_back(sum);
    }
    return e;
}

// Hops where the energy jumps to eight times its mean over the 20 ms
// before, above -50 dBFS, at most one every 30 ms.
std::vector<double> onsetsMs(const std::vector<double>& e)
{
    const double floor = kWindow * std::pow(10.0, -50.0 / 10);
    constexpr size_t kBefore = 40, kDebounce = 60;
    std::vector<double> onsets;
    for (size_t k = kBefore; k < e.size();) {
        const double before = std::accumulate(e.begin() + long(k - kBefore), e.begin() + long(k), 0.0) / kBefore;
        if (e[k] > floor && e[k] > 8 * before) {
            onsets.push_back(double(k) * kHopMs);
            k += kDebounce;
        } else {
            ++k;
        }
    }
    return onsets;
}

double correlation(const std::vector<double>& a, const std::vector<double>& b)
{
    const size_t n = std::min(a.size(), b.size());
    if (n < 2) return 0;
    const double ma = std::accumulate(a.begin(), a.begin() + long(n), 0.0) / double(n);
    const double mb = std::accumulate(b.begin(), b.begin() + long(n), 0.0) / double(n);
    double ab = 0, aa = 0, bb = 0;
    for (size_t i = 0; i < n; ++i) {
        ab += (a[i] - ma) * (b[i] - mb);
        aa += (a[i] - ma) * (a[i] - ma);
        bb += (b[i] - mb) * (b[i] - mb);
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
}

// The lag (in hops, a after b) that best aligns two energy curves, within
// ±50 ms.
long bestLag(const std::vector<double>& a, const std::vector<double>& b)
{
    long best = 0;
    double bestScore = -2;
    for (long lag = -100; lag <= 100; ++lag) {
        std::vector<double> shifted;
        for (size_t i = 0; i < b.size(); ++i) {
            const long j = long(i) + lag;
            shifted.push_back(j >= 0 && size_t(j) < a.size() ? a[size_t(j)] : 0);
        }
        const double score = correlation(shifted, b);
        if (score > bestScore) bestScore = score, best = lag;
    }
    return best;
}

// Root-mean-square loudness in 50 ms frames, starting `skip` hops in.
std::vector<double> loudness(const std::vector<double>& e, long skip)
{
    constexpr size_t kFrame = 100;
    std::vector<double> frames;
    for (size_t k = size_t(std::max(0L, skip)); k + kFrame <= e.size(); k += kFrame)
        frames.push_back(std::sqrt(std::accumulate(e.begin() + long(k), e.begin() + long(k + kFrame), 0.0)));
    return frames;
}

struct Song {
    const char* name;
    std::string kvt;
};

std::string sourceText(const std::string& path)
{
    return std::filesystem::exists(path) ? zem_test::readFile(path) : std::string();
}

TEST(Zem2wavWholeChain, MatchesFluidSynthRenderingTheExport)
{
    ASSERT_TRUE(std::filesystem::exists(kFluidSynth)) << "the fluidsynth program is a test reference";
    const std::vector<Song> songs = {
        // Percussive notes through tempo changes from 70 to 200 beats per minute.
        {"tempi", "#0 T100 @1 v100 l8 o4 c r c r e r g r T160 c r e r g r > c r T70 < c r e r g r "
                  "T200 [4 c r e r ] T120 @13 l16 [8 c r g r ]\n"
                  "#1 :9 v120 l8 r1 [12 c r ]\n"},
        {"demo", sourceText(ZEM_SOURCE_DIR "/examples/demo.kvt")},
    };
    for (const Song& song : songs) {
        if (song.kvt.empty()) continue; // the demo piece is not in this tree
        SCOPED_TRACE(song.name);
        TempDir dir;
        dir.write(std::string(song.name) + ".kvt", song.kvt);
        ASSERT_EQ(runProgram("zemc", {song.name}, dir.path()).status, 0);
        ASSERT_EQ(runProgram("zem2mid", {song.name}, dir.path()).status, 0);
        ASSERT_EQ(runProgram("zem2wav", {song.name}, dir.path()).status, 0);
        const std::string flatten = "/usr/bin/python3 " ZEM_SOURCE_DIR "/tests/zem2wav/flatten_tempo.py '" +
                                    dir.file(std::string(song.name) + ".MID") + "' '" + dir.file("flat.mid") + "'";
        ASSERT_EQ(std::system(flatten.c_str()), 0);
        const std::string render = std::string(kFluidSynth) + " -ni -q -r 44100 -g 0.2 -F '" + dir.file("ref.wav") +
                                   "' " + kSoundFont + " '" + dir.file("flat.mid") + "' > /dev/null 2>&1";
        ASSERT_EQ(std::system(render.c_str()), 0);

        const auto ours = energy(readMono(dir.read(std::string(song.name) + ".WAV")));
        const auto theirs = energy(readMono(dir.read("ref.wav")));
        ASSERT_GT(ours.size(), 2000u);
        ASSERT_GT(theirs.size(), 2000u);
        const long lag = bestLag(ours, theirs);

        // Each onset the reference shows is timed in ours by the shift that
        // best matches the energy from 10 ms before it to 40 ms after; a
        // best match below 0.6 (another note in a strum, say) is no match.
        const auto onsets = onsetsMs(theirs);
        std::vector<double> differences;
        for (double t : onsets) {
            const long at = long(t / kHopMs);
            if (at < 20 || size_t(at + 80) > theirs.size()) continue;
            const std::vector<double> reference(theirs.begin() + (at - 20), theirs.begin() + (at + 80));
            long localLag = 0;
            double bestScore = -2;
            for (long shift = lag - 20; shift <= lag + 20; ++shift) {
                if (at - 20 + shift < 0 || size_t(at + 80 + shift) > ours.size()) continue;
                const std::vector<double> candidate(ours.begin() + (at - 20 + shift), ours.begin() + (at + 80 + shift));
                const double score = correlation(candidate, reference);
                if (score > bestScore) bestScore = score, localLag = shift;
            }
            if (bestScore >= 0.6) differences.push_back(std::abs(double(localLag - lag)) * kHopMs);
        }
        const double worst = differences.empty() ? 0 : *std::max_element(differences.begin(), differences.end());
        const double mean = differences.empty() ? 0
                                                : std::accumulate(differences.begin(), differences.end(), 0.0) /
                                                      double(differences.size());
        const double r = correlation(loudness(ours, lag), loudness(theirs, 0));
        std::printf("%s: %zu onsets, %zu matched; lag %.2f ms; onset difference mean %.3f ms, max %.3f ms; "
                    "loudness envelope correlation %.4f\n",
                    song.name, onsets.size(), differences.size(), double(lag) * kHopMs, mean, worst, r);

        EXPECT_GE(onsets.size(), 10u);
        EXPECT_GE(differences.size() * 10, onsets.size() * 9) << "nine onsets in ten are found in both";
        EXPECT_LE(worst, 2.0);
        EXPECT_GE(r, 0.99);
    }
}

} // namespace
