#include "mid2kvt/import_notes.h"

#include <cstdio>

namespace mid2kvt {

namespace {

std::string limitMessage(const ImportNotes& n)
{
    const char* format = nullptr;
    switch (n.limit) {
    case TextLimit::None: return {};
    case TextLimit::DivisionTooLarge:
        format = "Track %u: a timebase of %u is past the 65535 the compiler takes; the text will not compile.";
        break;
    case TextLimit::TooManyTracks:
        format = "Track %u: KVT text numbers tracks up to 255 (%u tracks in the file); the text will not compile.";
        break;
    case TextLimit::MetaTooLong:
        format = "Track %u: a meta event of %u bytes is past the 255 an info item takes; the text will not compile.";
        break;
    case TextLimit::SysexTooLong:
        format = "Track %u: a system-exclusive message of %u bytes is past the 255 the compiler takes; the text "
                 "will not compile.";
        break;
    }
    char text[192];
    std::snprintf(text, sizeof text, format, n.limitTrack, n.limitValue);
    return text;
}

} // namespace

std::vector<std::string> importNoteMessages(const ImportNotes& notes)
{
    std::vector<std::string> out;
    if (notes.clampedData) out.emplace_back("Data bytes above 127 were read as 127.");
    if (notes.limit != TextLimit::None) out.push_back(limitMessage(notes));
    return out;
}

} // namespace mid2kvt
