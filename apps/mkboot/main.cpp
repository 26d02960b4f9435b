// mkboot console program: writes "mkboot.out" into the current directory.
#include <iostream>
#include <string>
#include <vector>

#include "mkboot/mkboot.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const int status = mkboot::run(args, ".", std::cout);
    std::cout.flush();
    return status;
}
