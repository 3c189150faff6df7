// The formatter: conversions, flags, widths, precisions and "$" handlers.
#include "util/strset.h"
#include "util/uerr.h"

#include "raised_code.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using util::FmtArg;
using util::STRSET;

std::string format(const char* tmpl, std::initializer_list<FmtArg> args)
{
    STRSET* s = util::ss_create(nullptr, 0);
    util::ss_format(s, tmpl, args);
    std::string out = util::ss_text(s);
    util::ss_free(s);
    return out;
}

struct Case {
    const char* tmpl;
    std::vector<uintptr_t> args;
    const char* expected;
};

std::string formatBits(const char* tmpl, const std::vector<uintptr_t>& bits)
{
    std::vector<FmtArg> args;
    for (uintptr_t b : bits) {
        args.emplace_back(uint32_t{0});
        args.back().bits = b;
    }
    STRSET* s = util::ss_create(nullptr, 0);
    util::ss_format(s, tmpl, util::FmtArgs(args.data(), args.data() + args.size()));
    std::string out = util::ss_text(s);
    util::ss_free(s);
    return out;
}

uintptr_t neg(int32_t v) { return static_cast<uint32_t>(v); }

uintptr_t real(float f) { return FmtArg(f).bits; }

TEST(Format, Conversions)
{
    static const char* const kText = "abc";
    const std::vector<Case> cases = {
        {"Line %d.", {12}, "Line 12."},
        {"%05d", {neg(-42)}, "-0042"},
        {"%+d", {7}, "+7"},
        {"%+d", {neg(-7)}, "-7"},
        {"%#x", {255}, "0xff"},
        {"%#X", {255}, "0XFF"},
        {"%x", {neg(-1)}, "ffffffff"},
        {"%i", {neg(-2147483647 - 1)}, "-2147483648"},
        {"%u", {neg(-1)}, "4294967295"},
        {"%o", {8}, "10"},
        {"%#o", {8}, "010"},
        {"%#o", {0}, "0"},
        {"%5d", {42}, "   42"},
        {"%-5d", {42}, "   42"},
        {"%.5d", {42}, "   42"},
        {"%3.5d", {42}, "   42"},
        {"%08X", {0xBEEF}, "0000BEEF"},
        {"%+05d", {7}, "+0007"},
        {"%0+5d", {7}, "+0007"},
        {"%-05d", {neg(-3)}, "-0003"},
        {"%#06x", {255}, "0x00ff"},
        {"%p", {0x1234}, "00001234"},
        {"%P", {0xabcdef12}, "ABCDEF12"},
        {"%p", {uintptr_t{0x123456789a}}, "123456789a"},
        {"%c%c", {'o', 'k'}, "ok"},
        {"%%%d%%", {5}, "%5%"},
        {"%q%d", {9}, "(err:'%q' undefined)9"},
        {"%5q", {}, "(err:'%q' undefined)"},
        {"tail %", {}, "tail (err:'%' undefined)"},
        {"$$", {}, "$"},
        {"a$zb", {}, "a(err:'$z' undefined)b"},
        {"end$", {}, "end(err:'$' undefined)"},
        {"%d %d", {1}, "1 0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(formatBits(c.tmpl, c.args), c.expected) << c.tmpl;
    }
    EXPECT_EQ(format("<%s>", {kText}), "<abc>");
}

TEST(Format, Texts)
{
    struct TextCase {
        const char* tmpl;
        const char* text;
        const char* expected;
    };
    const TextCase cases[] = {
        {"<%s>", "abc", "<abc>"},       {"<%.2s>", "abc", "<ab>"},
        {"<%.9s>", "abc", "<abc>"},     {"<%6s>", "abc", "<abc   >"},
        {"<%6.1s>", "abc", "<a     >"}, {"<%2s>", "abc", "<abc>"},
        {"<%s>", nullptr, "<(null)>"},  {"<%s>", "", "<>"},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(format(c.tmpl, {c.text}), c.expected) << c.tmpl;
    }
}

TEST(Format, Reals)
{
    struct RealCase {
        const char* tmpl;
        float value;
        const char* expected;
    };
    const RealCase cases[] = {
        {"%f", 12.0f, "12"},
        {"%f", 0.5f, "0.500000"},
        {"%.2f", 3.75f, "3.75"},
        {"%.3f", 2.0f, "2.000"},
        {"%.0f", 2.5f, "2"},
        {"%f", -1.25f, "-1.250000"},
        {"%+.1f", 1.5f, "+1.5"},
        {"%8.2f", 1.5f, "    1.50"},
        {"%08.2f", -1.5f, "-0001.50"},
        // Digits come from flooring, never rounding.
        {"%.1f", 0.99f, "0.9"},
        {"%f", 16777216.0f, "16777216"},
        {"%f", 3.0e38f, "300000000549775575777803994281145270272"},
        {"%f", __builtin_inff(), "inf"},
        {"%f", -__builtin_inff(), "-inf"},
        {"%f", __builtin_nanf(""), "nan"},
    };
    for (const RealCase& c : cases) {
        EXPECT_EQ(formatBits(c.tmpl, {real(c.value)}), c.expected) << c.tmpl << " " << c.value;
    }
}

void twoWords(STRSET* out, util::FmtArgs& args)
{
    util::ss_append(out, reinterpret_cast<const char*>(args.take()));
    util::ss_append(out, '+');
    util::ss_append(out, reinterpret_cast<const char*>(args.take()));
}

TEST(Format, HandlersConsumeArguments)
{
    util::ss_register_handler('w', twoWords);
    EXPECT_EQ(format("[$w] %d", {"left", "right", 3}), "[left+right] 3");
    util::ss_register_handler('w', nullptr);
    EXPECT_EQ(format("$w", {}), "(err:'$w' undefined)");
}

TEST(Format, HandlerRegistrationLimits)
{
    struct RegCase {
        unsigned c;
        bool accepted;
    };
    const RegCase cases[] = {{'a', true}, {255, true}, {256, false}, {1000, false}, {'$', false}};
    for (const RegCase& c : cases) {
        EXPECT_EQ(raisedCode([&] { util::ss_register_handler(c.c, twoWords); }),
                  c.accepted ? kNothingRaised : util::kErrStrsetParam)
            << c.c;
        if (c.accepted) {
            util::ss_register_handler(c.c, nullptr);
        }
    }
    EXPECT_EQ(format("$$", {}), "$");
}

TEST(Format, HugeWidthIsBounded)
{
    std::string out = formatBits("%999999999999d", {1});
    EXPECT_EQ(out.size(), 4096u);
    EXPECT_EQ(out.back(), '1');
}

} // namespace
