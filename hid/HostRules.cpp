// SPDX-License-Identifier: MIT
#include "hid/HostRules.h"

#include <algorithm>

#include "hid/HidNames.h"
#include "platform/NumberText.h"

namespace kr {

using platform::FormatDecimal;

namespace {

// Usages the rules look for.
constexpr std::uint32_t kMouse = HidUsage(0x01, 0x02);
constexpr std::uint32_t kX = HidUsage(0x01, 0x30);
constexpr std::uint32_t kY = HidUsage(0x01, 0x31);
constexpr std::uint32_t kPen = HidUsage(0x0D, 0x02);
constexpr std::uint32_t kTouchScreen = HidUsage(0x0D, 0x04);
constexpr std::uint32_t kDeviceConfiguration = HidUsage(0x0D, 0x0E);
constexpr std::uint32_t kFinger = HidUsage(0x0D, 0x22);
constexpr std::uint32_t kTipPressure = HidUsage(0x0D, 0x30);
constexpr std::uint32_t kInRange = HidUsage(0x0D, 0x32);
constexpr std::uint32_t kInvert = HidUsage(0x0D, 0x3C);
constexpr std::uint32_t kTipSwitch = HidUsage(0x0D, 0x42);
constexpr std::uint32_t kEraser = HidUsage(0x0D, 0x45);
constexpr std::uint32_t kWidth = HidUsage(0x0D, 0x48);
constexpr std::uint32_t kHeight = HidUsage(0x0D, 0x49);
constexpr std::uint32_t kContactIdentifier = HidUsage(0x0D, 0x51);
constexpr std::uint32_t kDeviceMode = HidUsage(0x0D, 0x52);
constexpr std::uint32_t kContactCount = HidUsage(0x0D, 0x54);
constexpr std::uint32_t kContactCountMaximum = HidUsage(0x0D, 0x55);
constexpr std::uint32_t kScanTime = HidUsage(0x0D, 0x56);
constexpr std::uint32_t kCertificationBlob = HidUsage(0xFF00, 0xC5);
constexpr std::uint32_t kCertificationStatus = HidUsage(0xFF00, 0xC6);

constexpr std::uint32_t kApplication = 1;
constexpr std::uint32_t kLogical = 2;
constexpr std::uint32_t kUnitCentimetre = 0x11;
constexpr std::uint32_t kUnitInch = 0x13;

// Contacts hid-multitouch gives a device when it learns no number, and the
// most it takes from a Contact Count Maximum's logical maximum.
constexpr std::int64_t kLinuxDefaultSlots = 10;
constexpr std::int64_t kLinuxMostSlots = 250;

// Digitizer usages hid-multitouch maps itself in a report it reads as
// contacts; any other digitizer usage goes to hid-input.
constexpr std::uint32_t kMultitouchMapped[] = {0x30, 0x32, 0x33, 0x3F, 0x42, 0x47, 0x48, 0x49, 0x51, 0x54, 0x55, 0x56};

constexpr unsigned kMouseBit = 1u << static_cast<int>(HostCollection::Mouse);
constexpr unsigned kTouchBit = 1u << static_cast<int>(HostCollection::TouchScreen);
constexpr unsigned kPenBit = 1u << static_cast<int>(HostCollection::Pen);
constexpr unsigned kAllBits = kMouseBit | kTouchBit | kPenBit;

constexpr std::u16string_view kHidRules = u"Device Class Definition for HID 1.11, 6.2.2.7 Global Items";
constexpr std::u16string_view kWinTouch = u"Microsoft: Touchscreen required HID top-level collections";
constexpr std::u16string_view kWinModes = u"Microsoft: Touchscreen packet reporting modes";
constexpr std::u16string_view kWinValidation = u"Microsoft: Windows Hardware Lab Kit, HID touch validation test";
constexpr std::u16string_view kWinPen = u"Microsoft: Required HID top-level collections (pen)";
constexpr std::u16string_view kWinDiscovery = u"Microsoft: Using report descriptors to support capability discovery";
constexpr std::u16string_view kLinuxCore = u"Linux drivers/hid/hid-core.c";
constexpr std::u16string_view kLinuxMultitouch = u"Linux drivers/hid/hid-multitouch.c";
constexpr std::u16string_view kLinuxInput = u"Linux drivers/hid/hid-input.c";
constexpr std::u16string_view kAndroidTouch = u"source.android.com: Touch devices";
constexpr std::u16string_view kMacOs = u"Apple: macOS has no published touch-screen support (third-party reports)";

using Ctx = HostRuleContext;
using Finding = std::optional<std::u16string>;

const HidCollectionNode& Node(const Ctx& c, int index)
{
    return c.tree.collections[static_cast<std::size_t>(index)];
}

bool InApp(const Ctx& c, const HidMainNode& item)
{
    return c.tree.Within(item.collection, c.application);
}

bool IsData(const HidMainNode& item)
{
    return !item.Constant() && item.Variable();
}

// The data items of the judged collection of one kind.
std::vector<const HidMainNode*> Items(const Ctx& c, HidReportKind kind)
{
    std::vector<const HidMainNode*> items;
    for (const HidMainNode& item : c.tree.items)
        if (item.kind == kind && InApp(c, item))
            items.push_back(&item);
    return items;
}

// The judged collection's variable data inputs that carry usage.
std::vector<const HidMainNode*> Inputs(const Ctx& c, std::uint32_t usage)
{
    std::vector<const HidMainNode*> items;
    for (const HidMainNode* item : Items(c, HidReportKind::Input))
        if (IsData(*item) && item->Has(usage))
            items.push_back(item);
    return items;
}

bool HasInput(const Ctx& c, std::uint32_t usage)
{
    return !Inputs(c, usage).empty();
}

std::u16string Name(std::uint32_t usage)
{
    return UsageName(usage >> 16, usage & 0xFFFF);
}

// A range as the Linux HID core holds it: the maximum is read unsigned while
// the minimum is not negative.
std::int64_t LinuxMaximum(const HidRangeValue& minimum, const HidRangeValue& maximum)
{
    return minimum.Signed() < 0 ? maximum.Signed() : maximum.Unsigned();
}

std::u16string Written(std::u16string_view what, const HidRangeValue& value)
{
    return std::u16string(what) + u" " + FormatDecimal(value.Unsigned()) + u" in "
           + FormatDecimal(static_cast<std::int64_t>(value.size)) + (value.size == 1 ? u" byte" : u" bytes");
}

// Nothing when every data field of the judged collection has its ranges the
// right way round as Windows reads them; otherwise the first that does not.
Finding BackwardRange(const Ctx& c)
{
    for (const HidMainNode& item : c.tree.items) {
        if (!InApp(c, item) || item.Constant() || item.kind == HidReportKind::Output)
            continue;
        const std::u16string usage = item.usages.empty() ? std::u16string(u"a field") : Name(item.usages.front());
        const std::int64_t lmin = item.logicalMinimum.Signed();
        const std::int64_t lmax = item.logicalMaximum.Signed();
        if (lmax < lmin)
            return usage + u": " + Written(u"Logical Maximum", item.logicalMaximum) + u" reads " + FormatDecimal(lmax)
                   + u", below the minimum " + FormatDecimal(lmin);
        const std::int64_t pmin = item.physicalMinimum.Signed();
        const std::int64_t pmax = item.physicalMaximum.Signed();
        if (pmax < pmin)
            return usage + u": " + Written(u"Physical Maximum", item.physicalMaximum) + u" reads " + FormatDecimal(pmax)
                   + u", below the minimum " + FormatDecimal(pmin);
    }
    return std::nullopt;
}

// X and Y of the judged collection with a length unit and physical and
// logical ranges that have extent, read as the host does. Relative axes (a
// mouse's motion) have no resolution to give.
Finding AxesWithoutResolution(const Ctx& c, bool linuxReading)
{
    constexpr std::uint32_t kRelativeFlag = 0x4;
    for (const std::uint32_t axis : {kX, kY}) {
        const auto items = Inputs(c, axis);
        if (items.empty())
            return Name(axis) + u" is missing";
        for (const HidMainNode* item : items) {
            if (item->flags & kRelativeFlag)
                continue;
            if (item->unit != kUnitCentimetre && item->unit != kUnitInch)
                return Name(axis) + u" has the unit " + UnitName(item->unit);
            const std::int64_t lmax =
                linuxReading ? LinuxMaximum(item->logicalMinimum, item->logicalMaximum) : item->logicalMaximum.Signed();
            const std::int64_t pmax = linuxReading ? LinuxMaximum(item->physicalMinimum, item->physicalMaximum)
                                                   : item->physicalMaximum.Signed();
            if (lmax <= item->logicalMinimum.Signed())
                return Name(axis) + u" has no logical range";
            if (pmax <= item->physicalMinimum.Signed())
                return Name(axis) + u" has no physical range";
        }
    }
    return std::nullopt;
}

bool InFinger(const Ctx& c, const HidMainNode& item)
{
    for (int i = item.collection; i >= 0 && i != c.application; i = Node(c, i).parent)
        if (Node(c, i).type == kLogical && Node(c, i).usage == kFinger)
            return true;
    return false;
}

// The report ids of the judged collection's contacts: of the inputs in its
// Finger collections, or else of those with a Contact Identifier.
std::vector<int> ContactReports(const Ctx& c)
{
    std::vector<int> ids;
    for (const HidMainNode* item : Items(c, HidReportKind::Input))
        if (InFinger(c, *item))
            ids.push_back(item->reportId);
    if (ids.empty())
        for (const HidMainNode* item : Inputs(c, kContactIdentifier))
            ids.push_back(item->reportId);
    return ids;
}

// An input of the contacts' report at report level (outside the contacts).
const HidMainNode* ReportLevelInput(const Ctx& c, std::uint32_t usage)
{
    const std::vector<int> reports = ContactReports(c);
    for (const HidMainNode* item : Inputs(c, usage))
        if (!InFinger(c, *item) && std::find(reports.begin(), reports.end(), item->reportId) != reports.end())
            return item;
    return nullptr;
}

// The Contact Count Maximum features of the judged collection.
std::vector<const HidMainNode*> ContactCountMaximums(const Ctx& c)
{
    std::vector<const HidMainNode*> found;
    for (const HidMainNode* item : Items(c, HidReportKind::Feature))
        if (item->Has(kContactCountMaximum))
            found.push_back(item);
    return found;
}

// ---- Windows ----

Finding WindowsRanges(const Ctx& c)
{
    return BackwardRange(c);
}

Finding ReportIdOwn(const Ctx& c)
{
    std::vector<int> own;
    for (std::size_t i = 0; i < c.tree.collections.size(); ++i)
        if (c.tree.Within(static_cast<int>(i), c.application))
            own.insert(own.end(), c.tree.reportIdsDeclared[i].begin(), c.tree.reportIdsDeclared[i].end());
    for (const HidMainNode* item : Items(c, HidReportKind::Input))
        if (item->reportId == 0 || std::find(own.begin(), own.end(), item->reportId) == own.end())
            return item->reportId == 0 ? u"its input report has no id" : u"its input report takes the id of another";
    return std::nullopt;
}

Finding TouchContacts(const Ctx& c)
{
    int fingers = 0;
    for (std::size_t i = 0; i < c.tree.collections.size(); ++i) {
        const int index = static_cast<int>(i);
        if (Node(c, index).usage != kFinger || Node(c, index).type != kLogical || !c.tree.Within(index, c.application))
            continue;
        ++fingers;
        for (const std::uint32_t usage : {kContactIdentifier, kTipSwitch, kX, kY}) {
            const bool found = std::any_of(c.tree.items.begin(), c.tree.items.end(), [&](const HidMainNode& item) {
                return item.kind == HidReportKind::Input && IsData(item) && item.Has(usage)
                       && c.tree.Within(item.collection, index);
            });
            if (!found)
                return u"a contact has no " + Name(usage);
        }
    }
    if (fingers == 0)
        return u"no Finger collection";
    return std::nullopt;
}

Finding TouchContactCount(const Ctx& c)
{
    if (ReportLevelInput(c, kContactCount))
        return std::nullopt;
    return HasInput(c, kContactCount) ? u"the Contact Count is not at report level" : u"";
}

Finding TouchContactCountMaximum(const Ctx& c)
{
    for (const HidMainNode* item : ContactCountMaximums(c)) {
        if (item->collection != c.application)
            return u"it is a feature of a child collection";
        const std::int64_t most = item->logicalMaximum.Signed();
        if (most < 1 || most > 250)
            return u"its logical maximum reads " + FormatDecimal(most);
        return std::nullopt;
    }
    return u"there is none";
}

Finding TouchFiveContacts(const Ctx& c)
{
    const auto found = ContactCountMaximums(c);
    if (found.empty())
        return std::nullopt;  // stated by the Contact Count Maximum rule
    const std::int64_t most = found.front()->logicalMaximum.Signed();
    if (most >= 1 && most < 5)
        return FormatDecimal(most) + (most == 1 ? u" contact" : u" contacts");
    return std::nullopt;
}

Finding TouchScanTime(const Ctx& c)
{
    const HidMainNode* item = ReportLevelInput(c, kScanTime);
    if (!item)
        return u"there is none in the contacts' report";
    if (item->reportSize < 16)
        return FormatDecimal(item->reportSize) + u" bits";
    const std::int64_t most = item->logicalMaximum.Signed();
    if (most < 65535)
        return Written(u"its Logical Maximum", item->logicalMaximum) + u" reads " + FormatDecimal(most);
    return std::nullopt;
}

Finding WindowsAxes(const Ctx& c)
{
    return AxesWithoutResolution(c, false);
}

Finding TouchWidthHeight(const Ctx& c)
{
    bool twice = false;
    for (const HidMainNode* item : Inputs(c, kX))
        twice = twice || std::count(item->usages.begin(), item->usages.end(), kX) > 1
                || (item->usages.size() == 1 && item->reportCount > 1);
    if (!twice || (HasInput(c, kWidth) && HasInput(c, kHeight)))
        return std::nullopt;
    return u"";
}

Finding TouchDeviceMode(const Ctx& c)
{
    for (const HidMainNode& item : c.tree.items) {
        if (item.kind != HidReportKind::Feature || !item.Has(kDeviceMode))
            continue;
        const int application = c.tree.TopLevel(item.collection);
        if (application >= 0 && Node(c, application).usage == kDeviceConfiguration
            && Node(c, application).type == kApplication)
            return std::nullopt;
    }
    return u"";
}

bool HasCertificationBlob(const HidDescriptorTree& tree)
{
    return std::any_of(tree.items.begin(), tree.items.end(), [](const HidMainNode& item) {
        return item.kind == HidReportKind::Feature
               && ((item.Has(kCertificationBlob) && item.reportCount == 256 && item.reportSize == 8)
                   || (item.Has(kCertificationStatus) && item.reportCount == 1 && item.reportSize == 8));
    });
}

Finding TouchCertification(const Ctx& c)
{
    return HasCertificationBlob(c.tree) ? std::nullopt : Finding(u"");
}

Finding PenRequired(const Ctx& c)
{
    std::u16string missing;
    for (const std::uint32_t usage : {kX, kY, kTipSwitch, kInRange})
        if (!HasInput(c, usage))
            missing += (missing.empty() ? u"no " : u", ") + Name(usage);
    return missing.empty() ? std::nullopt : Finding(missing);
}

Finding PenCertification(const Ctx& c)
{
    std::u16string missing;
    for (const std::uint32_t usage : {kInvert, kEraser})
        if (!HasInput(c, usage))
            missing += (missing.empty() ? u"no " : u", ") + Name(usage);
    const auto pressure = Inputs(c, kTipPressure);
    if (pressure.empty() || pressure.front()->reportSize < 8)
        missing += (missing.empty() ? u"no " : u", ") + std::u16string(u"Tip Pressure of 8 bits");
    return missing.empty() ? std::nullopt : Finding(missing);
}

// ---- Linux ----

// Whether hid-multitouch reads the judged collection's report as contacts:
// in its generic class any report with a Contact Identifier, in its
// "Windows 8" class only one whose Contact Identifier is a Finger's.
bool LinuxReadsContacts(const Ctx& c)
{
    if (!c.linuxMultitouch)
        return false;
    for (const HidMainNode* item : Inputs(c, kContactIdentifier))
        if (!c.linuxWin8Class || InFinger(c, *item))
            return true;
    return false;
}

// Whether the judged pen or touch screen's input device gets the "direct"
// property on a Linux kernel.
bool LinuxDirect(const Ctx& c)
{
    if (!LinuxReadsContacts(c))
        return c.collection == HostCollection::Pen;  // hid-input marks a Pen application direct, not a Touch Screen
    if (c.collection == HostCollection::TouchScreen)
        return true;  // hid-multitouch marks a Touch Screen's contacts direct
    // A pen read as contacts is direct only through a digitizer usage that
    // hid-multitouch leaves to hid-input.
    for (const HidMainNode* item : Items(c, HidReportKind::Input))
        if (IsData(*item))
            for (const std::uint32_t usage : item->usages)
                if (usage >> 16 == 0x0D
                    && std::find(std::begin(kMultitouchMapped), std::end(kMultitouchMapped), usage & 0xFFFF)
                           == std::end(kMultitouchMapped))
                    return true;
    return false;
}

Finding LinuxMouseIgnored(const Ctx& c)
{
    return c.linuxMultitouch && !c.linuxWin8Class ? Finding(u"") : std::nullopt;
}

Finding LinuxSingleTouch(const Ctx& c)
{
    return c.linuxMultitouch ? std::nullopt : Finding(u"");
}

Finding LinuxFrames(const Ctx& c)
{
    if (!LinuxReadsContacts(c) || HasInput(c, kContactCount))
        return std::nullopt;
    return u"";
}

Finding LinuxSlots(const Ctx& c)
{
    if (!LinuxReadsContacts(c))
        return std::nullopt;
    // The driver keeps one number for the device, from the last Contact Count
    // Maximum feature it meets, feature reports taken in the order their ids
    // first appear.
    std::vector<int> order;
    for (const HidMainNode& item : c.tree.items)
        if (item.kind == HidReportKind::Feature && std::find(order.begin(), order.end(), item.reportId) == order.end())
            order.push_back(item.reportId);
    const HidMainNode* last = nullptr;
    std::size_t lastRank = 0;
    for (const HidMainNode& item : c.tree.items) {
        if (item.kind != HidReportKind::Feature || !item.Has(kContactCountMaximum))
            continue;
        const auto rank =
            static_cast<std::size_t>(std::find(order.begin(), order.end(), item.reportId) - order.begin());
        if (!last || rank >= lastRank) {
            last = &item;
            lastRank = rank;
        }
    }
    if (!last)
        return FormatDecimal(kLinuxDefaultSlots) + u" slots: there is no Contact Count Maximum";
    const std::int64_t most = LinuxMaximum(last->logicalMinimum, last->logicalMaximum);
    if (!InApp(c, *last))
        return u"the Contact Count Maximum of another collection (" + FormatDecimal(most) + u") comes last";
    if (most > kLinuxMostSlots || most < 1)
        return u"a logical maximum of " + FormatDecimal(most) + u" gives " + FormatDecimal(kLinuxDefaultSlots)
               + u" slots";
    return std::nullopt;
}

Finding LinuxDeviceMode(const Ctx& c)
{
    if (!c.linuxMultitouch)
        return std::nullopt;
    // The collection's own Device Mode: the first after it and before the
    // next mouse, touch screen or pen.
    const std::size_t start = Node(c, c.application).offset;
    std::size_t end = static_cast<std::size_t>(-1);
    for (const HidCollectionNode& node : c.tree.collections)
        if (node.parent < 0 && node.offset > start
            && (node.usage == kMouse || node.usage == kTouchScreen || node.usage == kPen))
            end = std::min(end, node.offset);
    const HidMainNode* first = nullptr;
    const HidMainNode* own = nullptr;
    for (const HidMainNode& item : c.tree.items) {
        if (item.kind != HidReportKind::Feature || !item.Has(kDeviceMode))
            continue;
        if (!first)
            first = &item;
        if (!own && item.offset > start && item.offset < end)
            own = &item;
    }
    return own && own != first ? Finding(u"") : std::nullopt;
}

Finding LinuxPenAsContacts(const Ctx& c)
{
    return LinuxReadsContacts(c) ? Finding(u"") : std::nullopt;
}

Finding LinuxPenDirect(const Ctx& c)
{
    return LinuxDirect(c) ? std::nullopt : Finding(u"");
}

Finding LinuxAxes(const Ctx& c)
{
    return AxesWithoutResolution(c, true);
}

Finding LinuxParser(const Ctx& c)
{
    return c.parserFailures.empty() ? std::nullopt : Finding(c.parserFailures.front());
}

// ---- Android ----

Finding AndroidDirect(const Ctx& c)
{
    return LinuxDirect(c) ? std::nullopt : Finding(u"");
}

Finding AndroidAxes(const Ctx& c)
{
    std::u16string missing;
    for (const std::uint32_t usage : {kX, kY, kTipSwitch})
        if (!HasInput(c, usage))
            missing += (missing.empty() ? u"no " : u", ") + Name(usage);
    return missing.empty() ? std::nullopt : Finding(missing);
}

// ---- macOS ----

Finding MacMouseFallback(const Ctx& c)
{
    for (const HidCollectionNode& node : c.tree.collections)
        if (node.parent < 0 && node.type == kApplication && node.usage == kMouse)
            return std::nullopt;
    return u"";
}

// clang-format off
const HostRule kRules[] = {
    {u"W-ranges", Host::Windows, kAllBits,
     u"Windows reads Logical and Physical Minimum and Maximum as signed numbers of their item's size: a value above "
     u"32767 needs the 4-byte item, or the range reads backwards.",
     kHidRules, RuleWeight::Fails, WindowsRanges},
    {u"W-touch-report-id", Host::Windows, kTouchBit,
     u"The Touch Screen collection needs a Report ID of its own for its input report.",
     kWinTouch, RuleWeight::Fails, ReportIdOwn},
    {u"W-touch-contact", Host::Windows, kTouchBit,
     u"Each contact, a Finger logical collection (0x0D:0x22), needs a Contact Identifier, a Tip Switch, X and Y.",
     kWinTouch, RuleWeight::Fails, TouchContacts},
    {u"W-touch-contact-count", Host::Windows, kTouchBit,
     u"The touch input report needs a Contact Count (0x0D:0x54) at report level for parallel or hybrid reporting; "
     u"one contact per report without it is serial reporting, which Windows' validation refuses.",
     kWinModes, RuleWeight::Fails, TouchContactCount},
    {u"W-touch-contact-count-maximum", Host::Windows, kTouchBit,
     u"Contact Count Maximum (0x0D:0x55) must be a Feature of the Touch Screen collection itself, with a logical "
     u"maximum from 1 to 250.",
     kWinTouch, RuleWeight::Fails, TouchContactCountMaximum},
    {u"W-touch-five-contacts", Host::Windows, kTouchBit,
     u"Certification asks for at least 5 contacts (Contact Count Maximum).",
     kWinValidation, RuleWeight::Warning, TouchFiveContacts},
    {u"W-touch-scan-time", Host::Windows, kTouchBit,
     u"The touch input report needs a Scan Time (0x0D:0x56) of at least 16 bits in units of 100 us, with a logical "
     u"maximum from 65535 to 0x7FFFFFFF read as a signed number.",
     kWinTouch, RuleWeight::Fails, TouchScanTime},
    {u"W-touch-axes", Host::Windows, kTouchBit,
     u"X and Y need logical and physical ranges, a length unit (cm 0x11 or inch 0x13) and a unit exponent.",
     kWinValidation, RuleWeight::Fails, WindowsAxes},
    {u"W-touch-width-height", Host::Windows, kTouchBit,
     u"A contact that reports X and Y twice (touch and centroid points) needs Width (0x48) and Height (0x49).",
     kWinValidation, RuleWeight::Fails, TouchWidthHeight},
    {u"W-touch-device-mode", Host::Windows, kTouchBit,
     u"No Device Mode (0x0D:0x52) Feature in a Device Configuration application collection (0x0D:0x0E): current "
     u"Windows does not need one, versions before 8 did.",
     kWinTouch, RuleWeight::Info, TouchDeviceMode},
    {u"W-touch-certification", Host::Windows, kTouchBit,
     u"No certification blob (0xFF00:0xC5, a 256-byte Feature): the device is not certified for Windows; only "
     u"Microsoft issues the blob.",
     kWinDiscovery, RuleWeight::Info, TouchCertification},
    {u"W-pen-report-id", Host::Windows, kPenBit,
     u"The Pen collection needs a Report ID of its own for its input report.",
     kWinPen, RuleWeight::Fails, ReportIdOwn},
    {u"W-pen-required", Host::Windows, kPenBit,
     u"A pen needs X, Y, Tip Switch and In Range in its input report.",
     kWinPen, RuleWeight::Fails, PenRequired},
    {u"W-pen-certification", Host::Windows, kPenBit,
     u"Certification expects Invert, Eraser and a Tip Pressure of at least 8 bits.",
     kWinPen, RuleWeight::Warning, PenCertification},
    {u"W-pen-axes", Host::Windows, kPenBit,
     u"The pen's X and Y need logical and physical ranges and a length unit (cm 0x11 or inch 0x13), or Windows "
     u"computes no resolution.",
     kWinPen, RuleWeight::Warning, WindowsAxes},

    {u"L-parser", Host::Linux, kAllBits,
     u"The Linux HID core refuses the whole descriptor (it reads Logical Minimum signed, and Logical Maximum "
     u"unsigned while the minimum is not negative).",
     kLinuxCore, RuleWeight::Fails, LinuxParser},
    {u"L-mouse-ignored", Host::Linux, kMouseBit,
     u"hid-multitouch takes the whole device, because an input carries a Contact Identifier, and in its generic "
     u"class (no certification blob) ignores the fields of a Mouse collection: the mouse does nothing.",
     kLinuxMultitouch, RuleWeight::Fails, LinuxMouseIgnored},
    {u"L-touch-single", Host::Linux, kTouchBit,
     u"Without a Contact Identifier the device goes to hid-generic, which reads one contact and gives the touch "
     u"screen no direct property.",
     kLinuxInput, RuleWeight::Warning, LinuxSingleTouch},
    {u"L-touch-frames", Host::Linux, kTouchBit,
     u"Without a Contact Count, hid-multitouch takes every report as a whole frame: contacts sent in separate "
     u"reports never make one frame.",
     kLinuxMultitouch, RuleWeight::Warning, LinuxFrames},
    {u"L-touch-slots", Host::Linux, kTouchBit,
     u"hid-multitouch gives the whole device the contact slots of the last Contact Count Maximum feature (its "
     u"logical maximum when the device answers 0, if at most 250, else 10); contacts beyond them are dropped.",
     kLinuxMultitouch, RuleWeight::Warning, LinuxSlots},
    {u"L-device-mode", Host::Linux, kTouchBit | kPenBit,
     u"hid-multitouch writes Device Mode = 2 into the first Device Mode feature only; this collection's Device "
     u"Configuration comes later and keeps the mode the device starts in.",
     kLinuxMultitouch, RuleWeight::Info, LinuxDeviceMode},
    {u"L-pen-as-touch", Host::Linux, kPenBit,
     u"hid-multitouch's generic class reads a report with a Contact Identifier as touch contacts: the pen shows as "
     u"a touch surface, without a pen tool or hovering.",
     kLinuxMultitouch, RuleWeight::Warning, LinuxPenAsContacts},
    {u"L-pen-direct", Host::Linux, kPenBit,
     u"The pen's input device gets no direct property (hid-input gives it to a Pen application's digitizer fields "
     u"only): desktops take it for a touch pad.",
     kLinuxInput, RuleWeight::Warning, LinuxPenDirect},
    {u"L-resolution", Host::Linux, kAllBits,
     u"X and Y get a resolution only with a cm (0x11) or inch (0x13) unit and physical and logical ranges.",
     kLinuxInput, RuleWeight::Warning, LinuxAxes},

    {u"A-parser", Host::Android, kAllBits,
     u"Android's kernel, the Linux HID core, refuses the whole descriptor.",
     kLinuxCore, RuleWeight::Fails, LinuxParser},
    {u"A-touch-screen", Host::Android, kTouchBit | kPenBit,
     u"Android takes a device for a touch screen only with the direct property; without it, it reads a touch pad "
     u"unless an input device configuration file sets touch.deviceType = touchScreen.",
     kAndroidTouch, RuleWeight::Warning, AndroidDirect},
    {u"A-touch-axes", Host::Android, kTouchBit | kPenBit,
     u"Android needs the multi-touch position axes, or absolute X and Y with a touch button (Tip Switch).",
     kAndroidTouch, RuleWeight::Fails, AndroidAxes},
    {u"A-mouse-ignored", Host::Android, kMouseBit,
     u"Android's kernel binds the device as Linux does: hid-multitouch's generic class ignores the Mouse "
     u"collection.",
     kLinuxMultitouch, RuleWeight::Fails, LinuxMouseIgnored},

    {u"M-mouse-fallback", Host::MacOS, kTouchBit | kPenBit,
     u"macOS reads no touch screen or pen of its own; a Mouse collection is its fallback, and the device has none.",
     kMacOs, RuleWeight::Info, MacMouseFallback},
};
// clang-format on

std::optional<HostCollection> Judged(const HidCollectionNode& node)
{
    if (node.parent >= 0 || node.type != kApplication)
        return std::nullopt;
    switch (node.usage) {
    case kMouse:
        return HostCollection::Mouse;
    case kTouchScreen:
        return HostCollection::TouchScreen;
    case kPen:
        return HostCollection::Pen;
    default:
        return std::nullopt;
    }
}

std::u16string Driver(Host host, const Ctx& c)
{
    switch (host) {
    case Host::Windows:
        return c.collection == HostCollection::Mouse         ? u"HID-compliant mouse"
               : c.collection == HostCollection::TouchScreen ? u"HID-compliant touch screen"
                                                             : u"HID-compliant pen";
    case Host::Linux:
    case Host::Android:
        return c.linuxMultitouch ? u"hid-multitouch" : u"hid-generic";
    case Host::MacOS:
        return c.collection == HostCollection::Mouse ? u"HID mouse" : u"none";
    }
    return {};
}

}  // namespace

std::u16string_view HostName(Host host)
{
    switch (host) {
    case Host::Windows:
        return u"Windows";
    case Host::Linux:
        return u"Linux";
    case Host::Android:
        return u"Android";
    case Host::MacOS:
        return u"macOS";
    }
    return {};
}

std::optional<Host> ParseHostName(std::u16string_view name)
{
    for (const Host host : kHosts)
        if (HostName(host) == name)
            return host;
    return std::nullopt;
}

std::u16string_view HostCollectionName(HostCollection collection)
{
    switch (collection) {
    case HostCollection::Mouse:
        return u"mouse";
    case HostCollection::TouchScreen:
        return u"touch screen";
    case HostCollection::Pen:
        return u"pen";
    }
    return {};
}

std::u16string_view RuleWeightName(RuleWeight weight)
{
    switch (weight) {
    case RuleWeight::Info:
        return u"info";
    case RuleWeight::Warning:
        return u"warning";
    case RuleWeight::Fails:
        return u"fails";
    }
    return {};
}

std::u16string_view HostVerdictName(HostVerdictKind verdict)
{
    switch (verdict) {
    case HostVerdictKind::Ok:
        return u"ok";
    case HostVerdictKind::Warning:
        return u"warning";
    case HostVerdictKind::Fails:
        return u"fails";
    }
    return {};
}

std::span<const HostRule> HostRuleTable()
{
    return kRules;
}

std::vector<HostVerdict> JudgeHosts(std::span<const std::uint8_t> descriptor, std::span<const Host> hosts)
{
    return JudgeHosts(DecodeHidReportDescriptor(descriptor), hosts);
}

std::vector<HostVerdict> JudgeHosts(const HidDecoding& decoding, std::span<const Host> hosts)
{
    const HidDescriptorTree tree = ReadHidDescriptorTree(decoding);
    // hid-core picks hid-multitouch for a Contact Identifier in any
    // non-constant input, whatever the collection.
    const bool multitouch = std::any_of(tree.items.begin(), tree.items.end(), [](const HidMainNode& item) {
        return item.kind == HidReportKind::Input && !item.Constant() && item.Has(kContactIdentifier);
    });
    std::vector<HostVerdict> verdicts;
    for (const Host host : kHosts) {
        if (std::find(hosts.begin(), hosts.end(), host) == hosts.end())
            continue;
        for (std::size_t i = 0; i < tree.collections.size(); ++i) {
            const auto collection = Judged(tree.collections[i]);
            const int index = static_cast<int>(i);
            const bool hasInput = std::any_of(tree.items.begin(), tree.items.end(), [&](const HidMainNode& item) {
                return item.kind == HidReportKind::Input && tree.Within(item.collection, index);
            });
            if (!collection || !hasInput)
                continue;
            const Ctx context{tree,        decoding.failures, index,
                              *collection, multitouch,        multitouch && HasCertificationBlob(tree)};
            HostVerdict verdict{host, *collection, Driver(host, context), HostVerdictKind::Ok, {}};
            for (const HostRule& rule : kRules) {
                if (rule.host != host || !(rule.collections & (1u << static_cast<int>(*collection))))
                    continue;
                const Finding finding = rule.broken(context);
                if (!finding)
                    continue;
                std::u16string text(rule.text);
                if (!finding->empty())
                    text += u" (" + *finding + u")";
                verdict.rules.push_back({std::u16string(rule.id), text, std::u16string(rule.source), rule.weight});
                if (rule.weight == RuleWeight::Fails)
                    verdict.verdict = HostVerdictKind::Fails;
                else if (rule.weight == RuleWeight::Warning && verdict.verdict == HostVerdictKind::Ok)
                    verdict.verdict = HostVerdictKind::Warning;
            }
            verdicts.push_back(std::move(verdict));
        }
    }
    return verdicts;
}

std::u16string HostVerdictText(const std::vector<HostVerdict>& verdicts)
{
    std::u16string text;
    for (const HostVerdict& verdict : verdicts) {
        text += std::u16string(HostName(verdict.host)) + u", " + std::u16string(HostCollectionName(verdict.collection))
                + u" (" + verdict.driver + u"): " + std::u16string(HostVerdictName(verdict.verdict)) + u"\n";
        for (const BrokenHostRule& rule : verdict.rules)
            text += u"  " + std::u16string(RuleWeightName(rule.weight)) + u" " + rule.id + u": " + rule.text + u" ["
                    + rule.source + u"]\n";
    }
    return text;
}

}  // namespace kr
