// SPDX-License-Identifier: MIT
#include "model/NumericEntry.h"

#include "platform/NumberText.h"

namespace kr {

using platform::FormatDecimal;
using platform::FormatHex;

namespace {

// The conversion saturates here, so a number of any length that does not fit
// in 32 bits reads as this value and is refused as an overflow.
constexpr std::uint32_t kSaturated = 0xFFFFFFFFu;

bool IsHex(NumberKind kind)
{
    return kind == NumberKind::HexByte || kind == NumberKind::HexWord;
}

int DigitValue(char16_t c, bool hex)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (hex && c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    if (hex && c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    return -1;
}

}  // namespace

std::uint32_t LargestEntry(NumberKind kind)
{
    switch (kind) {
    case NumberKind::DecimalWord:
        return 0xFFFF;
    case NumberKind::DecimalDWord:
        return kSaturated - 1;
    case NumberKind::HexByte:
        return 0xFF;
    case NumberKind::HexWord:
        return 0xFFFF;
    }
    return 0;
}

EntryResult ParseEntry(NumberKind kind, std::u16string_view text)
{
    const bool hex = IsHex(kind);
    const std::uint64_t base = hex ? 16 : 10;
    std::uint64_t value = 0;
    for (char16_t c : text) {
        const int digit = DigitValue(c, hex);
        if (digit < 0)
            return {false, 0, hex ? kMsgHexadecimal : kMsgPositiveInteger};
        value = value * base + static_cast<std::uint64_t>(digit);
        if (value > kSaturated)
            value = kSaturated;  // keeps reading: a bad character later still wins
    }
    if (value == kSaturated || value > LargestEntry(kind))
        return {false, 0, kMsgValueOverflow};
    return {true, static_cast<std::uint32_t>(value), {}};
}

std::u16string FormatEntry(NumberKind kind, std::uint32_t value)
{
    switch (kind) {
    case NumberKind::HexByte:
        return FormatHex(value, 2);
    case NumberKind::HexWord:
        return FormatHex(value, 4);
    default:
        return FormatDecimal(value);
    }
}

std::optional<std::u16string> CheckRange(std::uint32_t value, std::uint32_t lo, std::uint32_t hi)
{
    if (value >= lo && value <= hi)
        return std::nullopt;
    return u"Please enter an integer between " + FormatDecimal(lo) + u" and " + FormatDecimal(hi) + u".";
}

std::optional<std::u16string> CheckEvenRangeWord(std::uint16_t value, std::uint16_t lo, std::uint16_t hi)
{
    if (value >= lo && value <= hi && value % 2 == 0)
        return std::nullopt;
    return u"Please enter an even integer between " + FormatDecimal(lo) + u" and " + FormatDecimal(hi) + u".";
}

std::optional<std::u16string> CheckEvenRangeHexByte(std::uint8_t value, std::uint8_t lo, std::uint8_t hi)
{
    if (value >= lo && value <= hi && value % 2 == 0)
        return std::nullopt;
    return u"Please enter an even integer between 0x" + FormatHex(lo, 2) + u" and 0x" + FormatHex(hi, 2) + u".";
}

std::optional<std::u16string> CheckMaxChars(std::u16string_view text, int n)
{
    if (n < 0 || text.size() <= static_cast<std::size_t>(n))
        return std::nullopt;
    return u"Please enter no more than " + FormatDecimal(n) + u" characters.";
}

}  // namespace kr
