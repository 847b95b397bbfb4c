// kr761x-build WORKSPACE: the builder the batch generator runs on each
// generated workspace. It does exactly what "kr761x-gen build" does.

#include <iostream>
#include <string>
#include <vector>

#include "cli/BuildCommand.h"

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << "usage: kr761x-build WORKSPACE\n"
                     "Builds the SDCC project of WORKSPACE (a .wsp file or its folder) into a firmware\n"
                     "image and checks it, as 'kr761x-gen build' does. Exit status: 0 when the image\n"
                     "was built and holds; 1 when the build failed, with the reason on standard error;\n"
                     "2 when the command line was not understood.\n";
        return kr::cli::kExitSuccess;
    }
    if (args.size() == 1 && args[0] == "--version") {
        std::cout << "kr761x-build " << KR_VERSION << "\n";
        return kr::cli::kExitSuccess;
    }
    if (args.size() != 1 || args[0].empty() || args[0].starts_with("-")) {
        std::cerr << "usage: kr761x-build WORKSPACE\n";
        return kr::cli::kExitUsage;
    }
    kr::cli::CBuildCommand command;
    return command.Run(args, std::cout, std::cerr);
}
