// Moving a whole run of bytes through read(2)- or write(2)-like calls, which
// may move fewer bytes than asked or be interrupted by a signal.
#pragma once

#include <sys/types.h>

#include <cerrno>
#include <cstddef>

namespace platform {

// Calls call(done), which moves bytes from offset `done` on and answers as
// read(2) and write(2) do, until n bytes have moved, a call fails or the
// file ends; an interrupted call is repeated.  Returns the bytes moved.
template <typename Call> size_t transferFully(size_t n, Call call)
{
    size_t done = 0;
    while (done < n) {
        const ssize_t moved = call(done);
        if (moved < 0 && errno == EINTR) continue;
        if (moved <= 0) break;
        done += static_cast<size_t>(moved);
    }
    return done;
}

} // namespace platform
