// A tool stopped by SIGINT, SIGTERM or SIGHUP while it writes an output
// removes the unfinished temporary file before it dies, as a failure does,
// so that no hidden partial file is left beside the output.
#pragma once

namespace tools {

// From now on a stopping signal removes the file at path (copied) first.
// Signals the program was started with ignored stay ignored.
void removeOnSignal(const char* path);
// Nothing is removed any more: the file was put in place or discarded.
void keepOnSignal();

} // namespace tools
