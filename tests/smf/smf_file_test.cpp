// The file layout written through a file object: header placeholder, chunks
// in order, the real header last; and a failing write.
#include "smf/smf_file.h"
#include "temp_dir.h"
#include "util/fileset.h"
#include "util/uerr.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

class SmfFileTest : public ::testing::Test {
protected:
    // Opens a new output file, runs `write` on it, closes it and returns its bytes.
    Bytes writeFile(const std::function<void(util::FILESET*)>& write)
    {
        const std::string path = dir_.file("out.mid");
        util::FILESET* out = util::fs_create();
        util::fs_set_path(out, path.c_str(), nullptr);
        util::fs_create_file(out, 0x80);
        util::fs_open(out, util::FileMode::Write);
        write(out);
        util::fs_free(out);
        std::ifstream in(path, std::ios::binary);
        return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

    zem_test::TempDir dir_;
};

TEST_F(SmfFileTest, HeaderAndChunksInTrackOrder)
{
    const Bytes bytes = writeFile([](util::FILESET* out) {
        smf::TrackWriter track(false);
        smf::beginFile(out);
        track.tempo(2667, 192);
        track.endOfTrack(false);
        smf::writeTrack(out, track);
        track.beginTrack();
        track.noteOn(0, 60, 100);
        track.addTicks(48);
        track.noteOff(0, 60, 0);
        track.endOfTrack(false);
        smf::writeTrack(out, track);
        smf::finishFile(out, 2, 48);
    });
    const Bytes expected{'M',  'T',  'h',  'd',  0,    0, 0, 6,  0,    1,    0,    2,    0,    48,      //
                         'M',  'T',  'r',  'k',  0,    0, 0, 11, 0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1,    //
                         0x5F, 0x00, 0xFF, 0x2F, 0x00,                                                  //
                         'M',  'T',  'r',  'k',  0,    0, 0, 11, 0x00, 0x90, 60,   100,  0x30, 60,   0, //
                         0x00, 0xFF, 0x2F, 0x00};
    EXPECT_EQ(bytes, expected);
}

TEST_F(SmfFileTest, NoTracksGiveAHeaderOnly)
{
    const Bytes bytes = writeFile([](util::FILESET* out) {
        smf::beginFile(out);
        smf::finishFile(out, 0, 0);
    });
    const Bytes expected{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 0, 0, 0};
    EXPECT_EQ(bytes, expected);
}

TEST(SmfFileWriteFailureTest, FullDeviceRaisesFileCannotWrite)
{
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    util::FILESET* out = util::fs_create();
    util::ErrCode code = 0;
    try {
        util::fs_set_path(out, "/dev/full", nullptr);
        util::fs_open(out, util::FileMode::Write);
        smf::TrackWriter track(false);
        track.endOfTrack(false);
        smf::beginFile(out);
        smf::writeTrack(out, track);
    } catch (const util::UerrRaised& raised) {
        code = raised.code;
    }
    util::fs_free(out);
    EXPECT_EQ(code, util::kErrFileCannotWrite);
}

} // namespace
