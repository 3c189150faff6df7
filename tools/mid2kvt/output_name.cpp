#include "mid2kvt/output_name.h"

namespace mid2kvt {

std::string kvtOutputPath(const std::string& inputPath)
{
    const size_t slash = inputPath.rfind('/');
    const size_t dot = inputPath.rfind('.');
    // A "." in a folder name does not start an extension.
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return inputPath + ".KVT";
    return inputPath.substr(0, dot + 1) + "KVT";
}

} // namespace mid2kvt
