#include "templating/CodeGenerator.h"

#include "templating/TemplateRender.h"
#include "templating/TemplateTree.h"

namespace kr {

ExpandResult CCodeGenerator::ExpandToFile(const std::u16string& templateText, const std::u16string& outputPath)
{
    error_ = {};
    TemplateTree tree;
    if (CompileTemplate(templateText, tree, error_) != ExpandResult::Ok)
        return error_.code;
    RenderTables tables;
    tables.Assign(switchSet, substitutionMap);
    TemplateBinding<std::string_view> binding;
    if (Bind(tree, tables, binding, error_) != ExpandResult::Ok)
        return error_.code;
    std::string bytes;
    Render(tree, binding, bytes);
    return WriteRendered(bytes, outputPath, error_);
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
