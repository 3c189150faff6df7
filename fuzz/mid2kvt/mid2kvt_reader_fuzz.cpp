// Arbitrary bytes as a MIDI file through the reader and the KVT writer.  The
// text must stay consistent with what the reader reports: a converted file
// has one track header line per announced track.
#include "mid2kvt/convert.h"
#include "mid2kvt/import_notes.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

class CountingSink : public mid2kvt::KvtSink {
public:
    void write(const char* bytes, size_t n) override { text.append(bytes, n); }
    std::string text;
};

size_t countTrackHeaders(const std::string& text)
{
    size_t count = 0;
    if (text.compare(0, 1, "#") == 0) ++count;
    for (size_t at = text.find("\n#"); at != std::string::npos; at = text.find("\n#", at + 1)) ++count;
    return count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    smf::SmfHeader header{};
    if (smf::readHeader(data, size, header) != smf::ReadError::None) return 0;
    CountingSink sink;
    mid2kvt::ImportNotes notes;
    const smf::ReadError error = mid2kvt::convertTracks(data, size, header, sink, notes);
    // Each note gets one message, and a limit names a track of the file.
    const size_t expectedMessages = (notes.clampedData ? 1u : 0u) + (notes.limit != mid2kvt::TextLimit::None ? 1u : 0u);
    if (mid2kvt::importNoteMessages(notes).size() != expectedMessages) std::abort();
    const bool namesATrack = notes.limit == mid2kvt::TextLimit::None ||
                             notes.limit == mid2kvt::TextLimit::DivisionTooLarge ||
                             notes.limitTrack < header.trackCount;
    if (!namesATrack) std::abort();
    // Texts never hold a line that starts with "#", so headers count tracks.
    if (error == smf::ReadError::None && countTrackHeaders(sink.text) != header.trackCount) std::abort();
    return 0;
}
