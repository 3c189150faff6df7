// zem2midw: zem2mid with message boxes (standard-error lines without a display).
#include "zem2mid_program.h"

int main(int argc, char** argv) { return tools::runWindowedProgram(argc, argv, zem2mid::zem2midProgram()); }
