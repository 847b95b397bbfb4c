// SPDX-License-Identifier: MIT
#include "generator/ReportDescriptor.h"

#include <algorithm>
#include <map>

#include "generator/GenerateProject.h"
#include "generator/SubstitutionValues.h"
#include "generator/Switches.h"
#include "generator/ValueFormatters.h"
#include "hid/CSourceReader.h"
#include "platform/NumberText.h"
#include "templating/TemplateCache.h"
#include "templating/TemplateRender.h"

namespace kr {

using platform::FormatDecimal;

namespace {

constexpr int kBufferStructHeader = 140;
constexpr int kConfigurationHeader = 142;
constexpr int kUsbDescriptorSource = 147;

// Offsets in the configuration descriptor set: its wTotalLength, and the
// wDescriptorLength of the HID class descriptor.
constexpr std::size_t kTotalLengthOffset = 2;
constexpr std::size_t kDeclaredLengthOffset = 25;

const char16_t* FileNameOf(int resource)
{
    const auto row = std::find_if(TemplateTable.begin(), TemplateTable.end(),
                                  [&](const TemplateRow& r) { return r.resource == resource; });
    return row->fileName;
}

// Binds the template to the tables; false when it cannot be loaded or uses a
// name the tables lack.
const PreparedTemplate* BindTemplate(int resource, const SwitchSet& switches, const SubstitutionMap& keys,
                                     TemplateBinding<std::u16string_view>& binding)
{
    const PreparedTemplate* prepared = FindPreparedTemplate(resource);
    if (!prepared || prepared->error.code != ExpandResult::Ok)
        return nullptr;
    TemplateError error = prepared->error;
    return Bind(prepared->tree, switches, keys, binding, error) == ExpandResult::Ok ? prepared : nullptr;
}

bool ExpandTemplate(int resource, const SwitchSet& switches, const SubstitutionMap& keys, std::u16string& text,
                    std::u16string& errorText)
{
    const PreparedTemplate* prepared = FindPreparedTemplate(resource);
    if (!prepared) {
        errorText = u"Error loading resource files.";
        return false;
    }
    TemplateError error;
    TemplateBinding<std::u16string_view> binding;
    if (RenderTemplate(*prepared, switches, keys, binding, text, error) != ExpandResult::Ok) {
        errorText = std::u16string(u"Error generating:\n") + FileNameOf(resource);
        return false;
    }
    return true;
}

// The declared lengths a host checks: the configuration descriptor set's
// total and the report descriptor's, each against the real one.
bool LengthsAgree(const std::vector<std::uint8_t>& configuration, std::size_t reportLength)
{
    auto word = [&](std::size_t offset) {
        return static_cast<std::size_t>(configuration[offset] | configuration[offset + 1] << 8);
    };
    return word(kTotalLengthOffset) == configuration.size() && word(kDeclaredLengthOffset) == reportLength;
}

// Report id value -> the ID_ macro that names it.
std::map<int, std::u16string> ReportIdNames(const std::map<std::u16string, long>& defines)
{
    std::map<int, std::u16string> names;
    for (const auto& [name, value] : defines)
        if (name.starts_with(u"ID_"))
            names.emplace(static_cast<int>(value), name);
    return names;
}

}  // namespace

bool DescribeReportDescriptor(const ConfigurationSettings& settings, ReportDescriptorView& view,
                              std::u16string& errorText)
{
    errorText.clear();
    view = ReportDescriptorView{};

    SwitchSet switches;
    SubstitutionMap keys;
    BuildSwitchSet(settings, switches);
    BuildSubstitutionMap(settings, keys);

    std::u16string header, source, structures;
    if (!ExpandTemplate(kConfigurationHeader, switches, keys, header, errorText)
        || !ExpandTemplate(kUsbDescriptorSource, switches, keys, source, errorText)
        || !ExpandTemplate(kBufferStructHeader, switches, keys, structures, errorText))
        return false;

    const std::map<std::u16string, long> defines = ReadNumericDefines(header);
    std::vector<std::uint8_t> configuration;
    std::u16string readError;
    if (!ReadByteArray(source, u"HidReportDesc", defines, view.bytes, readError)
        || !ReadByteArray(source, u"HidConfigDesc", defines, configuration, readError)
        || configuration.size() < kDeclaredLengthOffset + 2) {
        // Only a fault of the templates themselves can bring this about.
        errorText = std::u16string(u"Error generating:\n") + FileNameOf(kUsbDescriptorSource) + u"\n"
                    + (readError.empty() ? u"HidConfigDesc: too short" : readError);
        return false;
    }
    auto word = [&](std::size_t offset) { return configuration[offset] | configuration[offset + 1] << 8; };

    const std::map<int, std::u16string> idNames = ReportIdNames(defines);
    view.decoding = DecodeHidReportDescriptor(view.bytes, idNames);
    view.failures = view.decoding.failures;
    const auto length = static_cast<std::int64_t>(view.bytes.size());
    const auto total = static_cast<std::int64_t>(configuration.size());
    if (word(kTotalLengthOffset) != total) {
        // Then the declared length cannot be found where a host looks for it.
        view.declaredLength = -1;
        view.failures.push_back(u"The configuration descriptor set declares " + FormatDecimal(word(kTotalLengthOffset))
                                + u" bytes, but has " + FormatDecimal(total)
                                + u", so a host misreads the descriptors in it");
    } else {
        view.declaredLength = word(kDeclaredLengthOffset);
        if (view.declaredLength != length)
            view.failures.push_back(u"The configuration descriptor declares a report descriptor of "
                                    + FormatDecimal(view.declaredLength) + u" bytes, but it has "
                                    + FormatDecimal(length) + u"; a host reads only the declared length");
    }

    view.layouts = BuildReportLayouts(view.decoding, defines, structures);
    view.layoutText = ReportLayoutText(view.layouts);
    view.text = u"HID report descriptor: " + FormatDecimal(length) + u" bytes\n\n" + view.decoding.listing + u"\n"
                + u"Report sizes, without the report id byte:\n" + view.decoding.reportSizes;
    return true;
}

namespace {

// Hosts' verdict on a report descriptor depends on its bytes alone, and the
// projects of a batch share a handful of descriptors: each thread keeps its
// latest verdicts, a bounded number of them.
bool PassesHostRulesRemembered(const std::vector<std::uint8_t>& bytes)
{
    constexpr std::size_t kKept = 64;
    thread_local std::map<std::vector<std::uint8_t>, bool> verdicts;
    if (const auto found = verdicts.find(bytes); found != verdicts.end())
        return found->second;
    if (verdicts.size() >= kKept)
        verdicts.clear();
    const bool passes = HidDescriptorPassesHostRules(bytes);
    verdicts.emplace(bytes, passes);
    return passes;
}

}  // namespace

bool ReportDescriptorPassesHostRules(const SwitchSet& switches, const SubstitutionMap& keys)
{
    // Reused from project to project by the thread, so a batch allocates
    // next to nothing here once they have grown.
    thread_local TemplateBinding<std::u16string_view> binding;
    thread_local std::u16string header, source;
    thread_local std::vector<std::uint8_t> bytes, configuration;

    // The three templates DescribeReportDescriptor expands, in its order;
    // the structures are only bound, since their text is not needed here.
    auto render = [&](int resource, std::u16string& text) {
        const PreparedTemplate* prepared = FindPreparedTemplate(resource);
        TemplateError error;
        return prepared && RenderTemplate(*prepared, switches, keys, binding, text, error) == ExpandResult::Ok;
    };
    if (!render(kConfigurationHeader, header) || !render(kUsbDescriptorSource, source)
        || !BindTemplate(kBufferStructHeader, switches, keys, binding))
        return false;

    const std::map<std::u16string, long> defines = ReadNumericDefines(header);
    std::u16string readError;
    return ReadByteArray(source, u"HidReportDesc", defines, bytes, readError)
           && ReadByteArray(source, u"HidConfigDesc", defines, configuration, readError)
           && configuration.size() >= kDeclaredLengthOffset + 2 && LengthsAgree(configuration, bytes.size())
           && PassesHostRulesRemembered(bytes);
}

std::u16string HostRuleFailureText(const std::vector<std::u16string>& failures)
{
    if (failures.empty())
        return {};
    std::u16string text = u"Hosts refuse this report descriptor, so the device would not work as a HID device:\n";
    for (const std::u16string& failure : failures)
        text += u"- " + failure + u".\n";
    return text;
}

}  // namespace kr
