// SPDX-License-Identifier: MIT
#pragma once
// The HID report descriptor of a configuration, decoded for reading. It is
// taken from the same templates, switches and keys that Generate writes the
// project from: the USB descriptor file expanded in memory, its report
// descriptor array read with the macros of the expanded configuration header.

#include <cstdint>
#include <string>
#include <vector>

#include "hid/ReportLayout.h"
#include "hid/HidDecoder.h"
#include "model/ConfigurationSettings.h"
#include "templating/GenerationTables.h"

namespace kr {

struct ReportDescriptorView {
    std::vector<std::uint8_t> bytes;  // the report descriptor as generated
    // Its length as the configuration descriptor declares it; -1 when that
    // descriptor set is not as long as it says, so the value cannot be found.
    int declaredLength = 0;
    HidDecoding decoding;
    // The listing and the report sizes, lines ending with '\n'. The wizard and
    // kr761x-gen describe both show exactly this.
    std::u16string text;
    // The host rules the descriptor breaks, one sentence each: the decoder's,
    // plus a declared length that differs from the real one and a
    // configuration descriptor set of another length than it declares. Empty
    // when a host accepts it.
    std::vector<std::u16string> failures;
    // Every report laid out as the host reads it, beside the firmware's
    // report size macros and structures; and the same as text, which
    // kr761x-gen describe --layout prints.
    std::vector<ReportLayout> layouts;
    std::u16string layoutText;
};

// Fills view for settings as GenerateProject would write them (the project
// path is not used). Fails only when the templates cannot be expanded for
// these settings, as Generate would fail, with errorText "Error loading
// resource files." or "Error generating:\n" and the file name; a descriptor
// that breaks host rules is still described and listed in view.failures.
// errorText is emptied first.
bool DescribeReportDescriptor(const ConfigurationSettings& settings, ReportDescriptorView& view,
                              std::u16string& errorText);

// True when DescribeReportDescriptor would succeed for the settings these
// tables were built from and list no failure; found without the listing,
// the layouts or the report structures' text. False says only that the full
// description is needed to state the error or the failures.
bool ReportDescriptorPassesHostRules(const SwitchSet& switches, const SubstitutionMap& keys);

// The failures stated for a reader: a sentence saying hosts refuse the
// descriptor, then one "- " line per failure, lines ending with '\n'. Empty
// when there are none.
std::u16string HostRuleFailureText(const std::vector<std::u16string>& failures);

}  // namespace kr
