#include "batch/BatchCommands.h"

#include <iostream>

int main(int argc, char* argv[]) {
    std::ios::sync_with_stdio(false);
    std::vector<std::string> args(argv + 1, argv + argc);
    return korvex::BatchCommands(std::cout, std::cerr).run(args);
}
