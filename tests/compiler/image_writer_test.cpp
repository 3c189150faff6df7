// The image writer's offsets near and past the 32-bit limits of the format,
// written into a sparse file so that no test writes gigabytes.
#include "image_writer.h"

#include "temp_dir.h"
#include "util/fileset.h"
#include "util/uerr.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

namespace {

// The bytes of a file at an offset, read without the file object.
std::vector<uint8_t> bytesAt(const std::string& path, uint64_t offset, size_t n)
{
    std::vector<uint8_t> bytes(n);
    const int fd = open(path.c_str(), O_RDONLY);
    const ssize_t got = pread(fd, bytes.data(), n, static_cast<off_t>(offset));
    close(fd);
    if (got != static_cast<ssize_t>(n)) bytes.clear();
    return bytes;
}

uint64_t sizeOf(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? static_cast<uint64_t>(st.st_size) : 0;
}

const std::vector<uint8_t> kHeader(8, 0xAA);

struct WriterCase {
    const char* name;
    std::function<void(kvt::ImageWriter&)> write;
    bool refused; // "File cannot write" raised
    uint64_t at;  // where the bytes must land
    std::vector<uint8_t> bytes;
    uint64_t size; // the file's size afterwards
};

TEST(ImageWriter, OffsetsUseTheWhole32Bits)
{
    const WriterCase cases[] = {
        {"words past 2 GiB in two flushes",
         [](kvt::ImageWriter& w) {
             w.seek(0x7FFFFFFE);
             w.word(0x1234);
             w.flush();
             w.word(0x5678);
             w.flush();
         },
         false,
         0x7FFFFFFE,
         {0x34, 0x12, 0x78, 0x56},
         0x80000002},
        {"the last byte the format can address",
         [](kvt::ImageWriter& w) {
             w.seek(0xFFFFFFFD);
             w.word(0xBBAA);
             w.flush();
         },
         false,
         0xFFFFFFFD,
         {0xAA, 0xBB},
         0xFFFFFFFF},
        {"one byte more is refused",
         [](kvt::ImageWriter& w) {
             w.seek(0xFFFFFFFD);
             w.word(0xBBAA);
             w.byte(0xCC);
         },
         true,
         0,
         {},
         0},
        {"a payload crossing the limit is refused",
         [](kvt::ImageWriter& w) {
             w.seek(0xFFFFFF00);
             w.bytes(std::vector<uint8_t>(0x101, 1).data(), 0x101);
         },
         true,
         0,
         {},
         0},
    };
    for (const WriterCase& c : cases) {
        zem_test::TempDir dir;
        const std::string path = dir.file("big.zem");
        util::FILESET* file = util::fs_create();
        util::fs_set_path(file, path.c_str(), nullptr);
        util::fs_create_file(file, 0x80);
        util::fs_open(file, util::FileMode::Write);
        util::ErrCode raised = 0;
        try {
            kvt::ImageWriter writer(file);
            writer.bytes(kHeader.data(), kHeader.size());
            c.write(writer);
        } catch (const util::UerrRaised& e) {
            raised = e.code;
        }
        util::fs_free(file);
        EXPECT_EQ(raised, c.refused ? util::kErrFileCannotWrite : 0u) << c.name;
        if (c.refused) continue;
        EXPECT_EQ(sizeOf(path), c.size) << c.name;
        EXPECT_EQ(bytesAt(path, c.at, c.bytes.size()), c.bytes) << c.name;
        // Nothing wrapped round onto the header.
        EXPECT_EQ(bytesAt(path, 0, kHeader.size()), kHeader) << c.name;
    }
}

} // namespace
