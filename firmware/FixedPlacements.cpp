// SPDX-License-Identifier: MIT
#include "firmware/FixedPlacements.h"

#include <cstdlib>

#include "hid/CSourceReader.h"

namespace kr::firmware {
namespace {

bool IsIdentifierChar(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_';
}

// The source with comments replaced by spaces (line ends kept), so that
// nothing inside a comment is taken for a declaration. String and character
// literals are kept as they are.
std::u16string WithoutComments(std::u16string_view source)
{
    std::u16string out(source);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const char16_t c = out[i];
        if (c == u'"' || c == u'\'') {
            for (++i; i < out.size() && out[i] != c; ++i)
                if (out[i] == u'\\')
                    ++i;
        } else if (c == u'/' && i + 1 < out.size() && (out[i + 1] == u'/' || out[i + 1] == u'*')) {
            const bool line = out[i + 1] == u'/';
            std::size_t end = line ? out.find(u'\n', i) : out.find(u"*/", i + 2);
            end = end == std::u16string::npos ? out.size() : end + (line ? 0 : 2);
            for (std::size_t j = i; j < end; ++j)
                if (out[j] != u'\n')
                    out[j] = u' ';
            i = end - 1;
        }
    }
    return out;
}

}  // namespace

bool ReadFixedPlacements(std::u16string_view source, const std::map<std::u16string, long>& defines,
                         std::vector<FixedPlacement>& placements, std::u16string& errorText)
{
    errorText.clear();
    placements.clear();
    const std::u16string text = WithoutComments(source);
    constexpr std::u16string_view kAt = u"__at";

    for (std::size_t at = text.find(kAt); at != std::u16string::npos; at = text.find(kAt, at + kAt.size())) {
        const bool wordStart = at == 0 || !IsIdentifierChar(text[at - 1]);
        const bool wordEnd = at + kAt.size() >= text.size() || !IsIdentifierChar(text[at + kAt.size()]);
        const std::size_t open = text.find(u'(', at);
        const std::size_t close = text.find(u')', at);
        if (!wordStart || !wordEnd || open == std::u16string::npos || close == std::u16string::npos || close < open ||
            text.find_first_not_of(u" \t", at + kAt.size()) != open)
            continue;
        // The declaration runs to its ';'; it is a placement of data only
        // when it has an initializer.
        const std::size_t equals = text.find(u'=', close);
        const std::size_t semicolon = text.find(u';', close);
        if (equals == std::u16string::npos || semicolon == std::u16string::npos || semicolon < equals)
            continue;

        // The address: a number, or a name from the defines.
        std::u16string addressText;
        for (char16_t c : text.substr(open + 1, close - open - 1))
            if (c != u' ' && c != u'\t')
                addressText += c;
        long address = -1;
        if (const auto define = defines.find(addressText); define != defines.end()) {
            address = define->second;
        } else {
            // A C integer literal: 0x hexadecimal, leading 0 octal, else decimal.
            const std::string narrow(addressText.begin(), addressText.end());
            char* end = nullptr;
            const long value = narrow.empty() ? -1 : std::strtol(narrow.c_str(), &end, 0);
            if (end && *end == '\0')
                address = value;
        }

        // The declared name: the last identifier before '[' or '='.
        std::size_t nameEnd = equals;
        const std::size_t bracket = text.find(u'[', close);
        if (bracket != std::u16string::npos && bracket < equals)
            nameEnd = bracket;
        while (nameEnd > close && !IsIdentifierChar(text[nameEnd - 1]))
            --nameEnd;
        std::size_t nameStart = nameEnd;
        while (nameStart > close && IsIdentifierChar(text[nameStart - 1]))
            --nameStart;
        const std::u16string name = text.substr(nameStart, nameEnd - nameStart);
        if (address < 0 || address > 0xFFFF || name.empty()) {
            errorText = u"Cannot read the placement of " + (name.empty() ? addressText : name);
            return false;
        }

        // The initializer, braced or a single element up to the ';'.
        std::size_t first = equals + 1;
        while (first < text.size() && (text[first] == u' ' || text[first] == u'\t' || text[first] == u'\r' ||
                                       text[first] == u'\n'))
            ++first;
        std::u16string elements;
        if (first < text.size() && text[first] == u'{') {
            const std::size_t brace = text.find(u'}', first);
            if (brace == std::u16string::npos) {
                errorText = name + u": no closing brace";
                return false;
            }
            elements = text.substr(first + 1, brace - first - 1);
        } else {
            elements = text.substr(first, semicolon - first);
        }
        FixedPlacement placement;
        placement.address = static_cast<std::uint32_t>(address);
        placement.name = name;
        if (!ReadByteArray(name + u"[] = {" + elements + u"}", name, defines, placement.bytes, errorText))
            return false;
        placements.push_back(std::move(placement));
        at = semicolon;
    }
    return true;
}

}  // namespace kr::firmware
