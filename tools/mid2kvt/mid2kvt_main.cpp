// mid2kvt: Standard MIDI Files to KVT source text.  Every word of the
// command line names a MIDI file; the program prints nothing and reports
// through messages (standard error), one per failed file.
#include "banner.h"
#include "common/option_words.h"
#include "convert_file.h"
#include "platform/message.h"
#include "smf/read_error.h"
#include "util/uerr.h"

#include <cstdio>
#include <string>

namespace {

constexpr char kUsage[] = "usage: mid2kvt MIDIfile [MIDIfile ...]\n"
                          "Converts each Standard MIDI File into KVT source text beside it:\n"
                          "tune.mid becomes tune.KVT.  A name without an extension gets \".MID\"\n"
                          "(in any case the folder holds it).  Every word is a file name.\n"
                          "An existing output is first renamed to name_YYYYMMDDhhmmss.KVT, its\n"
                          "last-write time.  The exit status is 0 when every file converted.\n"
                          "  --help     show this text\n"
                          "  --version  show the version\n";

constexpr char kNotice[] = "Give one or more Standard MIDI Files; each is converted into KVT source text beside it.";

struct Run {
    int argc;
    char** argv;
};

intptr_t convertAll(void* arg)
{
    const Run& run = *static_cast<const Run*>(arg);
    int32_t result = 0;
    for (int i = 1; i < run.argc; ++i) result |= mid2kvt::convertFile(run.argv[i]);
    return result;
}

// A failure that is not about one file ends the run.
intptr_t reportRunFailure(void*, util::ErrCode& code)
{
    if (code != util::kErrReported)
        platform::showMessage(mid2kvt::banner().c_str(), util::uerr_name(code), platform::MessageIcon::Stop);
    code = util::kErrReported;
    return -1;
}

} // namespace

int main(int argc, char** argv)
{
    // --help or --version anywhere answers instead of converting.
    tools::InfoRequest request = tools::InfoRequest::None;
    tools::readOptionWords({argv + 1, argv + argc},
                           {tools::infoRows(request), [](const std::string&) { return std::string(); }});
    if (request == tools::InfoRequest::Help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (request == tools::InfoRequest::Version) {
        std::printf("%s\n", mid2kvt::banner().c_str());
        return 0;
    }
    if (argc < 2) {
        platform::showMessage(mid2kvt::banner().c_str(), kNotice, platform::MessageIcon::Information);
        return 0;
    }
    util::uerr_set_namer(smf::readErrorMessage);
    Run run{argc, argv};
    const intptr_t result = util::uerr_protect(&run, reportRunFailure, convertAll, nullptr);
    // -1 as an exit status: 255.
    return result == 0 ? 0 : 255;
}
