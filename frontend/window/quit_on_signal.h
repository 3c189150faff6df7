// Ctrl+C in the terminal, or a polite kill, ends the player the same way
// as closing its window: sound stops and every device is released.
#pragma once

namespace zemfe {

// Call once, after the application exists.  SIGINT and SIGTERM then close
// every window from the window thread.
void quitOnTerminationSignals();

} // namespace zemfe
