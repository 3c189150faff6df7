// The manual pages: each renders without a warning, describes exactly the
// switches its program's --help lists, and every example of kvt(5) compiles.
#include "switch_lists.h"

#include "run_program.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

namespace {

using packaging_test::kPrograms;
using packaging_test::runShell;

const std::string kManDir = std::string(ZEM_SOURCE_DIR) + "/man/";

std::string pageSource(const std::string& page)
{
    std::ifstream in(kManDir + page);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The page as man shows it on an 80-column terminal; warnings on stderr.
packaging_test::ShellResult render(const std::string& page, int width = 80)
{
    return runShell("LC_ALL=C.UTF-8 MANWIDTH=" + std::to_string(width) + " man --warnings -E UTF-8 -l " + page,
                    kManDir);
}

TEST(ManualPages, RenderWithoutWarnings)
{
    std::vector<std::string> pages{"kvt.5"};
    for (const char* program : kPrograms) pages.push_back(std::string(program) + ".1");
    for (const std::string& page : pages) {
        SCOPED_TRACE(page);
        const auto shown = render(page);
        EXPECT_EQ(shown.status, 0);
        EXPECT_EQ(shown.err, "");
        EXPECT_NE(shown.out.find("NAME"), std::string::npos);
    }
}

TEST(ManualPages, SwitchesAgreeWithHelp)
{
    const zem_test::TempDir dir;
    for (const char* program : kPrograms) {
        SCOPED_TRACE(program);
        const auto help = zem_test::runProgram(program, {"--help"}, dir.path(), {"QT_QPA_PLATFORM=offscreen"});
        ASSERT_EQ(help.status, 0) << help.err;
        const std::set<std::string> listed = packaging_test::helpSwitches(help.out + help.err);
        EXPECT_EQ(packaging_test::manualSwitches(pageSource(std::string(program) + ".1")), listed);
    }
}

TEST(ManualPages, SwitchListsAreReadAsWritten)
{
    EXPECT_EQ(packaging_test::helpSwitches(" -S[str]  suffix\n -F&[num] flags\nusage: x -q\n  --list  ports\n"),
              (std::set<std::string>{"-S", "-F", "--list", "--help", "--version"}));
    EXPECT_EQ(packaging_test::manualSwitches(".SH OPTIONS\n.TP\n.BI \\-o \" output\"\nName.\n.TP\n"
                                             ".B \\-\\-loudness\nLevel.\n.SH FILES\n.TP\n.B \\-x\n"),
              (std::set<std::string>{"-o", "--loudness"}));
}

// The examples of kvt(5) as a reader sees them: "Example: A or B".
std::vector<std::string> languageExamples()
{
    std::vector<std::string> examples;
    std::istringstream lines(render("kvt.5", 200).out);
    const std::regex kExample(R"(^\s*Example: (.*?)\s*(\(.*\))?\s*$)");
    for (std::string line; std::getline(lines, line);) {
        std::smatch m;
        if (!std::regex_match(line, m, kExample)) continue;
        const std::string both = m[1].str();
        const size_t orAt = both.find(" or ");
        examples.push_back(both.substr(0, orAt));
        if (orAt != std::string::npos) examples.push_back(both.substr(orAt + 4));
    }
    return examples;
}

TEST(ManualPages, EveryLanguageExampleCompiles)
{
    const std::vector<std::string> examples = languageExamples();
    ASSERT_GE(examples.size(), 40u);
    const zem_test::TempDir dir;
    for (size_t i = 0; i < examples.size(); ++i) {
        SCOPED_TRACE(examples[i]);
        // Tracks 0 to 5 hold a note, so that resuming tracks has tracks to resume.
        const std::string name = "example" + std::to_string(i) + ".kvt";
        dir.write(name, "#0-5 c\n#0\n" + examples[i] + "\n");
        const auto compiled = zem_test::runProgram("zemc", {name}, dir.path());
        EXPECT_EQ(compiled.status, 0);
        EXPECT_EQ(compiled.err, "");
    }
}

} // namespace
