// Emission passes that jump over other tracks' text write the same image,
// and fail with the same message on the same line, as passes that read
// the whole text.
#include "compile_helper.h"
#include "core_run.h"
#include "hand_written_texts.h"
#include "kvt_text_generator.h"

#include "util/fileset.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace kvt_test {
namespace {

struct CoreResult {
    util::ErrCode error = 0;
    uint32_t line = 0;
    bool mapUsable = false;
    std::vector<uint8_t> image;
};

CoreResult compileWithCore(const std::string& text, uint32_t flags, bool jump)
{
    CoreResult r;
    std::string path = scratchDir() + (jump ? "/jump.zem" : "/read.zem");
    util::FILESET* file = util::fs_create();
    const Raised raised = runCore(text, flags, [&](kvt::CompileContext& ctx) {
        kvt::SelectionMap map;
        kvt::findTracks(ctx, map);
        r.mapUsable = map.usable;
        util::fs_set_path(file, path.c_str(), nullptr);
        util::fs_create_file(file, 0x80);
        util::fs_open(file, util::FileMode::Write);
        kvt::ImageWriter writer(file);
        kvt::writeImage(ctx, writer, jump ? &map : nullptr);
    });
    util::fs_close(file);
    util::fs_free(file);
    r.error = raised.error;
    r.line = raised.line;
    if (r.error == 0) {
        std::ifstream in(path, std::ios::binary);
        r.image.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return r;
}

void expectSameCompile(const std::string& text, uint32_t flags, const std::string& label)
{
    CoreResult jumped = compileWithCore(text, flags, true), read = compileWithCore(text, flags, false);
    EXPECT_EQ(jumped.error, read.error) << label;
    EXPECT_EQ(jumped.line, read.line) << label;
    EXPECT_EQ(jumped.image, read.image) << label;
}

TEST(JumpDifferential, HandWrittenTexts)
{
    for (const MaskedText& t : kHandWrittenTexts) expectSameCompile(t.text, t.flags, labelOf(t));
}

TEST(JumpDifferential, TextsOfMostlySelectionsAreReadInFull)
{
    std::string text;
    for (int i = 0; i < 200; ++i) text += "#1";
    text += " c";
    CoreResult r = compileWithCore(text, 0, true);
    EXPECT_FALSE(r.mapUsable);
    EXPECT_EQ(r.error, 0u);
    expectSameCompile(text, 0, "mostly selections");
}

TEST(JumpDifferential, GeneratedTexts)
{
    int usable = 0, failed = 0;
    for (uint32_t seed = 1; seed <= 300; ++seed) {
        GeneratorOptions o;
        o.seed = seed * 7919;
        o.targetBytes = 400 + seed % 9 * 300;
        o.trackNumbers = seed % 5 == 0 ? 256 : 12;
        o.varyPresence = seed % 2 == 0;
        o.withError = seed % 3 == 0;
        std::string text = generateKvtText(o);
        CoreResult probe = compileWithCore(text, seed % 4, true);
        usable += probe.mapUsable;
        failed += probe.error != 0;
        expectSameCompile(text, seed % 4, "seed " + std::to_string(seed));
    }
    EXPECT_GT(usable, 150);
    EXPECT_GT(failed, 50);
    EXPECT_LT(failed, 250);
}

} // namespace
} // namespace kvt_test
