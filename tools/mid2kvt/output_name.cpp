#include "mid2kvt/output_name.h"

namespace mid2kvt {

std::string kvt_output_path(const std::string& input_path)
{
    const size_t slash = input_path.rfind('/');
    const size_t dot = input_path.rfind('.');
    // A "." in a folder name does not start an extension.
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return input_path + ".KVT";
    return input_path.substr(0, dot + 1) + "KVT";
}

} // namespace mid2kvt
