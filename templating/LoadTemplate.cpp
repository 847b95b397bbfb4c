// SPDX-License-Identifier: MIT
#include "templating/LoadTemplate.h"

#include "platform/Resources.h"
#include "platform/Windows1252.h"

namespace kr {

std::optional<std::u16string> LoadTemplate(int resourceNumber)
{
    const auto bytes = platform::FindResource("TEMPLATE", resourceNumber);
    if (!bytes)
        return std::nullopt;
    return platform::DecodeWindows1252(*bytes);
}

}  // namespace kr
