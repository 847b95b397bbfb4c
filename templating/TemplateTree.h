// SPDX-License-Identifier: MIT
#pragma once
// The second stage of the template language: tokens into the block tree, the
// form a template is kept in and rendered from. A tree is built once, never
// changes afterwards and may be rendered by any number of threads at once.
//
// The nodes are stored in template order (the tree in preorder): a block's
// body is the run of nodes after its Switch node up to its end index, so
// rendering is one pass that jumps over the body of an inactive block.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "templating/TemplateError.h"
#include "templating/TemplateTokenizer.h"

namespace kr {

struct TemplateNode {
    enum class Kind : std::uint8_t { Text, Switch, Key };
    Kind kind = Kind::Text;
    // Switch and Key: index into the tree's tag or key names.
    std::uint32_t name = 0;
    // Text: the literal characters, as an offset and length in the template
    // text and in the tree's code-page bytes.
    std::uint32_t begin = 0;
    std::uint32_t length = 0;
    std::uint32_t byteBegin = 0;
    std::uint32_t byteLength = 0;
    // Switch: index one past the last node of its body.
    std::uint32_t end = 0;
};

// A name the template uses, with the place of its first use.
struct TemplateName {
    std::u16string text;
    std::uint32_t firstOffset = 0;
};

class TemplateTree {
public:
    const std::u16string& Text() const { return text_; }
    const std::vector<TemplateNode>& Nodes() const { return nodes_; }
    const std::vector<TemplateName>& Tags() const { return tags_; }
    const std::vector<TemplateName>& Keys() const { return keys_; }
    std::u16string_view TextOf(const TemplateNode& node) const
    {
        return std::u16string_view(text_).substr(node.begin, node.length);
    }
    std::string_view BytesOf(const TemplateNode& node) const
    {
        return std::string_view(bytes_).substr(node.byteBegin, node.byteLength);
    }

private:
    friend ExpandResult Parse(std::u16string text, const std::vector<TemplateToken>& tokens, TemplateTree& tree,
                              TemplateError& error);
    std::u16string text_;
    // The literal text in Windows-1252, the code page of the output.
    std::string bytes_;
    std::vector<TemplateNode> nodes_;
    std::vector<TemplateName> tags_;
    std::vector<TemplateName> keys_;
};

// Builds tree from the tokens of text, which the tree keeps. A block end with
// no block open gives StructureError with error set to its place; a block
// still open at the end runs to the end of the template.
ExpandResult Parse(std::u16string text, const std::vector<TemplateToken>& tokens, TemplateTree& tree,
                   TemplateError& error);

// Tokenize, then Parse: the whole of a template's preparation.
ExpandResult CompileTemplate(std::u16string text, TemplateTree& tree, TemplateError& error);

// A template ready to render, or the error its preparation gave.
struct PreparedTemplate {
    // Ok, or the error that preparing the template gave; the tree is only
    // usable when it is Ok.
    TemplateError error;
    TemplateTree tree;
};

// CompileTemplate into a PreparedTemplate.
PreparedTemplate PrepareTemplate(std::u16string text);

}  // namespace kr
