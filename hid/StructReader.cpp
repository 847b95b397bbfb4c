// SPDX-License-Identifier: MIT
#include "hid/StructReader.h"

#include <map>

namespace kr {
namespace {

const std::map<std::u16string, int, std::less<>> kTypeSizes = {
    {u"U8", 1}, {u"S8", 1}, {u"U16", 2}, {u"S16", 2}, {u"UU16", 2}, {u"U32", 4}, {u"S32", 4}, {u"UU32", 4},
};

// The text with every comment replaced by a blank.
std::u16string WithoutComments(std::u16string_view source)
{
    std::u16string text;
    for (std::size_t i = 0; i < source.size();) {
        if (source.substr(i, 2) == u"//") {
            i = source.find(u'\n', i);
            if (i == std::u16string_view::npos)
                break;
        } else if (source.substr(i, 2) == u"/*") {
            const std::size_t end = source.find(u"*/", i + 2);
            i = end == std::u16string_view::npos ? source.size() : end + 2;
            text += u' ';
        } else {
            text += source[i++];
        }
    }
    return text;
}

bool IsNameChar(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_';
}

// The words and punctuation of C text: names, and every other non-blank
// character on its own.
std::vector<std::u16string> Tokens(std::u16string_view text)
{
    std::vector<std::u16string> tokens;
    for (std::size_t i = 0; i < text.size();) {
        const char16_t c = text[i];
        if (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n') {
            ++i;
        } else if (IsNameChar(c)) {
            std::size_t end = i;
            while (end < text.size() && IsNameChar(text[end]))
                ++end;
            tokens.emplace_back(text.substr(i, end - i));
            i = end;
        } else {
            tokens.emplace_back(1, c);
            ++i;
        }
    }
    return tokens;
}

}  // namespace

std::optional<std::vector<StructMember>> ReadStructMembers(std::u16string_view source, std::u16string_view name)
{
    const std::vector<std::u16string> tokens = Tokens(WithoutComments(source));
    // Each "typedef struct { ... } NAME ;" in turn, until the one named.
    for (std::size_t i = 0; i + 2 < tokens.size(); ++i) {
        if (tokens[i] != u"typedef" || tokens[i + 1] != u"struct" || tokens[i + 2] != u"{")
            continue;
        std::vector<StructMember> members;
        int offset = 0;
        std::size_t j = i + 3;
        bool plain = true;
        for (; j + 2 < tokens.size() && tokens[j] != u"}"; j += 3) {
            const auto size = kTypeSizes.find(tokens[j]);
            if (size == kTypeSizes.end() || !IsNameChar(tokens[j + 1][0]) || tokens[j + 2] != u";") {
                plain = false;
                break;
            }
            members.push_back({tokens[j], tokens[j + 1], offset, size->second});
            offset += size->second;
        }
        if (j + 2 < tokens.size() && tokens[j] == u"}" && tokens[j + 1] == name && tokens[j + 2] == u";")
            return plain ? std::optional(std::move(members)) : std::nullopt;
        i = j;
    }
    return std::nullopt;
}

}  // namespace kr
