#include "follow_text.h"

#include <array>
#include <cstdio>

namespace console {

namespace {

constexpr std::array<const char*, 12> kNoteLetters{"c", "c+", "d", "d+", "e", "f", "f+", "g", "g+", "a", "a+", "b"};

std::string placeText(const kvt::SourceRange& range)
{
    return std::to_string(range.line) + ":" + std::to_string(range.column);
}

} // namespace

std::string noteName(int key)
{
    if (key < 0 || key > 127) return "?";
    return kNoteLetters[size_t(key % 12)] + std::to_string(key / 12 - 1);
}

std::string followLine(const frontend::HeardNote& note)
{
    const std::string place = note.command.line == 0 ? "-" : placeText(note.command);
    return place + " #" + std::to_string(note.trackNumber) + " " + noteName(note.key);
}

void printFollowLines(const std::vector<frontend::HeardNote>& notes, bool clearStatus)
{
    if (notes.empty()) return;
    if (clearStatus) std::fputs("\r\x1b[K", stderr);
    for (const frontend::HeardNote& note : notes) std::printf("%s\n", followLine(note).c_str());
    std::fflush(stdout);
}

void LastNotes::heard(const std::vector<frontend::HeardNote>& notes)
{
    for (const frontend::HeardNote& note : notes) {
        if (note.image != image_) last_.clear();
        image_ = note.image;
        if (note.command.line != 0) last_[note.track] = note.command;
    }
}

std::string LastNotes::place(const frontend::FollowFrame& frame) const
{
    if (frame.image != image_) return "";
    for (const auto& [track, range] : last_)
        if (track < frame.tracks.size() && !frame.tracks[track].ended) return placeText(range);
    return "";
}

} // namespace console
