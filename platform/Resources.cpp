// SPDX-License-Identifier: MIT
#include "platform/Resources.h"

namespace kr::platform {

std::optional<std::string_view> FindResource(std::string_view type, int number)
{
    for (const ResourceEntry* e = detail::ResourceTableBegin(); e != detail::ResourceTableEnd(); ++e) {
        if (e->number == number && type == e->type) {
            if (e->size == 0)
                return std::nullopt;
            return std::string_view(reinterpret_cast<const char*>(e->data), e->size);
        }
    }
    return std::nullopt;
}

}  // namespace kr::platform
