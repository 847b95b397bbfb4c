// SPDX-License-Identifier: MIT
#pragma once
// A HID report descriptor read the way a host reads it: the listing of its
// items with names, indented by collection; the size of every report; and
// the rules for which a host's parser refuses the whole descriptor.

#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace kr {

enum class HidItemType : int { Main = 0, Global = 1, Local = 2, Reserved = 3 };

// One item as it stands in the descriptor.
struct HidItem {
    std::size_t offset = 0;
    std::uint8_t prefix = 0;
    HidItemType type = HidItemType::Main;
    int tag = 0;  // a long item's tag is the byte after its size
    bool isLong = false;  // a long item: size, tag and data follow the 0xFE prefix
    std::vector<std::uint8_t> data;  // little-endian

    std::uint32_t Unsigned() const;
    // Sign-extended from the item's own size (1, 2 or 4 bytes).
    std::int32_t Signed() const;
};

enum class HidReportKind { Input, Output, Feature };

// "Input", "Output" or "Feature".
std::u16string ReportKindName(HidReportKind kind);

// One field of a report as a host lays it out. An Input, Output or Feature
// item gives Report Count fields of Report Size bits each; a variable field
// takes the usage of its position (the last usage repeats when there are
// fewer usages than fields). A constant item is one padding field; fields
// side by side with the same usage, and a very long run of data fields, are
// shown as one.
struct HidReportField {
    std::int64_t bitOffset = 0;  // from the start of the report, without the report id byte
    std::int64_t bits = 0;
    std::u16string name;  // "Tip Switch", "Button 3", "Padding", "0x01 (63 x 8 bits)"
    bool padding = false;
    // What a host needs to read the field's values: the usage name of each
    // value ("Tip Switch", without a run's count), the bits of one value,
    // and the logical range in force, read as the Linux HID core reads it
    // (values are signed while the minimum is negative).
    std::u16string usage;
    std::int64_t valueBits = 0;
    std::int64_t logicalMinimum = 0;
    std::int64_t logicalMaximum = 0;

    bool operator==(const HidReportField&) const = default;
};

struct HidReportSize {
    HidReportKind kind = HidReportKind::Input;
    int reportId = 0;  // 0 when no Report ID item precedes the report's fields
    std::int64_t bits = 0;  // without the report id byte
    std::vector<HidReportField> fields;  // in the order the host reads them; none of 0 bits
};

struct HidDecoding {
    std::vector<HidItem> items;
    // A line of column titles, then one line per item: offset, bytes, then
    // the item, indented by the collections open around it. Lines end with
    // '\n'.
    std::u16string listing;
    // Input reports, then output, then feature, each by report id.
    std::vector<HidReportSize> reports;
    // The table of report sizes as text, lines ending with '\n'.
    std::u16string reportSizes;
    // One sentence per broken rule, naming the item and its offset; empty
    // when a host accepts the descriptor.
    std::vector<std::u16string> failures;

    // Bits of one report, or -1 when the descriptor declares no such report.
    std::int64_t ReportBits(HidReportKind kind, int reportId) const;
};

// Decodes bytes. reportIdNames, when given, are shown beside report ids (for
// example the macro names of the generated header).
//
// The rules checked are those of a host's parser, with values read as the
// Linux HID core reads them (Logical Minimum signed; Logical Maximum signed
// only while the minimum is negative, else unsigned):
//  - every Input, Output and Feature item has its logical minimum at or below
//    its logical maximum;
//  - every item fits in the descriptor and is a short item; End Collection,
//    Push and Pop carry no data; global item tags are known;
//  - collections, Push/Pop and delimiters are balanced, with at most four
//    Push levels;
//  - Report Size is at most 256, Report Count at most 12288, Report ID within
//    1 to 255, and when the descriptor uses report ids, no Input, Output or
//    Feature item comes before the first of them.
HidDecoding DecodeHidReportDescriptor(std::span<const std::uint8_t> bytes,
                                      const std::map<int, std::u16string>& reportIdNames = {});

// Whether DecodeHidReportDescriptor(bytes) finds no failure, found without
// building its listing, report sizes text or field names: for callers that
// need only the verdict, and decode in full to state what is wrong.
bool HidDescriptorPassesHostRules(std::span<const std::uint8_t> bytes);

}  // namespace kr
