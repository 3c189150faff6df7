// One-shot sounds through the table on the offline device: what a load
// puts in the buffer, which files are refused, the values sent for level,
// pan and pitch, playing, duplicates, positions, pause and resume.
#include "audsink_fixture.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace audsink_test;

namespace {

platform::AudioBuffer* bufferOf(const OfflineSink& ds, ds8_sound* sound)
{
    return static_cast<platform::AudioBuffer*>(ds->sound_buffer(ds.get(), sound));
}

TEST(Instance, ReportsItsVersion) { EXPECT_EQ(ds8_version(), 12035u); }

int allocations = 0;
void* countingAllocate(void*, size_t size)
{
    ++allocations;
    return std::calloc(1, size);
}
void countingFree(void*, void* block) { std::free(block); }
intptr_t poisonedOpen(void*, const char*, uint32_t)
{
    ADD_FAILURE() << "an entry beyond the table's length was called";
    return -1;
}

TEST(Instance, TakesWholeSlotsOfTheUtilityTable)
{
    // Entries past the given length are never read, and allocate without
    // free falls back to the heap for both.
    struct Case {
        size_t slots;
        bool usesOwnHeap;
    } cases[] = {{1, false}, {2, true}, {3, true}, {0, false}};
    for (const auto& c : cases) {
        ds8_utility table{};
        table.allocate = &countingAllocate;
        table.free = &countingFree;
        table.open = &poisonedOpen;
        allocations = 0;
        ds8* ds = ds8_const_utl(nullptr, &table, c.slots * sizeof(void*));
        ASSERT_TRUE(ds);
        DecoderLog log;
        EXPECT_EQ(ds->pcm_count(ds, "ch=2", log.path().c_str()), 3);
        ds->destroy(ds);
        EXPECT_EQ(allocations > 0, c.usesOwnHeap) << c.slots << " slots";
    }
}

struct LayoutCase {
    const char* file;
    size_t bufferBytes;
    size_t deliveredBytes;
    uint8_t silence;
};

TEST(OneShot, LoadsTheWholeFileAndSilencesWhatWasNotDelivered)
{
    const LayoutCase cases[] = {
        {"ch=2,bytes=2,rate=44100,frames=1000", 4000, 4000, 0},
        {"ch=1,bytes=1,rate=8000,frames=999", 999, 999, 0x80},
        {"ch=2,bytes=1,rate=100,frames=10", 20, 20, 0x80},
        {"ch=1,bytes=2,rate=100000,frames=5", 10, 10, 0},
        {"ch=2,bytes=2,rate=44100,frames=1000,chunk=64", 4000, 4000, 0},
        {"ch=1,bytes=1,rate=8000,frames=1000,total=300", 1000, 300, 0x80},
        {"ch=2,bytes=2,rate=22050,frames=100,total=40", 400, 40, 0},
    };
    OfflineSink ds;
    DecoderLog log;
    for (const auto& c : cases) {
        ds8_sound* sound = ds->sound_load(ds.get(), c.file, log.path().c_str(), 5, 6);
        ASSERT_TRUE(sound) << c.file;
        auto bytes = bufferBytes(ds.get(), sound);
        ASSERT_EQ(bytes.size(), c.bufferBytes) << c.file;
        auto expected = patternBytes(0, c.deliveredBytes);
        expected.resize(c.bufferBytes, c.silence);
        EXPECT_EQ(bytes, expected) << c.file;
        const auto calls = log.takeControl();
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.front(), "open 0 5 6");
        EXPECT_EQ(calls.back(), "close");
        ds->sound_free(sound);
    }
}

TEST(OneShot, RefusesWhatItCannotPlayAndClosesWhatItOpened)
{
    // Layouts the decoder opens and reports but a buffer cannot hold.
    const char* unplayable[] = {
        "ch=3,bytes=2,rate=44100,frames=10",        "ch=0,bytes=2,rate=44100,frames=10",
        "ch=2,bytes=3,rate=44100,frames=10",        "ch=2,bytes=2,rate=99,frames=10",
        "ch=2,bytes=2,rate=100001,frames=10",       "ch=2,bytes=2,rate=44100,frames=0",
        "ch=2,bytes=2,rate=44100,frames=100000000",
    };
    // Decoders too new, malformed or missing: nothing is opened.
    const char* unusable[] = {"fake_too_new", "fake_top_byte", "fake_unversioned", "no_such_decoder"};
    OfflineSink ds;
    DecoderLog log;
    const std::string full = fakeDecoder("fake_full");
    for (const char* file : unplayable) {
        SCOPED_TRACE(file);
        EXPECT_EQ(ds->sound_load(ds.get(), file, full.c_str(), 0, 0), nullptr);
        EXPECT_EQ(log.takeControl(), (std::vector<std::string>{"open 0 0 0", "close"}));
    }
    EXPECT_EQ(ds->sound_load(ds.get(), "fail=1", full.c_str(), 0, 0), nullptr);
    EXPECT_EQ(log.takeControl(), (std::vector<std::string>{"open 0 0 0"})) << "a failed open has nothing to close";
    for (const char* decoder : unusable) {
        EXPECT_EQ(ds->sound_load(ds.get(), "ch=2", fakeDecoder(decoder).c_str(), 0, 0), nullptr) << decoder;
        log.takeControl();
    }
    // Refusals leave nothing on the list: destroying finds nothing to free.
    EXPECT_EQ(ds->sound_load(ds.get(), nullptr, log.path().c_str(), 0, 0), nullptr);
    EXPECT_EQ(ds->sound_load(ds.get(), "ch=2", nullptr, 0, 0), nullptr);
}

TEST(OneShot, NeedsAnOpenDevice)
{
    ds8* ds = ds8_const(nullptr, nullptr, nullptr);
    DecoderLog log;
    EXPECT_EQ(ds->load(ds, "ch=2", log.path().c_str()), nullptr);
    EXPECT_TRUE(log.take().empty());
    EXPECT_EQ(ds->open_device(ds, "no such device name", 2, 16, 44100, nullptr, 2), DS8_ERR_INVALID_ARG);
    EXPECT_EQ(ds->device_object(ds), nullptr);
    ds->destroy(ds);
}

TEST(OneShot, SendsLevelPanAndPitchAsTheTablesSay)
{
    enum What { Level, Pan, Pitch };
    struct Case {
        What what;
        int32_t index;
        int32_t sent;
    } cases[] = {
        {Level, 8192, -714},    {Level, 0, -10000}, {Level, 16384, 0}, {Level, -3, -10000},  {Pan, 16384, 10000},
        {Pan, -16384, -10000},  {Pan, 0, 0},        {Pan, 8192, 714},  {Pitch, 3072, 88200}, {Pitch, -3072, 22050},
        {Pitch, 32767, 100000}, {Pitch, 0, 44100},
    };
    OfflineSink ds;
    DecoderLog log;
    ds8_sound* sound = ds->load(ds.get(), "ch=2,bytes=2,rate=44100,frames=100", log.path().c_str());
    ASSERT_TRUE(sound);
    platform::AudioBuffer* buffer = bufferOf(ds, sound);
    for (const auto& c : cases) {
        int32_t got = 0;
        uint32_t rate = 0;
        switch (c.what) {
        case Level:
            EXPECT_EQ(ds->sound_level(sound, c.index), DS8_OK);
            buffer->getVolume(got);
            break;
        case Pan:
            EXPECT_EQ(ds->set_pan(ds.get(), sound, c.index), DS8_OK);
            buffer->getPan(got);
            break;
        case Pitch:
            EXPECT_EQ(ds->sound_pitch(sound, c.index), DS8_OK);
            buffer->getFrequency(rate);
            got = int32_t(rate);
            break;
        }
        EXPECT_EQ(got, c.sent) << int(c.what) << " " << c.index;
    }
}

TEST(OneShot, MissingSoundsAndClosedDevicesGiveTheirCodes)
{
    OfflineSink ds;
    DecoderLog log;
    EXPECT_EQ(ds->sound_level(nullptr, 1), DS8_ERR_INVALID_ARG);
    EXPECT_EQ(ds->sound_play(nullptr, 0), DS8_ERR_INVALID_ARG);
    EXPECT_EQ(ds->status(ds.get(), nullptr), DS8_STATUS_FAILED);
    EXPECT_EQ(ds->unsupported(ds.get(), 1, 2), DS8_ERR_INVALID_CALL);
    ds8_sound* sound = ds->load(ds.get(), "ch=2,frames=100", log.path().c_str());
    ASSERT_TRUE(sound);
    ds->close_device(ds.get());
    EXPECT_EQ(ds->sound_status(sound), DS8_STATUS_FAILED);
    EXPECT_EQ(ds->sound_play(sound, 0), DS8_ERR_INVALID_CALL);
    EXPECT_EQ(ds->sound_buffer(ds.get(), sound), nullptr);
    EXPECT_EQ(ds->sound_duplicate(sound), nullptr);
}

std::vector<int16_t> patternSamples(uint64_t fromByte, size_t samples)
{
    auto bytes = patternBytes(fromByte, 2 * samples);
    std::vector<int16_t> out(samples);
    for (size_t i = 0; i < samples; ++i) out[i] = int16_t(bytes[2 * i] | bytes[2 * i + 1] << 8);
    return out;
}

TEST(OneShot, PlaysSampleForSampleFromItsPosition)
{
    struct Case {
        int32_t fraction;
        uint64_t startFrame;
    } cases[] = {{0, 0}, {8192, 500}, {4096, 250}, {-1, 0}, {16383, 999}, {16384, 999}, {20000, 999}};
    OfflineSink ds;
    DecoderLog log;
    for (const auto& c : cases) {
        ds8_sound* sound = ds->load(ds.get(), "ch=2,bytes=2,rate=44100,frames=1000", log.path().c_str());
        ASSERT_TRUE(sound);
        EXPECT_EQ(ds->sound_position(sound, c.fraction), DS8_OK);
        EXPECT_EQ(ds->sound_play(sound, 0), DS8_OK);
        EXPECT_EQ(ds->sound_status(sound), DS8_STATUS_PLAYING);
        const size_t frames = 1000 - c.startFrame;
        EXPECT_EQ(ds.render(uint32_t(frames)), patternSamples(4 * c.startFrame, 2 * frames)) << c.fraction;
        EXPECT_EQ(ds.render(10), std::vector<int16_t>(20, 0));
        EXPECT_EQ(ds->sound_status(sound), 0u);
        ds->free_sound(ds.get(), sound);
    }
}

TEST(OneShot, DuplicatesShareDataAndPlayOnTheirOwn)
{
    OfflineSink ds;
    DecoderLog log;
    ds8_sound* sound = ds->load(ds.get(), "ch=2,bytes=2,rate=44100,frames=300", log.path().c_str());
    ASSERT_TRUE(sound);
    ds->sound_level(sound, 8192);
    ds8_sound* copy = ds->duplicate(ds.get(), sound);
    ASSERT_TRUE(copy);
    EXPECT_EQ(bufferBytes(ds.get(), copy), bufferBytes(ds.get(), sound));
    // The copy starts with the source's level; sending full level reaches it.
    EXPECT_EQ(ds->sound_level(copy, 16384), DS8_OK);
    int32_t volume = 1;
    bufferOf(ds, copy)->getVolume(volume);
    EXPECT_EQ(volume, 0);
    EXPECT_EQ(ds->sound_play(copy, DS8_PLAY_LOOP), DS8_OK);
    EXPECT_EQ(ds->sound_status(copy), DS8_STATUS_PLAYING | DS8_STATUS_LOOPING);
    EXPECT_EQ(ds->sound_status(sound), 0u);
    EXPECT_EQ(ds.render(300), patternSamples(0, 600));
    ds->sound_free(copy);
    EXPECT_TRUE(bufferBytes(ds.get(), sound).size() == 1200);
}

TEST(OneShot, ResumeRestartsOnlyWhatPauseStopped)
{
    OfflineSink ds;
    DecoderLog log;
    ds8_sound* finished = ds->load(ds.get(), "ch=2,frames=100", log.path().c_str());
    ds8_sound* looping = ds->load(ds.get(), "ch=2,frames=100", log.path().c_str());
    ds8_sound* stopped = ds->load(ds.get(), "ch=2,frames=100", log.path().c_str());
    ASSERT_TRUE(finished && looping && stopped);
    ds->sound_play(finished, 0);
    ds->sound_play(looping, DS8_PLAY_LOOP);
    ds.render(150);
    EXPECT_EQ(ds->sound_status(finished), 0u);
    ds->pause_all(ds.get(), 1);
    EXPECT_EQ(ds->sound_status(looping), 0u);
    ds.render(50);
    ds->pause_all(ds.get(), 0);
    EXPECT_EQ(ds->sound_status(finished), 0u);
    EXPECT_EQ(ds->sound_status(stopped), 0u);
    EXPECT_EQ(ds->sound_status(looping), DS8_STATUS_PLAYING | DS8_STATUS_LOOPING);
}

TEST(Device, LockIsHeldUntilReleased)
{
    OfflineSink ds;
    EXPECT_EQ(ds->try_lock_device(ds.get()), 0);
    EXPECT_EQ(ds->try_lock_device(ds.get()), 1);
    ds->unlock_device(ds.get());
    ds->lock_device(ds.get());
    EXPECT_EQ(ds->try_lock_device(ds.get()), 1);
    ds->unlock_device(ds.get());
    EXPECT_NE(ds->device_object(ds.get()), nullptr);
    EXPECT_EQ(ds->primary_buffer(ds.get()), ds->device_object(ds.get()));
}

} // namespace
