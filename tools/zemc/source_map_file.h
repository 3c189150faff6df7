// The source map a compile writes beside its image with -M: NAME.zmap for
// the image NAME.ext, written the way the image is, under a temporary name
// and put in place only once complete.
#pragma once

#include "kvt/source_map.h"
#include "util/fileset.h"
#include "zemcmain.h"

#include <cstdint>
#include <string>

namespace zemc_driver {

// zemc() with the source map kept: compiles `size` bytes of text into the
// file at imagePath, whose name the caller has checked.
int32_t compileKeepingMap(const uint8_t* text, uint32_t size, const char* sourcePath, const char* imagePath,
                          uint32_t flags, zemc_message_fn callback, void* user, kvt::SourceMap& map);

// "NAME.zmap" beside the image path "NAME.ext".
std::string sourceMapPath(const std::string& imagePath);

class SourceMapFile {
public:
    SourceMapFile() = default;
    // A file never put in place goes.
    ~SourceMapFile();
    SourceMapFile(const SourceMapFile&) = delete;
    SourceMapFile& operator=(const SourceMapFile&) = delete;

    // Writes the map under a temporary name beside the image at imagePath
    // (the source at sourcePath is never replaced).  Raises
    // kErrFileCannotWrite, also when the map's name is the image's.
    void write(const kvt::SourceMap& map, const std::string& imagePath, const char* sourcePath);
    // The written map takes its name, an existing file of that name moved
    // to its backup name.  Nothing when nothing was written.
    void commit();

private:
    util::FILESET* output_ = nullptr;
    util::FILESET* pending_ = nullptr;
};

} // namespace zemc_driver
