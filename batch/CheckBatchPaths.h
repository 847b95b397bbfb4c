// SPDX-License-Identifier: MIT
#pragma once
// The check every front end runs on a batch job's paths before starting it,
// so the wizard's dialog and the command line accept and refuse the same
// jobs with the same message.

#include <string>

#include "batch/BatchJob.h"

namespace kr {

inline constexpr char16_t kMsgInvalidBatchConfiguration[] =
    u"Invalid batch configuration.\n\nPlease verify all path names before continuing.";

// True when the input and output folders are existing folders and, when the
// job builds its projects, the builder is an existing file that is not a
// folder. Otherwise false with errorText set to the one message that covers
// every bad path, followed by a line naming the first bad path and the
// system's reason; an empty path never exists.
bool CheckBatchPaths(const BatchJob& job, std::u16string& errorText);

}  // namespace kr
