// SPDX-License-Identifier: MIT
#include "generator/GenerationCheck.h"

#include <algorithm>
#include <functional>
#include <optional>

#include "generator/ReportDescriptor.h"
#include "generator/ReportSizes.h"
#include "generator/SubstitutionValues.h"
#include "generator/Switches.h"
#include "model/FieldTable.h"
#include "platform/NumberText.h"

namespace kr {

using platform::FormatDecimal;

namespace {

// What the report descriptor takes beyond its room, or nothing when it fits:
// the bytes needed, the room, and the options that take the most of it, each
// with the bytes it adds (the length with it off subtracted), largest first.
std::optional<std::u16string> DescriptorRoomSentence(const ConfigurationSettings& settings)
{
    const int length = ReportDescriptorLength(settings);
    if (length <= kReportDescriptorRoom)
        return std::nullopt;

    struct Option {
        std::u16string what;
        int bytes;
    };
    std::vector<Option> options;
    auto consider = [&](const std::u16string& what, const std::function<void(ConfigurationSettings&)>& off) {
        ConfigurationSettings without = settings;
        off(without);
        if (const int bytes = length - ReportDescriptorLength(without); bytes > 0)
            options.push_back({what, bytes});
    };
    auto flag = [&](const char16_t* path) {
        const FieldRow& row = Field(path);
        consider(row.label, [&row](ConfigurationSettings& s) { *std::get<std::int32_t*>(FieldIn(row, s)) = 0; });
    };
    if (settings.touch.numTouchPoints > 0)
        for (const char16_t* path : {u"TouchData/bContactCount", u"TouchData/bWidth", u"TouchData/bHeight",
                                     u"TouchData/bPressure", u"TouchData/bConfidence"})
            flag(path);
    if (settings.pen.bPen)
        for (const char16_t* path : {u"PenData/bXTilt", u"PenData/bYTilt", u"PenData/bPressure",
                                     u"PenData/bBarrelButton", u"PenData/bInverted"})
            flag(path);
    flag(u"MouseData/bMouse");
    if (const int bytes = FourByteItemBytes(settings); bytes > 0)
        options.push_back({u"Values above 32767", bytes});
    std::stable_sort(options.begin(), options.end(),
                     [](const Option& a, const Option& b) { return a.bytes > b.bytes; });
    options.resize(std::min<std::size_t>(options.size(), 3));

    std::u16string sentence = u"The report descriptor needs " + FormatDecimal(length)
                              + u" bytes, but the descriptor window 0x2683-0x295F has room for "
                              + FormatDecimal(kReportDescriptorRoom) + u" after the other descriptors";
    for (std::size_t i = 0; i < options.size(); ++i)
        sentence += (i == 0                    ? u"; the options that take the most room are "
                     : i + 1 == options.size() ? u" and "
                                               : u", ")
                    + options[i].what + u" (" + FormatDecimal(options[i].bytes) + u" bytes)";
    return sentence + u".";
}

}  // namespace

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
    // A descriptor past its window would overlap the code after it.
    if (const std::optional<std::u16string> sentence = DescriptorRoomSentence(settings))
        return {{{}, {}, *sentence}};
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
