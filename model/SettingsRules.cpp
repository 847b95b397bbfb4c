// SPDX-License-Identifier: MIT
#include "model/SettingsRules.h"

#include "platform/NumberText.h"

namespace kr {
namespace {

std::u16string Number(std::int64_t value)
{
    return platform::FormatDecimal(value);
}

// Whether every flag a relation depends on is on.
bool AllOn(const std::vector<std::u16string>& flags, const ConfigurationSettings& s)
{
    for (const std::u16string& flag : flags)
        if (NumberIn(Field(flag), s) == 0)
            return false;
    return true;
}

// A logical minimum above its maximum makes hosts refuse the whole report
// descriptor; the problem is given at the minimum, as the page refuses it
// there. A maximum out of its own range is problem enough.
std::optional<SettingsProblem> RelationProblem(const FieldRelation& relation, const ConfigurationSettings& s)
{
    const FieldRow& minimumRow = Field(relation.minimum);
    const FieldRow& maximumRow = Field(relation.maximum);
    const std::int64_t minimum = NumberIn(minimumRow, s);
    const std::int64_t maximum = NumberIn(maximumRow, s);
    if (!AllOn(relation.when, s) || minimum <= maximum || maximum < maximumRow.range.lo)
        return std::nullopt;
    return SettingsProblem{minimumRow.path, SavedValue(minimumRow, s),
                           u"The " + relation.what + u" minimum is above the " + relation.what + u" maximum, "
                               + Number(maximum) + u"; hosts refuse a report descriptor with such a range."};
}

}  // namespace

std::optional<std::u16string> CheckMinimumNotAbove(std::uint32_t minimum, std::uint32_t maximum)
{
    if (minimum <= maximum)
        return std::nullopt;
    return u"Please enter a minimum no greater than the maximum (" + Number(maximum) + u").";
}

std::vector<SettingsProblem> CheckSettings(const ConfigurationSettings& s)
{
    std::vector<SettingsProblem> problems;
    // Pins the chip does not have are neither shown nor generated.
    const int pins = PinCountFor(s.device.deviceSel);
    for (const FieldRow& row : FieldTable()) {
        if (row.pin >= pins)
            continue;
        if (std::optional<std::u16string> sentence = RuleRefusal(row, s))
            problems.push_back({row.path, SavedValue(row, s), std::move(*sentence)});
        // A relation is checked once both of its fields have been.
        for (const FieldRelation& relation : FieldRelations())
            if (relation.maximum == row.path)
                if (std::optional<SettingsProblem> problem = RelationProblem(relation, s))
                    problems.push_back(std::move(*problem));
    }
    return problems;
}

std::u16string ProblemLine(const SettingsProblem& problem)
{
    if (problem.path.empty())
        return problem.sentence;
    return problem.path + u" = " + problem.value + u": " + problem.sentence;
}

}  // namespace kr
