#include "util/open_file.h"

#include <temp_dir.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

TEST(OpenWithoutWaiting, WhatEachTargetTakes)
{
    const zem_test::TempDir dir;
    dir.write("song.kvt", "c d e\n");
    ASSERT_EQ(::mkdir(dir.file("folder").c_str(), 0755), 0);
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
    using util::OpenTarget;
    const struct {
        std::string path;
        int flags;
        OpenTarget target;
        int error; // 0: opens
    } cases[] = {
        {dir.file("song.kvt"), O_RDONLY, OpenTarget::RegularFile, 0},
        {dir.file("folder"), O_RDONLY, OpenTarget::RegularFile, EINVAL},
        {dir.file("fifo"), O_RDONLY, OpenTarget::RegularFile, EINVAL}, // no writer: would wait for ever
        {"/dev/null", O_RDONLY, OpenTarget::RegularFile, EINVAL},
        {dir.file("missing"), O_RDONLY, OpenTarget::RegularFile, ENOENT},
        {"/dev/null", O_WRONLY, OpenTarget::AnyButFolder, 0},
        {dir.file("song.kvt"), O_WRONLY, OpenTarget::AnyButFolder, 0},
        {dir.file("folder"), O_RDONLY, OpenTarget::AnyButFolder, EINVAL},
    };
    for (const auto& c : cases) {
        struct stat info {};
        errno = 0;
        const int fd = util::openWithoutWaiting(c.path.c_str(), c.flags, 0, c.target, &info);
        if (c.error != 0) {
            EXPECT_EQ(fd, -1) << c.path;
            EXPECT_EQ(errno, c.error) << c.path;
            continue;
        }
        ASSERT_GE(fd, 0) << c.path << ": " << errno;
        // Blocking again, closed on exec, and the status is the file's.
        EXPECT_EQ(fcntl(fd, F_GETFL) & O_NONBLOCK, 0) << c.path;
        EXPECT_NE(fcntl(fd, F_GETFD) & FD_CLOEXEC, 0) << c.path;
        struct stat direct {};
        ASSERT_EQ(::stat(c.path.c_str(), &direct), 0);
        EXPECT_EQ(info.st_ino, direct.st_ino) << c.path;
        ::close(fd);
    }
}

} // namespace
