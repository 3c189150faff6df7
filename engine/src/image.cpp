#include "image.h"

#include "zem/command_words.h"
#include "zemplay.h"

#include <cstring>

namespace zemplay {

namespace {

// A payload offset is usable when it is even, inside the image and its
// length byte (two places before it) does not carry it past the end.
int checkPayloadOffset(const uint8_t* image, size_t size, uint32_t offset)
{
    if (offset & 1u) return DP_FORMAT_ERROR;
    if (offset == 0) return DP_OK;
    if (offset >= size || offset < 2) return DP_FIELD_OVERFLOW;
    if (uint64_t{offset} + image[offset - 2] > size) return DP_FIELD_OVERFLOW;
    return DP_OK;
}

} // namespace

int validateImage(const uint8_t* image, size_t size, ImageInfo* info)
{
    if (image == nullptr || size < zem::kHeaderSize) return DP_FORMAT_ERROR;
    if (std::memcmp(image, zem::kMagic, sizeof zem::kMagic) != 0) return DP_FORMAT_ERROR;
    if (zem::imageVersionNumber(image[8], image[10], image[11]) > zem::kImageVersion) return DP_VERSION_TOO_OLD;
    unsigned tracks = zem::readU16(image + zem::kOffTrackCount);
    unsigned timebase = zem::readU16(image + zem::kOffTimebase);
    if (tracks == 0 || timebase == 0) return DP_FORMAT_ERROR;
    uint32_t title = zem::readU32(image + zem::kOffTitle);
    uint32_t notice = zem::readU32(image + zem::kOffNotice);
    if (int rc = checkPayloadOffset(image, size, title)) return rc;
    if (int rc = checkPayloadOffset(image, size, notice)) return rc;
    // The track table and the extension block must lie inside the image too.
    uint64_t tableEnd = zem::kHeaderSize + uint64_t{zem::kTrackEntrySize} * tracks;
    if (tableEnd > size) return DP_FIELD_OVERFLOW;
    for (unsigned t = 0; t < tracks; ++t) {
        const uint8_t* entry = image + zem::kHeaderSize + zem::kTrackEntrySize * t;
        if (uint64_t{zem::readU32(entry)} + zem::readU32(entry + 4) > size) return DP_FIELD_OVERFLOW;
    }
    uint32_t extensionBytes = zem::readU32(image + zem::kOffExtensionSize);
    if (extensionBytes > zem::kExtensionSize) extensionBytes = zem::kExtensionSize;
    if (tableEnd + extensionBytes > size) return DP_FIELD_OVERFLOW;
    uint8_t extension[zem::kExtensionSize] = {};
    std::memcpy(extension, image + tableEnd, extensionBytes);
    uint32_t ext[2] = {zem::readU32(extension + zem::kExtOffMeta190), zem::readU32(extension + zem::kExtOffMeta191)};
    // The extension texts are handed to the host like the header's, so they
    // get the same checks.
    for (uint32_t offset : ext)
        if (checkPayloadOffset(image, size, offset) != DP_OK) return DP_FIELD_OVERFLOW;
    if (info) {
        info->trackCount = tracks;
        info->timebase = timebase;
        info->notice = notice;
        info->title = title;
        info->extension[0] = ext[0];
        info->extension[1] = ext[1];
    }
    return DP_OK;
}

uint32_t payloadLength(const uint8_t* image, size_t size, uint32_t offset)
{
    if (offset < 2 || offset > size) return 0;
    return image[offset - 2];
}

int copyPayloadText(const uint8_t* image, size_t size, uint32_t offset, char* buffer, size_t bufferSize)
{
    uint32_t length = offset ? payloadLength(image, size, offset) : 0;
    if (buffer != nullptr && bufferSize != 0) {
        size_t n = length < bufferSize - 1 ? length : bufferSize - 1;
        if (n) std::memcpy(buffer, image + offset, n);
        buffer[n] = '\0';
    }
    return static_cast<int>(length);
}

} // namespace zemplay
