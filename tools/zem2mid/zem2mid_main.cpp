// zem2mid: exports the ZEM images named on the command line as MIDI files,
// messages on the console.
#include "zem2mid_program.h"

int main(int argc, char** argv) { return tools::runConsoleProgram(argc, argv, zem2mid::zem2midProgram()); }
