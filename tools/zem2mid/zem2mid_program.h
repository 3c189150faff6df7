// zem2mid and zem2midw are one program in two forms.
#pragma once

#include "common/tool_program.h"

namespace zem2mid {

const tools::ToolProgram& zem2midProgram();

} // namespace zem2mid
