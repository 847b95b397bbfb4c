// SPDX-License-Identifier: MIT
#include "platform/FileFailure.h"

#include <system_error>

namespace kr::platform {

std::string SystemReason(int err)
{
    return std::generic_category().message(err);
}

}  // namespace kr::platform
