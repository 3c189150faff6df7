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

size_t count_track_headers(const std::string& text)
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
    if (smf::read_header(data, size, header) != smf::ReadError::None) return 0;
    CountingSink sink;
    mid2kvt::ImportNotes notes;
    const smf::ReadError error = mid2kvt::convert_tracks(data, size, header, sink, notes);
    // Each note gets one message, and a limit names a track of the file.
    const size_t expected_messages = (notes.clamped_data ? 1u : 0u) +
                                     (notes.limit != mid2kvt::TextLimit::None ? 1u : 0u);
    if (mid2kvt::import_note_messages(notes).size() != expected_messages) std::abort();
    const bool names_a_track = notes.limit == mid2kvt::TextLimit::None ||
                               notes.limit == mid2kvt::TextLimit::DivisionTooLarge ||
                               notes.limit_track < header.track_count;
    if (!names_a_track) std::abort();
    // Texts never hold a line that starts with "#", so headers count tracks.
    if (error == smf::ReadError::None && count_track_headers(sink.text) != header.track_count) std::abort();
    return 0;
}
