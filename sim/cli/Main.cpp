#include <iostream>
#include <string>
#include <vector>

#include "CardCommands.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return sim::RunCardCommand(args, std::cout, std::cerr);
}
