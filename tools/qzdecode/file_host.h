// The decoder host table over the process's own files and heap.
#pragma once

#include "qzdecoder.h"

// A table whose handles are POSIX file descriptors (invalid: -1).
const dw_host* fileHostTable();
