// zemcw: zemc with message boxes (standard-error lines without a display).
#include "zemc_program.h"

int main(int argc, char** argv) { return tools::runWindowedProgram(argc, argv, zemc_driver::zemcProgram()); }
