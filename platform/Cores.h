// SPDX-License-Identifier: MIT
#pragma once
// How many processors this process may run on.

namespace kr::platform {

// The processors the process is allowed to use (its affinity mask), at
// least 1; the ones online when the mask cannot be read.
unsigned UsableCores();

}  // namespace kr::platform
