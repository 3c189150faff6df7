#include "compile_file.h"

#include "driver_codes.h"

#include "common/file_job.h"
#include "util/fileset.h"
#include "util/uerr.h"
#include "zemcmain.h"

#include <string>

namespace zemc_driver {

namespace {

class CompileJob final : public tools::FileJob {
public:
    CompileJob(const std::string& word, const Switches& switches, tools::ReportFn reportTo)
        : FileJob(word, reportTo), switches_(switches)
    {}

private:
    static void onCompileMessage(void* user, const char* message, const char* name)
    {
        static_cast<CompileJob*>(user)->report(name, message);
    }

    int32_t body() override
    {
        resolveInput("KVT", kErrConProof);
        // The output is moved aside before the source is read: the library
        // writes it by name.
        prepareOutput(switches_.suffix);
        uint32_t size = 0;
        const uint8_t* text = loadInput(size);
        const int32_t result =
            zemc(text, size, inputPath().c_str(), util::fs_path(output()), switches_.flags, onCompileMessage, this);
        // The library refuses a reserved output name silently; the driver says so.
        if (result == static_cast<int32_t>(kErrConProof)) util::uerr_raise(kErrConProof);
        return result;
    }

    std::string errorText(util::ErrCode code) const override
    {
        if (code == kErrConProof) return util::kConProofMessage;
        return tools::isFileError(code) ? util::uerr_name(code) : std::string();
    }

    // A file error names the file it happened to, whichever of the two.
    const char* caption(util::ErrCode code) const override
    {
        if (!tools::isFileError(code)) return inputPath().c_str();
        const util::FILESET* concerned = util::fs_current();
        return concerned ? util::fs_path(concerned) : word().c_str();
    }

    const Switches& switches_;
};

} // namespace

int32_t compileFile(const std::string& word, const Switches& switches, tools::ReportFn report)
{
    return CompileJob(word, switches, report).run();
}

} // namespace zemc_driver
