#include "generator/GenerateProject.h"

#include "generator/SubstitutionValues.h"
#include "generator/Switches.h"
#include "platform/Windows1252.h"
#include "templating/CodeGenerator.h"
#include "templating/LoadTemplate.h"

namespace kr {

bool GenerateProject(const ConfigurationSettings& settings, std::u16string& errorText, GenerationReport* report)
{
    return GenerateFiles(settings, TemplateTable, errorText, report);
}

bool GenerateFiles(const ConfigurationSettings& settings, std::span<const TemplateRow> rows,
                   std::u16string& errorText, GenerationReport* report)
{
    errorText.clear();
    GenerationReport unread;
    GenerationReport& written = report ? *report : unread;
    written = {};

    // One pair of tables for the whole run; every file sees the same values.
    SwitchSet switches;
    SubstitutionMap keys;
    BuildSwitchSet(settings, switches);
    BuildSubstitutionMap(settings, keys);

    for (const TemplateRow& row : rows) {
        if (row.toolchain != kEveryToolchain && row.toolchain != settings.project.toolchain)
            continue;

        const std::optional<std::u16string> text = LoadTemplate(row.resource);
        if (!text) {
            errorText = u"Error loading resource files.";
            return false;
        }

        const std::u16string outputPath = settings.project.projectPath + row.fileName;
        CCodeGenerator generator;
        generator.switchSet = switches;
        generator.substitutionMap = keys;
        // The user's own code in the file already there is carried over.
        if (generator.Expand(*text) != ExpandResult::Ok
            || !WriteGeneratedFile(outputPath, platform::EncodeWindows1252(generator.Output()), written)) {
            errorText = u"Error generating:\r\n" + outputPath;
            return false;
        }
    }
    return true;
}

}  // namespace kr
