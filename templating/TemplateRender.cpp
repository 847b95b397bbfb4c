// SPDX-License-Identifier: MIT
#include "templating/TemplateRender.h"

#include <algorithm>

#include "platform/Windows1252.h"

namespace kr {
namespace {

// Fills binding from the two lookups; the first name missing in template
// order decides the error.
template <typename Text, typename FindTag, typename FindKey>
ExpandResult BindWith(const TemplateTree& tree, FindTag findTag, FindKey findKey, TemplateBinding<Text>& binding,
                      TemplateError& error)
{
    const TemplateName* missing = nullptr;
    bool missingIsKey = false;
    auto note = [&](const TemplateName& name, bool isKey) {
        if (!missing || name.firstOffset < missing->firstOffset) {
            missing = &name;
            missingIsKey = isKey;
        }
    };

    binding.active.resize(tree.Tags().size());
    for (std::size_t i = 0; i < tree.Tags().size(); ++i) {
        const int* flag = findTag(tree.Tags()[i].text);
        if (flag)
            binding.active[i] = *flag != 0;
        else
            note(tree.Tags()[i], false);
    }
    binding.values.resize(tree.Keys().size());
    for (std::size_t i = 0; i < tree.Keys().size(); ++i) {
        if (!findKey(tree.Keys()[i].text, binding.values[i]))
            note(tree.Keys()[i], true);
    }
    if (!missing)
        return ExpandResult::Ok;
    error =
        TemplateErrorAt(tree.Text(), missing->firstOffset, ExpandResult::UndefinedName,
                        missingIsKey ? TemplateProblem::UndefinedKey : TemplateProblem::UndefinedTag, missing->text);
    return error.code;
}

const int* FindSwitch(const SwitchSet& switches, const std::u16string& tag)
{
    const auto it = switches.find(tag);
    return it == switches.end() ? nullptr : &it->second;
}

template <typename Out, typename Text, typename Literal>
void RenderWith(const TemplateTree& tree, const TemplateBinding<Text>& binding, Literal literal, Out& out)
{
    const std::vector<TemplateNode>& nodes = tree.Nodes();
    std::size_t i = 0;
    while (i < nodes.size()) {
        const TemplateNode& node = nodes[i];
        switch (node.kind) {
        case TemplateNode::Kind::Text:
            out += literal(node);
            ++i;
            break;
        case TemplateNode::Kind::Key:
            out += binding.values[node.name];
            ++i;
            break;
        case TemplateNode::Kind::Switch:
            i = binding.active[node.name] ? i + 1 : node.end;
            break;
        }
    }
}

}  // namespace

void RenderTables::Assign(const SwitchSet& switches, const SubstitutionMap& keys)
{
    switches_ = &switches;
    bytes_.clear();
    entries_.clear();
    for (const auto& [key, value] : keys) {
        const std::size_t begin = bytes_.size();
        platform::AppendWindows1252(value, bytes_);
        entries_.push_back(
            {&key, static_cast<std::uint32_t>(begin), static_cast<std::uint32_t>(bytes_.size() - begin)});
    }
}

bool RenderTables::FindKey(std::u16string_view key, std::string_view& bytes) const
{
    const auto it = std::lower_bound(entries_.begin(), entries_.end(), key,
                                     [](const Entry& entry, std::u16string_view k) { return *entry.key < k; });
    if (it == entries_.end() || *it->key != key)
        return false;
    bytes = std::string_view(bytes_).substr(it->begin, it->length);
    return true;
}

ExpandResult Bind(const TemplateTree& tree, const RenderTables& tables, TemplateBinding<std::string_view>& binding,
                  TemplateError& error)
{
    return BindWith(
        tree, [&](const std::u16string& tag) { return FindSwitch(tables.Switches(), tag); },
        [&](const std::u16string& key, std::string_view& value) { return tables.FindKey(key, value); }, binding, error);
}

ExpandResult Bind(const TemplateTree& tree, const SwitchSet& switches, const SubstitutionMap& keys,
                  TemplateBinding<std::u16string_view>& binding, TemplateError& error)
{
    return BindWith(
        tree, [&](const std::u16string& tag) { return FindSwitch(switches, tag); },
        [&](const std::u16string& key, std::u16string_view& value) {
            const auto it = keys.find(key);
            if (it == keys.end())
                return false;
            value = it->second;
            return true;
        },
        binding, error);
}

void Render(const TemplateTree& tree, const TemplateBinding<std::string_view>& binding, std::string& out)
{
    RenderWith(
        tree, binding, [&](const TemplateNode& node) { return tree.BytesOf(node); }, out);
}

void Render(const TemplateTree& tree, const TemplateBinding<std::u16string_view>& binding, std::u16string& out)
{
    RenderWith(
        tree, binding, [&](const TemplateNode& node) { return tree.TextOf(node); }, out);
}

namespace {

template <typename Out, typename Text, typename BindNames>
ExpandResult RenderPrepared(const PreparedTemplate& prepared, BindNames bindNames, TemplateBinding<Text>& binding,
                            Out& out, TemplateError& error)
{
    if (prepared.error.code != ExpandResult::Ok) {
        error = prepared.error;
        return error.code;
    }
    if (bindNames(binding) != ExpandResult::Ok)
        return error.code;
    out.clear();
    Render(prepared.tree, binding, out);
    return ExpandResult::Ok;
}

}  // namespace

ExpandResult RenderTemplate(const PreparedTemplate& prepared, const RenderTables& tables,
                            TemplateBinding<std::string_view>& binding, std::string& out, TemplateError& error)
{
    const auto bindNames = [&](TemplateBinding<std::string_view>& b) { return Bind(prepared.tree, tables, b, error); };
    return RenderPrepared(prepared, bindNames, binding, out, error);
}

ExpandResult RenderTemplate(const PreparedTemplate& prepared, const SwitchSet& switches, const SubstitutionMap& keys,
                            TemplateBinding<std::u16string_view>& binding, std::u16string& out, TemplateError& error)
{
    const auto bindNames = [&](TemplateBinding<std::u16string_view>& b) {
        return Bind(prepared.tree, switches, keys, b, error);
    };
    return RenderPrepared(prepared, bindNames, binding, out, error);
}

}  // namespace kr
