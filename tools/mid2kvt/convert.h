// A whole Standard MIDI File to KVT text: every announced track chunk in
// order, through one KvtWriter.  Bytes after the last announced chunk are
// ignored.
#pragma once

#include "mid2kvt/kvt_writer.h"
#include "smf/read_error.h"
#include "smf/smf_reader.h"

#include <cstddef>
#include <cstdint>

namespace mid2kvt {

// `header` comes from smf::readHeader over the same bytes.  Returns the
// error that stopped the conversion (the sink keeps what was written before
// it); `notes` gets what the text cannot say as the file did, also on an
// error.
smf::ReadError convertTracks(const uint8_t* data, size_t size, const smf::SmfHeader& header, KvtSink& sink,
                             ImportNotes& notes);

} // namespace mid2kvt
