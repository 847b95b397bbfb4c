// SPDX-License-Identifier: MIT
#pragma once
// The first stage of the template language: template text into tokens.
//   ¦KEY¦            a key, replaced by its text when rendered
//   «TAG»            opens a block kept when TAG is active
//   ¶                ends the innermost open block
// Everything between markers is literal text. A lone » is literal text too;
// nothing is escaped.

#include <cstdint>
#include <string_view>
#include <vector>

#include "templating/TemplateError.h"

namespace kr {

struct TemplateToken {
    enum class Kind : std::uint8_t { Text, Switch, EndBlock, Key };
    Kind kind = Kind::Text;
    // Offset of the token's first character (its marker) in the template.
    std::uint32_t offset = 0;
    // The literal text of a Text token, the name between the markers of a
    // Switch or Key token; empty for EndBlock. Offset and length in the
    // template text.
    std::uint32_t begin = 0;
    std::uint32_t length = 0;
};

// Splits text into tokens in template order. On an opening marker without its
// closing partner, returns SyntaxError with error set to its place; tokens
// then holds those before it.
ExpandResult Tokenize(std::u16string_view text, std::vector<TemplateToken>& tokens, TemplateError& error);

}  // namespace kr
