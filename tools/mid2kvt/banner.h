// The program's banner: the name and the version label, in UTF-8.
#pragma once

#include <string>

namespace mid2kvt {

std::string banner();

} // namespace mid2kvt
