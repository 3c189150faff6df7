// Full paths and letter-case fixing.
#include "util/fileset.h"
#include "util/uerr.h"

#include "file_time.h"

#include <climits>
#include <dirent.h>
#include <filesystem>
#include <memory>
#include <string>
#include <strings.h>
#include <unistd.h>

namespace util {

STRSET* path_full(const char* name)
{
    if (name == nullptr) {
        uerr_raise(kErrNullArgument);
    }
    std::string joined;
    if (name[0] != '/') {
        char cwd[PATH_MAX];
        if (getcwd(cwd, sizeof cwd) == nullptr) {
            uerr_raise(kErrNoCurrentDirectory);
        }
        joined = cwd;
        joined += '/';
    }
    joined += name;
    // Lexical only: links stay as written and the file need not exist.
    std::string normal = std::filesystem::path(joined).lexically_normal().string();
    if (normal.size() >= PATH_MAX) {
        uerr_raise(kErrFilesetParam);
    }
    return ss_create(normal.c_str(), 0);
}

STRSET* path_fix_case(const char* path)
{
    if (path == nullptr) {
        uerr_raise(kErrNullArgument);
    }
    std::string text(path);
    size_t slash = text.rfind('/');
    if (name_taken(path) || slash == std::string::npos || slash + 1 == text.size()) {
        return ss_create(path, 0);
    }
    std::string folder = slash == 0 ? "/" : text.substr(0, slash);
    std::string last = text.substr(slash + 1);
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    std::string best;
    if (dir != nullptr) {
        while (const dirent* entry = readdir(dir.get())) {
            // Several spellings may match; the smallest keeps the choice stable.
            if (strcasecmp(entry->d_name, last.c_str()) == 0 && (best.empty() || best > entry->d_name)) {
                best = entry->d_name;
            }
        }
    }
    if (!best.empty()) {
        text.replace(slash + 1, std::string::npos, best);
    }
    return ss_create(text.c_str(), 0);
}

} // namespace util
