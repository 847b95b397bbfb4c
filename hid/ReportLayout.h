// SPDX-License-Identifier: MIT
#pragma once
// Every report of a configuration's HID report descriptor as a host lays it
// out, field by field and bit by bit, beside what the generated firmware
// declares for it: the report's SIZE_ macro and, for the input reports the
// firmware assembles, its report structure. A firmware structure whose
// fields stand in another order or at other offsets than the host's, or a
// size that differs, shows here.

#include <map>
#include <string>
#include <vector>

#include "hid/HidDecoder.h"
#include "hid/StructReader.h"

namespace kr {

struct ReportLayout {
    HidReportKind kind = HidReportKind::Input;
    int reportId = 0;
    std::u16string idName;  // "ID_PEN_DATA"; empty when the header names none
    std::int64_t bits = 0;  // as the host reads the report, without the id byte
    std::vector<HidReportField> fields;  // as the host reads them
    std::u16string sizeName;  // "SIZE_PEN_DATA"; empty when the header has none
    long declaredBytes = -1;  // that macro's value, -1 without one
    std::u16string structName;  // "Pen_Report"; empty for a report without one
    std::vector<StructMember> members;  // the structure's fields

    // The structure's size in bytes, -1 when there is none.
    int StructBytes() const;
    // Whether the firmware declares a size, or has a structure, that is not
    // the host's.
    bool SizesDiffer() const;
};

// The layouts of decoding's reports, in its order. defines are the macros of
// the expanded configuration header; bufferStruct is the expanded report
// structure header.
std::vector<ReportLayout> BuildReportLayouts(const HidDecoding& decoding, const std::map<std::u16string, long>& defines,
                                             std::u16string_view bufferStruct);

// "Input report 0x80 ID_MOUSE_DATA"; "Input report without report id".
std::u16string ReportLayoutTitle(const ReportLayout& layout);

// A line saying how many bytes the host reads, the SIZE_ macro and the
// structure declare.
std::u16string ReportLayoutSizes(const ReportLayout& layout);

// The layouts as text: per report its title, its sizes and one line per bit
// offset where a host field or a structure field starts, lines ending with
// '\n'. kr761x-gen describe --layout prints it.
std::u16string ReportLayoutText(const std::vector<ReportLayout>& layouts);

}  // namespace kr
