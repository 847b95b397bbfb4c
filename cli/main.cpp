// SPDX-License-Identifier: MIT
// kr761x-gen: generates firmware projects from save files without the
// desktop program, for build scripts and continuous integration.

#include <csignal>
#include <iostream>
#include <memory>

#include "cli/BatchCommand.h"
#include "cli/BuildCommand.h"
#include "cli/CheckCommand.h"
#include "cli/CommandLine.h"
#include "cli/DescribeCommand.h"
#include "cli/DiffCommand.h"
#include "cli/GenerateCommand.h"
#include "cli/HostsCommand.h"
#include "cli/SetCommand.h"
#include "cli/ShowCommand.h"
#include "cli/SimulateCommand.h"
#include "cli/StandardOutput.h"
#include "platform/Terminal.h"
#include "platform/Version.h"

namespace {

volatile std::sig_atomic_t interrupts = 0;

// The first Ctrl+C asks a batch to stop between files, the second ends its
// running build at once; a third one ends the program at once.
void OnInterrupt(int)
{
    interrupts = interrupts + 1;
    if (interrupts >= 2)
        std::signal(SIGINT, SIG_DFL);
}

}  // namespace

int main(int argc, char** argv)
{
    std::signal(SIGINT, OnInterrupt);
    kr::cli::CCommandLine commandLine(kr::platform::kProgramVersion);
    commandLine.Add(std::make_unique<kr::cli::CGenerateCommand>());
    commandLine.Add(std::make_unique<kr::cli::CBatchCommand>([] { return int(interrupts); },
                                                             kr::platform::StandardErrorIsTerminal()));
    commandLine.Add(std::make_unique<kr::cli::CDescribeCommand>());
    commandLine.Add(std::make_unique<kr::cli::CBuildCommand>());
    commandLine.Add(std::make_unique<kr::cli::CCheckCommand>());
    commandLine.Add(std::make_unique<kr::cli::CHostsCommand>());
    commandLine.Add(std::make_unique<kr::cli::CSimulateCommand>());
    commandLine.Add(std::make_unique<kr::cli::CTestCommand>());
    commandLine.Add(std::make_unique<kr::cli::CShowCommand>());
    commandLine.Add(std::make_unique<kr::cli::CSetCommand>());
    commandLine.Add(std::make_unique<kr::cli::CDiffCommand>());
    kr::platform::CStandardOutputBuffer output;
    std::ostream out(&output);
    const int status = commandLine.Run({argv + 1, argv + argc}, out, std::cerr);
    return kr::cli::FinishStandardOutput(status, output, std::cerr);
}
