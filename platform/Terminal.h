// SPDX-License-Identifier: MIT
#pragma once
// What the program's standard streams are connected to.

namespace kr::platform {

// True when standard error is a terminal, where a progress line that
// rewrites itself makes sense; false for a file or a pipe.
bool StandardErrorIsTerminal();

}  // namespace kr::platform
