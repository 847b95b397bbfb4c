// Generated SDCC projects put through the real compiler and linker.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <regex>
#include <sstream>

#include "generator/GenerateProject.h"
#include "platform/Utf.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace kr {
namespace {

namespace fs = std::filesystem;

struct Configuration {
    std::string name;
    std::function<void(ConfigurationSettings&)> apply;
};

void AllTouchOptions(TouchData& touch)
{
    touch.numTouchPoints = 5;
    touch.bConfidence = touch.bPressure = touch.bWidth = touch.bHeight = 1;
}

void AllPenOptions(PenData& pen)
{
    pen.bPen = pen.bPressure = pen.bXTilt = pen.bYTilt = pen.bInverted = pen.bBarrelButton = 1;
}

const std::vector<Configuration> kConfigurations = {
    {"Defaults", [](ConfigurationSettings&) {}},
    {"Kr7610SmbusTouchOnlySelfPoweredWithWakeup",
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
         s.gpio.modes = {2, 1, 0, 2, 2, 0, 1, 2, 2, 2, 2, 2, 2, 2, 2, 2};
         s.gpio.values = {0, 0, 1, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
     }},
    {"Kr7611UartPenAndEightButtons",
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
    {"Kr7610UartEverythingAtExtremes",
     [](ConfigurationSettings& s) {
         s.device.deviceSel = 0;
         s.device.bEnableRemoteWakeup = 1;
         s.device.vid = s.device.pid = s.device.releaseVersion = 0xFFFF;
         s.device.maxPower = 500;
         s.communication.protocol = 2;
         s.screen = {65535, 65535, 65535, 65535};
         AllTouchOptions(s.touch);
         s.touch.pressure = s.touch.width = s.touch.height = 65535;
         AllPenOptions(s.pen);
         s.pen.xTiltMin = s.pen.xTiltMax = s.pen.yTiltMax = 65535;
         s.pen.yTiltMin = 1;
     }},
    {"Kr7611SpiSecondEdgeIdleHighSparseOptions",
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
    {"Kr7611SmbusTextsWithQuotesBackslashesAndNonAscii",
     [](ConfigurationSettings& s) {
         s.communication.protocol = 1;
         s.device.manufacturer = u"\"Quoted\" 'single' back\\slash \\\" caf\u00E9 \u20AC \u4E2D \U0001F600 */ ?\?/";
         s.device.product = u"\\";
     }},
    {"Kr7610SpiTextsLongerThanTheDescriptor",
     [](ConfigurationSettings& s) {
         s.device.deviceSel = 0;
         s.device.manufacturer = std::u16string(100, u'M');
         s.device.product = u"";
     }},
};

std::string ToText(const std::u16string& text) { return platform::ToUtf8(text); }

// Written without the check of the configuration, so that values no page
// lets through (texts longer than the string descriptors) are compiled too.
void GenerateSdccProject(ConfigurationSettings settings, const test::TempDir& dir)
{
    settings.project.toolchain = 2;
    settings.project.projectPath = dir.folder();
    std::u16string error;
    ASSERT_TRUE(GenerateFiles(settings, TemplateTable, error)) << ToText(error);
}

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

class SdccProject : public ::testing::TestWithParam<Configuration> {};

TEST_P(SdccProject, EveryCFileCompilesWithoutErrorOrWarning)
{
    test::TempDir dir;
    ConfigurationSettings settings;
    GetParam().apply(settings);
    GenerateSdccProject(settings, dir);

    const std::vector<std::string> objects = CompileAll(dir.path());

    ASSERT_EQ(objects.size(), 3u);
    for (const std::string& object : objects)
        EXPECT_TRUE(fs::exists(object)) << object;
}

INSTANTIATE_TEST_SUITE_P(Configurations, SdccProject, ::testing::ValuesIn(kConfigurations),
                         [](const auto& info) { return info.param.name; });

// The value of one "Name=value" setting line of a workspace.
std::string WorkspaceSetting(const std::string& workspace, const std::string& name)
{
    std::smatch match;
    const std::regex line("(^|\r\n)" + name + "=([^\r\n]*)");
    return std::regex_search(workspace, match, line) ? match[2].str() : std::string();
}

std::vector<std::string> Words(const std::string& text)
{
    std::istringstream in(text);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

// Address -> byte of every data record of an Intel HEX image.
std::map<unsigned, unsigned> ReadIntelHex(const std::string& text)
{
    std::map<unsigned, unsigned> image;
    std::istringstream in(text);
    std::string record;
    while (std::getline(in, record)) {
        if (record.size() < 11 || record[0] != ':' || record.substr(7, 2) != "00")
            continue;
        const unsigned count = std::stoul(record.substr(1, 2), nullptr, 16);
        const unsigned address = std::stoul(record.substr(3, 4), nullptr, 16);
        for (unsigned i = 0; i < count; ++i)
            image[address + i] = std::stoul(record.substr(9 + 2 * i, 2), nullptr, 16);
    }
    return image;
}

std::vector<unsigned> BytesAt(const std::map<unsigned, unsigned>& image, unsigned address, unsigned count)
{
    std::vector<unsigned> bytes;
    for (unsigned i = 0; i < count; ++i) {
        const auto it = image.find(address + i);
        bytes.push_back(it == image.end() ? 0x100 : it->second);   // 0x100: nothing placed there
    }
    return bytes;
}

TEST(SdccLink, Kr7611ProjectLinksWithItsWorkspaceFlagsAndKeepsTheFixedPlacements)
{
    // The largest descriptor set and the most code the generator produces.
    for (const char* name : {"Defaults", "Kr7611UartPenAndEightButtons"}) {
        SCOPED_TRACE(name);
        const auto& configuration =
            *std::find_if(kConfigurations.begin(), kConfigurations.end(), [&](const auto& c) { return c.name == name; });
        test::TempDir dir;
        ConfigurationSettings settings;
        configuration.apply(settings);
        GenerateSdccProject(settings, dir);
        const std::vector<std::string> objects = CompileAll(dir.path());

        const std::string workspace = test::ReadBytes(dir / "KR761x_SDCC.wsp");
        const std::vector<std::string> flags = Words(WorkspaceSetting(workspace, "LinkFlag"));
        ASSERT_FALSE(flags.empty());
        std::vector<std::string> command = {KR_SDCC_PROGRAM, "-mmcs51"};
        command.insert(command.end(), flags.begin(), flags.end());
        command.insert(command.end(), objects.begin(), objects.end());
        const std::string image = (dir / "objects" / "KR761x_Image.ihx").string();
        command.insert(command.end(), {"-o", image});

        const test::ProgramResult result = test::RunProgram(command);
        ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
        EXPECT_EQ((result.out + result.err).find("overlap"), std::string::npos) << result.out << result.err;

        // The descriptor block and the configuration bytes at the addresses the
        // system firmware reads them from.
        const auto bytes = ReadIntelHex(test::ReadBytes(image));
        EXPECT_EQ(BytesAt(bytes, 0x2683, 4), (std::vector<unsigned>{0x12, 0x01, 0x00, 0x02}));
        EXPECT_EQ(BytesAt(bytes, 0x2695, 4), (std::vector<unsigned>{0x09, 0x02, 0x22, 0x00}));
        EXPECT_EQ(BytesAt(bytes, 0x26B7 + 1, 1), std::vector<unsigned>{0x03});
        EXPECT_EQ(BytesAt(bytes, 0x26B7 + 126 + 1, 1), std::vector<unsigned>{0x03});
        EXPECT_EQ(BytesAt(bytes, 0x27B3, 3), (std::vector<unsigned>{0x06, 0x00, 0xFF}));
        EXPECT_EQ(BytesAt(bytes, 0xF9EE, 2), (std::vector<unsigned>{0x80, 0x05}));
        EXPECT_EQ(BytesAt(bytes, 0xF9FD, 3), (std::vector<unsigned>{0x3D, 0xC2, 0xFF}));

        // The linker does not report relocatable code that runs into an
        // absolute block, so check that the program ends below the descriptors.
        const std::string map = test::ReadBytes(dir / "objects" / "KR761x_Image.map");
        const std::regex area(R"(\n(HOME|GSINIT\d*|GSFINAL|CSEG|CONST|XINIT)\s+([0-9A-F]{8})\s+([0-9A-F]{8}) =)");
        int areas = 0;
        for (auto it = std::sregex_iterator(map.begin(), map.end(), area); it != std::sregex_iterator(); ++it) {
            const unsigned start = std::stoul((*it)[2].str(), nullptr, 16);
            const unsigned size = std::stoul((*it)[3].str(), nullptr, 16);
            if (size == 0)
                continue;
            ++areas;
            EXPECT_LE(start + size, 0x2683u) << (*it)[1];
        }
        EXPECT_GE(areas, 2);
    }
}


TEST(SdccReportMacro, StoresEveryReportFieldWithoutErrorOrWarning)
{
    test::TempDir dir;
    ConfigurationSettings settings;
    kConfigurations[2].apply(settings);   // the pen with everything, the mouse
    settings.touch.numTouchPoints = 1;
    settings.touch.bWidth = 1;
    GenerateSdccProject(settings, dir);
    test::WriteBytes(dir / "fill.c",
                     "#include \"compiler_defs.h\"\n#include \"KR761x_Buffer_Struct.h\"\n"
                     "Pen_Report MEM_XDATA pen;\nTouch_Point_Report MEM_XDATA touch;\nMouse_Report MEM_XDATA mouse;\n"
                     "void fill (U16 x)\n{\n   STORE_REPORT_U16 (pen.Pressure, x);\n   STORE_REPORT_U16 (pen.Tilt_Y, 0x1234);\n"
                     "   STORE_REPORT_U16 (touch.Width, x + 1);\n   STORE_REPORT_U16 (mouse.Y, x);\n}\n");
    const test::ProgramResult result =
        test::RunProgram({KR_SDCC_PROGRAM, "-mmcs51", "-c", (dir / "fill.c").string(), "-o", dir.path().string() + "/"});
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_EQ(result.out + result.err, "");
}

}  // namespace
}  // namespace kr
