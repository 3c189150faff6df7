// The message call: the console line format and backend replacement.
#include "platform/message.h"

#include "capture_file.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

using platform::MessageIcon;

// Points standard error at a capture file for the lifetime of the object.
class StderrToFile {
public:
    explicit StderrToFile(const std::string& path) : saved_(dup(STDERR_FILENO))
    {
        int fd = open(path.c_str(), O_WRONLY | O_APPEND);
        dup2(fd, STDERR_FILENO);
        close(fd);
    }
    ~StderrToFile()
    {
        dup2(saved_, STDERR_FILENO);
        close(saved_);
    }

private:
    int saved_;
};

TEST(Message, ConsoleLines)
{
    struct LineCase {
        const char* caption;
        const char* text;
        MessageIcon icon;
        const char* expected;
    };
    const LineCase cases[] = {
        {"/music/song.kvt", "File not found", MessageIcon::Stop, "/music/song.kvt: File not found\n"},
        {nullptr, "Illegal option.", MessageIcon::Stop, "Illegal option.\n"},
        {"", "no caption", MessageIcon::Information, "no caption\n"},
        {"caption", nullptr, MessageIcon::Warning, "caption: \n"},
        {"a", "two\nlines", MessageIcon::None, "a: two\nlines\n"},
        {"x\x1b]2;T\x07.kvt", "bad\x1b[31m", MessageIcon::Stop, "x?]2;T?.kvt: bad?[31m\n"},
    };
    CaptureFile capture;
    StderrToFile redirect(capture.path());
    for (const LineCase& c : cases) {
        platform::showMessage(c.caption, c.text, c.icon);
        EXPECT_EQ(capture.take(), c.expected) << (c.text ? c.text : "(null)");
    }
}

std::string g_recorded;

void record(const char* caption, const char* text, MessageIcon icon)
{
    g_recorded = std::string(caption) + "|" + text + "|" + std::to_string(static_cast<int>(icon));
}

TEST(Message, BackendReplacement)
{
    CaptureFile capture;
    StderrToFile redirect(capture.path());
    EXPECT_EQ(platform::setMessageBackend(record), platform::stderrMessage);
    platform::showMessage("Tarn", "box", MessageIcon::Stop);
    EXPECT_EQ(g_recorded, "Tarn|box|4");
    EXPECT_EQ(capture.take(), "");
    EXPECT_EQ(platform::setMessageBackend(nullptr), record);
    platform::showMessage("Tarn", "line", MessageIcon::Stop);
    EXPECT_EQ(capture.take(), "Tarn: line\n");
    EXPECT_EQ(g_recorded, "Tarn|box|4");
}

} // namespace
