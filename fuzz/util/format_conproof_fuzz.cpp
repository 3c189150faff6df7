// Fuzzes the formatter with arbitrary templates over a fixed argument list
// (integers and real texts only: raw pointers are never fuzzed) and the
// reserved-device check with arbitrary paths.
#include "util/fileset.h"
#include "util/memblock.h"
#include "util/strset.h"
#include "util/uerr.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void countArgs(util::STRSET* out, util::FmtArgs& args)
{
    util::ss_append(out, static_cast<char>('0' + args.take() % 10));
}

void check(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

void formatAndCheck(const std::string& tmpl, const util::FmtArg* first, const util::FmtArg* last)
{
    util::STRSET* out = util::ss_create(nullptr, 0);
    util::ss_format(out, tmpl.c_str(), util::FmtArgs(first, last));
    // Without conversions a template is copied unchanged.
    if (tmpl.find_first_of("%$") == std::string::npos) {
        check(tmpl == util::ss_text(out));
    }
    util::ss_free(out);
}

// Any conversion may meet any argument, so the template runs twice: over
// texts only (numbers then show pointer bits), and over numbers only with
// every "s" turned into "u" so that no number is taken for a text.
void fuzzFormat(const std::string& tmpl)
{
    static const util::FmtArg kTexts[] = {"", "song.kvt", "CON\\CON-Proof affected.", "%d$$", "x"};
    static const util::FmtArg kNumbers[] = {
        int32_t{0}, int32_t{-42}, uint32_t{0xFFFFFFFF}, 1.5f, int32_t{2147483647}, -0.0f, int32_t{-2147483647 - 1},
        3.0e38f,    1.0e-45f,     int32_t{'A'},
    };
    formatAndCheck(tmpl, kTexts, kTexts + sizeof kTexts / sizeof kTexts[0]);
    std::string numeric = tmpl;
    for (char& c : numeric) {
        if (c == 's') {
            c = 'u';
        }
    }
    formatAndCheck(numeric, kNumbers, kNumbers + sizeof kNumbers / sizeof kNumbers[0]);
}

void fuzzConproof(std::string path)
{
    bool hit = util::conproof_hit(path.c_str());
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    // Both separators count alike.
    check(util::conproof_hit(path.c_str()) == hit);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool registered = [] {
        util::ss_register_handler('n', countArgs);
        return true;
    }();
    (void)registered;
    size_t blocks = util::mb_count();
    std::string text(reinterpret_cast<const char*>(data), size);
    std::string asCText = text.c_str(); // up to the first NUL, as callers pass it
    fuzzFormat(asCText);
    fuzzConproof(asCText);
    check(util::mb_count() == blocks);
    return 0;
}
