// SPDX-License-Identifier: MIT
#pragma once
// The end of every command line program: output of ours that could not be
// written is a failure, said on standard error.

#include <ostream>

#include "platform/StandardOutput.h"

namespace kr::cli {

// status, unless some of the program's output could not be written: then
// kExitFailure (or status, when that is higher: diff's trouble), with the first line "Error: Could not write standard output"
// and the system's reason below it on err.
int FinishStandardOutput(int status, platform::CStandardOutputBuffer& output, std::ostream& err);

}  // namespace kr::cli
