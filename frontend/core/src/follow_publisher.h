// What the playback pass sees of the text's places, handed to other threads
// once it is heard.  The pass stamps every millisecond it plays with the
// time its sound leaves the output; a reader gets the latest tracks' places
// and the notes whose time has come, under a lock held only for copies.
#pragma once

#include "frontend/score_follow.h"

#include "zemplay.h"

#include <chrono>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace frontend {

using FollowClock = std::chrono::steady_clock;

class FollowPublisher {
public:
    // A new image plays (after a stop, or in place of the playing one); an
    // empty map gives frames without ranges.
    void start(kvt::SourceMap map, std::string file);
    // Paused (what waits to be heard is dropped) or playing again.
    void setPlaying(bool playing);
    void stop();

    // --- the playback pass, one thread ---
    // After a unit whose sound is heard at `heard`.
    void unitPlayed(dp_player* player, FollowClock::time_point heard);
    // A note-on of table track `track` while its unit plays.
    void noteStarted(dp_player* player, int track, int key, FollowClock::time_point heard);
    // Lets readers see what the pass recorded.
    void publish();

    // --- any thread ---
    FollowFrame frame(FollowClock::time_point now) const;
    std::vector<HeardNote> takeNotes(FollowClock::time_point now);

private:
    struct Image {
        uint64_t serial = 0;
        kvt::SourceMap map;
        std::string file;
    };
    struct Places {
        FollowClock::time_point heard;
        std::shared_ptr<const Image> image;
        std::vector<uint32_t> words;
    };
    struct Note {
        FollowClock::time_point heard;
        std::shared_ptr<const Image> image;
        int track;
        int key;
        uint32_t word;
    };
    void catchUpLocked(FollowClock::time_point now) const;
    HeardNote heard(const Note& note) const;

    // The pass's own, under the session lock.
    std::shared_ptr<const Image> image_;
    std::vector<uint32_t> words_;
    std::vector<uint32_t> scratch_;
    std::vector<Places> newPlaces_;
    std::vector<Note> newNotes_;

    mutable std::mutex lock_;
    uint64_t serial_ = 0;
    bool playing_ = false;
    mutable std::deque<Places> waiting_;
    mutable Places current_;
    std::deque<Note> notes_;
};

} // namespace frontend
