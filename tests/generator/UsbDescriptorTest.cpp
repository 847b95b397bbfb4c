// SPDX-License-Identifier: MIT
// The USB descriptor, configuration and report structure files as a host and
// a firmware engineer read them: the bytes of every descriptor and the report
// descriptor's items for every combination of the HID options. Whole files,
// with the placement of each table, are pinned by the golden file test.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "DescriptorRows.h"
#include "GeneratedSource.h"
#include "generator/GenerateProject.h"
#include "generator/ReportDescriptor.h"
#include "generator/ReportSizes.h"
#include "generator/SubstitutionValues.h"
#include "generator/Switches.h"
#include "platform/Utf.h"
#include "support/TempDir.h"

namespace kr {
namespace {

using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

// The files these tests read, generated on their own.
constexpr TemplateRow kRows[] = {TemplateTable[2], TemplateTable[4], TemplateTable[9]};

// Quicker than test::ReadBytes in unoptimised builds, where the loop over
// every combination spends most of its time reading.
std::string Read(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

struct DescriptorFiles {
    std::string buffers, configH, descriptor;
    std::map<std::string, long> defines;

    std::vector<int> Bytes(const std::string& array) const { return test::ArrayBytes(descriptor, array, defines); }
};

DescriptorFiles GenerateDescriptors(ConfigurationSettings settings, const std::filesystem::path& folder)
{
    settings.project.projectPath = folder.u16string() + u"/";
    std::u16string error;
    EXPECT_TRUE(GenerateFiles(settings, kRows, error)) << platform::ToUtf8(error);
    DescriptorFiles g{Read(folder / "KR761x_Buffer_Struct.h"),
                      Read(folder / "KR761x_Configuration.h"),
                      Read(folder / "KR761x_USB_Descriptor.c"),
                      {}};
    g.defines = test::ReadDefines(g.configH);
    return g;
}

DescriptorFiles GenerateDescriptors(const ConfigurationSettings& settings)
{
    test::TempDir dir;
    return GenerateDescriptors(settings, dir.path());
}

// The folder of the loop over every combination. Each generated file is
// flushed to disk, so a memory-backed folder, where there is one, keeps
// thousands of them quick.
class ScratchDir {
public:
    ScratchDir()
    {
        const std::filesystem::path base = std::filesystem::is_directory("/dev/shm")
                                               ? std::filesystem::path("/dev/shm")
                                               : std::filesystem::temp_directory_path();
        std::string pattern = (base / "kr761x-test-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        path = pattern;
    }
    ~ScratchDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::filesystem::path path;
};

// Bytes each input report structure takes, counted from its fields.
std::map<std::string, long> StructSizes(const std::string& header)
{
    std::map<std::string, long> sizes;
    long size = 0;
    std::istringstream lines(header);
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("   U8 "))
            size += 1;
        else if (line.starts_with("   UU16 "))
            size += 2;
        else if (line.starts_with("} ")) {
            sizes[line.substr(2, line.find(';') - 2)] = size;
            size = 0;
        }
    }
    return sizes;
}

TEST(ReportDescriptor, EveryHidCombinationIsExactAcceptedByHostsAndDeclaresItsLengthAndSizes)
{
    ConfigurationSettings s;
    ScratchDir scratch;
    int combination = 0;
    for (int mouse = 0; mouse < 2; ++mouse)
        for (int touch = 0; touch <= 16; ++touch)  // 0 off, else on with options touch - 1
            for (int pen = 0; pen <= 32; ++pen) {  // 0 off, else on with options pen - 1
                ++combination;
                s.mouse.bMouse = mouse;
                // Values that change no structure vary along the way.
                s.mouse.numButtons = combination % 9;
                s.touch.numTouchPoints = touch ? 1 + combination % 10 : 0;
                const int t = touch - 1, p = pen - 1;
                s.touch.bConfidence = touch && (t & 1);
                s.touch.bWidth = touch && (t & 2);
                s.touch.bHeight = touch && (t & 4);
                s.touch.bPressure = touch && (t & 8);
                s.touch.bContactCount = touch && combination % 2;
                s.pen.bPen = pen != 0;
                s.pen.bBarrelButton = pen && (p & 1);
                s.pen.bInverted = pen && (p & 2);
                s.pen.bPressure = pen && (p & 4);
                s.pen.bXTilt = pen && (p & 8);
                s.pen.bYTilt = pen && (p & 16);
                // Values above 32767, which take the 4-byte item form.
                s.pen.xTiltMax = static_cast<std::uint16_t>(100 + combination % 3 * 30000);
                s.pen.yTiltMin = static_cast<std::uint16_t>(1 + combination % 5);
                s.screen.width_px = combination % 7 ? 1024 : 40000;
                s.screen.height_mm = combination % 11 ? 77 : 50000;
                s.touch.pressure = combination % 4 ? 100 : 65535;
                SCOPED_TRACE("mouse " + std::to_string(mouse) + ", touch " + std::to_string(touch) + ", pen "
                             + std::to_string(pen));

                // Every run rewrites all three files, so one folder serves all.
                const DescriptorFiles g = GenerateDescriptors(s, scratch.path);
                const std::vector<int> report = g.Bytes("HidReportDesc");
                const std::vector<int> config = g.Bytes("HidConfigDesc");
                const std::vector<int> expected = test::ExpectedReportDescriptor(s);
                const auto differ = std::mismatch(report.begin(), report.end(), expected.begin(), expected.end());
                ASSERT_TRUE(differ.first == report.end() && differ.second == expected.end())
                    << "first difference at offset " << differ.first - report.begin() << " of " << report.size() << ", "
                    << expected.size() << " expected";
                ASSERT_EQ(static_cast<int>(report.size()), ReportDescriptorLength(s));
                ASSERT_EQ(config.size(), 34u);
                EXPECT_EQ(config[25] | config[26] << 8, static_cast<int>(report.size()));

                // The view the wizard and kr761x-gen describe show: the same
                // bytes, and nothing a host refuses.
                ReportDescriptorView view;
                std::u16string error;
                ASSERT_TRUE(DescribeReportDescriptor(s, view, error)) << platform::ToUtf8(error);
                ASSERT_EQ(std::vector<int>(view.bytes.begin(), view.bytes.end()), report);
                ASSERT_THAT(view.failures, IsEmpty());
                // Hosts read range items as signed numbers: none may read negative.
                for (const HidItem& item : view.decoding.items) {
                    if (item.type == HidItemType::Global && item.tag >= 1 && item.tag <= 4) {
                        ASSERT_GE(item.Signed(), 0) << "item at offset " << item.offset;
                    }
                }
                // And the verdict generation takes without describing agrees.
                SwitchSet switches;
                SubstitutionMap keys;
                EXPECT_TRUE(
                    ReportDescriptorPassesHostRules(BuildSwitchSet(s, switches), BuildSubstitutionMap(s, keys)));
                const HidDecoding& decoded = view.decoding;

                // Each input report declares exactly the bytes of its
                // structure; every report of a function that is off is absent.
                const std::map<std::string, long> structs = StructSizes(g.buffers);
                const struct {
                    bool on;
                    int id;
                    const char* size;
                    const char* structure;
                } inputs[] = {{mouse != 0, 0x80, "SIZE_MOUSE_DATA", "Mouse_Report"},
                              {touch != 0, 0x81, "SIZE_TOUCH_DATA", "Touch_Point_Report"},
                              {pen != 0, 0x82, "SIZE_PEN_DATA", "Pen_Report"}};
                for (const auto& input : inputs) {
                    const std::int64_t bits = decoded.ReportBits(HidReportKind::Input, input.id);
                    if (!input.on) {
                        EXPECT_EQ(bits, -1) << input.size;
                        continue;
                    }
                    EXPECT_EQ(bits, 8 * g.defines.at(input.size)) << input.size;
                    EXPECT_EQ(structs.at(input.structure), g.defines.at(input.size));
                }
                EXPECT_EQ(structs.size(), static_cast<std::size_t>((mouse != 0) + (touch != 0) + (pen != 0)));
            }
    EXPECT_EQ(combination, 1122);
}

// Every configured range value at the edges of the signed 2-byte form: each
// of the 22 items that carry one reads back as the value configured, in the
// 2-byte form up to 32767 and in the 4-byte form above.
TEST(ReportDescriptor, RangeValuesAtTheSignedTwoByteEdgesReadAsConfigured)
{
    for (const int value : {32767, 32768, 65535}) {
        ConfigurationSettings s;
        s.touch = {.numTouchPoints = 5, .bPressure = 1, .bWidth = 1, .bHeight = 1};
        s.pen = {.bPen = 1, .bPressure = 1, .bXTilt = 1, .bYTilt = 1};
        const auto v = static_cast<std::uint16_t>(value);
        s.screen = {v, v, v, v};
        s.touch.pressure = s.touch.width = s.touch.height = v;
        s.pen.pressure = s.pen.xTiltMin = s.pen.xTiltMax = s.pen.yTiltMin = s.pen.yTiltMax = v;
        ReportDescriptorView view;
        std::u16string error;
        ASSERT_TRUE(DescribeReportDescriptor(s, view, error)) << platform::ToUtf8(error);
        EXPECT_THAT(view.failures, IsEmpty());
        EXPECT_EQ(static_cast<int>(view.bytes.size()), ReportDescriptorLength(s));
        int items = 0;
        for (const HidItem& item : view.decoding.items)
            if (item.type == HidItemType::Global && item.tag >= 1 && item.tag <= 4 && item.Signed() == value) {
                ++items;
                EXPECT_EQ(item.data.size(), value > 32767 ? 4u : 2u) << "item at offset " << item.offset;
            }
        EXPECT_EQ(items, 22) << value;
    }
}

TEST(UsbDescriptors, DeviceDescriptorCarriesTheUsbIdentity)
{
    ConfigurationSettings s;
    s.device.vid = 0xA1B2;
    s.device.pid = 0x0C0D;
    s.device.releaseVersion = 0x0217;
    EXPECT_THAT(GenerateDescriptors(s).Bytes("HidDeviceDesc"),
                ElementsAreArray({18, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0x40, 0xB2, 0xA1, 0x0D, 0x0C, 0x17, 0x02,
                                  0x01, 0x02, 0x03, 0x01}));
}

TEST(UsbDescriptors, ConfigurationDescriptorCarriesPowerAndReportLength)
{
    struct Case {
        int powerMode, remoteWakeup, maxPower, attributes;
    };
    for (const Case c : {Case{0, 0, 100, 0x80}, Case{1, 0, 0, 0xC0}, Case{0, 1, 500, 0xA0}, Case{1, 1, 2, 0xE0}}) {
        ConfigurationSettings s;
        s.device.powerMode = c.powerMode;
        s.device.bEnableRemoteWakeup = c.remoteWakeup;
        s.device.maxPower = static_cast<std::uint16_t>(c.maxPower);
        s.touch.numTouchPoints = 2;
        s.pen.bPen = 1;
        const int length = ReportDescriptorLength(s);
        EXPECT_THAT(GenerateDescriptors(s).Bytes("HidConfigDesc"),
                    ElementsAreArray({0x09, 0x02, 0x22, 0x00, 0x01, 0x01, 0x00, c.attributes,  c.maxPower / 2,
                                      0x09, 0x04, 0x00, 0x00, 0x01, 0x03, 0x00, 0x00,          0x00,
                                      0x09, 0x21, 0x11, 0x01, 0x00, 0x01, 0x22, length & 0xFF, length >> 8,
                                      0x07, 0x05, 0x81, 0x03, 0x40, 0x00, 0x01}));
    }
}

// The text of one 126-byte string descriptor slot, checking its header.
std::u16string SlotText(const std::vector<int>& bytes, std::size_t start)
{
    const int length = bytes[start];
    EXPECT_EQ(bytes[start + 1], 0x03);
    EXPECT_EQ(length % 2, 0);
    std::u16string text;
    for (int i = 2; i + 1 < length; i += 2)
        text += static_cast<char16_t>(bytes[start + i] | bytes[start + i + 1] << 8);
    for (std::size_t i = start + length; i < start + 126; ++i)
        EXPECT_EQ(bytes[i], 0) << "padding at " << i;
    return text;
}

TEST(UsbDescriptors, StringDescriptorsHoldAnyTextInTwoFixedSlots)
{
    ConfigurationSettings s;
    const std::u16string awkward = u"Quote \" apostrophe ' back\\slash, comma \u00C4\u20AC\u4E2D";
    const std::u16string longest(61, u'x');
    for (const auto& [manufacturer, product] :
         {std::pair{s.device.manufacturer, s.device.product}, std::pair{awkward, std::u16string()},
          std::pair{longest, awkward + u"*/ ?\?/"}}) {
        s.device.manufacturer = manufacturer;
        s.device.product = product;
        const std::vector<int> bytes = GenerateDescriptors(s).Bytes("StringDesc");
        ASSERT_EQ(bytes.size(), 252u);
        EXPECT_EQ(SlotText(bytes, 0), manufacturer);
        EXPECT_EQ(SlotText(bytes, 126), product);
    }
}

}  // namespace
}  // namespace kr
