// SPDX-License-Identifier: MIT
#include "templating/TemplateTokenizer.h"

namespace kr {
namespace {

constexpr char16_t kKeyMarker = u'\u00A6';  // ¦
constexpr char16_t kTagOpen = u'\u00AB';  // «
constexpr char16_t kTagClose = u'\u00BB';  // »
constexpr char16_t kBlockEnd = u'\u00B6';  // ¶

bool IsMarker(char16_t c)
{
    return c == kTagOpen || c == kBlockEnd || c == kKeyMarker;
}

TemplateToken Token(TemplateToken::Kind kind, std::size_t offset, std::size_t begin, std::size_t end)
{
    return {kind, static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(begin),
            static_cast<std::uint32_t>(end - begin)};
}

}  // namespace

ExpandResult Tokenize(std::u16string_view t, std::vector<TemplateToken>& tokens, TemplateError& error)
{
    using Kind = TemplateToken::Kind;
    tokens.clear();
    const std::size_t n = t.size();
    std::size_t i = 0;
    while (i < n) {
        const char16_t c = t[i];
        if (c == kTagOpen) {
            const std::size_t close = i + 1 < n ? t.find(kTagClose, i + 1) : std::u16string_view::npos;
            if (close == std::u16string_view::npos) {
                error = TemplateErrorAt(t, i, ExpandResult::SyntaxError, TemplateProblem::UnterminatedTag);
                return error.code;
            }
            tokens.push_back(Token(Kind::Switch, i, i + 1, close));
            i = close + 1;
        } else if (c == kBlockEnd) {
            tokens.push_back(Token(Kind::EndBlock, i, i, i));
            ++i;
        } else if (c == kKeyMarker) {
            const std::size_t close = t.find(kKeyMarker, i + 1);
            if (close == std::u16string_view::npos) {
                error = TemplateErrorAt(t, i, ExpandResult::SyntaxError, TemplateProblem::UnterminatedKey);
                return error.code;
            }
            tokens.push_back(Token(Kind::Key, i, i + 1, close));
            i = close + 1;
        } else {
            std::size_t end = i + 1;
            while (end < n && !IsMarker(t[end]))
                ++end;
            tokens.push_back(Token(Kind::Text, i, i, end));
            i = end;
        }
    }
    return ExpandResult::Ok;
}

}  // namespace kr
