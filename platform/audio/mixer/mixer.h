// The software mixer shared by every backend: the list of buffers, the
// primary format, and rendering the sum of the playing buffers.
//
// Callers change a voice's VoiceControl under mutex(); render() copies what
// it needs under the mutex, mixes without it, and writes the cursors back
// under it.  Writers and the mixer therefore meet only through the cursor:
// a writer that reads the cursor (under the mutex) and then writes behind it
// never touches bytes the mixer is reading.
#pragma once

#include "platform/audio.h"
#include "voice.h"

#include <array>
#include <memory>
#include <mutex>
#include <vector>

namespace platform::audio {

class Mixer {
public:
    // Frames mixed per pass: the granularity of every cursor and parameter
    // change.
    static constexpr uint32_t kBlockFrames = 256;

    explicit Mixer(const AudioFormat& format);

    std::mutex& mutex() { return mutex_; }

    // The following need mutex() held.
    AudioFormat format() const { return format_; }
    void setFormat(const AudioFormat& format) { format_ = format; }
    bool isClosed() const { return closed_; }
    void add(std::shared_ptr<Voice> voice);
    void remove(const Voice& voice);
    // Frames the mixer may read ahead of a voice's play cursor in one pass.
    uint32_t readAheadFrames(const Voice& voice) const;

    // The real-time output mixes the process's pull sources in as well.
    void setPullSources(bool pull) { pullSources_ = pull; }

    // Takes the mutex itself: every voice becomes lost, none plays again.
    void close();

    // Fills frames frames of the primary format.  One thread at a time.
    void render(uint8_t* out, uint32_t frames);

private:
    void renderBlock(uint8_t* out, uint32_t frames);
    void snapshot();
    void writeBack();
    void mixVoice(Voice& voice, uint32_t frames);
    void mixDirect(Voice& voice, uint32_t frames);
    void mixResampled(Voice& voice, uint32_t frames);

    std::mutex mutex_;
    bool pullSources_ = false;
    AudioFormat format_;
    bool closed_ = false;
    std::vector<std::shared_ptr<Voice>> voices_;

    // Owned by the rendering thread.
    AudioFormat renderFormat_;
    std::vector<std::shared_ptr<Voice>> active_;
    std::array<float, 2 * kBlockFrames> mix_{};
    std::array<float, 2 * kBlockFrames> input_{};
    std::array<float, 2 * kBlockFrames> resampled_{};
};

} // namespace platform::audio
