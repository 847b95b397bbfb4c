// SPDX-License-Identifier: MIT
#include "settings/ValueText.h"

#include <limits>

namespace kr {
namespace {

bool IsSpace(char16_t c)
{
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

int DigitValue(char16_t c, int base)
{
    int digit = 99;
    if (c >= u'0' && c <= u'9')
        digit = c - u'0';
    else if (c >= u'a' && c <= u'z')
        digit = c - u'a' + 10;
    else if (c >= u'A' && c <= u'Z')
        digit = c - u'A' + 10;
    return digit < base ? digit : -1;
}

struct ParsedNumber {
    bool negative = false;
    std::uint64_t magnitude = 0;  // saturated just above the 32-bit range
    bool overflow = false;  // magnitude exceeded 4294967295
};

ParsedNumber ParseMagnitude(std::u16string_view text, int base)
{
    ParsedNumber result;
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i]))
        ++i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        result.negative = text[i] == u'-';
        ++i;
    }
    if (base == 16 && i + 1 < text.size() && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X'))
        i += 2;
    for (; i < text.size(); ++i) {
        const int digit = DigitValue(text[i], base);
        if (digit < 0)
            break;
        if (!result.overflow) {
            result.magnitude = result.magnitude * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
            result.overflow = result.magnitude > std::numeric_limits<std::uint32_t>::max();
        }
    }
    return result;
}

}  // namespace

std::u16string QuoteString(std::u16string_view text)
{
    std::u16string out;
    out.reserve(text.size() + 2);
    out.push_back(u'"');
    out.append(text);
    out.push_back(u'"');
    return out;
}

std::u16string UnquoteString(std::u16string_view text)
{
    if (!text.empty() && text.front() == u'"')
        text.remove_prefix(1);
    if (!text.empty() && text.back() == u'"')
        text.remove_suffix(1);
    return std::u16string(text);
}

std::int32_t ParseLooseInt(std::u16string_view text)
{
    const ParsedNumber n = ParseMagnitude(text, 10);
    constexpr std::uint64_t kMaxPositive = std::numeric_limits<std::int32_t>::max();
    if (n.negative)
        return n.overflow || n.magnitude > kMaxPositive + 1
                   ? std::numeric_limits<std::int32_t>::min()
                   : static_cast<std::int32_t>(-static_cast<std::int64_t>(n.magnitude));
    return n.overflow || n.magnitude > kMaxPositive ? std::numeric_limits<std::int32_t>::max()
                                                    : static_cast<std::int32_t>(n.magnitude);
}

std::uint32_t ParseLooseUnsigned(std::u16string_view text, int base)
{
    const ParsedNumber n = ParseMagnitude(text, base);
    if (n.overflow)
        return std::numeric_limits<std::uint32_t>::max();
    const auto value = static_cast<std::uint32_t>(n.magnitude);
    return n.negative ? 0u - value : value;
}

}  // namespace kr
