// Built-in exclusive messages against hand-computed bytes, checksums and
// scale tuning included, and raw SYSEX.
#include "image_builder.h"
#include "recording_host.h"

#include "zem/command_words.h"

#include <gtest/gtest.h>

using namespace zemtest;

namespace {

std::string repeat(const char* byte, int n)
{
    std::string s;
    for (int i = 0; i < n; ++i) s += std::string(" ") + byte;
    return s;
}

// Arguments of size bytes: head, then 0xFF to the end.
std::vector<uint8_t> headThenFF(std::vector<uint8_t> head, size_t size)
{
    head.resize(size, 0xFF);
    return head;
}

struct MacroCase {
    const char* name;
    Words setup; // before the macro, on port 0
    unsigned code;
    std::vector<uint8_t> args;
    std::vector<std::string> messages;
};

std::vector<std::string> sysexSent(const RecordingHost& host)
{
    std::vector<std::string> out;
    for (const auto& line : host.onlyUnstamped({"sysex"})) out.push_back(line.substr(std::string("sysex 0 0 ").size()));
    return out;
}

TEST(EngineMacros, MessagesMatchHandComputedBytes)
{
    const std::string gsHeader = "F0 41 10 42";
    const MacroCase cases[] = {
        {"universal non-realtime", {}, 0, {0x09, 0x01}, {"F0 7E 7F 09 01 F7"}},
        {"universal realtime", {}, 1, {0x04, 0x01, 0x00, 0x7F}, {"F0 7F 7F 04 01 00 7F F7"}},
        {"command with checksum", {}, 2, {0x40, 0x00, 0x7F, 0x00}, {gsHeader + " 12 40 00 7F 00 41 F7"}},
        {"command byte from PARAM 11", param(11, 0x11), 2, {0x01}, {gsHeader + " 11 01 7F F7"}},
        {"header bytes from PARAM 8..10",
         cat({param(8, 0x43), param(9, 0x7F), param(10, 0x4C)}),
         3,
         {0x01},
         {"F0 43 7F 4C 01 F7"}},
        {"raw after header", {}, 3, {0x12, 0x40, 0x00, 0x7F, 0x00, 0x41}, {gsHeader + " 12 40 00 7F 00 41 F7"}},
        {"GM on", {}, 4, {1}, {"F0 7E 7F 09 01 F7"}},
        {"GM2 on", {}, 4, {2}, {"F0 7E 7F 09 03 F7"}},
        {"GM off", {}, 4, {7}, {"F0 7E 7F 09 02 F7"}},
        {"reset 1", {}, 5, {1}, {gsHeader + " 12 40 00 7F 00 41 F7"}},
        {"reset 2", {}, 5, {2}, {gsHeader + " 12 00 00 7F 00 01 F7"}},
        {"reset 3", {}, 5, {3}, {gsHeader + " 12 00 00 7F 01 00 F7"}},
        {"reset other", {}, 5, {0}, {gsHeader + " 12 40 00 7F 7F 42 F7"}},
        {"mode on", {}, 6, {1}, {gsHeader + " 00 00 7F 00 F7"}},
        {"mode off", {}, 6, {0}, {gsHeader + " 00 00 7E 00 F7"}},
        {"mode 7D", {}, 7, {0x33}, {gsHeader + " 00 00 7D 33 F7"}},
        {"master volume", {}, 8, {0x7F, 0x7F}, {"F0 7F 7F 04 05 01 01 01 01 01 7F 7F F7"}},
        {"master balance", {}, 9, {0x00, 0x40}, {"F0 7F 7F 04 05 01 01 01 01 02 00 40 F7"}},
        {"channel message", {zem::makePortChannel(0, 4)}, 10, {1, 2, 3}, {"F0 7F 7F 09 01 04 02 03 F7"}},
        {"effect parameter", {}, 11, {2, 0x55}, {gsHeader + " 12 40 01 32 55 38 F7"}},
        {"17: a9 first",
         {},
         17,
         {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15},
         {gsHeader + " 12 40 01 10 09 00 01 02 03 04 05 06 07 08 0A 0B 0C 0D 0E 0F 37 F7"}},
        {"part block of channel 9 is 0",
         {zem::makePortChannel(0, 9)},
         18,
         {0x15, 0x02},
         {gsHeader + " 12 40 10 15 02 19 F7"}},
        {"channel mask",
         {},
         19,
         {0x03, 0x00, 0x15, 0x00},
         {gsHeader + " 12 40 11 15 00 1A F7", gsHeader + " 12 40 12 15 00 19 F7"}},
        {"equal temperament", {}, 20, {0, 0, 0}, {gsHeader + " 12 40 11 40" + repeat("40", 12) + " 6F F7"}},
        {"temperament 1", {}, 20, {1, 0, 0}, {gsHeader + " 12 40 11 40 40 23 44 50 32 3E 21 42 25 30 52 34 4A F7"}},
        {"temperament 30 is equal", {}, 20, {30, 0, 0}, {gsHeader + " 12 40 11 40" + repeat("40", 12) + " 6F F7"}},
        {"masked tuning, offset -5",
         {},
         21,
         {0x01, 0x00, 0, 0, 0xFB},
         {gsHeader + " 12 40 11 40" + repeat("3B", 12) + " 2B F7"}},
        {"macro 22 address", {}, 22, {0x1, 0x2, 0x40}, {gsHeader + " 12 40 21 12 40 4D F7"}},
        {"27", {}, 27, {0x7F}, {gsHeader + " 12 40 41 22 7F 5E F7"}},
        {"dot pattern page 1",
         {},
         30,
         headThenFF({1}, 33),
         {gsHeader + " 12 10 01 40" + repeat("1F", 48) + repeat("10", 16) + " 5F F7"}},
        {"31 sends its second half", {}, 31, {0x11, 0x22}, {gsHeader + " 12 20 01 22 3D F7"}},
        {"33", {}, 33, {5, 6}, {gsHeader + " 02 01 05 06 F7"}},
        {"37", {}, 37, {1, 2}, {gsHeader + " 08 00 01 02 F7"}},
        {"38 group and mask",
         {},
         38,
         {2, 0x05, 0x00, 0x33, 0x44},
         {gsHeader + " 08 20 33 44 F7", gsHeader + " 08 22 33 44 F7"}},
        {"39 tuning", {}, 39, {0, 0, 0}, {gsHeader + " 08 00 41" + repeat("40", 12) + " F7"}},
        {"43", {}, 43, {1, 9, 10}, {gsHeader + " 31 09 0A F7"}},
        {"44", {}, 44, {7}, {gsHeader + " 06 00 00 07 F7"}},
        {"bitmap",
         {},
         45,
         headThenFF({1, 2}, 34),
         {gsHeader + " 07 21 00" + repeat("7F", 32) + repeat("60", 16) + " F7"}},
        {"port beyond the count", {zem::makePortChannel(3, 0)}, 0, {1}, {}},
    };
    for (const auto& c : cases) {
        RecordingHost host;
        Session s(host, ImagePlan{{cat({c.setup, macro(c.code, c.args), wait(10), {zem::kEnd}})}}, 2);
        s.units(30);
        EXPECT_EQ(sysexSent(host), c.messages) << c.name;
        EXPECT_TRUE(host.errors.empty()) << c.name;
    }
}

TEST(EngineMacros, SeriesSendOneMessagePerArgument)
{
    struct SeriesCase {
        unsigned code, count;
        uint8_t firstAddress;
    };
    const SeriesCase cases[] = {{12, 7, 0x31}, {14, 8, 0x39}, {16, 10, 0x51}};
    for (const auto& c : cases) {
        RecordingHost host;
        Session s(host, ImagePlan{{cat({macro(c.code, std::vector<uint8_t>(c.count, 1)), wait(10), {zem::kEnd}})}});
        s.units(30);
        auto sent = sysexSent(host);
        ASSERT_EQ(sent.size(), c.count) << c.code;
        char address[8];
        std::snprintf(address, sizeof address, "%02X", c.firstAddress);
        EXPECT_EQ(sent[0].substr(0, 26), std::string("F0 41 10 42 12 40 01 ") + address + " 01") << c.code;
    }
}

TEST(EngineMacros, SysexIsSentAsStoredAndNeedsBothCallbacks)
{
    RecordingHost host;
    Session s(host,
              ImagePlan{{cat({sysex({0xF0, 0x01, 0x02, 0x03, 0xF7}), sysex({0xF0, 0xF7}), wait(10), {zem::kEnd}})}});
    s.units(30);
    EXPECT_EQ(sysexSent(host), (std::vector<std::string>{"F0 01 02 03 F7", "F0 F7"}));

    RecordingHost silent;
    dp_options o = silent.options();
    o.exclusive_send = nullptr;
    std::vector<uint8_t> image = buildImage(ImagePlan{{cat({sysex({0xF0, 0xF7}), {zem::kEnd}})}});
    dp_player* p = dp_const(1, image.data(), image.size(), &o, sizeof o, &silent, nullptr);
    ASSERT_NE(p, nullptr);
    p->advance_units(p, 10, DP_NORMAL_SPEED);
    EXPECT_TRUE(silent.only({"sysex"}).empty());
    p->close(p);
}

} // namespace
