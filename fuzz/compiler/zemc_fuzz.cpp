// Compiles arbitrary bytes.  The compiler must return 0, -1 or 0x40000 and
// nothing else may leave it; every image it writes must be well formed and
// accepted by the engine.
#include "zem/command_words.h"
#include "zemcmain.h"
#include "zemplay.h"

#include "util/uerr.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const std::string& outputPath()
{
    static const std::string path = [] {
        const char* dir = std::getenv("TMPDIR");
        return std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/zemc-fuzz-" + std::to_string(getpid()) +
               ".zem";
    }();
    return path;
}

void ignoreMessage(void*, const char*, const char*) {}

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "zemc_fuzz: %s\n", what);
    std::abort();
}

// The checks an image reader applies before playing, plus the compiler's
// own promises: every track is inside the image and ends with END.
void checkImage(const std::vector<uint8_t>& image)
{
    if (image.size() < zem::kHeaderSize) fail("image shorter than its header");
    for (size_t i = 0; i < sizeof zem::kMagicAndVersion; ++i)
        if (image[i] != static_cast<uint8_t>(zem::kMagicAndVersion[i])) fail("wrong magic");
    uint32_t tracks = zem::readU16(&image[zem::kOffTrackCount]);
    if (tracks == 0 || zem::readU16(&image[zem::kOffTimebase]) == 0) fail("no tracks or no timebase");
    if (zem::readU32(&image[zem::kOffExtensionSize]) != zem::kExtensionSize) fail("extension size");
    size_t tableEnd = zem::kHeaderSize + zem::kTrackEntrySize * tracks + zem::kExtensionSize;
    if (tableEnd > image.size()) fail("track table outside the image");
    uint32_t payloads[4] = {zem::readU32(&image[zem::kOffTitle]), zem::readU32(&image[zem::kOffNotice]),
                            zem::readU32(&image[tableEnd - 8]), zem::readU32(&image[tableEnd - 4])};
    for (uint32_t offset : payloads) {
        if (offset == 0) continue;
        if (offset % 2 != 0 || offset < 4 || offset >= image.size()) fail("info offset");
        if (zem::readU16(&image[offset - 4]) != zem::kMeta) fail("info offset does not follow META");
        if (offset + image[offset - 2] > image.size()) fail("info payload outside the image");
    }
    for (uint32_t i = 0; i < tracks; ++i) {
        const uint8_t* entry = &image[zem::kHeaderSize + zem::kTrackEntrySize * i];
        uint64_t start = zem::readU32(entry), length = zem::readU32(entry + 4);
        if (start < tableEnd || start + length > image.size() || length < 2 || length % 2 != 0)
            fail("track outside the image");
        if (zem::readU16(&image[start + length - 2]) != zem::kEnd) fail("track without END");
    }
    dp_options options{};
    int error = -1;
    dp_player* player = dp_const(1, image.data(), image.size(), &options, sizeof options, nullptr, &error);
    if (player == nullptr || error != 0) fail("the engine refuses the image");
    player->close(player);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string& path = outputPath();
    std::remove(path.c_str());
    int32_t result = 0;
    try {
        result = zemc(data, static_cast<uint32_t>(size), "fuzz.kvt", path.c_str(), 0x5, ignoreMessage, nullptr);
    } catch (const util::UerrRaised& e) {
        std::fprintf(stderr, "code 0x%X\n", e.code);
        fail("an error code left the compiler");
    }
    if (result != 0 && result != -1 && result != 0x40000) fail("unexpected result");
    if (result == 0) {
        std::ifstream in(path, std::ios::binary);
        std::vector<uint8_t> image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        checkImage(image);
    }
    std::remove(path.c_str());
    return 0;
}
