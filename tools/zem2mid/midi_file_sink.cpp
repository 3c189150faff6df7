#include "midi_file_sink.h"

#include "export_messages.h"

#include "zem/command_words.h"

namespace zem2mid {

namespace {

util::ErrCode checked(smf::WriteResult result) { return result == smf::WriteResult::Ok ? 0 : kErrDeltaTooLong; }

} // namespace

void MidiFileSink::begin(int trackCount, int timebase)
{
    timebase_ = static_cast<uint32_t>(timebase);
    writers_.assign(static_cast<size_t>(trackCount), smf::TrackWriter(offVelocity_));
    volumes_.assign(static_cast<size_t>(trackCount), playback::VolumeFade());
    // The engine reports no tempo until the song changes it, and its start
    // tempo is seldom exactly the one readers assume.
    startTempoPending_ = smf::tempoMicroseconds(zem::startPeriod(timebase_), timebase_) != smf::kDefaultTempo;
}

// At tick 0, in the first track: no delta yet, so nothing can fail.
void MidiFileSink::writeStartTempo()
{
    if (!startTempoPending_) return;
    startTempoPending_ = false;
    if (smf::TrackWriter* w = writer(0)) w->tempo(zem::startPeriod(timebase_), timebase_);
}

smf::TrackWriter* MidiFileSink::writer(int track)
{
    return track >= 0 && static_cast<size_t>(track) < writers_.size() ? &writers_[static_cast<size_t>(track)] : nullptr;
}

void MidiFileSink::tickPassed()
{
    writeStartTempo();
    for (smf::TrackWriter& w : writers_) w.addTicks(1);
}

util::ErrCode MidiFileSink::channelMessage(int port, int track, const host::ChannelMessage& m,
                                           const host::FadeState& fade)
{
    smf::TrackWriter* w = writer(track);
    if (!w) return 0;
    switch (m.kind) {
    case host::ChannelKind::NoteOff: return checked(w->noteOff(m.channel, m.data1, m.data2));
    case host::ChannelKind::NoteOn: return checked(w->noteOn(m.channel, m.data1, m.data2));
    case host::ChannelKind::KeyPressure: return checked(w->keyPressure(m.channel, m.data1, m.data2));
    case host::ChannelKind::Controller: {
        if (m.data1 != host::kVolumeController) return checked(w->controlChange(m.channel, m.data1, m.data2));
        const std::optional<uint8_t> volume = volumes_[static_cast<size_t>(track)].next(port, m.channel, m.data2, fade);
        return volume ? checked(w->controlChange(m.channel, m.data1, *volume)) : 0;
    }
    case host::ChannelKind::Program: return checked(w->programChange(m.channel, m.data1));
    case host::ChannelKind::ChannelPressure: return checked(w->channelPressure(m.channel, m.data1));
    case host::ChannelKind::PitchBend: return checked(w->pitchBend(m.channel, (m.data2 << 7 | m.data1) - 8192));
    }
    return 0;
}

util::ErrCode MidiFileSink::exclusive(int, int track, const uint8_t* bytes, uint32_t count)
{
    smf::TrackWriter* w = writer(track);
    return w ? checked(w->sysex(bytes, count)) : 0;
}

util::ErrCode MidiFileSink::text(int track, const uint8_t* bytes, uint32_t count)
{
    smf::TrackWriter* w = writer(track);
    return w ? checked(w->text(bytes, count)) : 0;
}

// Tempo belongs to the first track, whichever track changed it.  One set
// before the first tick replaces the start tempo.
util::ErrCode MidiFileSink::tempo(uint32_t period)
{
    startTempoPending_ = false;
    smf::TrackWriter* w = writer(0);
    return w ? checked(w->tempo(period, timebase_)) : 0;
}

util::ErrCode MidiFileSink::meta(int track, int type, const uint8_t* payload, uint32_t count)
{
    smf::TrackWriter* w = writer(track);
    return w ? checked(w->meta(uint8_t(type), payload, count)) : 0;
}

util::ErrCode MidiFileSink::finish(bool carryPendingDelta)
{
    writeStartTempo();
    for (smf::TrackWriter& w : writers_) {
        if (const util::ErrCode code = checked(w.endOfTrack(carryPendingDelta))) return code;
    }
    return 0;
}

} // namespace zem2mid
