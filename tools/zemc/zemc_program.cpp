#include "zemc_program.h"

#include "compile_file.h"
#include "driver_codes.h"

namespace zemc_driver {

const tools::ToolProgram& zemcProgram()
{
    static Switches switches;
    static const tools::ToolProgram program{
        kBanner,
        kTitlePrefix,
        kUsage,
        "Compiles KVT music source files into ZEM images.\n"
        "Name the files to compile, with optional -F and -S switches;\n"
        "-M also writes each image's source map (NAME.zmap).",
        nullptr,
        kErrIllegalOption,
        [](const std::vector<std::string>& words, tools::TrailingText trailing) {
            switches = parseSwitches(words, trailing);
        },
        [](const std::string& word, tools::ReportFn report) { return compileFile(word, switches, report); },
    };
    return program;
}

} // namespace zemc_driver
