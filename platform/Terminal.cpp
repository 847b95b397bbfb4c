// SPDX-License-Identifier: MIT
#include "platform/Terminal.h"

#include <unistd.h>

namespace kr::platform {

bool StandardErrorIsTerminal()
{
    return ::isatty(STDERR_FILENO) == 1;
}

}  // namespace kr::platform
