// SPDX-License-Identifier: MIT
#include "generator/GenerateProject.h"

#include "generator/GenerationCheck.h"
#include "generator/SubstitutionValues.h"
#include "generator/Switches.h"
#include "templating/TemplateCache.h"
#include "templating/TemplateRender.h"

namespace kr {
namespace {

// What one thread reuses from file to file and from run to run, so rendering
// a project allocates next to nothing once the buffers have grown.
struct RenderBuffers {
    RenderTables tables;
    TemplateBinding<std::string_view> binding;
    std::string bytes;
};

// The file's complete content into buffers.bytes: names checked against the
// run's tables first, so a template using an undefined name writes nothing.
ExpandResult RenderFile(const PreparedTemplate& prepared, RenderBuffers& buffers, TemplateError& error)
{
    if (prepared.error.code != ExpandResult::Ok) {
        error = prepared.error;
        return error.code;
    }
    if (Bind(prepared.tree, buffers.tables, buffers.binding, error) != ExpandResult::Ok)
        return error.code;
    buffers.bytes.clear();
    Render(prepared.tree, buffers.binding, buffers.bytes);
    return ExpandResult::Ok;
}

// GenerateFiles with the run's tables already built from settings.
bool WriteFiles(const ConfigurationSettings& settings, std::span<const TemplateRow> rows, const SwitchSet& switches,
                const SubstitutionMap& keys, std::u16string& errorText, GenerationReport* report,
                GenerationFailure* failure);

}  // namespace

bool GenerateProject(const ConfigurationSettings& settings, std::u16string& errorText, GenerationReport* report,
                     GenerationFailure* failure)
{
    // Nothing is written for a configuration a page or a host would refuse.
    // The tables are built once the record is valid and serve both the
    // descriptor's check and the writing.
    std::vector<SettingsProblem> problems = CheckSettings(settings);
    SwitchSet switches;
    SubstitutionMap keys;
    if (problems.empty()) {
        BuildSwitchSet(settings, switches);
        BuildSubstitutionMap(settings, keys);
        problems = FindDescriptorProblems(settings, switches, keys);
    }
    if (!problems.empty()) {
        if (failure)
            *failure = {};
        errorText = GenerationRefusalText(problems);
        return false;
    }
    return WriteFiles(settings, TemplateTable, switches, keys, errorText, report, failure);
}

bool GenerateFiles(const ConfigurationSettings& settings, std::span<const TemplateRow> rows,
                   std::u16string& errorText, GenerationReport* report, GenerationFailure* failure)
{
    // One pair of tables for the whole run; every file sees the same values.
    SwitchSet switches;
    SubstitutionMap keys;
    BuildSwitchSet(settings, switches);
    BuildSubstitutionMap(settings, keys);
    return WriteFiles(settings, rows, switches, keys, errorText, report, failure);
}

namespace {

bool WriteFiles(const ConfigurationSettings& settings, std::span<const TemplateRow> rows, const SwitchSet& switches,
                const SubstitutionMap& keys, std::u16string& errorText, GenerationReport* report,
                GenerationFailure* failure)
{
    errorText.clear();
    GenerationReport unread;
    GenerationReport& written = report ? *report : unread;
    written = {};
    GenerationFailure unstated;
    GenerationFailure& stopped = failure ? *failure : unstated;
    stopped = {};

    // The values converted to the output's code page once for the run.
    thread_local RenderBuffers buffers;
    buffers.tables.Assign(switches, keys);

    for (const TemplateRow& row : rows) {
        if (row.toolchain != kEveryToolchain && row.toolchain != settings.project.toolchain)
            continue;

        const PreparedTemplate* prepared = FindPreparedTemplate(row.resource);
        if (!prepared) {
            stopped.fileName = row.fileName;
            errorText = u"Error loading resource files.";
            return false;
        }

        const std::u16string outputPath = settings.project.projectPath + row.fileName;
        ExpandResult result = RenderFile(*prepared, buffers, stopped.error);
        // Here buffers.bytes holds the file's complete content. The user's
        // own code in the file already there is carried over as it is written.
        if (result == ExpandResult::Ok && !WriteGeneratedFile(outputPath, buffers.bytes, written)) {
            stopped.error = {};
            stopped.error.code = result = ExpandResult::WriteError;
            stopped.error.problem = TemplateProblem::WriteFailed;
        }
        if (result != ExpandResult::Ok) {
            stopped.fileName = row.fileName;
            errorText = u"Error generating:\r\n" + outputPath;
            return false;
        }
    }
    return true;
}

}  // namespace

}  // namespace kr
