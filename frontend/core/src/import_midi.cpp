#include "frontend/compile_image.h"

#include "mid2kvt/convert.h"
#include "mid2kvt/import_notes.h"
#include "smf/read_error.h"
#include "smf/smf_reader.h"

#include <algorithm>
#include <new>

namespace frontend {

namespace {

constexpr uint8_t kMidiMagic[] = {'M', 'T', 'h', 'd'};

class TextSink final : public mid2kvt::KvtSink {
public:
    void write(const char* bytes, size_t n) override { text.insert(text.end(), bytes, bytes + n); }
    std::vector<uint8_t> text;
};

} // namespace

bool isStandardMidiFile(const std::vector<uint8_t>& bytes)
{
    return bytes.size() >= sizeof kMidiMagic && std::equal(std::begin(kMidiMagic), std::end(kMidiMagic), bytes.begin());
}

std::optional<std::vector<uint8_t>> importMidi(const std::vector<uint8_t>& file, const std::string& path,
                                               const CompileMessageFn& message)
{
    smf::SmfHeader header{};
    smf::ReadError error = smf::readHeader(file.data(), file.size(), header);
    TextSink sink;
    mid2kvt::ImportNotes notes;
    if (error == smf::ReadError::None) {
        try {
            error = mid2kvt::convertTracks(file.data(), file.size(), header, sink, notes);
        } catch (const std::bad_alloc&) {
            message("Out of memory", path);
            return std::nullopt;
        }
    }
    for (const std::string& text : mid2kvt::importNoteMessages(notes)) message(text, path);
    if (error != smf::ReadError::None) {
        const char* text = smf::readErrorMessage(uint32_t(error));
        message(text ? text : "MIDI file error", path);
        return std::nullopt;
    }
    return std::move(sink.text);
}

} // namespace frontend
