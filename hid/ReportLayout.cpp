// SPDX-License-Identifier: MIT
#include "hid/ReportLayout.h"

#include <algorithm>
#include <set>

#include "hid/HidNames.h"
#include "platform/NumberText.h"

namespace kr {

using platform::FormatDecimal;
using platform::FormatHexLiteral;

namespace {

// The firmware's report structures and the reports they are sent as.
struct StructOfReport {
    const char16_t* idName;
    const char16_t* structName;
};
constexpr StructOfReport kStructures[] = {
    {u"ID_MOUSE_DATA", u"Mouse_Report"},
    {u"ID_TOUCH_DATA", u"Touch_Point_Report"},
    {u"ID_PEN_DATA", u"Pen_Report"},
};

std::u16string Bytes(std::int64_t count)
{
    return FormatDecimal(count) + (count == 1 ? u" byte" : u" bytes");
}

std::u16string PaddedColumn(std::u16string text, std::size_t width)
{
    text.append(text.size() < width ? width - text.size() : 1, u' ');
    return text;
}

}  // namespace

int ReportLayout::StructBytes() const
{
    if (structName.empty())
        return -1;
    return members.empty() ? 0 : members.back().offset + members.back().size;
}

bool ReportLayout::SizesDiffer() const
{
    const std::int64_t hostBytes = (bits + 7) / 8;
    return (declaredBytes >= 0 && declaredBytes != hostBytes) || (!structName.empty() && StructBytes() != hostBytes);
}

std::vector<ReportLayout> BuildReportLayouts(const HidDecoding& decoding, const std::map<std::u16string, long>& defines,
                                             std::u16string_view bufferStruct)
{
    std::vector<ReportLayout> layouts;
    for (const HidReportSize& report : decoding.reports) {
        ReportLayout layout;
        layout.kind = report.kind;
        layout.reportId = report.reportId;
        layout.bits = report.bits;
        layout.fields = report.fields;
        for (const auto& [name, value] : defines)
            if (name.starts_with(u"ID_") && value == report.reportId && report.reportId != 0)
                layout.idName = name;
        if (!layout.idName.empty()) {
            // SIZE_X goes with ID_X.
            const std::u16string sizeName = u"SIZE_" + layout.idName.substr(3);
            if (const auto size = defines.find(sizeName); size != defines.end()) {
                layout.sizeName = sizeName;
                layout.declaredBytes = size->second;
            }
        }
        for (const StructOfReport& s : kStructures) {
            if (report.kind != HidReportKind::Input || layout.idName != s.idName)
                continue;
            if (auto members = ReadStructMembers(bufferStruct, s.structName)) {
                layout.structName = s.structName;
                layout.members = std::move(*members);
            }
        }
        layouts.push_back(std::move(layout));
    }
    return layouts;
}

std::u16string ReportLayoutTitle(const ReportLayout& layout)
{
    std::u16string title = ReportKindName(layout.kind) + u" report ";
    if (layout.reportId == 0)
        return title + u"without report id";
    title += FormatHexLiteral(static_cast<std::uint32_t>(layout.reportId), 2);
    return layout.idName.empty() ? title : title + u" " + layout.idName;
}

std::u16string ReportLayoutSizes(const ReportLayout& layout)
{
    std::u16string text = u"The host reads " + FormatDecimal(layout.bits) + u" bits";
    if (layout.bits % 8 == 0)
        text += u" = " + Bytes(layout.bits / 8);
    text += layout.sizeName.empty() ? u"; the firmware declares no size"
                                    : u"; " + layout.sizeName + u" = " + Bytes(layout.declaredBytes);
    if (!layout.structName.empty())
        text += u"; " + layout.structName + u" has " + Bytes(layout.StructBytes());
    if (layout.SizesDiffer())
        text += u" (sizes differ)";
    return text + u".";
}

std::u16string ReportLayoutText(const std::vector<ReportLayout>& layouts)
{
    std::u16string text;
    for (const ReportLayout& layout : layouts) {
        text += ReportLayoutTitle(layout) + u"\n  " + ReportLayoutSizes(layout) + u"\n";
        text += u"  " + PaddedColumn(u"Bit", 7) + PaddedColumn(u"Bits", 6) + PaddedColumn(u"Host field", 28)
                + u"Firmware field\n";
        // One line for each offset at which a host field or a member starts.
        std::set<std::int64_t> starts;
        for (const HidReportField& field : layout.fields)
            starts.insert(field.bitOffset);
        for (const StructMember& member : layout.members)
            starts.insert(std::int64_t{member.offset} * 8);
        for (const std::int64_t start : starts) {
            const auto field = std::find_if(layout.fields.begin(), layout.fields.end(),
                                            [&](const HidReportField& f) { return f.bitOffset == start; });
            const auto member = std::find_if(layout.members.begin(), layout.members.end(), [&](const StructMember& m) {
                return std::int64_t{m.offset} * 8 == start;
            });
            std::u16string line = u"  " + PaddedColumn(FormatDecimal(start), 7);
            if (field != layout.fields.end())
                line += PaddedColumn(FormatDecimal(field->bits), 6) + PaddedColumn(field->name, 28);
            else
                line += PaddedColumn(u"", 6) + PaddedColumn(u"", 28);
            if (member != layout.members.end())
                line += member->name + u" (" + member->type + u", " + Bytes(member->size) + u")";
            while (!line.empty() && line.back() == u' ')
                line.pop_back();
            text += line + u"\n";
        }
        text += u"\n";
    }
    return text;
}

}  // namespace kr
