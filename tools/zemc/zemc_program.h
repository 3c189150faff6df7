// zemc and zemcw are one program in two forms.
#pragma once

#include "common/tool_program.h"

namespace zemc_driver {

const tools::ToolProgram& zemcProgram();

} // namespace zemc_driver
