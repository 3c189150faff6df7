// Fills a source map while the emission passes write the image: the command
// loop reports each command that wrote words, with its text, and the builder
// turns the text's place into a line and a column.
#pragma once

#include "kvt/source_map.h"

#include <cstdint>
#include <vector>

namespace kvt {

class SourceMapBuilder {
public:
    // The map receives one track per emission pass; `text` is the source
    // every pass walks.
    SourceMapBuilder(const uint8_t* text, uint32_t length, SourceMap& map);

    // A track's words start at image offset `start`.
    void beginTrack(uint8_t number, uint32_t start);
    // The command whose text is [begin, end) wrote the words from image
    // offset `at` on.  Commands come in text order within a track.
    void command(uint32_t at, const uint8_t* begin, const uint8_t* end);
    // Words from `at` on come from no command (the end word).
    void noCommand(uint32_t at);
    // The track's words end before image offset `end`.
    void endTrack(uint32_t end);

private:
    uint32_t lineOf(uint32_t offset);

    const uint8_t* text_;
    SourceMap& map_;
    std::vector<uint32_t> lineStarts_; // offset of each line's first byte
    size_t lineHint_ = 0;              // the line of the previous command
    uint32_t trackStart_ = 0;
};

} // namespace kvt
