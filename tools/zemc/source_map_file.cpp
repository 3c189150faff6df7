#include "source_map_file.h"

#include "common/run_files.h"
#include "kvt/compile_job.h"
#include "kvt/source_map_file.h"
#include "util/uerr.h"

namespace zemc_driver {

int32_t compileKeepingMap(const uint8_t* text, uint32_t size, const char* sourcePath, const char* imagePath,
                          uint32_t flags, zemc_message_fn callback, void* user, kvt::SourceMap& map)
{
    kvt::CompileRequest request{text, size, sourcePath, static_cast<uint16_t>(flags), callback, user};
    request.sourceMap = &map;
    return kvt::compileToFile(request, imagePath);
}

std::string sourceMapPath(const std::string& imagePath) { return tools::replaceExtension(imagePath, ".zmap"); }

SourceMapFile::~SourceMapFile()
{
    if (pending_ != nullptr) {
        util::fs_discard_pending(pending_);
        util::fs_free(pending_);
    }
    if (output_ != nullptr) util::fs_free(output_);
}

void SourceMapFile::write(const kvt::SourceMap& map, const std::string& imagePath, const char* sourcePath)
{
    output_ = util::fs_create();
    util::fs_prepare_output(output_, sourceMapPath(imagePath).c_str(), sourcePath);
    // A suffix of ".zmap" would have the map replace its own image.
    if (std::string(util::fs_path(output_)) == imagePath) util::uerr_raise(util::kErrFileCannotWrite);
    pending_ = util::fs_create();
    util::fs_create_pending(pending_, output_);
    const std::vector<uint8_t> bytes = kvt::encodeSourceMap(map);
    util::fs_write(pending_, bytes.data(), bytes.size());
}

void SourceMapFile::commit()
{
    if (pending_ != nullptr) util::fs_put_in_place(pending_, output_);
}

} // namespace zemc_driver
