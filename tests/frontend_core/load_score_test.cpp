// The player loads what a file holds, whatever it is called: an image as it
// is, a MIDI file imported, anything else compiled.
#include "frontend/compile_image.h"

#include <temp_dir.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string kMagic = "QORSZEM:";
// One track with one note.
const std::string kMidi("MThd\0\0\0\6\0\0\0\1\0\x60MTrk\0\0\0\x0C\0\x90\x3C\x40\x60\x80\x3C\x40\0\xFF\x2F\0", 34);

bool isImage(const std::vector<uint8_t>& bytes)
{
    return std::string(bytes.begin(), bytes.end()).rfind(kMagic, 0) == 0;
}

TEST(LoadScore, ByWhatTheFileHolds)
{
    enum class Expect { AsItIs, Compiled, CompileFailure, Unreadable };
    const struct {
        const char* name;
        std::string bytes;
        Expect expect;
    } cases[] = {
        {"song.txt", "T200 c\n", Expect::Compiled},
        {"text.zem", "T200 c\n", Expect::Compiled},
        {"bad.zem", "c\n[2 c\n", Expect::CompileFailure},
        {"image.kvt", kMagic + "0.47", Expect::AsItIs},
        {"image", kMagic, Expect::AsItIs},
        {"tune.kvt", kMidi, Expect::Compiled},
        {"tune.dat", kMidi, Expect::Compiled},
        {"broken.mid", "MThd", Expect::Unreadable},
        {"song.mid", "T200 c\n", Expect::Compiled},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const zem_test::TempDir dir;
        dir.write(c.name, c.bytes);
        std::vector<std::string> messages;
        const frontend::LoadedScore loaded = frontend::loadScore(
            dir.file(c.name), 0, [&](const frontend::CompileMessage& m) { messages.push_back(m.text); });
        switch (c.expect) {
        case Expect::AsItIs:
            ASSERT_TRUE(loaded.image);
            EXPECT_EQ(std::string(loaded.image->begin(), loaded.image->end()), c.bytes);
            break;
        case Expect::Compiled:
            ASSERT_TRUE(loaded.image) << (messages.empty() ? "" : messages.front());
            EXPECT_TRUE(isImage(*loaded.image));
            break;
        case Expect::CompileFailure:
            EXPECT_FALSE(loaded.image);
            EXPECT_EQ(loaded.failure, frontend::LoadFailure::Compile);
            EXPECT_FALSE(messages.empty());
            break;
        case Expect::Unreadable:
            EXPECT_FALSE(loaded.image);
            EXPECT_EQ(loaded.failure, frontend::LoadFailure::Unreadable);
            EXPECT_FALSE(messages.empty());
            break;
        }
    }
}

} // namespace
