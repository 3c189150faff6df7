// One compilation with its error frame, its one message and its closing
// step, writing the image to a file or into memory.  The exported zemc()
// is the file form; programs and tests linking the compiler's core use the
// memory form to get an image without a file round trip.
#pragma once

#include "kvt/message_spot.h"
#include "kvt/source_map.h"
#include "util/uerr.h"
#include "zemcmain.h"

#include <cstdint>
#include <vector>

namespace kvt {

struct CompileErrorSpot {
    util::ErrCode code = 0;
    MessageSpot spot;
};

struct CompileRequest {
    const uint8_t* text; // may be null when length is 0
    uint32_t length;
    const char* sourceName;   // handed back with compile messages; may be null
    uint16_t conditionMask;   // every track's initial condition mask
    zemc_message_fn callback; // as zemc's; may be null
    void* user;
    // When given, receives the code and the spot of a reported compile
    // error (file errors leave it untouched).
    CompileErrorSpot* errorSpot = nullptr;
    // When given, receives where every word of the image came from in the
    // text (left empty when the compile fails).  The image is the same with
    // or without it.
    SourceMap* sourceMap = nullptr;
};

// zemc() without its reserved-device check: the image goes to outputPath.
int32_t compileToFile(const CompileRequest& request, const char* outputPath);

// Compiles into `image`, replacing what it held.  Returns ZEMC_OK with the
// whole image, or ZEMC_REPORTED after the callback reported the error (the
// image is then empty).  Other utility errors are raised as zemc's are.
int32_t compileToMemory(const CompileRequest& request, std::vector<uint8_t>& image);

} // namespace kvt
