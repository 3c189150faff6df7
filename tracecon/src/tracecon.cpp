// The debug console over the terminal layer.  Module-wide state, one
// console per process, used from one thread at a time.
#include "tracecon.h"

#include "platform/terminal.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr const char* kTitle = "Debug Console V0.2";
constexpr const char* kOverrideVariable = "ZEM_TRACECON_TTY";

platform::Terminal g_terminal;
int g_openCount = 0;
// One CR LF per terminal row, taken at the first open: writing it from the
// last row scrolls every row out of the window.
std::string g_clearRows;

} // namespace

extern "C" {

void con_open(void)
{
    if (g_openCount == 0 && g_terminal.open(std::getenv(kOverrideVariable))) {
        g_terminal.setTitle(kTitle);
        if (g_clearRows.empty()) {
            int rows = g_terminal.rows();
            for (int i = 0; i < rows; ++i) {
                g_clearRows += "\r\n";
            }
        }
    }
    ++g_openCount;
}

void con_close(void)
{
    if (g_openCount == 0) {
        return;
    }
    if (--g_openCount == 0) {
        g_terminal.close();
        g_clearRows.clear();
        g_clearRows.shrink_to_fit();
    }
}

int con_putstr(const char* text)
{
    if (text == nullptr || !g_terminal.isOpen()) {
        return 0;
    }
    return g_terminal.write(text, std::char_traits<char>::length(text)) ? 1 : 0;
}

int con_locate(int column, int row, int relative)
{
    int16_t x = static_cast<int16_t>(column);
    int16_t y = static_cast<int16_t>(row);
    bool moved = relative != 0 ? g_terminal.moveBy(x, y) : g_terminal.moveTo(x, y);
    return moved ? 1 : 0;
}

void con_cls(void)
{
    if (!g_terminal.isOpen() || g_clearRows.empty()) {
        return;
    }
    int rows = static_cast<int>(g_clearRows.size() / 2);
    g_terminal.moveTo(0, rows - 1);
    g_terminal.write(g_clearRows.data(), g_clearRows.size());
    g_terminal.moveTo(0, 0);
}

void _con_printf(size_t size, const char* format, ...)
{
    if (size == 0 || format == nullptr) {
        return;
    }
    char* buffer = static_cast<char*>(std::malloc(size));
    if (buffer == nullptr) {
        return;
    }
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, size, format, args);
    va_end(args);
    con_putstr(buffer);
    std::free(buffer);
}

} // extern "C"
