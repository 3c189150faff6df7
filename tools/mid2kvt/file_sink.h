// KVT lines into the output file object, gathered into large writes.  The
// text is the same as writing every line at once; flush() must be called
// before the file is closed, also when the conversion stopped on an error,
// so that the lines written so far reach the file.
#pragma once

#include "mid2kvt/kvt_writer.h"
#include "util/fileset.h"

#include <string>

namespace mid2kvt {

class FileSink : public KvtSink {
public:
    explicit FileSink(util::FILESET* out) : out_(out) {}

    void write(const char* bytes, size_t n) override
    {
        pending_.append(bytes, n);
        if (pending_.size() >= kFlushSize) flush();
    }

    // Raises "File cannot write" when the file takes fewer bytes.
    void flush()
    {
        util::fs_write(out_, pending_.data(), pending_.size());
        pending_.clear();
    }

private:
    static constexpr size_t kFlushSize = 64 * 1024;

    util::FILESET* out_;
    std::string pending_;
};

} // namespace mid2kvt
