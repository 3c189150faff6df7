// The desktop integration: the entry validates, the MIME definition builds
// a database whose magic is the header the compiler writes, and the icon is
// well-formed SVG.
#include "switch_lists.h"

#include "run_program.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

using packaging_test::runShell;

const std::string kPackaging = std::string(ZEM_SOURCE_DIR) + "/packaging/";

TEST(DesktopFiles, EntryValidatesAndOpensTheFileItIsGiven)
{
    const auto checked = runShell("desktop-file-validate zemfe.desktop", kPackaging);
    EXPECT_EQ(checked.status, 0);
    EXPECT_EQ(checked.out + checked.err, "");
    const std::string entry = zem_test::readFile(kPackaging + "zemfe.desktop");
    for (const char* line : {"Exec=zemfe %f\n", "Categories=AudioVideo;Audio;Player;\n",
                             "MimeType=text/x-kvt;application/x-zem;\n", "Icon=zemfe\n"})
        EXPECT_NE(entry.find(line), std::string::npos) << line;
}

TEST(DesktopFiles, MimeDatabaseKnowsBothTypesByNameAndTheImageByItsHeader)
{
    const zem_test::TempDir dir;
    const auto built =
        runShell("mkdir -p mime/packages && cp '" + kPackaging +
                     "zem.xml' mime/packages/ && update-mime-database mime 2>&1 | grep -i -e error -e warn",
                 dir.path());
    EXPECT_EQ(built.out, "");
    const std::string globs = dir.read("mime/globs2");
    for (const char* glob :
         {"text/x-kvt:*.kvt\n", "text/x-kvt:*.KVT:cs\n", "application/x-zem:*.zem\n", "application/x-zem:*.ZEM:cs\n"})
        EXPECT_NE(globs.find(glob), std::string::npos) << glob;

    // The magic string of the database begins every image the compiler writes.
    const std::string magic = dir.read("mime/magic");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(magic, m, std::regex(R"(\[\d+:application/x-zem\]\n>0=\x00\x08(.{8}))")))
        << "no offset-0 magic of 8 bytes for application/x-zem";
    dir.write("song.kvt", "c d e\n");
    ASSERT_EQ(zem_test::runProgram("zemc", {"song"}, dir.path()).status, 0);
    EXPECT_EQ(dir.read("song.ZEM").substr(0, 8), m[1].str());
}

TEST(DesktopFiles, IconIsWellFormedSvg)
{
    const auto parsed = runShell("/usr/bin/python3 -c \"import xml.etree.ElementTree as t; "
                                 "print(t.parse('zemfe.svg').getroot().tag)\"",
                                 kPackaging);
    EXPECT_EQ(parsed.status, 0) << parsed.err;
    EXPECT_EQ(parsed.out, "{http://www.w3.org/2000/svg}svg\n");
}

} // namespace
