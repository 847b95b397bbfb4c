// SPDX-License-Identifier: MIT
#include "templating/TemplateTree.h"

#include <limits>
#include <map>

#include "platform/Windows1252.h"

namespace kr {
namespace {

// Index of name in names, added with its first place when new.
std::uint32_t NameIndex(std::vector<TemplateName>& names, std::map<std::u16string_view, std::uint32_t>& index,
                        std::u16string_view name, std::uint32_t offset)
{
    const auto [it, added] = index.emplace(name, static_cast<std::uint32_t>(names.size()));
    if (added)
        names.push_back({std::u16string(name), offset});
    return it->second;
}

}  // namespace

ExpandResult Parse(std::u16string text, const std::vector<TemplateToken>& tokens, TemplateTree& tree,
                   TemplateError& error)
{
    tree = TemplateTree();
    tree.text_ = std::move(text);
    const std::u16string_view t = tree.text_;
    std::map<std::u16string_view, std::uint32_t> tagIndex;
    std::map<std::u16string_view, std::uint32_t> keyIndex;
    // The Switch nodes of the blocks still open, innermost last.
    std::vector<std::uint32_t> open;
    tree.nodes_.reserve(tokens.size());

    for (const TemplateToken& token : tokens) {
        const std::u16string_view content = t.substr(token.begin, token.length);
        TemplateNode node;
        switch (token.kind) {
        case TemplateToken::Kind::Text: {
            node.kind = TemplateNode::Kind::Text;
            node.begin = token.begin;
            node.length = token.length;
            node.byteBegin = static_cast<std::uint32_t>(tree.bytes_.size());
            platform::AppendWindows1252(content, tree.bytes_);
            node.byteLength = static_cast<std::uint32_t>(tree.bytes_.size() - node.byteBegin);
            break;
        }
        case TemplateToken::Kind::Key:
            node.kind = TemplateNode::Kind::Key;
            node.name = NameIndex(tree.keys_, keyIndex, content, token.offset);
            break;
        case TemplateToken::Kind::Switch:
            node.kind = TemplateNode::Kind::Switch;
            node.name = NameIndex(tree.tags_, tagIndex, content, token.offset);
            open.push_back(static_cast<std::uint32_t>(tree.nodes_.size()));
            break;
        case TemplateToken::Kind::EndBlock:
            if (open.empty()) {
                error =
                    TemplateErrorAt(t, token.offset, ExpandResult::StructureError, TemplateProblem::UnopenedBlockEnd);
                return error.code;
            }
            tree.nodes_[open.back()].end = static_cast<std::uint32_t>(tree.nodes_.size());
            open.pop_back();
            continue;
        }
        tree.nodes_.push_back(node);
    }
    for (const std::uint32_t block : open)
        tree.nodes_[block].end = static_cast<std::uint32_t>(tree.nodes_.size());
    return ExpandResult::Ok;
}

ExpandResult CompileTemplate(std::u16string text, TemplateTree& tree, TemplateError& error)
{
    // Offsets are 32-bit: far beyond any template, but not beyond any text.
    if (text.size() > std::numeric_limits<std::uint32_t>::max()) {
        error = {};
        error.code = ExpandResult::StructureError;
        return error.code;
    }
    std::vector<TemplateToken> tokens;
    const ExpandResult tokenized = Tokenize(text, tokens, error);
    if (tokenized != ExpandResult::Ok)
        return tokenized;
    return Parse(std::move(text), tokens, tree, error);
}

PreparedTemplate PrepareTemplate(std::u16string text)
{
    PreparedTemplate prepared;
    CompileTemplate(std::move(text), prepared.tree, prepared.error);
    return prepared;
}

}  // namespace kr
