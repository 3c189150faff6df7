// Starting an image at a song position: what the host hears after the
// switch is exactly what a player running from the top would send from
// there, and at the switch it gets each used channel's state, nothing else.
#include "host/silent_start.h"

#include "zemcmain.h"
#include <temp_dir.h>

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <tuple>
#include <vector>

namespace {

struct Event {
    uint32_t ms;
    char kind; // n note on, f note off, c controller, p program, b bend, t text
    int port, channel, a, b;
    bool operator==(const Event&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Event& e)
{
    return out << e.ms << ' ' << e.kind << ' ' << e.port << ':' << e.channel << ' ' << e.a << ',' << e.b;
}

// The host: every channel message and text with the millisecond it came in.
struct Recorder {
    uint32_t ms = 0;
    std::vector<Event> events;

    void add(char kind, int port, int channel, int a, int b) { events.push_back({ms, kind, port, channel, a, b}); }
    static Recorder& of(void* user) { return *static_cast<Recorder*>(user); }

    static dp_options options()
    {
        dp_options o{};
        o.unit_passed = [](void* u, uint32_t) { return ++of(u).ms, 0; };
        o.note_on = [](void* u, int p, int, int c, int k, int v) { return of(u).add('n', p, c, k, v), 0; };
        o.note_off = [](void* u, int p, int, int c, int k, int v) { return of(u).add('f', p, c, k, v), 0; };
        o.control_change = [](void* u, int p, int, int c, int n, int v) { return of(u).add('c', p, c, n, v), 0; };
        o.program_change = [](void* u, int p, int, int c, int n) { return of(u).add('p', p, c, n, 0), 0; };
        o.pitch_bend = [](void* u, int p, int, int c, int v) { return of(u).add('b', p, c, v, 0), 0; };
        o.text = [](void* u, int, const char*, int n) { return of(u).add('t', 0, 0, n, 0), 0; };
        return o;
    }
};

std::vector<uint8_t> compile(const zem_test::TempDir& dir, const std::string& source)
{
    const std::string out = dir.file("song.zem");
    const int32_t result = zemc(reinterpret_cast<const uint8_t*>(source.data()), uint32_t(source.size()), "song.kvt",
                                out.c_str(), 0, nullptr, nullptr);
    EXPECT_EQ(result, ZEMC_OK);
    const std::string bytes = zem_test::readFile(out);
    return {bytes.begin(), bytes.end()};
}

// The last value of every channel state a host heard: program, each
// controller, bend.
using State = std::map<std::tuple<int, int, char, int>, int>;

State stateOf(const std::vector<Event>& events, size_t end)
{
    State state;
    for (size_t i = 0; i < end; ++i) {
        const Event& e = events[i];
        if (e.kind == 'c') state[{e.port, e.channel, 'c', e.a}] = e.b;
        if (e.kind == 'p' || e.kind == 'b') state[{e.port, e.channel, e.kind, 0}] = e.a;
    }
    return state;
}

const char* const kScores[] = {
    // Bank, program, volume and a bend that changes on two channels.
    ":0 Y0,1 Y32,2 @5 V90 o4 l8 c d e f K100 g a K-300 b < c\n"
    "#1 :1 @20 V70 o3 l4 c e g K2000 c\n",
    // Slides and a vibrato modulator run under the notes.
    ":0 @49 V110 o4 `+1 X127,1 `-1 'c e g'1 `+1 P0,1,127 `-1 'd g b'1 M-1,17,&100 M,18,0 M,19,500 M,20,500 "
    "M,21,180 M,22,180 J-1,+6 @41 e2 g2 < c1 > b2. a4 g1\n",
};

TEST(SilentStart, AfterTheSwitchTheHostHearsWhatAPlayFromTheTopWouldSend)
{
    zem_test::TempDir dir;
    const uint32_t positions[] = {0, 1, 250, 777, 1500, 3000};
    for (const char* score : kScores) {
        const std::vector<uint8_t> image = compile(dir, score);
        for (uint32_t at : positions) {
            SCOPED_TRACE(testing::Message() << "at " << at << " ms of " << score);
            constexpr uint32_t kAfter = 2500;
            const dp_options hostOptions = Recorder::options();

            Recorder reference;
            dp_player* whole =
                dp_const(1, image.data(), image.size(), &hostOptions, sizeof hostOptions, &reference, nullptr);
            ASSERT_NE(whole, nullptr);
            if (at) whole->advance_units(whole, at, DP_NORMAL_SPEED);
            const size_t referenceMark = reference.events.size();
            const uint32_t referenceMsAtMark = reference.ms;
            whole->advance_units(whole, kAfter, DP_NORMAL_SPEED);
            whole->close(whole);

            Recorder switched;
            switched.ms = at; // the host's own clock goes on from the old image
            zemfe::SilentStart start(hostOptions, &switched);
            dp_player* late =
                dp_const(1, image.data(), image.size(), &start.options(), sizeof(dp_options), &start, nullptr);
            ASSERT_NE(late, nullptr);
            EXPECT_EQ(start.catchUp(late, at), 0);
            const size_t switchedMark = switched.events.size();
            late->advance_units(late, kAfter, DP_NORMAL_SPEED);
            late->close(late);

            // At the switch only state, and exactly the state at that point.
            for (size_t i = 0; i < switchedMark; ++i) {
                EXPECT_NE(std::strchr("cpb", switched.events[i].kind), nullptr) << switched.events[i];
                EXPECT_EQ(switched.events[i].ms, at);
            }
            EXPECT_EQ(stateOf(switched.events, switchedMark), stateOf(reference.events, referenceMark));
            // Afterwards the same messages at the same milliseconds.
            const std::vector<Event> expected(reference.events.begin() + long(referenceMark), reference.events.end());
            const std::vector<Event> seen(switched.events.begin() + long(switchedMark), switched.events.end());
            EXPECT_EQ(seen, expected);
            // The clock went on by as much as the reference's did.
            EXPECT_EQ(switched.ms - at, reference.ms - referenceMsAtMark);
        }
    }
}

TEST(SilentStart, BankSelectComesBeforeTheProgramItChooses)
{
    zem_test::TempDir dir;
    const std::vector<uint8_t> image = compile(dir, kScores[0]);
    const dp_options hostOptions = Recorder::options();
    Recorder switched;
    zemfe::SilentStart start(hostOptions, &switched);
    dp_player* late = dp_const(1, image.data(), image.size(), &start.options(), sizeof(dp_options), &start, nullptr);
    ASSERT_NE(late, nullptr);
    ASSERT_EQ(start.catchUp(late, 600), 0);
    late->close(late);
    std::vector<std::pair<char, int>> channel0;
    for (const Event& e : switched.events)
        if (e.channel == 0) channel0.push_back({e.kind, e.kind == 'c' ? e.a : 0});
    ASSERT_GE(channel0.size(), 3u);
    EXPECT_EQ(channel0[0], std::make_pair('c', 0));
    EXPECT_EQ(channel0[1], std::make_pair('c', 32));
    EXPECT_EQ(channel0[2].first, 'p');
}

// Each entry of the host table is either passed on or left out, never lost:
// a null host entry stays null (the engine's own default then applies).
TEST(SilentStart, EveryHostEntryIsRoutedAndNullEntriesStayNull)
{
    constexpr size_t kSlots = sizeof(dp_options) / sizeof(void*);
    static_assert(kSlots == DP_OPTION_SLOTS);
    constexpr size_t kReservedFirst = 18, kReservedEnd = 33;
    for (const bool filled : {true, false}) {
        // Any non-null address will do: the entries are compared, not called.
        std::array<void*, kSlots> slots{};
        for (size_t i = 0; i < kSlots; ++i)
            slots[i] = filled && (i < kReservedFirst || i >= kReservedEnd) ? reinterpret_cast<void*>(&slots) : nullptr;
        dp_options host;
        std::memcpy(&host, slots.data(), sizeof host);
        zemfe::SilentStart start(host, nullptr);
        std::array<void*, kSlots> routed{};
        std::memcpy(routed.data(), &start.options(), sizeof host);
        for (size_t i = 0; i < kSlots; ++i)
            EXPECT_EQ(routed[i] != nullptr, slots[i] != nullptr) << "entry " << i << (filled ? " filled" : " null");
    }
}

} // namespace
