// SPDX-License-Identifier: MIT
#include "cli/StandardOutput.h"

#include <algorithm>
#include <string>

#include "cli/Command.h"

namespace kr::cli {

int FinishStandardOutput(int status, platform::CStandardOutputBuffer& output, std::ostream& err)
{
    std::string reason;
    if (output.Finish(reason))
        return status;
    err << "Error: Could not write standard output\nstandard output: " << reason << "\n" << std::flush;
    // A failure, or the trouble status a command already chose for it.
    return std::max(status, static_cast<int>(kExitFailure));
}

}  // namespace kr::cli
