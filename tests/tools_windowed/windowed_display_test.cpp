// zemcw and zem2midw on a real (virtual) X display: they exit cleanly, keep
// every word of their command line, show their messages in boxes, and fall
// back to standard error when the display does not answer.
#include "run_program.h"
#include "temp_dir.h"
#include "window_watch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sys/stat.h>

namespace {

using zem_test::TempDir;
using zem_test::withPath;

const std::string kLabel = "\xE4\xB9\x99\xE6\x88\x8C\xE6\x96\x87\xE6\x9C\x88\xE7\x89\x88";
const std::string kZemcTitle = "ZEMC for Win32 " + kLabel;
const std::string kZem2midTitle = "ZEM2MID for Win32 " + kLabel;
const std::string kZem2midBanner = "ZEM2MID for Win32 ver 05/07";

struct DisplayCase {
    std::string name;
    std::string program;
    std::vector<std::string> args;
    std::string display; // empty: the test's display
    int status;
    std::vector<std::string> boxes; // titles of the boxes shown; "@" stands for the folder
    std::string err;                // standard error; "@" stands for the folder
    std::vector<std::string> created;
};

TEST(WindowedOnADisplay, RunsKeepTheirWordsAndShowTheirMessages)
{
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run under xvfb-run";
    const std::vector<DisplayCase> cases = {
        {"a successful run exits cleanly", "zemcw", {"a.kvt"}, "", 0, {}, "", {"a.ZEM"}},
        {"an export exits cleanly", "zem2midw", {"b"}, "", 0, {}, "", {"b.MID"}},
        {"Qt options are our switches", "zemcw", {"-style", "a.kvt"}, "", 0, {}, "", {"atyle"}},
        {"a Qt option that is no switch of ours", "zemcw", {"-reverse", "a.kvt"}, "", 1, {kZemcTitle}, "", {}},
        {"a bad switch without a file", "zemcw", {"-Q"}, "", 1, {kZemcTitle}, "", {}},
        {"a bad export switch without a file", "zem2midw", {"-Q"}, "", 1, {kZem2midBanner}, "", {}},
        {"no file shows the notice", "zemcw", {"-F1"}, "", 0, {kZemcTitle}, "", {}},
        {"a file message is captioned with the file",
         "zemcw",
         {"nosuch", "a.kvt"},
         "",
         1,
         {"@/nosuch.KVT"},
         "",
         {"a.ZEM"}},
        {"a display that does not answer",
         "zemcw",
         {"nosuch", "a.kvt"},
         ":77",
         1,
         {},
         "@/nosuch.KVT: File not found\n",
         {"a.ZEM"}},
        {"a display that does not answer, export",
         "zem2midw",
         {"-Q"},
         ":77",
         1,
         {},
         kZem2midBanner + ": Illegal option.\n",
         {}},
    };
    for (const DisplayCase& c : cases) {
        TempDir dir, runtime;
        chmod(runtime.path().c_str(), 0700);
        dir.write("a.kvt", "c");
        dir.write("b.kvt", "c");
        ASSERT_EQ(zem_test::runProgram("zemc", {"b"}, dir.path()).status, 0);
        std::vector<std::string> expected = dir.listing();
        expected.insert(expected.end(), c.created.begin(), c.created.end());
        std::sort(expected.begin(), expected.end());

        // The programs choose Qt's platform themselves; Qt's start-up notes
        // about a missing runtime folder are kept off standard error, and so
        // are the sanitizer build's reports of what libdbus keeps.
        std::vector<std::string> env = {"QT_QPA_PLATFORM=", "WAYLAND_DISPLAY=", "XDG_RUNTIME_DIR=" + runtime.path(),
                                        "LSAN_OPTIONS=print_suppressions=0:suppressions=" ZEM_SOURCE_DIR
                                        "/tests/tools_windowed/lsan.supp"};
        if (!c.display.empty()) env.push_back("DISPLAY=" + c.display);
        std::vector<std::string> boxes;
        const auto result = zem_test::runProgram(c.program, c.args, dir.path(), env, 0, [&](pid_t pid) {
            boxes = windowed_test::closeWindowsUntilExit(pid, 20000);
        });
        std::vector<std::string> expectedBoxes;
        for (const std::string& title : c.boxes) expectedBoxes.push_back(withPath(title, dir.path()));
        EXPECT_EQ(result.status, c.status) << c.name;
        EXPECT_EQ(boxes, expectedBoxes) << c.name;
        EXPECT_EQ(result.err, withPath(c.err, dir.path())) << c.name;
        EXPECT_EQ(dir.listing(), expected) << c.name;
    }
}

} // namespace
