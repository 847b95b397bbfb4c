// SPDX-License-Identifier: MIT
#include "platform/NumberText.h"

namespace kr::platform {

std::u16string FormatDecimal(std::int64_t value)
{
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

std::u16string FormatHex(std::uint32_t value, int digits)
{
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    std::u16string text;
    do {
        text.insert(text.begin(), kDigits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    if (static_cast<int>(text.size()) < digits)
        text.insert(0, static_cast<std::size_t>(digits) - text.size(), u'0');
    return text;
}

std::u16string FormatHexLiteral(std::uint32_t value, int digits)
{
    return u"0x" + FormatHex(value, digits);
}

}  // namespace kr::platform
