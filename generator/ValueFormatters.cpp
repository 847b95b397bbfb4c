#include "generator/ValueFormatters.h"

#include <cstdio>

#include "platform/Utf.h"

namespace kr {
namespace {

std::u16string Widen(const char* ascii)
{
    std::u16string out;
    for (; *ascii; ++ascii)
        out += static_cast<char16_t>(static_cast<unsigned char>(*ascii));
    return out;
}

// One slot of the descriptor: a code unit as its little-endian byte pair.
std::u16string FormatSlot(char16_t c)
{
    if (c == u'\'')
        return u"'\\'', 0x00, ";
    if (c == u'\\')
        return u"'\\\\', 0x00, ";
    if (c >= 0x20 && c <= 0x7E)
        return u"'" + std::u16string(1, c) + u"', 0x00, ";
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%02X,0x%02X, ", static_cast<unsigned>(c & 0xFF), static_cast<unsigned>(c >> 8));
    return Widen(buf);
}

}  // namespace

std::u16string FormatHexByte(std::int64_t value)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%02X", static_cast<unsigned>(value & 0xFF));
    return Widen(buf);
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

    char header[24];
    std::snprintf(header, sizeof header, "   0x%02X,0x03, ", static_cast<unsigned>(2 * n + 2));
    std::u16string out = Widen(header);
    for (std::size_t i = 0; i < kStringDescriptorSlots; ++i) {
        out += i < n ? FormatSlot(text[i]) : u"0x00,0x00, ";
        // The header shares the first line with 7 slots; every later line
        // holds 8, the last again 7.
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
