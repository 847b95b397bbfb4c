// SPDX-License-Identifier: MIT
#pragma once
// The last stages of the template language: checking a tree's names against
// the two tables of a run, and rendering it. Rendering only reads the tree,
// so one tree serves every run on every thread. RenderTemplate runs both
// stages on a prepared template; it is how every template is rendered.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "templating/GenerationTables.h"
#include "templating/TemplateError.h"
#include "templating/TemplateTree.h"

namespace kr {

// The tables of one run in the form rendering into the code page wants: every
// replacement text converted to Windows-1252 once, for all the run's files.
// Refers to the switch set it was given, which must outlive it. Reusable:
// Assign keeps the buffers of the previous run.
class RenderTables {
public:
    void Assign(const SwitchSet& switches, const SubstitutionMap& keys);

    const SwitchSet& Switches() const { return *switches_; }
    // The converted replacement text of key; false when key is not defined.
    bool FindKey(std::u16string_view key, std::string_view& bytes) const;

private:
    struct Entry {
        const std::u16string* key;
        std::uint32_t begin;
        std::uint32_t length;
    };
    const SwitchSet* switches_ = nullptr;
    std::string bytes_;
    std::vector<Entry> entries_;  // in key order, as the map keeps them
};

// What the names of one tree stand for in one run: whether each tag is
// active, and each key's replacement. Reusable across trees and runs.
template <typename Text> struct TemplateBinding {
    std::vector<std::uint8_t> active;
    std::vector<Text> values;
};

// Looks up every tag and key the tree uses, also those in blocks that will be
// dropped. UndefinedName when any is missing, with error naming the one used
// first in the template.
ExpandResult Bind(const TemplateTree& tree, const RenderTables& tables, TemplateBinding<std::string_view>& binding,
                  TemplateError& error);
ExpandResult Bind(const TemplateTree& tree, const SwitchSet& switches, const SubstitutionMap& keys,
                  TemplateBinding<std::u16string_view>& binding, TemplateError& error);

// Appends the tree's output to out: literal text, keys replaced verbatim
// (never scanned for markers again), blocks of inactive tags left out.
void Render(const TemplateTree& tree, const TemplateBinding<std::string_view>& binding, std::string& out);
void Render(const TemplateTree& tree, const TemplateBinding<std::u16string_view>& binding, std::u16string& out);

// A prepared template rendered for one run: a template whose preparation
// failed gives that error; otherwise every name is checked first (Bind), so a
// template using a name the tables lack renders nothing, and then out is
// replaced by the whole output. In the code page (what a generated file
// holds), or as text (what is read back from it). binding is scratch space,
// reusable from call to call.
ExpandResult RenderTemplate(const PreparedTemplate& prepared, const RenderTables& tables,
                            TemplateBinding<std::string_view>& binding, std::string& out, TemplateError& error);
ExpandResult RenderTemplate(const PreparedTemplate& prepared, const SwitchSet& switches, const SubstitutionMap& keys,
                            TemplateBinding<std::u16string_view>& binding, std::u16string& out, TemplateError& error);

}  // namespace kr
