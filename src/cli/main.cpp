// orvanectl: the console program (see Cli.h).
#include <iostream>

#include "src/cli/Cli.h"

int main(int argc, char** argv) { return RunCli(argc, argv, std::cout, std::cerr); }
