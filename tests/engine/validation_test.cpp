// dp_const: the image checks, the port count, the options block, and the
// simple operations of a fresh instance.
#include "image_builder.h"
#include "recording_host.h"

#include "zem/command_words.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

using namespace zemtest;

namespace {

ImagePlan oneTrack() { return ImagePlan{{{zem::kEnd}}}; }

dp_player* construct(std::vector<uint8_t>& image, int* error, int ports = 1)
{
    return dp_const(ports, image.data(), image.size(), nullptr, 0, nullptr, error);
}

struct ValidationCase {
    const char* name;
    std::function<void(std::vector<uint8_t>&)> mutate;
    bool accepted;
};

void setU16(std::vector<uint8_t>& b, size_t at, uint16_t v) { zem::writeU16(&b[at], v); }
void setU32(std::vector<uint8_t>& b, size_t at, uint32_t v) { zem::writeU32(&b[at], v); }

// A title of four bytes of text whose length byte says length.
std::function<void(std::vector<uint8_t>&)> titleOfLength(uint8_t length)
{
    return [length](std::vector<uint8_t>& b) {
        b.resize(56, 0);
        b[50] = length;
        setU32(b, 20, 52);
    };
}

TEST(EngineValidation, ImagesAreAcceptedOrRefusedWithFormatError)
{
    // The plain image is 50 bytes; the title cases append a payload whose
    // length byte is at 50 and whose text starts at 52.
    const ValidationCase cases[] = {
        {"plain image", [](auto&) {}, true},
        {"31 bytes", [](auto& b) { b.resize(31); }, false},
        {"wrong magic", [](auto& b) { b[3] = 'X'; }, false},
        {"version 0.48", [](auto& b) { b[11] = '8'; }, false},
        {"version 0.10",
         [](auto& b) {
             b[10] = '1';
             b[11] = '0';
         },
         true},
        {"version 1.00",
         [](auto& b) {
             b[8] = '1';
             b[10] = '0';
             b[11] = '0';
         },
         false},
        {"point not examined", [](auto& b) { b[9] = 'x'; }, true},
        {"zero track count", [](auto& b) { setU16(b, 16, 0); }, false},
        {"zero timebase", [](auto& b) { setU16(b, 18, 0); }, false},
        {"odd title offset", [](auto& b) { setU32(b, 20, 3); }, false},
        {"title at the end", [](auto& b) { setU32(b, 20, static_cast<uint32_t>(b.size())); }, false},
        {"title length past the end", titleOfLength(9), false},
        {"title inside", titleOfLength(4), true},
        {"odd notice offset", [](auto& b) { setU32(b, 24, 5); }, false},
        {"notice past the end", [](auto& b) { setU32(b, 24, 4096); }, false},
        {"track past the end", [](auto& b) { setU32(b, 36, 3); }, false},
        {"track offset past the end", [](auto& b) { setU32(b, 32, 0xFFFFFFF0u); }, false},
        {"track table past the end", [](auto& b) { setU16(b, 16, 40); }, false},
        {"extension block past the end",
         [](auto& b) {
             b.resize(44);
             setU32(b, 32, 0);
             setU32(b, 36, 0);
         },
         false},
        {"short extension block fits",
         [](auto& b) {
             b.resize(44);
             setU32(b, 28, 4);
             setU32(b, 32, 0);
             setU32(b, 36, 0);
         },
         true},
        {"extension text past the end", [](auto& b) { setU32(b, 40, 2000); }, false},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> image = buildImage(oneTrack());
        c.mutate(image);
        int error = -1;
        dp_player* p = construct(image, &error);
        EXPECT_EQ(p != nullptr, c.accepted) << c.name;
        EXPECT_EQ(error, c.accepted ? DP_OK : DP_FORMAT_ERROR) << c.name;
        if (p) p->close(p);
    }
}

TEST(EngineValidation, PortCountAndOptionsBlock)
{
    std::vector<uint8_t> image = buildImage(oneTrack());
    int error = -1;
    EXPECT_EQ(dp_const(17, image.data(), image.size(), nullptr, 0, nullptr, &error), nullptr);
    EXPECT_EQ(error, -1) << "a bad port count leaves the error output alone";
    EXPECT_EQ(dp_const(-1, image.data(), image.size(), nullptr, 0, nullptr, &error), nullptr);

    // Port count 0 is one port: a note on port 1 is silent, on port 0 heard.
    RecordingHost host;
    ImagePlan plan{
        {cat({{zem::makePortChannel(1, 0)}, note(60, 4), {zem::makePortChannel(0, 0)}, note(61, 4), {zem::kEnd}})}};
    Session s(host, plan, 0);
    ASSERT_NE(s.player(), nullptr);
    s.units(200);
    EXPECT_EQ(host.onlyUnstamped({"on"}), (std::vector<std::string>{"on 0 0 0 61 127"}));
}

TEST(EngineValidation, ShortOptionsBlockLeavesLaterCallbacksNull)
{
    RecordingHost host;
    dp_options o = host.options();
    std::vector<uint8_t> image = buildImage(ImagePlan{{cat({note(60, 4), wait(20), {zem::kEnd}})}});
    int error = -1;
    // Error, allocate, free and unit passed only: no note callbacks.
    dp_player* p = dp_const(1, image.data(), image.size(), &o, 4 * sizeof(void*), &host, &error);
    ASSERT_NE(p, nullptr);
    p->advance_units(p, 100, DP_NORMAL_SPEED);
    EXPECT_TRUE(host.only({"on", "off", "meta"}).empty());
    EXPECT_EQ(host.unit, 100u);
    p->close(p);

    // A null options block still plays with the default allocator.
    dp_player* q = dp_const(1, image.data(), image.size(), nullptr, 0, nullptr, &error);
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(q->advance_units(q, 400, DP_NORMAL_SPEED), 0);
    EXPECT_EQ(q->finished(q), 1);
    q->close(q);
}

TEST(EngineValidation, AllocationFailureIsOutOfMemory)
{
    dp_options o{};
    o.allocate = [](void*, size_t) -> void* { return nullptr; };
    o.free = [](void*, void*) {};
    std::vector<uint8_t> image = buildImage(oneTrack());
    int error = -1;
    EXPECT_EQ(dp_const(1, image.data(), image.size(), &o, sizeof o, nullptr, &error), nullptr);
    EXPECT_EQ(error, DP_OUT_OF_MEMORY);
}

TEST(EngineValidation, HostAllocatorGetsTheWholeBlockBack)
{
    struct Counter {
        size_t live = 0, bytes = 0;
    } counter;
    dp_options o{};
    o.allocate = [](void* u, size_t n) -> void* {
        auto& c = *static_cast<Counter*>(u);
        ++c.live;
        c.bytes = n;
        return std::calloc(1, n);
    };
    o.free = [](void* u, void* block) {
        --static_cast<Counter*>(u)->live;
        std::free(block);
    };
    std::vector<uint8_t> image = buildImage(ImagePlan{{{zem::kEnd}, {zem::kEnd}}});
    dp_player* p = dp_const(16, image.data(), image.size(), &o, sizeof o, &counter, nullptr);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(counter.live, 1u);
    EXPECT_LT(counter.bytes, size_t{16} << 20);
    EXPECT_EQ(p->close(p), 0);
    EXPECT_EQ(counter.live, 0u);
}

TEST(EngineValidation, TextOperations)
{
    ImagePlan plan{
        {cat({meta(3, bytesOf("Title")), meta(2, bytesOf("Notice text")), meta(0xBE, bytesOf("x190")), {zem::kEnd}})}};
    plan.title = payloadOffset(plan, 0, 0);
    plan.notice = payloadOffset(plan, 0, 5);
    plan.meta190 = payloadOffset(plan, 0, 13);
    std::vector<uint8_t> image = buildImage(plan);
    dp_player* p = construct(image, nullptr);
    ASSERT_NE(p, nullptr);
    struct TextCase {
        int (*dp_player::*op)(dp_player*, char*, size_t);
        size_t size;
        int length;
        const char* text;
    };
    const TextCase cases[] = {
        {&dp_player::title_text, 64, 5, "Title"},
        {&dp_player::title_text, 3, 5, "Ti"},
        {&dp_player::notice_text, 64, 11, "Notice text"},
        {&dp_player::meta190_text, 64, 4, "x190"},
        {&dp_player::meta191_text, 64, 0, ""},
        {&dp_player::empty_text, 64, 0, ""},
    };
    for (const auto& c : cases) {
        char buffer[64];
        std::memset(buffer, 'Z', sizeof buffer);
        EXPECT_EQ((p->*c.op)(p, buffer, c.size), c.length);
        EXPECT_STREQ(buffer, c.text);
    }
    EXPECT_EQ(p->title_text(p, nullptr, 0), 5) << "the length without a buffer";
    p->close(p);
}

TEST(EngineValidation, SimpleOperations)
{
    std::vector<uint8_t> image = buildImage(ImagePlan{{{zem::kEnd}, {zem::kEnd}, {zem::kEnd}}, 96});
    dp_player* p = construct(image, nullptr);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(dp_version(), 0x2F03u);
    EXPECT_EQ(p->dummy(p, 1, 2, 3), 1);
    EXPECT_EQ(p->track_count(p), 3);
    EXPECT_EQ(p->timebase(p), 96);
    EXPECT_EQ(p->reserved[4](p, 0, 0, 0, 0, 0, 0), 0);
    uint8_t record[20];
    EXPECT_EQ(p->bar_counter(p, record, 19), DP_ILLEGAL_PARAMETER);
    EXPECT_EQ(p->bar_counter(p, nullptr, 20), DP_ILLEGAL_PARAMETER);
    ASSERT_EQ(p->bar_counter(p, record, 20), 0);
    const uint8_t expected[20] = {0, 0, 4, 0, 96, 0, 0, 0, 0, 0, 0, 0, 0, 0, 96, 0, 0, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(record, expected, 20));
    p->close(p);
}

} // namespace
