// qm6: the administrator's command-line tool of the library. The work is done
// by the commands behind Dispatch; this only connects them to the process.

#include "Console.h"

#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const qm6::tool::Console console{std::cout, std::cerr, std::cin, isatty(STDIN_FILENO) == 1};
    return qm6::tool::Dispatch(args, console);
}
