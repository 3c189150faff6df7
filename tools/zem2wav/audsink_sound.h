// The voice layer and the stream slots of a song, sounded through audsink
// on its offline device and mixed into the synthesizer's frames in step
// with them.  Nothing is created until a song first asks for sampled sound,
// so a song without any renders exactly as it would without this.
//
// Sampled sound follows the song's fade-out as the synthesizer's volumes
// do, and at the song's end what still sounds (a loop the score never
// stops) fades out over kEndFadeMs instead of being cut; the synthesizer's
// tail then rings on alone.
#pragma once

#include "offline_renderer.h"
#include "sync_wait_limit.h"

#include "host/song_playback.h"

#include "audsink_bridge/sound_bridge.h"

#include <set>
#include <string>
#include <vector>

namespace zem2wav {

inline constexpr uint32_t kEndFadeMs = 10;

class AudsinkSound final : public FrameMixer {
public:
    // Names of samples and streams are resolved against pieceFolder; the
    // renderer is flushed before every request so that it lands on its
    // exact frame.
    AudsinkSound(OfflineRenderer& renderer, std::string pieceFolder,
                 audsink_bridge::AudsinkEntries entries = audsink_bridge::audsinkLibrary());

    void mixInto(int16_t* stereo, size_t frames) override;

    // Called as every millisecond of song time passes: from now on the
    // sampled sound plays at the level the fade has reached.
    void followFade(const host::FadeState& fade);
    // The song has ended: fade what still sounds to silence.
    void fadeOutAtEnd();
    // Every sample and stream file the song asked for, as opened.
    const std::set<std::string>& filesRead() const { return filesRead_; }

    // What the song's voice and stream requests go to.
    host::SoundSink& sink() { return bridge_; }

private:
    static constexpr int32_t kFullGain = 1 << 16;

    OfflineRenderer& renderer_;
    SyncWaitLimit syncLimit_;
    audsink_bridge::SoundBridge bridge_;
    std::vector<int16_t> mix_;
    std::set<std::string> filesRead_;
    // Level of the sampled sound, kFullGain = as the song plays it; after the
    // song's end it falls by endFadeStep_ per frame.
    int32_t gain_ = kFullGain;
    int32_t endFadeStep_ = 0;
};

// The renderer's clock, telling the sampled sound where the song's fade is
// at every millisecond.
class FadingClock final : public EventClock {
public:
    FadingClock(OfflineRenderer& renderer, AudsinkSound& sound) : renderer_(renderer), sound_(sound) {}
    void follow(const host::FadeState* fade) { fade_ = fade; }

    void unitPassed() override
    {
        if (fade_) sound_.followFade(*fade_);
        renderer_.unitPassed();
    }
    util::ErrCode beforeMessage() override { return renderer_.beforeMessage(); }

private:
    OfflineRenderer& renderer_;
    AudsinkSound& sound_;
    const host::FadeState* fade_ = nullptr;
};

// The folder part of a path ("" for a bare name).
std::string folderOf(const std::string& path);

} // namespace zem2wav
