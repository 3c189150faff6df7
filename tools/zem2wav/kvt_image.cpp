#include "kvt_image.h"

#include "util/fileset.h"
#include "util/uerr.h"
#include "zemcmain.h"

#include <unistd.h>

#include <cstdlib>
#include <strings.h>

namespace zem2wav {

namespace {

// The temporary image file, removed when it goes out of scope.
class TempImage {
public:
    TempImage()
    {
        const char* dir = std::getenv("TMPDIR");
        path_ = std::string(dir && *dir ? dir : "/tmp") + "/zem2wav-XXXXXX";
        const int fd = ::mkstemp(path_.data());
        if (fd < 0) util::uerr_raise(util::kErrFileCannotWrite);
        ::close(fd);
    }
    ~TempImage() { ::unlink(path_.c_str()); }
    TempImage(const TempImage&) = delete;
    TempImage& operator=(const TempImage&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

struct CompileReport {
    tools::ReportFn report;
    const std::string* sourcePath;
};

void onCompileMessage(void* user, const char* message, const char* name)
{
    const auto& r = *static_cast<CompileReport*>(user);
    r.report(name && *name ? name : r.sourcePath->c_str(), message);
}

std::vector<uint8_t> loadImage(const std::string& path)
{
    util::FILESET* file = util::fs_create();
    struct Release {
        util::FILESET* f;
        ~Release() { util::fs_free(f); }
    } release{file};
    util::fs_set_path(file, path.c_str(), nullptr);
    util::fs_open(file, util::FileMode::Read);
    uint32_t size = 0;
    const uint8_t* bytes = util::fs_load(file, &size);
    return std::vector<uint8_t>(bytes, bytes + size);
}

} // namespace

bool isKvtPath(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
    return ::strcasecmp(path.c_str() + dot, ".kvt") == 0;
}

std::vector<uint8_t> compileKvt(const uint8_t* text, uint32_t size, const std::string& sourcePath,
                                tools::ReportFn report)
{
    TempImage image;
    CompileReport context{report, &sourcePath};
    const int32_t result = zemc(text, size, sourcePath.c_str(), image.path().c_str(), 0, onCompileMessage, &context);
    if (result == ZEMC_REPORTED) util::uerr_raise(util::kErrReported);
    if (result != ZEMC_OK) util::uerr_raise(util::kErrFileCannotWrite);
    return loadImage(image.path());
}

} // namespace zem2wav
