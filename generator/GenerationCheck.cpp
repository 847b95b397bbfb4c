// SPDX-License-Identifier: MIT
#include "generator/GenerationCheck.h"

#include "generator/ReportDescriptor.h"
#include "generator/SubstitutionValues.h"
#include "generator/Switches.h"

namespace kr {

std::vector<SettingsProblem> FindGenerationProblems(const ConfigurationSettings& settings)
{
    std::vector<SettingsProblem> problems = CheckSettings(settings);
    if (!problems.empty())
        return problems;  // the descriptor of such a record says nothing more
    // The tables only once the record is known to be valid: they take its
    // values as they are.
    SwitchSet switches;
    SubstitutionMap keys;
    BuildSwitchSet(settings, switches);
    BuildSubstitutionMap(settings, keys);
    return FindDescriptorProblems(settings, switches, keys);
}

std::vector<SettingsProblem> FindDescriptorProblems(const ConfigurationSettings& settings, const SwitchSet& switches,
                                                    const SubstitutionMap& keys)
{
    // A valid record should always give a descriptor hosts accept; this is
    // the last guard before firmware that a host would refuse is written.
    // The verdict alone is cheap; only a descriptor in doubt is described in
    // full, which states the error or the failures.
    if (ReportDescriptorPassesHostRules(switches, keys))
        return {};
    std::vector<SettingsProblem> problems;
    ReportDescriptorView view;
    std::u16string errorText;
    if (!DescribeReportDescriptor(settings, view, errorText)) {
        problems.push_back({{}, {}, errorText});
        return problems;
    }
    for (const std::u16string& failure : view.failures)
        problems.push_back({{}, {}, u"Hosts refuse the report descriptor: " + failure + u"."});
    return problems;
}

std::u16string GenerationRefusalText(const std::vector<SettingsProblem>& problems)
{
    std::u16string text = u"Nothing was generated, because the configuration has these problems:";
    for (const SettingsProblem& problem : problems)
        text += u"\n" + ProblemLine(problem);
    return text;
}

}  // namespace kr
