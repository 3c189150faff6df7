// Raised codes reach the calling program's protected call from a shared
// library that carries its own copy of the utility library.
#include "util/uerr.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace {

struct Probe {
    void* handle = dlopen(ZEM_BIN_DIR "/util_raise_probe.so", RTLD_NOW | RTLD_LOCAL);
    ~Probe()
    {
        if (handle != nullptr) {
            dlclose(handle);
        }
    }
    template <typename F> F entry(const char* name) const { return reinterpret_cast<F>(dlsym(handle, name)); }
};

intptr_t callRaise(void* arg)
{
    auto* probe = static_cast<Probe*>(arg);
    probe->entry<void (*)(uint32_t)>("probe_raise")(0x30006);
    return 0;
}

intptr_t callPassOn(void* arg)
{
    auto* probe = static_cast<Probe*>(arg);
    return probe->entry<intptr_t (*)(uint32_t)>("probe_protect_and_pass_on")(0x40000);
}

TEST(CrossLibrary, CodesReachTheProgramsFrame)
{
    Probe probe;
    ASSERT_NE(probe.handle, nullptr) << dlerror();
    EXPECT_EQ(util::uerr_protect(&probe, nullptr, callRaise, nullptr), 0x30006);
    EXPECT_EQ(util::uerr_protect(&probe, nullptr, callPassOn, nullptr), 0x40001);
    EXPECT_EQ(util::uerr_innermost(), nullptr);
}

} // namespace
