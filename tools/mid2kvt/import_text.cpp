#include "mid2kvt/import_text.h"

#include "mid2kvt/convert.h"
#include "mid2kvt/import_notes.h"
#include "smf/read_error.h"
#include "smf/smf_reader.h"

#include <new>

namespace mid2kvt {

namespace {

class TextSink final : public KvtSink {
public:
    void write(const char* bytes, size_t n) override { text.insert(text.end(), bytes, bytes + n); }
    std::vector<uint8_t> text;
};

} // namespace

std::optional<std::vector<uint8_t>> importText(const uint8_t* file, size_t size, const ImportMessageFn& message)
{
    smf::SmfHeader header{};
    smf::ReadError error = smf::readHeader(file, size, header);
    TextSink sink;
    ImportNotes notes;
    if (error == smf::ReadError::None) {
        try {
            error = convertTracks(file, size, header, sink, notes);
        } catch (const std::bad_alloc&) {
            message("Out of memory");
            return std::nullopt;
        }
    }
    for (const std::string& text : importNoteMessages(notes)) message(text);
    if (error != smf::ReadError::None) {
        const char* text = smf::readErrorMessage(uint32_t(error));
        message(text ? text : "MIDI file error");
        return std::nullopt;
    }
    return std::move(sink.text);
}

} // namespace mid2kvt
