// kr761x-gen: generates firmware projects from save files without the
// desktop program, for build scripts and continuous integration.

#include <iostream>
#include <memory>

#include "cli/CommandLine.h"
#include "cli/GenerateCommand.h"

int main(int argc, char** argv)
{
    kr::cli::CCommandLine commandLine(KR_VERSION);
    commandLine.Add(std::make_unique<kr::cli::CGenerateCommand>());
    return commandLine.Run({argv + 1, argv + argc}, std::cout, std::cerr);
}
