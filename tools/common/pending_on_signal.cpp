#include "pending_on_signal.h"

#include <climits>
#include <csignal>
#include <cstring>
#include <initializer_list>
#include <unistd.h>

namespace tools {
namespace {

char g_path[PATH_MAX];
volatile sig_atomic_t g_armed = 0;

// Only async-signal-safe calls: unlink, then die of the same signal.
void removeAndStop(int sig)
{
    if (g_armed) unlink(g_path);
    std::signal(sig, SIG_DFL);
    raise(sig);
}

void installOnce()
{
    static const bool installed = [] {
        for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
            struct sigaction old {};
            if (sigaction(sig, nullptr, &old) != 0 || old.sa_handler != SIG_DFL) continue;
            struct sigaction action {};
            action.sa_handler = removeAndStop;
            sigemptyset(&action.sa_mask);
            sigaction(sig, &action, nullptr);
        }
        return true;
    }();
    (void)installed;
}

} // namespace

void removeOnSignal(const char* path)
{
    installOnce();
    g_armed = 0;
    const size_t length = std::strlen(path);
    if (length >= sizeof g_path) return;
    std::memcpy(g_path, path, length + 1);
    g_armed = 1;
}

void keepOnSignal() { g_armed = 0; }

} // namespace tools
