#include "templating/CodeGenerator.h"

#include "platform/AtomicFile.h"
#include "platform/Utf.h"
#include "platform/Windows1252.h"

namespace kr {
namespace {

constexpr char16_t kKeyMarker = u'\u00A6';    // ¦
constexpr char16_t kTagOpen = u'\u00AB';      // «
constexpr char16_t kTagClose = u'\u00BB';     // »
constexpr char16_t kBlockEnd = u'\u00B6';     // ¶

bool IsMarker(char16_t c)
{
    return c == kTagOpen || c == kBlockEnd || c == kKeyMarker;
}

}  // namespace

ExpandResult CCodeGenerator::ExpandToFile(const std::u16string& templateText, const std::u16string& outputPath)
{
    ExpandResult result = Expand(templateText);
    if (result == ExpandResult::Ok)
        result = Write(outputPath);
    return result;
}

ExpandResult CCodeGenerator::Expand(const std::u16string& templateText)
{
    template_ = templateText;
    ExpandResult result = Tokenize();
    if (result == ExpandResult::Ok)
        result = BuildTree();
    if (result == ExpandResult::Ok)
        result = CheckNames();
    if (result == ExpandResult::Ok)
        result = Render();
    return result;
}

ExpandResult CCodeGenerator::Tokenize()
{
    tokens_.clear();
    const std::u16string& t = template_;
    const std::size_t n = t.size();
    std::size_t i = 0;
    while (i < n) {
        const char16_t c = t[i];
        if (c == kTagOpen) {
            if (i + 1 >= n)
                return ExpandResult::SyntaxError;
            const std::size_t close = t.find(kTagClose, i + 1);
            if (close == std::u16string::npos)
                return ExpandResult::SyntaxError;
            tokens_.push_back({TemplateToken::Kind::Switch, t.substr(i + 1, close - i - 1), {}});
            i = close + 1;
        } else if (c == kBlockEnd) {
            tokens_.push_back({TemplateToken::Kind::EndBlock, {}, {}});
            ++i;
        } else if (c == kKeyMarker) {
            const std::size_t close = t.find(kKeyMarker, i + 1);
            if (close == std::u16string::npos)
                return ExpandResult::SyntaxError;
            tokens_.push_back({TemplateToken::Kind::Key, t.substr(i + 1, close - i - 1), {}});
            i = close + 1;
        } else {
            std::size_t end = i + 1;
            while (end < n && !IsMarker(t[end]))
                ++end;
            tokens_.push_back({TemplateToken::Kind::Text, {}, t.substr(i, end - i)});
            i = end;
        }
    }
    return ExpandResult::Ok;
}

TemplateNode* CCodeGenerator::NewNode(TemplateNode::Kind kind, std::u16string name, std::u16string text,
                                      std::int32_t depth)
{
    TemplateNode& node = nodes_.emplace_back();
    node.kind = kind;
    node.name = std::move(name);
    node.text = std::move(text);
    node.depth = depth;
    return &node;
}

ExpandResult CCodeGenerator::BuildTree()
{
    nodes_.clear();
    root_ = NewNode(TemplateNode::Kind::Text, {}, {}, 0);
    TemplateNode* current = root_;

    auto attachNext = [&](TemplateNode* node) {
        if (current->next)
            return false;
        current->next = node;
        node->back = current;
        current = node;
        return true;
    };

    for (const TemplateToken& token : tokens_) {
        switch (token.kind) {
        case TemplateToken::Kind::Text:
        case TemplateToken::Kind::Key: {
            const auto kind = token.kind == TemplateToken::Kind::Text ? TemplateNode::Kind::Text : TemplateNode::Kind::Key;
            if (!attachNext(NewNode(kind, token.name, token.text, current->depth)))
                return ExpandResult::StructureError;
            break;
        }
        case TemplateToken::Kind::Switch: {
            // A node holds at most one block as its child; a second block
            // opening here hangs off an empty text node after it.
            if (current->child && !attachNext(NewNode(TemplateNode::Kind::Text, {}, {}, current->depth)))
                return ExpandResult::StructureError;
            TemplateNode* node = NewNode(TemplateNode::Kind::Switch, token.name, {}, current->depth + 1);
            current->child = node;
            node->back = current;
            current = node;
            break;
        }
        case TemplateToken::Kind::EndBlock: {
            if (current->depth < 1)
                return ExpandResult::StructureError;
            const std::int32_t holderDepth = current->depth - 1;
            TemplateNode* walk = current->back;
            while (walk && walk->depth != holderDepth)
                walk = walk->back;
            if (!walk)
                return ExpandResult::StructureError;
            current = walk;
            break;
        }
        }
    }
    return ExpandResult::Ok;
}

ExpandResult CCodeGenerator::CheckNames() const
{
    bool allKnown = true;
    for (const TemplateToken& token : tokens_) {
        if (token.kind == TemplateToken::Kind::Switch && !switchSet.contains(token.name))
            allKnown = false;
        else if (token.kind == TemplateToken::Kind::Key && !substitutionMap.contains(token.name))
            allKnown = false;
    }
    return allKnown ? ExpandResult::Ok : ExpandResult::UndefinedName;
}

ExpandResult CCodeGenerator::Render()
{
    // A node's output is its own text, then its child's output, then its next
    // sibling's; an inactive switch outputs nothing at all. Rendered with an
    // explicit stack so long sibling chains cannot exhaust the call stack.
    output_.clear();
    ExpandResult result = ExpandResult::Ok;
    std::vector<const TemplateNode*> pending;
    if (root_)
        pending.push_back(root_);
    while (!pending.empty()) {
        const TemplateNode* node = pending.back();
        pending.pop_back();
        switch (node->kind) {
        case TemplateNode::Kind::Text:
            output_ += node->text;
            break;
        case TemplateNode::Kind::Key: {
            const auto it = substitutionMap.find(node->name);
            if (it != substitutionMap.end())
                output_ += it->second;
            else
                result = ExpandResult::UndefinedName;
            break;
        }
        case TemplateNode::Kind::Switch: {
            const auto it = switchSet.find(node->name);
            if (it == switchSet.end()) {
                result = ExpandResult::UndefinedName;
                continue;
            }
            if (it->second == 0)
                continue;
            break;
        }
        }
        if (node->next)
            pending.push_back(node->next);
        if (node->child)
            pending.push_back(node->child);
    }
    return result;
}

ExpandResult CCodeGenerator::Write(const std::u16string& outputPath) const
{
    const std::string bytes = platform::EncodeWindows1252(output_);
    return platform::WriteFileAtomically(platform::ToUtf8(outputPath), bytes, platform::Durability::InOnePiece) ? ExpandResult::Ok
                                                                                 : ExpandResult::WriteError;
}

}  // namespace kr
