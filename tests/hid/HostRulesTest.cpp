// SPDX-License-Identifier: MIT
// The hosts' rules on descriptors written for the purpose: a device every
// host reads as it is meant to (a certified hybrid touch screen with Contact
// Count and Scan Time, values above 32767 in 4-byte items, a pen in inches, a
// mouse), then one row per rule with that device changed so that it breaks
// the rule, and what the row's host then finds.

#include "hid/HostRules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "platform/Utf.h"

namespace kr {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A certification blob: a vendor collection with a 256-byte Feature 0xC5.
const Bytes kBlob = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x01, 0x09, 0xC5, 0x15,
                     0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x96, 0x00, 0x01, 0xB1, 0x02, 0xC0};
// A touch screen reporting in hybrid mode: one Finger per report, then Scan
// Time and Contact Count at report level; X and Y up to 40000 and 50000.
const Bytes kTouch = {0x05, 0x0D, 0x09, 0x04, 0xA1, 0x01, 0x85, 0x02, 0x09, 0x22, 0xA1, 0x02,  // Touch Screen, Finger
                      0x09, 0x42, 0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x01, 0x81, 0x02,  // Tip Switch
                      0x09, 0x32, 0x81, 0x02, 0x95, 0x06, 0x81, 0x03,  // In Range, padding
                      0x75, 0x08, 0x09, 0x51, 0x26, 0xFF, 0x00, 0x95, 0x01, 0x81, 0x02,  // Contact Identifier
                      0x05, 0x01, 0x65, 0x11, 0x55, 0x0F, 0x35, 0x00, 0x46, 0xE8, 0x03,  // cm / 10, physical 0..1000
                      0x27, 0x40, 0x9C, 0x00, 0x00, 0x75, 0x10, 0x09, 0x30, 0x81, 0x02,  // X 0..40000
                      0x46, 0xD0, 0x07, 0x27, 0x50, 0xC3, 0x00, 0x00, 0x09, 0x31, 0x81, 0x02,  // Y 0..50000
                      0xC0, 0x05, 0x0D, 0x65, 0x00, 0x45, 0x00,  // end of Finger
                      0x27, 0xFF, 0xFF, 0x00, 0x00, 0x75, 0x10, 0x95, 0x01, 0x09, 0x56, 0x81,
                      0x02,  // Scan Time 0..65535
                      0x25, 0x05, 0x75, 0x08, 0x09, 0x54, 0x81, 0x02,  // Contact Count 0..5
                      0x85, 0x03, 0x09, 0x55, 0x25, 0x05, 0xB1, 0x02, 0xC0};  // Contact Count Maximum 5
const Bytes kDeviceConfiguration = {0x09, 0x0E, 0xA1, 0x01, 0x85, 0x04, 0x09, 0x23, 0xA1, 0x02, 0x09, 0x52, 0x09,
                                    0x53, 0x15, 0x00, 0x25, 0x0A, 0x75, 0x08, 0x95, 0x02, 0xB1, 0x02, 0xC0, 0xC0};
const Bytes kPen = {
    0x05, 0x0D, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x05, 0x09, 0x20, 0xA1, 0x00,  // Pen, Stylus
    0x09, 0x42, 0x09, 0x32, 0x09, 0x3C, 0x09, 0x45, 0x15, 0x00, 0x25, 0x01,  // Tip, In Range, Invert, Eraser
    0x75, 0x01, 0x95, 0x04, 0x81, 0x02, 0x95, 0x04, 0x81, 0x03,  //
    0x05, 0x01, 0x55, 0x0D, 0x65, 0x13, 0x35, 0x00, 0x46, 0x10, 0x27,  // inch / 1000, physical 0..10000
    0x26, 0xFF, 0x7F, 0x75, 0x10, 0x95, 0x01, 0x09, 0x30, 0x81, 0x02, 0x09, 0x31, 0x81, 0x02,  // X, Y
    0x05, 0x0D, 0x65, 0x00, 0x45, 0x00, 0x26, 0xFF, 0x03, 0x09, 0x30, 0x81, 0x02, 0xC0, 0xC0};  // Tip Pressure
const Bytes kMouse = {
    0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x09, 0x01, 0xA1, 0x00, 0x85, 0x06,  // Mouse, Pointer
    0x05, 0x09, 0x19, 0x01, 0x29, 0x03, 0x15, 0x00, 0x25, 0x01, 0x95, 0x03, 0x75, 0x01, 0x81, 0x02,  // buttons
    0x95, 0x01, 0x75, 0x05, 0x81, 0x01,  //
    0x05, 0x01, 0x65, 0x11, 0x55, 0x0F, 0x09, 0x30, 0x26, 0xFF, 0x0F, 0x35, 0x00, 0x46, 0xE8, 0x03,  // X
    0x75, 0x10, 0x95, 0x01, 0x81, 0x02, 0x09, 0x31, 0x26, 0xFF, 0x0F, 0x46, 0xD0, 0x07, 0x81, 0x02, 0xC0, 0xC0};

Bytes Join(std::initializer_list<Bytes> parts)
{
    Bytes joined;
    for (const Bytes& part : parts)
        joined.insert(joined.end(), part.begin(), part.end());
    return joined;
}

// part with its one occurrence of from replaced by to.
Bytes Changed(Bytes part, const Bytes& from, const Bytes& to)
{
    const auto at = std::search(part.begin(), part.end(), from.begin(), from.end());
    EXPECT_NE(at, part.end());
    EXPECT_EQ(std::search(at + 1, part.end(), from.begin(), from.end()), part.end());
    if (at == part.end())
        return part;
    const auto offset = at - part.begin();
    part.erase(at, at + static_cast<std::ptrdiff_t>(from.size()));
    part.insert(part.begin() + offset, to.begin(), to.end());
    return part;
}

Bytes Device(const Bytes& touch = kTouch, const Bytes& pen = kPen, const Bytes& mouse = kMouse,
             const Bytes& blob = kBlob, const Bytes& configuration = kDeviceConfiguration)
{
    return Join({blob, touch, configuration, pen, mouse});
}

const Bytes kNoContactId =
    Changed(kTouch, {0x09, 0x51, 0x26, 0xFF, 0x00, 0x95, 0x01, 0x81, 0x02}, {0x26, 0xFF, 0x00, 0x95, 0x01, 0x81, 0x03});
const Bytes kNoTipSwitch = Changed(kTouch, {0x09, 0x42, 0x15, 0x00}, {0x15, 0x00});
const Bytes kNoContactCount = Changed(kTouch, {0x09, 0x54, 0x81, 0x02}, {0x81, 0x03});
const Bytes k255Contacts = Changed(kTouch, {0x09, 0x55, 0x25, 0x05}, {0x09, 0x55, 0x26, 0xFF, 0x00});
const Bytes kBackwardButtons = Changed(kMouse, {0x15, 0x00, 0x25, 0x01}, {0x15, 0x02, 0x25, 0x01});
// A pen whose report carries a Contact Identifier, read as touch contacts by
// hid-multitouch's generic class.
const Bytes kPenWithContactId =
    Changed(kPen, {0x95, 0x04, 0x81, 0x03}, {0x95, 0x04, 0x81, 0x03, 0x75, 0x08, 0x95, 0x01, 0x09, 0x51, 0x81, 0x02});
const Bytes kPenOnlyTouchUsages = Changed(kPenWithContactId, {0x09, 0x3C, 0x09, 0x45}, {});

struct Row {
    const char* name;
    Bytes descriptor;
    Host host;
    std::set<std::string> rules;  // every rule the host finds broken, in any collection
};

const Row kRows[] = {
    {"WindowsReadsTwoByteRangesSigned",
     Device(kTouch, Changed(kPen, {0x26, 0xFF, 0x03}, {0x26, 0xFF, 0xFF})),
     Host::Windows,
     {"W-ranges"}},
    {"WindowsTouchReportIdOfItsOwn", Device(Changed(kTouch, {0x85, 0x02}, {})), Host::Windows, {"W-touch-report-id"}},
    {"WindowsContactWithoutTipSwitch", Device(kNoTipSwitch), Host::Windows, {"W-touch-contact"}},
    {"WindowsWithoutContactCount", Device(kNoContactCount), Host::Windows, {"W-touch-contact-count"}},
    {"WindowsContactCountMaximumAbove250", Device(k255Contacts), Host::Windows, {"W-touch-contact-count-maximum"}},
    {"WindowsFourContacts",
     Device(Changed(kTouch, {0x09, 0x55, 0x25, 0x05}, {0x09, 0x55, 0x25, 0x04})),
     Host::Windows,
     {"W-touch-five-contacts"}},
    {"WindowsScanTimeOf8Bits",
     Device(Changed(kTouch, {0x75, 0x10, 0x95, 0x01, 0x09, 0x56}, {0x75, 0x08, 0x95, 0x01, 0x09, 0x56})),
     Host::Windows,
     {"W-touch-scan-time"}},
    {"WindowsTouchAxesWithoutUnit",
     Device(Changed(kTouch, {0x65, 0x11}, {0x65, 0x00})),
     Host::Windows,
     {"W-touch-axes"}},
    {"WindowsCentroidWithoutWidthAndHeight",
     Device(Changed(kTouch, {0x75, 0x10, 0x09, 0x30, 0x81, 0x02},
                    {0x75, 0x10, 0x95, 0x02, 0x09, 0x30, 0x81, 0x02, 0x95, 0x01})),
     Host::Windows,
     {"W-touch-width-height"}},
    {"WindowsWithoutDeviceMode", Device(kTouch, kPen, kMouse, kBlob, {}), Host::Windows, {"W-touch-device-mode"}},
    {"WindowsWithoutBlob", Device(kTouch, kPen, kMouse, {}), Host::Windows, {"W-touch-certification"}},
    {"WindowsPenReportIdOfItsOwn", Device(kTouch, Changed(kPen, {0x85, 0x05}, {})), Host::Windows, {"W-pen-report-id"}},
    {"WindowsPenWithoutInRange",
     Device(kTouch, Changed(kPen, {0x09, 0x32, 0x09, 0x3C}, {0x09, 0x3C})),
     Host::Windows,
     {"W-pen-required"}},
    {"WindowsPenWithoutEraser",
     Device(kTouch, Changed(kPen, {0x09, 0x45}, {0x09, 0x3C})),
     Host::Windows,
     {"W-pen-certification"}},
    {"WindowsPenInInchesCubed",
     Device(kTouch, Changed(kPen, {0x65, 0x13}, {0x65, 0x33})),
     Host::Windows,
     {"W-pen-axes"}},
    // The same ranges as Windows and Linux read them.
    {"WindowsScanTimeMaximumInTwoBytes",
     Device(Changed(kTouch, {0x27, 0xFF, 0xFF, 0x00, 0x00}, {0x26, 0xFF, 0xFF})),
     Host::Windows,
     {"W-ranges", "W-touch-scan-time"}},
    {"LinuxScanTimeMaximumInTwoBytes",
     Device(Changed(kTouch, {0x27, 0xFF, 0xFF, 0x00, 0x00}, {0x26, 0xFF, 0xFF})),
     Host::Linux,
     {}},

    {"LinuxRefusesBackwardRange", Device(kTouch, kPen, kBackwardButtons), Host::Linux, {"L-parser"}},
    {"LinuxIgnoresMouseWithoutBlob", Device(kTouch, kPen, kMouse, {}), Host::Linux, {"L-mouse-ignored"}},
    {"LinuxSingleTouchWithoutContactId", Device(kNoContactId), Host::Linux, {"L-touch-single"}},
    {"LinuxFramePerReportWithoutContactCount", Device(kNoContactCount), Host::Linux, {"L-touch-frames"}},
    {"LinuxSlotsAbove250", Device(k255Contacts), Host::Linux, {"L-touch-slots"}},
    {"LinuxSlotsFromThePensMaximum",
     Device(kTouch, Changed(kPen, {0xC0, 0xC0}, {0xC0, 0x85, 0x07, 0x09, 0x55, 0x25, 0x01, 0xB1, 0x02, 0xC0})),
     Host::Linux,
     {"L-touch-slots"}},
    {"LinuxWritesTheFirstDeviceModeOnly",
     Device(kTouch, Join({kPen, Changed(kDeviceConfiguration, {0x85, 0x04}, {0x85, 0x08})})),
     Host::Linux,
     {"L-device-mode"}},
    {"LinuxReadsPenContactsAsTouch", Device(kTouch, kPenWithContactId, {}, {}), Host::Linux, {"L-pen-as-touch"}},
    {"LinuxPenWithoutDirect",
     Device(kTouch, kPenOnlyTouchUsages, {}, {}),
     Host::Linux,
     {"L-pen-as-touch", "L-pen-direct"}},
    {"LinuxMouseWithoutLengthUnit",
     Device(kTouch, kPen, Changed(kMouse, {0x65, 0x11}, {0x65, 0x14})),
     Host::Linux,
     {"L-resolution"}},

    {"LinuxRelativeMouseNeedsNoUnit",
     Device(kTouch, kPen,
            Changed(Changed(Changed(kMouse, {0x65, 0x11}, {0x65, 0x00}), {0x95, 0x01, 0x81, 0x02},
                            {0x95, 0x01, 0x81, 0x06}),
                    {0xD0, 0x07, 0x81, 0x02}, {0xD0, 0x07, 0x81, 0x06})),
     Host::Linux,
     {}},

    {"AndroidRefusesBackwardRange", Device(kTouch, kPen, kBackwardButtons), Host::Android, {"A-parser"}},
    {"AndroidTouchPadWithoutContactId", Device(kNoContactId), Host::Android, {"A-touch-screen"}},
    {"AndroidTouchWithoutTipSwitch", Device(kNoTipSwitch), Host::Android, {"A-touch-axes"}},
    {"AndroidIgnoresMouseWithoutBlob", Device(kTouch, kPen, kMouse, {}), Host::Android, {"A-mouse-ignored"}},

    {"MacOsWithoutMouse", Device(kTouch, kPen, {}), Host::MacOS, {"M-mouse-fallback"}},
};

class HostRule : public ::testing::TestWithParam<Row> {};

TEST_P(HostRule, IsTheOneTheHostFindsBroken)
{
    const Row& row = GetParam();
    const Host hosts[] = {row.host};
    std::set<std::string> broken;
    for (const HostVerdict& verdict : JudgeHosts(row.descriptor, hosts))
        for (const BrokenHostRule& rule : verdict.rules)
            broken.insert(platform::ToUtf8(rule.id));
    EXPECT_EQ(broken, row.rules);
}

INSTANTIATE_TEST_SUITE_P(Rows, HostRule, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HostRules, TheDeviceEveryHostReadsBreaksNoneAndEveryRuleHasARow)
{
    std::vector<std::string> judged;
    for (const HostVerdict& verdict : JudgeHosts(Device())) {
        judged.push_back(platform::ToUtf8(std::u16string(HostName(verdict.host)) + u" "
                                          + std::u16string(HostCollectionName(verdict.collection)) + u" "
                                          + verdict.driver));
        EXPECT_EQ(verdict.verdict, HostVerdictKind::Ok) << judged.back();
        EXPECT_TRUE(verdict.rules.empty()) << platform::ToUtf8(HostVerdictText({verdict}));
    }
    EXPECT_EQ(judged, (std::vector<std::string>{"Windows touch screen HID-compliant touch screen",
                                                "Windows pen HID-compliant pen", "Windows mouse HID-compliant mouse",
                                                "Linux touch screen hid-multitouch", "Linux pen hid-multitouch",
                                                "Linux mouse hid-multitouch", "Android touch screen hid-multitouch",
                                                "Android pen hid-multitouch", "Android mouse hid-multitouch",
                                                "macOS touch screen none", "macOS pen none", "macOS mouse HID mouse"}));

    std::set<std::string> covered;
    for (const Row& row : kRows)
        covered.insert(row.rules.begin(), row.rules.end());
    std::set<std::string> ids;
    for (const kr::HostRule& rule : HostRuleTable()) {
        EXPECT_TRUE(ids.insert(platform::ToUtf8(rule.id)).second) << "twice: " << platform::ToUtf8(rule.id);
        EXPECT_TRUE(covered.count(platform::ToUtf8(rule.id))) << "no row: " << platform::ToUtf8(rule.id);
    }
}

// The verdict is the heaviest weight among the rules broken; information
// alone leaves it ok. Without a blob the mouse fails on Linux, while
// Windows only notes the missing certification.
TEST(HostRules, VerdictIsTheHeaviestWeightBroken)
{
    std::vector<std::string> verdicts;
    for (const HostVerdict& verdict : JudgeHosts(Device(kNoContactCount, kPen, kMouse, {})))
        verdicts.push_back(platform::ToUtf8(std::u16string(HostName(verdict.host)) + u" "
                                            + std::u16string(HostCollectionName(verdict.collection)) + u" "
                                            + std::u16string(HostVerdictName(verdict.verdict))));
    EXPECT_EQ(verdicts, (std::vector<std::string>{"Windows touch screen fails", "Windows pen ok", "Windows mouse ok",
                                                  "Linux touch screen warning", "Linux pen ok", "Linux mouse fails",
                                                  "Android touch screen ok", "Android pen ok", "Android mouse fails",
                                                  "macOS touch screen ok", "macOS pen ok", "macOS mouse ok"}));
}

}  // namespace
}  // namespace kr
