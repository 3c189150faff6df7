#include "follow_publisher.h"

namespace frontend {

namespace {

// Notes nobody takes are not kept for ever: a window without a note list
// never asks for them.
constexpr size_t kMostNotesKept = 4096;

// The number the text selects track table entry `track` by; without a map
// (MIDI files, images) the table index.
uint8_t trackNumberOf(const kvt::SourceMap& map, size_t track)
{
    return track < map.tracks.size() ? map.tracks[track].trackNumber : uint8_t(track);
}

} // namespace

void FollowPublisher::start(kvt::SourceMap map, std::string file)
{
    std::lock_guard guard(lock_);
    auto image = std::make_shared<Image>();
    image->serial = ++serial_;
    image->map = std::move(map);
    image->file = std::move(file);
    image_ = image;
    words_.clear();
    // After a live reload the old image's places and notes are still to be
    // heard: they are handed out first.
    if (current_.words.empty()) current_ = {FollowClock::time_point(), image, {}};
    playing_ = true;
}

void FollowPublisher::setPlaying(bool playing)
{
    std::lock_guard guard(lock_);
    playing_ = playing;
    waiting_.clear();
    // The places dropped unheard are recorded again at the next unit.
    words_.clear();
}

void FollowPublisher::stop()
{
    std::lock_guard guard(lock_);
    playing_ = false;
    waiting_.clear();
    current_.words.clear();
    notes_.clear();
    image_.reset();
    words_.clear();
}

void FollowPublisher::unitPlayed(dp_player* player, FollowClock::time_point heard)
{
    const int count = dp_track_positions(player, nullptr, 0);
    if (count < 0) return;
    scratch_.resize(size_t(count));
    dp_track_positions(player, scratch_.data(), count);
    if (scratch_ == words_) return;
    words_ = scratch_;
    newPlaces_.push_back({heard, image_, words_});
}

void FollowPublisher::noteStarted(dp_player* player, int track, int key, FollowClock::time_point heard)
{
    if (!image_ || track < 0) return;
    scratch_.resize(size_t(track) + 1);
    if (dp_track_positions(player, scratch_.data(), int(scratch_.size())) <= track) return;
    newNotes_.push_back({heard, image_, track, key, scratch_[size_t(track)] & DP_TRACK_WORD_MASK});
}

void FollowPublisher::publish()
{
    if (newPlaces_.empty() && newNotes_.empty()) return;
    std::lock_guard guard(lock_);
    for (Places& places : newPlaces_) waiting_.push_back(std::move(places));
    for (Note& note : newNotes_) notes_.push_back(std::move(note));
    while (notes_.size() > kMostNotesKept) notes_.pop_front();
    newPlaces_.clear();
    newNotes_.clear();
    // A reader that does not come still lets old places go.
    catchUpLocked(FollowClock::now());
}

void FollowPublisher::catchUpLocked(FollowClock::time_point now) const
{
    while (!waiting_.empty() && waiting_.front().heard <= now) {
        current_ = std::move(waiting_.front());
        waiting_.pop_front();
    }
}

FollowFrame FollowPublisher::frame(FollowClock::time_point now) const
{
    std::lock_guard guard(lock_);
    catchUpLocked(now);
    FollowFrame frame;
    frame.playing = playing_;
    const Image* image = current_.image.get();
    if (!image) return frame;
    frame.image = image->serial;
    frame.file = image->file;
    frame.tracks.reserve(current_.words.size());
    for (size_t t = 0; t < current_.words.size(); ++t) {
        const uint32_t word = current_.words[t];
        TrackPlace place;
        place.trackNumber = trackNumberOf(image->map, t);
        if (const kvt::SourceRange* range = image->map.find(t, word & DP_TRACK_WORD_MASK)) place.command = *range;
        place.ended = (word & DP_TRACK_ENDED) != 0;
        frame.tracks.push_back(place);
    }
    return frame;
}

HeardNote FollowPublisher::heard(const Note& note) const
{
    HeardNote out;
    out.image = note.image->serial;
    out.track = size_t(note.track);
    out.trackNumber = trackNumberOf(note.image->map, out.track);
    if (const kvt::SourceRange* range = note.image->map.find(out.track, note.word)) out.command = *range;
    out.key = note.key;
    return out;
}

std::vector<HeardNote> FollowPublisher::takeNotes(FollowClock::time_point now)
{
    std::lock_guard guard(lock_);
    std::vector<HeardNote> out;
    while (!notes_.empty() && notes_.front().heard <= now) {
        out.push_back(heard(notes_.front()));
        notes_.pop_front();
    }
    return out;
}

} // namespace frontend
