#include "batch/BatchCommands.h"

#include <iostream>
#include <new>

int main(int argc, char* argv[]) {
    std::ios::sync_with_stdio(false);
    std::vector<std::string> args(argv + 1, argv + argc);
    try {
        return korvex::BatchCommands(std::cout, std::cerr).run(args);
    } catch (const std::bad_alloc&) {
        std::cerr << "korvex-batch: not enough memory for this data set\n";
        return korvex::BatchCommands::kOutOfMemory;
    }
}
