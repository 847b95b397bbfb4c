#include "platform/NumberText.h"

namespace kr::platform {

std::u16string FormatDecimal(std::int64_t value)
{
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

}  // namespace kr::platform
