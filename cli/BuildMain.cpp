// SPDX-License-Identifier: MIT
// kr761x-build WORKSPACE: the builder the batch generator runs on each
// generated workspace. It does exactly what "kr761x-gen build" does.

#include <iostream>
#include <string>
#include <vector>

#include "cli/BuildCommand.h"
#include "cli/CommandLine.h"
#include "cli/StandardOutput.h"
#include "platform/Version.h"

int main(int argc, char** argv)
{
    const kr::cli::SingleCommandProgram program{
        .name = "kr761x-build",
        .help = "Builds the SDCC project of WORKSPACE (a .wsp file or its folder) into a firmware\n"
                "image and checks it, as 'kr761x-gen build' does. --min-stack sets the bytes of\n"
                "internal RAM the stack needs at least (32 unless given). Exit status: 0 when the\n"
                "image was built and holds; 1 when the build failed, with the reason on standard\n"
                "error; 2 when the command line was not understood.\n",
        .version = kr::platform::kProgramVersion,
    };
    kr::cli::CBuildCommand command("WORKSPACE");
    kr::platform::CStandardOutputBuffer output;
    std::ostream out(&output);
    const int status = kr::cli::RunSingleCommand(program, command, {argv + 1, argv + argc}, out, std::cerr);
    return kr::cli::FinishStandardOutput(status, output, std::cerr);
}
