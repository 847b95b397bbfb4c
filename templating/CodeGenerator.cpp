// SPDX-License-Identifier: MIT
#include "templating/CodeGenerator.h"

#include "platform/Windows1252.h"
#include "templating/TemplateRender.h"
#include "templating/TemplateTree.h"

namespace kr {

ExpandResult CCodeGenerator::ExpandToFile(const std::u16string& templateText, const std::u16string& outputPath)
{
    // Off the batch's path: the text is rendered as text, so Output() holds
    // it afterwards too, and converted to the code page as a whole.
    const ExpandResult result = Expand(templateText);
    if (result != ExpandResult::Ok)
        return result;
    return WriteRendered(platform::EncodeWindows1252(output_), outputPath, error_);
}

ExpandResult CCodeGenerator::Expand(const std::u16string& templateText)
{
    error_ = {};
    TemplateTree tree;
    if (CompileTemplate(templateText, tree, error_) != ExpandResult::Ok)
        return error_.code;
    TemplateBinding<std::u16string_view> binding;
    if (Bind(tree, switchSet, substitutionMap, binding, error_) != ExpandResult::Ok)
        return error_.code;
    output_.clear();
    Render(tree, binding, output_);
    return ExpandResult::Ok;
}

}  // namespace kr
