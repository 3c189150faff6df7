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
int g_open_count = 0;
// One CR LF per terminal row, taken at the first open: writing it from the
// last row scrolls every row out of the window.
std::string g_clear_rows;

} // namespace

extern "C" {

void con_open(void)
{
    if (g_open_count == 0 && g_terminal.open(std::getenv(kOverrideVariable))) {
        g_terminal.set_title(kTitle);
        if (g_clear_rows.empty()) {
            int rows = g_terminal.rows();
            for (int i = 0; i < rows; ++i) {
                g_clear_rows += "\r\n";
            }
        }
    }
    ++g_open_count;
}

void con_close(void)
{
    if (g_open_count == 0) {
        return;
    }
    if (--g_open_count == 0) {
        g_terminal.close();
        g_clear_rows.clear();
        g_clear_rows.shrink_to_fit();
    }
}

int con_putstr(const char* text)
{
    if (text == nullptr || !g_terminal.is_open()) {
        return 0;
    }
    return g_terminal.write(text, std::char_traits<char>::length(text)) ? 1 : 0;
}

int con_locate(int column, int row, int relative)
{
    int16_t x = static_cast<int16_t>(column);
    int16_t y = static_cast<int16_t>(row);
    bool moved = relative != 0 ? g_terminal.move_by(x, y) : g_terminal.move_to(x, y);
    return moved ? 1 : 0;
}

void con_cls(void)
{
    if (!g_terminal.is_open() || g_clear_rows.empty()) {
        return;
    }
    int rows = static_cast<int>(g_clear_rows.size() / 2);
    g_terminal.move_to(0, rows - 1);
    g_terminal.write(g_clear_rows.data(), g_clear_rows.size());
    g_terminal.move_to(0, 0);
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
