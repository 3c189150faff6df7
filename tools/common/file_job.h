// One file named on a tool's command line, handled in an error frame of its
// own so that a failing file does not stop the next: the input the word
// names, resolved and loaded, and the output written beside it.  The output
// is written under a temporary name and put in place, an existing one moved
// to its backup name, only when the job says it is complete; a job that
// fails leaves the output name as it was.  The tool says what the job does
// and how its codes read; the file objects are freed however the job ends.
#pragma once

#include "run_files.h"

#include "util/fileset.h"
#include "util/uerr.h"

#include <cstdint>
#include <string>

namespace tools {

// Whether code says a file could not be found, opened, read or written: a
// failure of the one file concerned.
bool isFileError(util::ErrCode code);

class FileJob {
public:
    FileJob(const std::string& word, ReportFn reportTo) : word_(word), inputPath_(word), report_(reportTo) {}
    virtual ~FileJob() = default;
    FileJob(const FileJob&) = delete;
    FileJob& operator=(const FileJob&) = delete;

    // 0, or -1 once the failure is reported (or was reported on the way,
    // util::kErrReported).  A code without a text is raised on to the
    // caller's frame.
    int32_t run();

protected:
    // What the job does; a nonzero result fails the job without a message.
    virtual int32_t body() = 0;
    // The message for a code raised by body; empty when the code is not
    // about this file.
    virtual std::string errorText(util::ErrCode code) const = 0;
    // The caption of that message (null for none): the output once it is
    // being prepared, the input before, the word until it is resolved.
    virtual const char* caption(util::ErrCode code) const;

    // Resolves the word into the input (defaultExtension when it has none,
    // the letter case the folder holds) and raises conProof when it names a
    // reserved device.
    void resolveInput(const char* defaultExtension, util::ErrCode conProof);
    // The whole input, valid while the job runs.
    const uint8_t* loadInput(uint32_t& size);
    // Binds the output to the input path with suffix for its extension (the
    // letter case of an existing file) and creates the temporary file that
    // output() writes, open for writing.
    void createOutput(const std::string& suffix);
    // The same for an output named by the command line (relative to the
    // current folder) rather than derived from the input.
    void createOutputAt(const std::string& path);
    // The written output takes its name; an existing file of that name is
    // moved to its backup name first.
    void commitOutput();

    const std::string& word() const { return word_; }
    const std::string& inputPath() const { return inputPath_; }
    // The file being written, under its temporary name until committed.
    util::FILESET* output() const { return pending_; }
    // The name the output gets.
    const char* outputPath() const { return util::fs_path(output_); }
    ReportFn reporter() const { return report_; }
    void report(const char* caption, const char* text) const { report_(caption, text); }

private:
    static intptr_t bodyEntry(void* job);
    static intptr_t handlerEntry(void* job, util::ErrCode& code);
    static intptr_t releaseEntry(void* job);

    std::string word_;
    std::string inputPath_;
    ReportFn report_;
    util::FILESET* input_ = nullptr;
    util::FILESET* output_ = nullptr;
    util::FILESET* pending_ = nullptr;
    bool namingOutput_ = false;
};

} // namespace tools
