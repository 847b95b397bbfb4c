// SPDX-License-Identifier: MIT
#include "generator/ValueFormatters.h"

#include <algorithm>
#include <iterator>

#include "platform/NumberText.h"
#include "platform/Utf.h"

namespace kr {
namespace {

// One slot of the descriptor, appended to out: a code unit as its
// little-endian byte pair. Appended in place: a descriptor has 126 slots and
// a batch formats three descriptors per project.
void AppendSlot(std::u16string& out, char16_t c)
{
    if (c == u'\'') {
        out += u"'\\'', 0x00, ";
    } else if (c == u'\\') {
        out += u"'\\\\', 0x00, ";
    } else if (c >= 0x20 && c <= 0x7E) {
        out += u'\'';
        out += c;
        out += u"', 0x00, ";
    } else {
        static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
        const char16_t pair[] = {u'0', u'x', kDigits[(c >> 4) & 0xF], kDigits[c & 0xF],        u',',
                                 u'0', u'x', kDigits[c >> 12],        kDigits[(c >> 8) & 0xF], u',',
                                 u' '};
        out.append(pair, std::size(pair));
    }
}

}  // namespace

std::u16string FormatHexByte(std::int64_t value)
{
    return platform::FormatHexLiteral(static_cast<std::uint32_t>(value & 0xFF), 2);
}

int RangeItemBytes(std::int64_t value)
{
    return value > kLargestTwoByteItemValue ? 5 : 3;
}

std::u16string FormatRangeItem(std::uint8_t prefix, std::int64_t value, const std::u16string& low,
                               const std::u16string& high)
{
    const std::int64_t held = std::clamp<std::int64_t>(value, 0, 0x7FFFFFFF);
    const bool wide = RangeItemBytes(held) == 5;
    std::u16string text = FormatHexByte(wide ? prefix + 1 : prefix) + u", " + (low.empty() ? FormatHexByte(held) : low)
                          + u", " + (high.empty() ? FormatHexByte(held >> 8) : high);
    if (wide)
        text += u", " + FormatHexByte(held >> 16) + u", " + FormatHexByte(held >> 24);
    return text;
}

std::u16string FormatStringDescriptorBody(const std::u16string& text)
{
    std::size_t n = text.size();
    if (n > kStringDescriptorSlots) {
        n = kStringDescriptorSlots;
        // Half a surrogate pair would make the device report broken text.
        if (platform::IsHighSurrogate(text[n - 1]))
            --n;
    }

    std::u16string out = u"   " + platform::FormatHexLiteral(static_cast<std::uint32_t>(2 * n + 2), 2) + u",0x03, ";
    out.reserve(out.size() + kStringDescriptorSlots * 14);
    for (std::size_t i = 0; i < kStringDescriptorSlots; ++i) {
        if (i < n)
            AppendSlot(out, text[i]);
        else
            out += u"0x00,0x00, ";
        // The header shares the first line with 7 slots; every later line
        // holds 8, the last again 7. Lines end as the generated files' do.
        if ((i + 2) % 8 == 0) {
            out.pop_back();
            out += u"\r\n   ";
        }
    }
    return out;
}

std::u16string CommentSafeText(const std::u16string& text)
{
    std::u16string out = text;
    for (char16_t& c : out) {
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F))
            c = u' ';
    }
    return out;
}

}  // namespace kr
