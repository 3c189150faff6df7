// Error frames, protected calls and error names.
#include "util/uerr.h"

#include "raised_code.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using util::ErrCode;

TEST(ErrorNames, Table)
{
    struct NameCase {
        ErrCode code;
        const char* name;
    };
    const NameCase cases[] = {
        {0xFFFFFFFF, "(innored)"},
        {0, "System Critical"},
        {2, "Null argument"},
        {256, "UERR not pushed"},
        {5, "Undefined error"},
        {1, "Undefined error"},
        {0xFFFF, "Undefined error"},
        {0x10000, "Out of memory"},
        {0x10001, "Lost in realloc"},
        {0x10002, "Memblock locked"},
        {0x10003, "Memblock roaming"},
        {0x10004, "Memblock unfreed"},
        {0x10005, "Memblock clashed"},
        {0x10007, "(other)"},
        {0x20000, "Illegal STRSET param"},
        {0x20001, "Overflow on STRSET"},
        {0x20002, "(other)"},
        {0x30000, "FILESET lost"},
        {0x30001, "FILESET empty"},
        {0x30002, "File cannot read"},
        {0x30003, "File cannot write"},
        {0x30004, "File still open"},
        {0x30005, "Illegal Param on FILESET"},
        {0x30006, "File not found"},
        {0x30007, "File not open"},
        {0x30008, "Cannot get current directory"},
        {0x3FFFF, "(other)"},
        {0x40000, "Undefined error"},
    };
    for (const NameCase& c : cases) {
        EXPECT_STREQ(util::uerr_name(c.code), c.name) << std::hex << c.code;
    }
}

const char* programNames(ErrCode code) { return code == 0x40001 ? "Illegal option." : nullptr; }

TEST(ErrorNames, ProgramNamer)
{
    util::uerr_set_namer(programNames);
    EXPECT_STREQ(util::uerr_name(0x40001), "Illegal option.");
    EXPECT_STREQ(util::uerr_name(0x40002), "Undefined error");
    EXPECT_STREQ(util::uerr_name(0x30006), "File not found");
    util::uerr_set_namer(nullptr);
    EXPECT_STREQ(util::uerr_name(0x40001), "Undefined error");
}

// A tiny script for the protected calls: what the body does, what the
// handler does, and a log of the calls.
struct Script {
    ErrCode raiseCode = 0;
    bool bodyRaises = false;
    intptr_t bodyResult = 0;
    intptr_t handlerResult = 0;
    bool handlerReraises = false;
    ErrCode seenCode = 0;
    std::string log;
};

intptr_t body(void* arg)
{
    auto* s = static_cast<Script*>(arg);
    s->log += "body;";
    if (s->bodyRaises) {
        util::uerr_raise(s->raiseCode);
    }
    return s->bodyResult;
}

intptr_t handler(void* arg, ErrCode& code)
{
    auto* s = static_cast<Script*>(arg);
    s->log += "handler;";
    s->seenCode = code;
    if (s->handlerReraises) {
        util::uerr_raise(code);
    }
    code = util::kErrReported;
    return s->handlerResult;
}

intptr_t cleanup(void* arg)
{
    static_cast<Script*>(arg)->log += "cleanup;";
    return 77;
}

TEST(Protect, Results)
{
    struct ProtectCase {
        const char* name;
        bool bodyRaises;
        ErrCode code;
        intptr_t bodyResult;
        bool withHandler;
        intptr_t handlerResult;
        intptr_t expected;
        const char* log;
    };
    const ProtectCase cases[] = {
        {"plain success", false, 0, 0, true, 0, 0, "body;cleanup;"},
        {"body result passes", false, 0, 42, true, 0, 42, "body;cleanup;"},
        {"handler result", true, 0x30006, 0, true, -1, -1, "body;handler;cleanup;"},
        {"handler zero becomes one", true, 0x30006, 0, true, 0, 1, "body;handler;cleanup;"},
        {"no handler: code", true, 0x30003, 0, false, 0, 0x30003, "body;cleanup;"},
        {"no handler, code 0 becomes one", true, 0, 0, false, 0, 1, "body;cleanup;"},
    };
    for (const ProtectCase& c : cases) {
        Script s;
        s.bodyRaises = c.bodyRaises;
        s.raiseCode = c.code;
        s.bodyResult = c.bodyResult;
        s.handlerResult = c.handlerResult;
        intptr_t result = util::uerr_protect(&s, c.withHandler ? handler : nullptr, body, cleanup);
        EXPECT_EQ(result, c.expected) << c.name;
        EXPECT_EQ(s.log, c.log) << c.name;
        if (c.bodyRaises && c.withHandler) {
            EXPECT_EQ(s.seenCode, c.code) << c.name;
        }
        EXPECT_EQ(util::uerr_innermost(), nullptr) << c.name;
    }
    EXPECT_EQ(util::uerr_protect(nullptr, nullptr, nullptr, nullptr), 0);
}

struct Nested {
    Script inner;
    intptr_t innerResult = 0;
};

intptr_t outerBody(void* arg)
{
    auto* n = static_cast<Nested*>(arg);
    n->innerResult = util::uerr_protect(&n->inner, handler, body, cleanup);
    return 5;
}

TEST(Protect, HandlerPassesCodeToEnclosingFrame)
{
    Nested n;
    n.inner.bodyRaises = true;
    n.inner.raiseCode = 0x40000;
    n.inner.handlerReraises = true;
    Script outerScript;
    intptr_t result = util::uerr_protect(
        &n, [](void*, ErrCode& code) -> intptr_t { return static_cast<intptr_t>(code) + 1; }, outerBody, nullptr);
    EXPECT_EQ(result, 0x40001);
    // The inner cleanup still ran although the handler passed the code on.
    EXPECT_EQ(n.inner.log, "body;handler;cleanup;");
    EXPECT_EQ(util::uerr_innermost(), nullptr);
}

intptr_t leavesFramePushed(void*)
{
    static util::UERR stray;
    util::uerr_push(&stray);
    util::uerr_raise(0x30002);
}

intptr_t returnsWithFramePushed(void*)
{
    static util::UERR stray;
    util::uerr_push(&stray);
    return 3;
}

TEST(Protect, FramesLeftByTheBodyAreUnwound)
{
    struct StrayCase {
        const char* name;
        util::UerrBody body;
        intptr_t expected;
    };
    const StrayCase cases[] = {
        {"raise", leavesFramePushed, 0x30002},
        {"return", returnsWithFramePushed, util::kErrNotPushed},
    };
    for (const StrayCase& c : cases) {
        Script s;
        EXPECT_EQ(util::uerr_protect(&s, nullptr, c.body, cleanup), c.expected) << c.name;
        EXPECT_EQ(s.log, "cleanup;") << c.name;
        EXPECT_EQ(util::uerr_innermost(), nullptr) << c.name;
    }
}

TEST(Frames, PushPopOrder)
{
    util::UERR outer{}, inner{};
    outer.code = 99;
    outer.reserved[1] = 7;
    util::uerr_push(&outer);
    EXPECT_EQ(outer.code, 0u);
    EXPECT_EQ(outer.reserved[1], 0);
    util::uerr_push(&inner);
    EXPECT_EQ(inner.link, &outer);
    EXPECT_EQ(util::uerr_innermost(), &inner);

    EXPECT_EQ(raisedCode([&] { util::uerr_pop(nullptr, &outer, nullptr); }), util::kErrNotPushed);
    EXPECT_EQ(inner.code, util::kErrNotPushed); // stored in the innermost frame

    Script s;
    EXPECT_EQ(util::uerr_pop(&s, &inner, cleanup), 77);
    EXPECT_EQ(util::uerr_pop(nullptr, &outer, nullptr), 0);
    EXPECT_EQ(util::uerr_innermost(), nullptr);
}

TEST(Frames, NullFramesRaiseNullArgument)
{
    EXPECT_EQ(raisedCode([] { util::uerr_push(nullptr); }), util::kErrNullArgument);
    EXPECT_EQ(raisedCode([] { util::uerr_pop(nullptr, nullptr, nullptr); }), util::kErrNullArgument);
}

} // namespace
