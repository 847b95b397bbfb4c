// SPDX-License-Identifier: MIT
// Generated SDCC projects put through the real compiler and linker.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "generator/GenerateProject.h"
#include "platform/Utf.h"
#include "sdcc/SdccSupport.h"
#include "support/RunProgram.h"
#include "support/Configurations.h"
#include "support/TempDir.h"
#include "tests/SdccTools.h"

namespace kr {
namespace {

namespace fs = std::filesystem;

struct ProjectConfiguration {
    std::string name;
    std::function<void(ConfigurationSettings&)> apply;
};

using test::AllPenOptions;
using test::AllTouchOptions;

const std::vector<ProjectConfiguration> kProjectConfigurations = {
    {"Defaults", [](ConfigurationSettings&) {}},
    {"Kr7610SmbusTouchWakeup",
     [](ConfigurationSettings& s) {
         s.device.deviceSel = 0;
         s.device.defaultInputMode = 1;
         s.device.powerMode = 1;
         s.device.bEnableRemoteWakeup = 1;
         s.device.bEnableRegulator = 0;
         s.communication.protocol = 1;
         s.communication.smbusAddress = 0xFE;
         s.mouse.bMouse = 0;
         AllTouchOptions(s.touch);
         s.touch.bContactCount = 1;
         s.gpio.modes = {2, 1, 0, 2, 2, 0, 1, 2, 2, 2, 2, 2, 2, 2, 2, 2};
         s.gpio.values = {0, 0, 1, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
     }},
    {"Kr7611UartPen",
     [](ConfigurationSettings& s) {
         s.device.oscillator = 1;
         s.device.powerMode = 1;
         s.communication.protocol = 2;
         s.communication.uartBaudRate = 500000;
         s.communication.uartDataBits = 0;
         s.communication.uartParity = 4;
         s.communication.uartStopBits = 1;
         AllPenOptions(s.pen);
         s.mouse.numButtons = 8;
     }},
    {"Kr7610Extremes",
     [](ConfigurationSettings& s) {
         s.device.deviceSel = 0;
         s.device.bEnableRemoteWakeup = 1;
         s.device.vid = s.device.pid = s.device.releaseVersion = 0xFFFF;
         s.device.maxPower = 500;
         s.communication.protocol = 2;
         s.screen = {.width_mm = 65535, .width_px = 65535, .height_mm = 65535, .height_px = 65535};
         AllTouchOptions(s.touch);
         s.touch.bContactCount = 1;
         s.touch.pressure = s.touch.width = s.touch.height = 65535;
         AllPenOptions(s.pen);
         s.pen.xTiltMin = s.pen.xTiltMax = s.pen.yTiltMax = 65535;
         s.pen.yTiltMin = 1;
     }},
    {"Kr7611SpiSparse",
     [](ConfigurationSettings& s) {
         s.communication.spiClk = 4000000;
         s.communication.spiPha = 1;
         s.communication.spiPol = 1;
         s.touch.numTouchPoints = 1;
         s.touch.bConfidence = 1;
         s.pen.bPen = 1;
         s.pen.bYTilt = 1;
         s.mouse.numButtons = 0;
     }},
    {"Kr7611QuotedTexts",
     [](ConfigurationSettings& s) {
         s.communication.protocol = 1;
         s.device.manufacturer = u"\"Quoted\" 'single' back\\slash \\\" caf\u00E9 \u20AC \u4E2D \U0001F600 */ ?\?/";
         s.device.product = u"\\";
     }},
    {"Kr7610LongTexts",
     [](ConfigurationSettings& s) {
         s.device.deviceSel = 0;
         s.device.manufacturer = std::u16string(100, u'M');
         s.device.product = u"";
     }},
};

// Compiles every C file of the project into objects/ and returns the object
// files. A compile must succeed and say nothing: no error, no warning.
std::vector<std::string> CompileAll(const fs::path& project)
{
    const fs::path objects = project / "objects";
    fs::create_directory(objects);
    std::vector<fs::path> sources;
    for (const auto& entry : fs::directory_iterator(project))
        if (entry.path().extension() == ".c")
            sources.push_back(entry.path());
    std::sort(sources.begin(), sources.end());

    std::vector<std::string> relocatables;
    for (const fs::path& source : sources) {
        const test::ProgramResult result =
            test::RunProgram({KR_SDCC_PROGRAM, "-mmcs51", "-c", source.string(), "-o", objects.string() + "/"});
        EXPECT_EQ(result.exitCode, 0) << source.filename() << "\n" << result.out << result.err;
        EXPECT_EQ(result.out + result.err, "") << source.filename();
        relocatables.push_back((objects / source.stem()).string() + ".rel");
    }
    return relocatables;
}

class SdccProject : public ::testing::TestWithParam<ProjectConfiguration> {};

TEST_P(SdccProject, EveryCFileCompilesWithoutErrorOrWarning)
{
    test::TempDir dir;
    ConfigurationSettings settings;
    GetParam().apply(settings);
    test::GenerateSdccProject(settings, dir);

    const std::vector<std::string> objects = CompileAll(dir.path());

    ASSERT_EQ(objects.size(), 4u);
    for (const std::string& object : objects)
        EXPECT_TRUE(fs::exists(object)) << object;
}

INSTANTIATE_TEST_SUITE_P(Configurations, SdccProject, ::testing::ValuesIn(kProjectConfigurations),
                         [](const auto& info) { return info.param.name; });

TEST(SdccReportMacro, StoresEveryReportFieldWithoutErrorOrWarning)
{
    test::TempDir dir;
    ConfigurationSettings settings;
    kProjectConfigurations[2].apply(settings);  // the pen with everything, the mouse
    settings.touch.numTouchPoints = 1;
    settings.touch.bWidth = 1;
    test::GenerateSdccProject(settings, dir);
    test::WriteBytes(
        dir / "fill.c",
        "#include \"compiler_defs.h\"\n#include \"KR761x_Buffer_Struct.h\"\n"
        "Pen_Report MEM_XDATA pen;\nTouch_Point_Report MEM_XDATA touch;\nMouse_Report MEM_XDATA mouse;\n"
        "void fill (U16 x)\n{\n   STORE_REPORT_U16 (pen.Pressure, x);\n   STORE_REPORT_U16 (pen.Tilt_Y, 0x1234);\n"
        "   STORE_REPORT_U16 (touch.Width, x + 1);\n   STORE_REPORT_U16 (mouse.Y, x);\n}\n");
    const test::ProgramResult result = test::RunProgram(
        {KR_SDCC_PROGRAM, "-mmcs51", "-c", (dir / "fill.c").string(), "-o", dir.path().string() + "/"});
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_EQ(result.out + result.err, "");
}

}  // namespace
}  // namespace kr
