/* tracecon: a debug console for trace output from any program, windowed or
 * not.  Text goes to the controlling terminal (or, when the environment
 * variable ZEM_TRACECON_TTY names a file or another terminal, there), with
 * the title "Debug Console V0.2".
 *
 * Use from one thread at a time.  Opens nest: only the first con_open takes
 * the terminal and only the matching last con_close releases it; a
 * con_close without an open does nothing.
 */
#ifndef TRACECON_H
#define TRACECON_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

#define TRACECON_API __attribute__((visibility("default")))

/* Opens or shares the console.  The count of opens grows even when no
 * terminal is available; output then goes nowhere. */
TRACECON_API void con_open(void);
/* Releases one open; the last one releases the terminal. */
TRACECON_API void con_close(void);
/* Writes the NUL-terminated text's bytes unchanged.  Returns 1 when written,
 * 0 when the text is null, the console is not open or the write failed. */
TRACECON_API int con_putstr(const char* text);
/* Moves the cursor to (column, row), counted from 0 at the top left, or by
 * (column, row) from where it is when relative is not 0 (negative: left and
 * up).  Both are taken as signed 16-bit values.  Returns 1 when moved, 0
 * otherwise (console not open, negative absolute position). */
TRACECON_API int con_locate(int column, int row, int relative);
/* Scrolls every row out of the window and puts the cursor at the top left.
 * Does nothing while the console is not open. */
TRACECON_API void con_cls(void);
/* Formats like printf into a buffer of size bytes (at most size - 1
 * characters are kept) and writes the result with con_putstr.  A size of 0,
 * a null format or a failed allocation writes nothing. */
TRACECON_API void _con_printf(size_t size, const char* format, ...) __attribute__((format(printf, 2, 3)));

#ifdef __cplusplus
}
#endif

#endif
