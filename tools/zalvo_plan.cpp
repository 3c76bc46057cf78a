// zalvo-plan: plate image in, cut line out as JSON and a picture.
#include "cli/CommandLine.h"
#include "plan/Interruption.h"

#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    ZalvoPlan::InstallStopSignalHandlers();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return ZalvoPlan::RunCommandLine(arguments, std::cin, std::cout, std::cerr, ::isatty(STDERR_FILENO) != 0);
}
