// SPDX-License-Identifier: MIT
#pragma once
// A template given as text, rendered through RenderTemplate as the generator
// renders its embedded templates: in the code page and as text, each with
// its own result.

#include <string>

#include "templating/TemplateRender.h"
#include "templating/TemplateTree.h"

namespace kr::test {

struct RenderedText {
    ExpandResult result = ExpandResult::Ok;
    TemplateError error;
    std::string bytes;  // the code-page output, on Ok
    ExpandResult textResult = ExpandResult::Ok;
    TemplateError textError;
    std::u16string text;  // the output as text, on Ok
};

inline RenderedText RenderText(const std::u16string& templateText, const SwitchSet& switches,
                               const SubstitutionMap& keys)
{
    const PreparedTemplate prepared = PrepareTemplate(templateText);
    RenderedText rendered;
    RenderTables tables;
    tables.Assign(switches, keys);
    TemplateBinding<std::string_view> binding;
    rendered.result = RenderTemplate(prepared, tables, binding, rendered.bytes, rendered.error);
    TemplateBinding<std::u16string_view> textBinding;
    rendered.textResult = RenderTemplate(prepared, switches, keys, textBinding, rendered.text, rendered.textError);
    return rendered;
}

}  // namespace kr::test
