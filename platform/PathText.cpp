// SPDX-License-Identifier: MIT
#include "platform/PathText.h"

#include <algorithm>

#include "platform/Utf.h"

namespace kr::platform {
namespace {

constexpr char16_t kFirstEscape = 0xDC80;
constexpr char16_t kLastEscape = 0xDCFF;

bool IsEscapedByte(char16_t c)
{
    return c >= kFirstEscape && c <= kLastEscape;
}

// Length of the valid UTF-8 sequence at text[i], 0 when there is none.
std::size_t SequenceLength(std::string_view text, std::size_t i)
{
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t extra = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        extra = 1, cp = lead & 0x1F, min = 0x80;
    else if ((lead & 0xF0) == 0xE0)
        extra = 2, cp = lead & 0x0F, min = 0x800;
    else if ((lead & 0xF8) == 0xF0)
        extra = 3, cp = lead & 0x07, min = 0x10000;
    else
        return 0;
    if (i + extra >= text.size())
        return 0;
    for (std::size_t k = 1; k <= extra; ++k) {
        const auto c = static_cast<unsigned char>(text[i + k]);
        if ((c & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (c & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return extra + 1;
}

}  // namespace

std::u16string EscapeControls(std::u16string_view text)
{
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    std::u16string shown;
    shown.reserve(text.size());
    for (const char16_t c : text) {
        const bool control = c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029;
        if (!control) {
            shown += c;
            continue;
        }
        switch (c) {
        case u'\t':
            shown += u"\\t";
            break;
        case u'\n':
            shown += u"\\n";
            break;
        case u'\r':
            shown += u"\\r";
            break;
        default:
            if (c <= 0xFF) {
                shown += {u'\\', u'x', kDigits[c >> 4], kDigits[c & 0xF]};
            } else {
                shown +=
                    {u'\\', u'u', kDigits[c >> 12], kDigits[(c >> 8) & 0xF], kDigits[(c >> 4) & 0xF], kDigits[c & 0xF]};
            }
        }
    }
    return shown;
}

std::string EscapeControlBytes(std::string_view bytes)
{
    std::string shown;
    shown.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = std::max<std::size_t>(SequenceLength(bytes, i), 1);
        const std::u16string character = FromUtf8(bytes.substr(i, length));
        const std::u16string escaped =
            length == 1 && static_cast<unsigned char>(bytes[i]) >= 0x80 ? character : EscapeControls(character);
        if (escaped == character)
            shown.append(bytes.substr(i, length));
        else
            shown += ToUtf8(escaped);
        i += length;
    }
    return shown;
}

std::u16string ShownPath(const std::filesystem::path& path)
{
    return EscapeControls(FromUtf8(path.native()));
}

std::u16string PathAsText(const std::filesystem::path& path)
{
    const std::string& bytes = path.native();
    std::u16string text;
    text.reserve(bytes.size());
    // Each run of whole UTF-8 sequences is decoded in one go; a byte that
    // starts none is carried on its own.
    std::size_t run = 0;
    std::size_t i = 0;
    while (i < bytes.size()) {
        if (const std::size_t length = SequenceLength(bytes, i); length != 0) {
            i += length;
            continue;
        }
        text += FromUtf8(std::string_view(bytes).substr(run, i - run));
        text.push_back(static_cast<char16_t>(0xDC00 + static_cast<unsigned char>(bytes[i])));
        run = ++i;
    }
    text += FromUtf8(std::string_view(bytes).substr(run));
    return text;
}

std::filesystem::path PathFromText(std::u16string_view text)
{
    std::string bytes;
    bytes.reserve(text.size());
    std::size_t begin = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        const bool escaped = i < text.size() && IsEscapedByte(text[i]) && (i == 0 || !IsHighSurrogate(text[i - 1]));
        if (i < text.size() && !escaped)
            continue;
        bytes += ToUtf8(text.substr(begin, i - begin));
        if (i < text.size())
            bytes.push_back(static_cast<char>(text[i] - 0xDC00));
        begin = i + 1;
    }
    return std::filesystem::path(std::move(bytes));
}

bool HoldsPathBytes(std::u16string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsEscapedByte(text[i]) && (i == 0 || !IsHighSurrogate(text[i - 1])))
            return true;
    }
    return false;
}

bool HoldsControlCharacter(std::string_view path)
{
    return std::any_of(path.begin(), path.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

}  // namespace kr::platform
