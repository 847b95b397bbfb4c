// SPDX-License-Identifier: MIT
#include "platform/Windows1252.h"

#include <array>

#include "platform/Utf.h"

namespace kr::platform {
namespace {

// Bytes 0x80-0x9F; all other bytes equal their code point. The undefined
// positions hold the control character of the same value.
constexpr std::array<char16_t, 32> kHighControlRange = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char EncodeOne(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    for (std::size_t i = 0; i < kHighControlRange.size(); ++i) {
        if (kHighControlRange[i] == c)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

}  // namespace

std::u16string DecodeWindows1252(std::string_view bytes)
{
    std::u16string text;
    text.reserve(bytes.size());
    for (char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        text.push_back(u >= 0x80 && u <= 0x9F ? kHighControlRange[u - 0x80] : char16_t(u));
    }
    return text;
}

std::string EncodeWindows1252(std::u16string_view text)
{
    std::string bytes;
    AppendWindows1252(text, bytes);
    return bytes;
}

void AppendWindows1252(std::u16string_view text, std::string& bytes)
{
    // At most one byte per UTF-16 unit: written in place, then trimmed.
    const std::size_t start = bytes.size();
    bytes.resize(start + text.size());
    char* out = bytes.data() + start;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            *out++ = '?';
            ++i;
            continue;
        }
        *out++ = EncodeOne(text[i]);
    }
    bytes.resize(static_cast<std::size_t>(out - bytes.data()));
}

}  // namespace kr::platform
