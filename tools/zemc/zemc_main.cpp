// zemc: compiles the KVT files named on the command line, messages on the console.
#include "zemc_program.h"

int main(int argc, char** argv) { return tools::runConsoleProgram(argc, argv, zemc_driver::zemcProgram()); }
