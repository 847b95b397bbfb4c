// SPDX-License-Identifier: MIT
#include "hid/HidDecoder.h"

#include <algorithm>
#include <limits>

#include "hid/HidNames.h"
#include "platform/NumberText.h"

namespace kr {

using platform::FormatDecimal;
using platform::FormatHex;
using platform::FormatHexLiteral;

namespace {

enum MainTag { kInput = 0x8, kOutput = 0x9, kCollection = 0xA, kFeature = 0xB, kEndCollection = 0xC };
enum GlobalTag {
    kUsagePage = 0x0,
    kLogicalMinimum = 0x1,
    kLogicalMaximum = 0x2,
    kPhysicalMinimum = 0x3,
    kPhysicalMaximum = 0x4,
    kUnitExponent = 0x5,
    kUnit = 0x6,
    kReportSize = 0x7,
    kReportId = 0x8,
    kReportCount = 0x9,
    kPush = 0xA,
    kPop = 0xB,
};
enum LocalTag { kUsage = 0x0, kUsageMinimum = 0x1, kUsageMaximum = 0x2, kDelimiter = 0xA };

// Limits of the Linux HID core.
constexpr std::uint32_t kMaxReportSize = 256;
constexpr std::uint32_t kMaxReportCount = 12288;
constexpr std::size_t kMaxPushDepth = 4;

// A data item with more fields than this is laid out as one field.
constexpr std::uint32_t kMostFieldsNamed = 64;
// The Variable bit of Input, Output and Feature items; Constant is bit 0.
constexpr std::uint32_t kConstantFlag = 0x1;
constexpr std::uint32_t kVariableFlag = 0x2;

// Columns of the listing.
constexpr std::size_t kOffsetWidth = 7;
constexpr std::size_t kBytesWidth = 17;

constexpr const char16_t* kMainNames[16] = {nullptr,           nullptr, nullptr,  nullptr,   nullptr,       nullptr,
                                            nullptr,           nullptr, u"Input", u"Output", u"Collection", u"Feature",
                                            u"End Collection", nullptr, nullptr,  nullptr};
constexpr const char16_t* kGlobalNames[16] = {u"Usage Page",
                                              u"Logical Minimum",
                                              u"Logical Maximum",
                                              u"Physical Minimum",
                                              u"Physical Maximum",
                                              u"Unit Exponent",
                                              u"Unit",
                                              u"Report Size",
                                              u"Report ID",
                                              u"Report Count",
                                              u"Push",
                                              u"Pop",
                                              nullptr,
                                              nullptr,
                                              nullptr,
                                              nullptr};
constexpr const char16_t* kLocalNames[16] = {u"Usage",
                                             u"Usage Minimum",
                                             u"Usage Maximum",
                                             u"Designator Index",
                                             u"Designator Minimum",
                                             u"Designator Maximum",
                                             nullptr,
                                             u"String Index",
                                             u"String Minimum",
                                             u"String Maximum",
                                             u"Delimiter",
                                             nullptr,
                                             nullptr,
                                             nullptr,
                                             nullptr,
                                             nullptr};

// The global state a Push saves and a Pop restores, held as the Linux HID
// core holds it: 32-bit signed values.
struct DecoderGlobals {
    std::uint32_t usagePage = 0;
    std::int32_t logicalMinimum = 0;
    std::int32_t logicalMaximum = 0;
    std::int32_t physicalMinimum = 0;
    std::int32_t physicalMaximum = 0;
    std::uint32_t reportSize = 0;
    std::uint32_t reportCount = 0;
    int reportId = 0;
};

std::u16string ItemName(const HidItem& item)
{
    if (item.isLong)
        return u"Long item";
    const char16_t* const* names = item.type == HidItemType::Main     ? kMainNames
                                   : item.type == HidItemType::Global ? kGlobalNames
                                   : item.type == HidItemType::Local  ? kLocalNames
                                                                      : nullptr;
    if (names && names[item.tag])
        return names[item.tag];
    static constexpr const char16_t* kTypes[] = {u"Main", u"Global", u"Local", u"Reserved"};
    return std::u16string(kTypes[static_cast<int>(item.type)]) + u" item " + FormatHexLiteral(item.tag, 1);
}

std::u16string ItemBytes(std::span<const std::uint8_t> bytes, const HidItem& item, std::size_t size)
{
    std::u16string text;
    for (std::size_t i = 0; i < size; ++i) {
        if (i)
            text += u' ';
        text += FormatHex(bytes[item.offset + i], 2);
    }
    return text;
}

std::u16string Padded(std::u16string text, std::size_t width)
{
    if (text.size() < width)
        text.append(width - text.size(), u' ');
    return text;
}

class Decoder {
public:
    // describe false: only the rules are checked; the listing, the report
    // sizes text, the fields and the usage names are left out, and failure
    // sentences may lack the usages of their item.
    Decoder(std::span<const std::uint8_t> bytes, const std::map<int, std::u16string>& reportIdNames,
            bool describe = true)
        : bytes_(bytes), reportIdNames_(reportIdNames), describe_(describe)
    {
    }

    HidDecoding Run()
    {
        Split();
        usesReportIds_ = std::any_of(result_.items.begin(), result_.items.end(), [](const HidItem& item) {
            return !item.isLong && item.type == HidItemType::Global && item.tag == kReportId;
        });
        if (describe_)
            result_.listing = Padded(u"Offset", kOffsetWidth) + Padded(u"Bytes", kBytesWidth) + u"Item\n";
        for (const HidItem& item : result_.items)
            Interpret(item);
        Finish();
        return std::move(result_);
    }

private:
    // Cuts the bytes into items; stops at an item that runs past the end.
    void Split()
    {
        static constexpr std::size_t kDataSize[] = {0, 1, 2, 4};
        for (std::size_t i = 0; i < bytes_.size();) {
            HidItem item;
            item.offset = i;
            item.prefix = bytes_[i];
            std::size_t header = 1;
            std::size_t size = kDataSize[item.prefix & 3];
            if (item.prefix == 0xFE) {
                item.isLong = true;
                header = 3;
                size = i + 1 < bytes_.size() ? bytes_[i + 1] : 0;
                item.tag = i + 2 < bytes_.size() ? bytes_[i + 2] : 0;
            } else {
                item.type = static_cast<HidItemType>((item.prefix >> 2) & 3);
                item.tag = item.prefix >> 4;
            }
            if (i + header + size > bytes_.size()) {
                Fail(u"The item at offset " + FormatDecimal(static_cast<std::int64_t>(i)) + u" needs "
                     + FormatDecimal(static_cast<std::int64_t>(header + size)) + u" bytes, but only "
                     + FormatDecimal(static_cast<std::int64_t>(bytes_.size() - i)) + u" remain in the descriptor");
                truncatedAt_ = i;
                return;
            }
            item.data.assign(bytes_.begin() + static_cast<std::ptrdiff_t>(i + header),
                             bytes_.begin() + static_cast<std::ptrdiff_t>(i + header + size));
            result_.items.push_back(std::move(item));
            i += header + size;
        }
    }

    void Fail(std::u16string text) { result_.failures.push_back(std::move(text)); }

    std::u16string At(const HidItem& item) const
    {
        return u" at offset " + FormatDecimal(static_cast<std::int64_t>(item.offset));
    }

    void Interpret(const HidItem& item)
    {
        // An End Collection line stands at the level of its Collection.
        if (!item.isLong && item.type == HidItemType::Main && item.tag == kEndCollection) {
            if (depth_ == 0)
                Fail(u"End Collection" + At(item) + u" closes no open collection");
            else
                --depth_;
        }
        if (!describe_) {
            // The same item handlers, for their state and their rules; what
            // they return is text for the listing.
            static_cast<void>(item.isLong                        ? Long(item)
                              : item.type == HidItemType::Main   ? Main(item)
                              : item.type == HidItemType::Global ? Global(item)
                              : item.type == HidItemType::Local  ? Local(item)
                                                                 : Reserved(item));
            return;
        }
        const std::size_t size = (item.isLong ? 3 : 1) + item.data.size();
        std::u16string line =
            Padded(FormatDecimal(static_cast<std::int64_t>(item.offset)), kOffsetWidth)
            + Padded(ItemBytes(bytes_, item, std::min<std::size_t>(size, 5)) + (size > 5 ? u" ..." : u""), kBytesWidth)
            + std::u16string(2 * depth_, u' ') + ItemName(item);
        const std::u16string value = item.isLong                        ? Long(item)
                                     : item.type == HidItemType::Main   ? Main(item)
                                     : item.type == HidItemType::Global ? Global(item)
                                     : item.type == HidItemType::Local  ? Local(item)
                                                                        : Reserved(item);
        if (!value.empty())
            line += u" (" + value + u")";
        result_.listing += line + u'\n';
    }

    std::u16string Long(const HidItem& item)
    {
        Fail(u"Long item" + At(item) + u": hosts accept short items only");
        return {};
    }

    std::u16string Reserved(const HidItem& item)
    {
        Fail(ItemName(item) + At(item) + u": the item type is reserved");
        return FormatHexLiteral(item.Unsigned(), 2 * static_cast<int>(item.data.size()));
    }

    std::u16string Main(const HidItem& item)
    {
        std::u16string value;
        switch (item.tag) {
        case kInput:
        case kOutput:
        case kFeature:
            if (describe_)
                value = MainItemFlags(item.tag, item.Unsigned());
            DataItem(item);
            break;
        case kCollection:
            if (describe_)
                value = CollectionTypeName(item.Unsigned());
            ++depth_;
            break;
        case kEndCollection:
            NoData(item);
            break;
        default:
            if (!item.data.empty())
                value = FormatHexLiteral(item.Unsigned(), 2);
            break;
        }
        ClearLocals();
        return value;
    }

    // Input, Output or Feature: one field of the current report.
    void DataItem(const HidItem& item)
    {
        const HidReportKind kind = item.tag == kInput    ? HidReportKind::Input
                                   : item.tag == kOutput ? HidReportKind::Output
                                                         : HidReportKind::Feature;
        std::u16string name = ItemName(item);
        if (!usages_.empty()) {
            name += u" (";
            for (std::size_t i = 0; i < usages_.size(); ++i)
                name += (i ? u", " : u"") + usages_[i];
            name += u")";
        }

        const DecoderGlobals& g = globals_;
        const bool outOfRange = g.logicalMinimum < 0 ? g.logicalMaximum < g.logicalMinimum
                                                     : static_cast<std::uint32_t>(g.logicalMaximum)
                                                           < static_cast<std::uint32_t>(g.logicalMinimum);
        if (outOfRange)
            Fail(name + At(item) + u": Logical Minimum " + FormatDecimal(g.logicalMinimum)
                 + u" is above Logical Maximum " + LogicalMaximumText());
        if (usesReportIds_ && g.reportId == 0)
            Fail(name + At(item) + u" comes before any Report ID, though the descriptor uses report ids");

        const std::pair key{kind, g.reportId};
        auto it = std::find_if(result_.reports.begin(), result_.reports.end(), [&](const HidReportSize& report) {
            return std::pair{report.kind, report.reportId} == key;
        });
        if (it == result_.reports.end()) {
            result_.reports.push_back({kind, g.reportId, 0, {}});
            it = result_.reports.end() - 1;
        }
        if (describe_)
            LayOut(*it, item);
        // Sizes and counts beyond the host's limits are already failures;
        // their products only need to stay representable.
        const std::uint64_t fieldBits = std::uint64_t{g.reportSize} * g.reportCount;
        constexpr auto kMaxBits = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
        it->bits = fieldBits > kMaxBits - static_cast<std::uint64_t>(it->bits)
                       ? std::numeric_limits<std::int64_t>::max()
                       : it->bits + static_cast<std::int64_t>(fieldBits);
    }

    // A field of the item laid out now, with the size and range in force.
    HidReportField Field(std::int64_t offset, std::int64_t bits, std::u16string name, bool padding,
                         std::u16string usage) const
    {
        const DecoderGlobals& g = globals_;
        HidReportField field{offset, bits, std::move(name), padding, std::move(usage), g.reportSize};
        field.logicalMinimum = g.logicalMinimum;
        field.logicalMaximum = g.logicalMinimum < 0
                                   ? g.logicalMaximum
                                   : static_cast<std::int64_t>(static_cast<std::uint32_t>(g.logicalMaximum));
        return field;
    }

    // Adds the item's fields to report, from where the report stands now.
    void LayOut(HidReportSize& report, const HidItem& item) const
    {
        const DecoderGlobals& g = globals_;
        const std::int64_t size = g.reportSize;
        const std::int64_t count = g.reportCount;
        // Sizes and counts beyond the host's limits are failures already, and
        // a report that long has no layout worth drawing.
        if (size == 0 || count == 0 || size > kMaxReportSize || count > kMaxReportCount
            || report.bits > std::numeric_limits<std::int64_t>::max() / 2)
            return;
        std::int64_t offset = report.bits;
        const std::uint32_t flags = item.Unsigned();
        if (flags & kConstantFlag) {
            report.fields.push_back(Field(offset, size * count, u"Padding", true, u"Padding"));
            return;
        }
        if (!(flags & kVariableFlag)) {
            const std::u16string name = u"Array of " + FormatDecimal(count) + u" x " + FormatDecimal(size) + u" bits";
            report.fields.push_back(Field(offset, size * count, name, false, name));
            return;
        }
        if (static_cast<std::uint32_t>(count) > kMostFieldsNamed) {
            report.fields.push_back(
                Field(offset, size * count, FormatDecimal(count) + u" x " + UsageAt(0) + u" ...", false, UsageAt(0)));
            return;
        }
        // Neighbours with the same usage (a usage repeated to fill the count)
        // are shown as one run.
        for (std::int64_t i = 0; i < count;) {
            const std::u16string name = UsageAt(static_cast<std::uint64_t>(i));
            std::int64_t run = 1;
            while (i + run < count && UsageAt(static_cast<std::uint64_t>(i + run)) == name)
                ++run;
            report.fields.push_back(
                Field(offset, size * run,
                      run == 1 ? name : name + u" (" + FormatDecimal(run) + u" x " + FormatDecimal(size) + u" bits)",
                      false, name));
            offset += size * run;
            i += run;
        }
    }

    // The name of the usage of a variable item's field at position i.
    std::u16string UsageAt(std::uint64_t i) const
    {
        if (usageSpans_.empty())
            return u"(no usage)";
        const UsageSpan* last = &usageSpans_.back();
        for (const UsageSpan& span : usageSpans_) {
            const std::uint64_t length = span.last >= span.first ? span.last - span.first + 1 : 1;
            if (i < length)
                return UsageName(span.page, span.first + static_cast<std::uint32_t>(i));
            i -= length;
        }
        return UsageName(last->page, last->last >= last->first ? last->last : last->first);
    }

    // The logical maximum as the host holds it: unsigned unless the minimum
    // is negative.
    std::u16string LogicalMaximumText() const
    {
        return globals_.logicalMinimum < 0 ? FormatDecimal(globals_.logicalMaximum)
                                           : FormatDecimal(static_cast<std::uint32_t>(globals_.logicalMaximum));
    }

    std::u16string Global(const HidItem& item)
    {
        DecoderGlobals& g = globals_;
        switch (item.tag) {
        case kUsagePage:
            g.usagePage = item.Unsigned();
            return describe_ ? UsagePageName(g.usagePage) : std::u16string();
        case kLogicalMinimum:
            g.logicalMinimum = item.Signed();
            return FormatDecimal(g.logicalMinimum);
        case kLogicalMaximum:
            g.logicalMaximum = g.logicalMinimum < 0 ? item.Signed() : static_cast<std::int32_t>(item.Unsigned());
            return LogicalMaximumText();
        case kPhysicalMinimum:
            g.physicalMinimum = item.Signed();
            return FormatDecimal(g.physicalMinimum);
        case kPhysicalMaximum:
            g.physicalMaximum = g.physicalMinimum < 0 ? item.Signed() : static_cast<std::int32_t>(item.Unsigned());
            return g.physicalMinimum < 0 ? FormatDecimal(g.physicalMaximum)
                                         : FormatDecimal(static_cast<std::uint32_t>(g.physicalMaximum));
        case kUnitExponent: {
            // Written as a 4-bit two's complement nibble; wider values as they are.
            const std::uint32_t raw = item.Unsigned();
            const std::int64_t exponent =
                raw <= 0xF ? (raw >= 8 ? std::int64_t{raw} - 16 : raw) : static_cast<std::int32_t>(raw);
            return FormatDecimal(exponent);
        }
        case kUnit:
            return describe_ ? UnitName(item.Unsigned()) : std::u16string();
        case kReportSize:
            g.reportSize = item.Unsigned();
            if (g.reportSize > kMaxReportSize)
                Fail(u"Report Size" + At(item) + u" is " + FormatDecimal(g.reportSize)
                     + u" bits; hosts accept at most 256");
            return FormatDecimal(g.reportSize);
        case kReportId: {
            const std::uint32_t id = item.Unsigned();
            if (id == 0 || id > 255)
                Fail(u"Report ID" + At(item) + u" is " + FormatDecimal(id) + u"; report ids run from 1 to 255");
            g.reportId = static_cast<int>(std::min<std::uint32_t>(id, 0x7FFFFFFF));
            const auto name = reportIdNames_.find(g.reportId);
            return FormatHexLiteral(id, 2) + (name != reportIdNames_.end() ? u" " + name->second : u"");
        }
        case kReportCount:
            g.reportCount = item.Unsigned();
            if (g.reportCount > kMaxReportCount)
                Fail(u"Report Count" + At(item) + u" is " + FormatDecimal(g.reportCount)
                     + u"; hosts accept at most 12288");
            return FormatDecimal(g.reportCount);
        case kPush:
            NoData(item);
            if (stack_.size() == kMaxPushDepth)
                Fail(u"Push" + At(item) + u" goes deeper than the 4 levels hosts keep");
            stack_.push_back(g);
            return {};
        case kPop:
            NoData(item);
            if (stack_.empty()) {
                Fail(u"Pop" + At(item) + u" has no Push to restore");
            } else {
                g = stack_.back();
                stack_.pop_back();
            }
            return {};
        default:
            Fail(ItemName(item) + At(item) + u" is not a global item hosts know");
            return item.data.empty() ? std::u16string() : FormatHexLiteral(item.Unsigned(), 2);
        }
    }

    std::u16string Local(const HidItem& item)
    {
        switch (item.tag) {
        case kUsage:
        case kUsageMinimum:
        case kUsageMaximum: {
            // Usages name fields and listing lines only.
            if (!describe_)
                return {};
            // A 4-byte usage carries its own page in the high 16 bits.
            const std::uint32_t raw = item.Unsigned();
            const bool extended = item.data.size() == 4;
            const std::uint32_t page = extended ? raw >> 16 : globals_.usagePage;
            const std::uint32_t id = extended ? raw & 0xFFFF : raw;
            const std::u16string name = UsageName(page, id);
            if (item.tag == kUsage) {
                usages_.push_back(name);
                usageSpans_.push_back({page, id, id});
            } else if (item.tag == kUsageMinimum) {
                usageMinimum_ = name;
                minimumUsage_ = {page, id, id};
            } else {
                usages_.push_back(usageMinimum_.empty() ? name : usageMinimum_ + u" to " + name);
                usageSpans_.push_back(usageMinimum_.empty() ? UsageSpan{page, id, id}
                                                            : UsageSpan{minimumUsage_.page, minimumUsage_.first, id});
            }
            return extended ? UsagePageName(page) + u": " + name : name;
        }
        case kDelimiter: {
            const std::uint32_t open = item.Unsigned();
            if (open == 1 && delimiterDepth_ > 0)
                Fail(u"Delimiter" + At(item) + u" opens a set inside another");
            else if (open == 0 && delimiterDepth_ == 0)
                Fail(u"Delimiter" + At(item) + u" closes no open set");
            else if (open == 1)
                ++delimiterDepth_;
            else if (open == 0)
                --delimiterDepth_;
            return open == 1 ? u"Open" : open == 0 ? u"Close" : FormatDecimal(open);
        }
        default:
            return item.data.empty() ? std::u16string() : FormatDecimal(item.Unsigned());
        }
    }

    void NoData(const HidItem& item)
    {
        if (!item.data.empty())
            Fail(ItemName(item) + At(item) + u" carries " + FormatDecimal(static_cast<std::int64_t>(item.data.size()))
                 + u" data byte(s); it takes none");
    }

    void ClearLocals()
    {
        usages_.clear();
        usageMinimum_.clear();
        usageSpans_.clear();
    }

    void Finish()
    {
        const std::u16string end = u" at the end of the descriptor";
        if (depth_ > 0)
            Fail(FormatDecimal(static_cast<std::int64_t>(depth_)) + u" collection(s) still open" + end);
        if (!stack_.empty())
            Fail(FormatDecimal(static_cast<std::int64_t>(stack_.size())) + u" Push item(s) without a Pop" + end);
        if (delimiterDepth_ > 0)
            Fail(u"A delimiter set still open" + end);
        if (!describe_)
            return;
        if (truncatedAt_ < bytes_.size())
            result_.listing +=
                Padded(FormatDecimal(static_cast<std::int64_t>(truncatedAt_)), kOffsetWidth) + u"(incomplete item)\n";

        std::stable_sort(result_.reports.begin(), result_.reports.end(),
                         [](const HidReportSize& a, const HidReportSize& b) {
                             return std::pair{a.kind, a.reportId} < std::pair{b.kind, b.reportId};
                         });
        for (const HidReportSize& report : result_.reports) {
            std::u16string line = u"  " + Padded(ReportKindName(report.kind), 8);
            if (report.reportId == 0) {
                line += u"no report id";
            } else {
                line += FormatHexLiteral(static_cast<std::uint32_t>(report.reportId), 2);
                const auto name = reportIdNames_.find(report.reportId);
                if (name != reportIdNames_.end())
                    line += u" " + name->second;
            }
            line = Padded(line, 48) + FormatDecimal(report.bits) + u" bits";
            if (report.bits % 8 == 0)
                line += u" = " + FormatDecimal(report.bits / 8) + (report.bits == 8 ? u" byte" : u" bytes");
            else
                line += u", not a whole number of bytes";
            result_.reportSizes += line + u'\n';
        }
    }

    std::span<const std::uint8_t> bytes_;
    const std::map<int, std::u16string>& reportIdNames_;
    const bool describe_;
    HidDecoding result_;
    bool usesReportIds_ = false;
    std::size_t truncatedAt_ = static_cast<std::size_t>(-1);

    DecoderGlobals globals_;
    std::vector<DecoderGlobals> stack_;
    std::vector<std::u16string> usages_;
    std::u16string usageMinimum_;
    // The same usages as numbers, a Usage Minimum to Maximum as one span.
    struct UsageSpan {
        std::uint32_t page;
        std::uint32_t first;
        std::uint32_t last;
    };
    std::vector<UsageSpan> usageSpans_;
    UsageSpan minimumUsage_{};
    int delimiterDepth_ = 0;
    std::size_t depth_ = 0;  // collections open, which indent the listing
};

}  // namespace

std::u16string ReportKindName(HidReportKind kind)
{
    switch (kind) {
    case HidReportKind::Input:
        return u"Input";
    case HidReportKind::Output:
        return u"Output";
    case HidReportKind::Feature:
        return u"Feature";
    }
    return {};
}

std::uint32_t HidItem::Unsigned() const
{
    std::uint32_t value = 0;
    for (std::size_t i = std::min<std::size_t>(data.size(), 4); i-- > 0;)
        value = value << 8 | data[i];
    return value;
}

std::int32_t HidItem::Signed() const
{
    const std::uint32_t value = Unsigned();
    switch (data.size()) {
    case 1:
        return static_cast<std::int8_t>(value);
    case 2:
        return static_cast<std::int16_t>(value);
    default:
        return static_cast<std::int32_t>(value);
    }
}

std::int64_t HidDecoding::ReportBits(HidReportKind kind, int reportId) const
{
    for (const HidReportSize& report : reports)
        if (report.kind == kind && report.reportId == reportId)
            return report.bits;
    return -1;
}

HidDecoding DecodeHidReportDescriptor(std::span<const std::uint8_t> bytes,
                                      const std::map<int, std::u16string>& reportIdNames)
{
    return Decoder(bytes, reportIdNames).Run();
}

bool HidDescriptorPassesHostRules(std::span<const std::uint8_t> bytes)
{
    static const std::map<int, std::u16string> kNoNames;
    return Decoder(bytes, kNoNames, false).Run().failures.empty();
}

}  // namespace kr
