#include "compile_file.h"

#include "driver_codes.h"
#include "source_map_file.h"

#include "common/file_job.h"
#include "util/fileset.h"
#include "util/uerr.h"
#include "zemcmain.h"

#include <cstring>
#include <string>

namespace zemc_driver {

namespace {

class CompileJob final : public tools::FileJob {
public:
    CompileJob(const std::string& word, const Switches& switches, tools::ReportFn reportTo)
        : FileJob(word, reportTo), switches_(switches)
    {}

private:
    // The library writes the temporary file; its file errors name the output.
    static void onCompileMessage(void* user, const char* message, const char* name)
    {
        const auto& job = *static_cast<CompileJob*>(user);
        const bool pending = name && job.output() && std::strcmp(name, util::fs_path(job.output())) == 0;
        job.report(pending ? job.outputPath() : name, message);
    }

    int32_t body() override
    {
        resolveInput("KVT", kErrConProof);
        // Nothing is written, or moved aside, without a source to compile.
        uint32_t size = 0;
        const uint8_t* text = loadInput(size);
        // The library refuses a reserved output name silently; the driver says so.
        if (util::conproof_hit(tools::replaceExtension(inputPath(), switches_.suffix).c_str()))
            util::uerr_raise(kErrConProof);
        createOutput(switches_.suffix);
        // The library opens the file by name.
        util::fs_close(output());
        kvt::SourceMap map;
        const int32_t result = switches_.sourceMap
                                   ? compileKeepingMap(text, size, inputPath().c_str(), util::fs_path(output()),
                                                       switches_.flags, onCompileMessage, this, map)
                                   : zemc(text, size, inputPath().c_str(), util::fs_path(output()), switches_.flags,
                                          onCompileMessage, this);
        if (result != 0) return result;
        // Both files are complete before either takes its name.
        if (switches_.sourceMap) mapFile_.write(map, outputPath(), inputPath().c_str());
        commitOutput();
        mapFile_.commit();
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
    // Outlives the report of a failure, which names the file concerned.
    SourceMapFile mapFile_;
};

} // namespace

int32_t compileFile(const std::string& word, const Switches& switches, tools::ReportFn report)
{
    return CompileJob(word, switches, report).run();
}

} // namespace zemc_driver
