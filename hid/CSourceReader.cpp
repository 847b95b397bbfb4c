// SPDX-License-Identifier: MIT
#include "hid/CSourceReader.h"

#include <optional>

namespace kr {
namespace {

bool IsSpace(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f' || c == u'\v';
}

bool IsIdentifierChar(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_';
}

int DigitValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return 99;
}

// A C integer literal without suffix: 0x hexadecimal, leading 0 octal, else
// decimal. Values beyond 32 bits are refused rather than wrapped.
std::optional<long> ParseNumber(std::u16string_view text)
{
    if (text.empty() || text[0] < u'0' || text[0] > u'9')
        return std::nullopt;
    int base = 10;
    std::size_t i = 0;
    if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
        base = 16;
        i = 2;
    } else if (text.size() > 1 && text[0] == u'0') {
        base = 8;
        i = 1;
    }
    long value = 0;
    for (; i < text.size(); ++i) {
        const int digit = DigitValue(text[i]);
        if (digit >= base)
            return std::nullopt;
        value = value * base + digit;
        if (value > 0xFFFFFFFFL)
            return std::nullopt;
    }
    return value;
}

// The value of a character literal such as 'a', '\'' or '\x41' (quotes
// included), as a C compiler for an 8-bit character set reads it.
std::optional<long> ParseCharacter(std::u16string_view text)
{
    if (text.size() < 3 || text.front() != u'\'' || text.back() != u'\'')
        return std::nullopt;
    const std::u16string_view body = text.substr(1, text.size() - 2);
    if (body.size() == 1 && body[0] != u'\\')
        return body[0];
    if (body.size() < 2 || body[0] != u'\\')
        return std::nullopt;
    if (body.size() == 2) {
        switch (body[1]) {
        case u'\\':
        case u'\'':
        case u'"':
        case u'?':
            return body[1];
        case u'0':
            return 0;
        case u'n':
            return 10;
        case u'r':
            return 13;
        case u't':
            return 9;
        default:
            return std::nullopt;
        }
    }
    if (body[1] == u'x' || body[1] == u'X')
        return ParseNumber(u"0x" + std::u16string(body.substr(2)));
    return std::nullopt;
}

// Whether a comment of the form opened by '/' then second starts at i.
bool CommentAt(std::u16string_view source, std::size_t i, char16_t second)
{
    return source[i] == u'/' && i + 1 < source.size() && source[i + 1] == second;
}

std::u16string_view Trim(std::u16string_view text)
{
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

// Where the initializer of NAME[] opens: the index after its '{', or npos.
// Comments, string and character literals are passed over, so a mention of
// the array in a comment is not taken for it.
std::size_t FindInitializer(std::u16string_view source, std::u16string_view name)
{
    const std::size_t n = source.size();
    std::size_t i = 0;
    auto skipSpaces = [&] {
        while (i < n && IsSpace(source[i]))
            ++i;
    };
    auto expect = [&](char16_t c) {
        skipSpaces();
        if (i >= n || source[i] != c)
            return false;
        ++i;
        return true;
    };
    while (i < n) {
        const char16_t c = source[i];
        if (CommentAt(source, i, u'/')) {
            i = source.find(u'\n', i);
        } else if (CommentAt(source, i, u'*')) {
            i = source.find(u"*/", i + 2);
            if (i != std::u16string_view::npos)
                i += 2;
        } else if (c == u'"' || c == u'\'') {
            for (++i; i < n && source[i] != c; ++i)
                if (source[i] == u'\\')
                    ++i;
            ++i;
        } else if (IsIdentifierChar(c)) {
            const std::size_t start = i;
            while (i < n && IsIdentifierChar(source[i]))
                ++i;
            if (source.substr(start, i - start) == name && expect(u'[') && expect(u']') && expect(u'=') && expect(u'{'))
                return i;
        } else {
            ++i;
        }
    }
    return std::u16string_view::npos;
}

}  // namespace

std::map<std::u16string, long> ReadNumericDefines(std::u16string_view source)
{
    std::map<std::u16string, long> defines;
    std::size_t start = 0;
    while (start < source.size()) {
        std::size_t end = source.find(u'\n', start);
        if (end == std::u16string_view::npos)
            end = source.size();
        std::u16string_view line = source.substr(start, end - start);
        start = end + 1;

        const std::size_t comment = line.find(u"//");
        if (comment != std::u16string_view::npos)
            line = line.substr(0, comment);
        line = Trim(line);
        constexpr std::u16string_view kDefine = u"#define";
        if (!line.starts_with(kDefine) || line.size() == kDefine.size() || !IsSpace(line[kDefine.size()]))
            continue;
        line = Trim(line.substr(kDefine.size()));
        std::size_t nameEnd = 0;
        while (nameEnd < line.size() && IsIdentifierChar(line[nameEnd]))
            ++nameEnd;
        if (nameEnd == 0 || nameEnd == line.size() || !IsSpace(line[nameEnd]))
            continue;
        if (const std::optional<long> value = ParseNumber(Trim(line.substr(nameEnd))))
            defines[std::u16string(line.substr(0, nameEnd))] = *value;
    }
    return defines;
}

bool ReadByteArray(std::u16string_view source, std::u16string_view name, const std::map<std::u16string, long>& defines,
                   std::vector<std::uint8_t>& bytes, std::u16string& errorText)
{
    errorText.clear();
    bytes.clear();
    const std::u16string arrayName(name);
    std::size_t i = FindInitializer(source, name);
    if (i == std::u16string_view::npos) {
        errorText = u"no initializer of " + arrayName;
        return false;
    }

    std::u16string token;
    auto flush = [&] {
        if (token.empty()) {
            errorText = arrayName + u": empty element";
            return false;
        }
        std::optional<long> value = token[0] == u'\'' ? ParseCharacter(token) : ParseNumber(token);
        if (!value && token[0] != u'\'') {
            const auto it = defines.find(token);
            if (it == defines.end()) {
                errorText = arrayName + u": unknown element " + token;
                return false;
            }
            value = it->second;
        }
        if (!value) {
            errorText = arrayName + u": unknown element " + token;
            return false;
        }
        if (*value < 0 || *value > 0xFF) {
            errorText = arrayName + u": not a byte: " + token;
            return false;
        }
        bytes.push_back(static_cast<std::uint8_t>(*value));
        token.clear();
        return true;
    };

    while (i < source.size()) {
        const char16_t c = source[i];
        if (CommentAt(source, i, u'/')) {
            i = source.find(u'\n', i);
            continue;
        }
        if (CommentAt(source, i, u'*')) {
            const std::size_t close = source.find(u"*/", i + 2);
            if (close == std::u16string_view::npos)
                break;
            i = close + 2;
            continue;
        }
        if (c == u'}') {
            // A trailing comma before the brace is allowed, as in C.
            return token.empty() || flush();
        }
        if (c == u'\'') {
            // A character literal, taken whole: it may hold a space or a comma.
            const std::size_t start = i;
            for (++i; i < source.size() && source[i] != u'\''; ++i)
                if (source[i] == u'\\')
                    ++i;
            token += source.substr(start, i + 1 - start);
        } else if (c == u',') {
            if (!flush())
                return false;
        } else if (!IsSpace(c)) {
            token += c;
        }
        ++i;
    }
    errorText = arrayName + u": no closing brace";
    return false;
}

}  // namespace kr
