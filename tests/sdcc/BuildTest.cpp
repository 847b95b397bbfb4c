// SPDX-License-Identifier: MIT
// Generated KR7611 projects built with the real sdcc by the build the
// programs use, with code of the user's own: every program that keeps the
// chip's memory map builds, however its placements are written, and the image
// read back on its own has no address written twice, the vectors at the
// application start and every descriptor byte where the system firmware reads
// it, with nothing else in the descriptor window; every program that breaks
// the map is refused with a sentence naming what lies where.

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "firmware/BuildProject.h"
#include "generator/UserCodeRegions.h"
#include "hid/CSourceReader.h"
#include "platform/Windows1252.h"
#include "sdcc/SdccSupport.h"
#include "support/Configurations.h"
#include "support/RunProgram.h"
#include "tests/TestPaths.h"

namespace kr {
namespace {

namespace fs = std::filesystem;

// Forty functions of sixteen statements: about 8 KB of code.
std::string ExtraCode()
{
    std::string code;
    for (int f = 0; f < 40; ++f) {
        code += "void Extra" + std::to_string(f) + " (void)\r\n{\r\n";
        for (int k = 0; k < 16; ++k)
            code += "   KR761x_Param" + std::to_string(k % 7 + 1) + " = KR761x_Param" + std::to_string((k + 3) % 7 + 1)
                    + " + " + std::to_string(f * 16 + k) + ";\r\n";
        code += "}\r\n";
    }
    return code;
}

void EverythingOn(ConfigurationSettings& s)
{
    s = test::EverythingOn();
}

struct BuildCase {
    std::string name;
    std::function<void(ConfigurationSettings&)> apply;
    std::string beforeMain;  // C text added to the main program
    std::string problem;  // empty when the build succeeds
};

const BuildCase kCases[] = {
    {"Defaults", [](ConfigurationSettings&) {}, "", ""},
    {"LargestDescriptorsOnUart", EverythingOn, "", ""},
    {"EightKilobytesOfExtraCode", EverythingOn, ExtraCode(), ""},
    {"InterruptFifteenStillFits", [](ConfigurationSettings&) {}, "void Timer (void) __interrupt (15) { }\r\n", ""},
    {"InterruptAboveFifteenMovesTheVectors", [](ConfigurationSettings&) {},
     "void Timer (void) __interrupt (16) { }\r\n", "No jump at the application start 0x2600"},
    // Placements of every shape, wherever the map lets them lie.
    {"StringAtAnAddress", [](ConfigurationSettings&) {}, "__code __at (0x3000) char Msg[] = \"hi\";\r\n", ""},
    {"TwoDimensionalArrayAtAnExpression", [](ConfigurationSettings&) {},
     "__code __at (0x3000 + 5) U8 Grid[2][3] = {{1, 2, 3}, {4, 5, 6}};\r\n", ""},
    {"PlacementThroughAMacro", [](ConfigurationSettings&) {},
     "#define PLACE(a) __at (a)\r\n#define TABLE_AT 0x3100\r\n__code PLACE (TABLE_AT) U8 Table[2] = {1, 2};\r\n", ""},
    {"UserVariablesOfEveryKind", [](ConfigurationSettings&) {},
     "__data U8 Counter = 5;\r\n__idata U8 Samples[8];\r\n__bit Busy;\r\n__xdata U8 Log[32] = {1};\r\n"
     "__xdata __at (0x0300) U8 Frame[16];\r\n",
     ""},
    {"BracesInTheUsbStrings",
     [](ConfigurationSettings& s) {
         s.device.manufacturer = u"Acme {Labs} }";
         s.device.product = u"{\"Panel\"} \\ 10\" };";
     },
     "", ""},
    {"StackRoomAtTheMinimum", [](ConfigurationSettings&) {}, "__idata U8 Huge[146];\r\n", ""},
    // Each way of breaking the map.
    {"CodeInTheDescriptorWindow", [](ConfigurationSettings&) {}, "__code __at (0x2955) U8 Spare[3] = {1, 2, 3};\r\n",
     "Spare (KR761x_Main) at 0x2955-0x2957 lies in 0x2683-0x295F, which holds only the descriptor arrays."},
    {"CodeInTheConfigurationBlock", [](ConfigurationSettings&) {}, "__code __at (0xF9F0) U8 Patch = 7;\r\n",
     "Patch (KR761x_Main) at 0xF9F0 lies in 0xF9EE-0xF9FF, which holds only the configuration block."},
    {"DataInTheSystemsRam", [](ConfigurationSettings&) {}, "__data __at (0x30) U8 Mine;\r\n",
     "Mine (KR761x_Main) at 0x30 lies in internal RAM the system firmware owns (0x30-0x49)."},
    {"InitialisedDataInTheSystemsRam", [](ConfigurationSettings&) {}, "__data __at (0x48) U16 Two = 2;\r\n",
     "Two (KR761x_Main) at 0x48-0x49 lies in internal RAM the system firmware owns (0x30-0x49)."},
    {"IndirectDataInTheRegisterBanks", [](ConfigurationSettings&) {}, "__idata __at (0x10) U8 Mine;\r\n",
     "Mine (KR761x_Main) at 0x10 lies in internal RAM the system firmware owns (0x00-0x27)."},
    {"IndirectDataInTheStack", [](ConfigurationSettings&) {}, "__idata __at (0xF0) U8 Mine[4];\r\n",
     "Mine (KR761x_Main) at 0xF0-0xF3 lies in the stack (0x4E-0xFF)."},
    {"InitialisedIndirectDataInTheStack", [](ConfigurationSettings&) {}, "__idata __at (0xFE) U8 Pair[2] = {1, 2};\r\n",
     "Pair (KR761x_Main) at 0xFE-0xFF lies in the stack (0x4E-0xFF)."},
    {"XdataOverTheLinkersVariables", [](ConfigurationSettings&) {},
     "__xdata U8 Log[8];\r\n__xdata __at (0x0204) U8 Mine;\r\n",
     "Mine (KR761x_Main) at 0x0204 lies in the segment XSEG (0x0200-0x0207), where the linker placed other variables."},
    {"BitOfTheSystem", [](ConfigurationSettings&) {}, "__bit __at (0x30) Mine;\r\n",
     "Mine (KR761x_Main) at bit 0x30 lies in the bit addresses 0x00-0x3F that the system firmware owns."},
    {"XdataInsideThePositionBuffer", [](ConfigurationSettings&) {}, "__xdata __at (0x0105) U8 Mine;\r\n",
     "Mine (KR761x_Main) at 0x0105 lies in XRAM 0x0000-0x01FF, which holds only the variables shared"},
    {"XdataOverTheStatus", [](ConfigurationSettings&) {}, "__xdata __at (0x01F0) U8 Mine[2];\r\n",
     "Mine (KR761x_Main) at 0x01F0-0x01F1 lies in XRAM 0x0000-0x01FF"},
    {"RegisterBankOne", [](ConfigurationSettings&) {}, "void Timer (void) __interrupt (1) __using (1) { }\r\n",
     "Register bank 1 (0x08-0x0F) is in use by KR761x_Main"},
    {"PagedData", [](ConfigurationSettings&) {}, "__pdata U8 Paged;\r\n",
     "The segment PSEG (KR761x_Main) at 0x0200 holds paged external data, reached through P2, which is the GPIO_HI"},
    {"NoRoomForTheStack", [](ConfigurationSettings&) {}, "__idata U8 Huge[178];\r\n",
     "Only 0 bytes of internal RAM are left for the stack; at least 32 are needed."},
    {"TooLittleRoomForTheStack", [](ConfigurationSettings&) {}, "__idata U8 Huge[175];\r\n",
     "Only 3 bytes of internal RAM are left for the stack; at least 32 are needed."},
    {"FlashFull", [](ConfigurationSettings&) {}, "__code U8 Big[54000] = {1};\r\n",
     "Linking KR761x_Image.ihx failed.\n?ASlink-Error-Insufficient ROM/EPROM/FLASH memory."},
    {"CompilerError", [](ConfigurationSettings&) {}, "U8 Broken = ;\r\n",
     "Compiling KR761x_Main.c failed.\nKR761x_Main.c:"},
};

class Build : public ::testing::TestWithParam<BuildCase> {};

TEST_P(Build, ImageHoldsTheVectorsAndDescriptorsOrTheBuildFailsLeavingNoImage)
{
    test::TempDir dir;
    ConfigurationSettings settings;
    GetParam().apply(settings);
    test::GenerateSdccProject(settings, dir);
    test::AddToMainProgram(dir, GetParam().beforeMain);
    const fs::path image = dir / "KR761x_Image.ihx";
    test::WriteBytes(image, ":00000001FF\n");  // an earlier build's image

    firmware::BuildResult result;
    const bool built = firmware::BuildSdccProject(dir.folder(), result);

    if (!GetParam().problem.empty()) {
        EXPECT_FALSE(built);
        EXPECT_NE(platform::ToUtf8(result.errorText).find(GetParam().problem), std::string::npos)
            << platform::ToUtf8(result.errorText);
        EXPECT_FALSE(fs::exists(image));
        return;
    }
    ASSERT_TRUE(built) << result.toolOutput << platform::ToUtf8(result.errorText);
    EXPECT_NE(platform::ToUtf8(result.summary).find(" bytes used, "), std::string::npos);

    std::size_t writes = 0;
    const auto bytes = test::HexBytes(test::ReadBytes(image), &writes);
    EXPECT_EQ(writes, bytes.size());  // no address written twice
    EXPECT_EQ(bytes.at(0x2600), 0x02u);  // LJMP to the start-up
    const std::u16string descriptors = platform::DecodeWindows1252(test::ReadBytes(dir / "KR761x_USB_Descriptor.c"));
    const auto defines =
        ReadNumericDefines(platform::DecodeWindows1252(test::ReadBytes(dir / "KR761x_Configuration.h")));
    unsigned inWindow = 0;
    const std::pair<const char16_t*, unsigned> arrays[] = {
        {u"HidDeviceDesc", 0x2683}, {u"HidConfigDesc", 0x2695}, {u"StringDesc", 0x26B7}, {u"HidReportDesc", 0x27B3}};
    for (const auto& [name, address] : arrays) {
        std::vector<std::uint8_t> expected;
        std::u16string error;
        ASSERT_TRUE(ReadByteArray(descriptors, name, defines, expected, error)) << platform::ToUtf8(error);
        EXPECT_EQ(test::BytesAt(bytes, address, expected.size()),
                  std::vector<unsigned>(expected.begin(), expected.end()))
            << platform::ToUtf8(name);
        inWindow += expected.size();
    }
    EXPECT_EQ(
        std::count_if(bytes.begin(), bytes.end(), [](const auto& b) { return b.first >= 0x2683 && b.first <= 0x295F; }),
        inWindow);
}

INSTANTIATE_TEST_SUITE_P(Kr7611, Build, ::testing::ValuesIn(kCases), [](const auto& info) { return info.param.name; });

// Code of the kind each region invites, an interrupt handler among it,
// carried into a project generated again for another bus, still builds.
TEST(UserCode, EveryRegionFilledBuildsAfterTheProjectIsGeneratedAgain)
{
    const std::map<std::string, std::string> code = {
        {"includes", "#include <string.h>\r\n"},
        {"declarations", "static U8 ticks;\r\nvoid Timer0_ISR (void) __interrupt (1);\r\n"},
        {"interrupt handlers", "void Timer0_ISR (void) __interrupt (1)\r\n{\r\n   ticks++;\r\n}\r\n"},
        {"local variables", "   U8 i;\r\n"},
        {"system init error", "      while (1);\r\n"},
        {"start-up", "   i = 0;\r\n   memset (USB_Position_Buffer, 0, 8);\r\n"},
        {"main loop", "      i++;\r\n"},
        {"mouse report",
         "            USB_Position_Buffer[1] = i;\r\n            KR761x_USB_Mouse_Send_Pending = 1;\r\n"},
        {"before suspend", "         GPIO_LO = 0xFF;\r\n"},
    };
    test::TempDir dir;
    ConfigurationSettings settings;
    test::GenerateSdccProject(settings, dir);
    std::string main = test::ReadBytes(dir / "KR761x_Main.c");
    const auto regions = FindUserCodeRegions(main);
    ASSERT_TRUE(regions);
    for (auto region = regions->rbegin(); region != regions->rend(); ++region)
        if (code.contains(region->name))
            main.replace(region->textBegin, region->textEnd - region->textBegin, code.at(region->name));
    test::WriteBytes(dir / "KR761x_Main.c", main);

    settings.communication.protocol = 2;
    test::GenerateSdccProject(settings, dir);
    main = test::ReadBytes(dir / "KR761x_Main.c");
    for (const auto& [name, text] : code)
        EXPECT_NE(main.find(text), std::string::npos) << name;
    EXPECT_NE(main.find("KR761x_UART_Init"), std::string::npos);

    firmware::BuildResult result;
    EXPECT_TRUE(firmware::BuildSdccProject(dir.folder(), result))
        << result.toolOutput << platform::ToUtf8(result.errorText);
}

TEST(Makefile, MakeBuildsTheSameImageChecksItRefusesOverlapsAndCleans)
{
    test::TempDir dir;
    test::GenerateSdccProject({}, dir);
    std::vector<std::string> generated;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        generated.push_back(entry.path().filename().string());
    std::sort(generated.begin(), generated.end());

    firmware::BuildResult result;
    ASSERT_TRUE(firmware::BuildSdccProject(dir.folder() + u"KR761x_SDCC.wsp", result)) << result.toolOutput;
    const std::string built = test::ReadBytes(dir / "KR761x_Image.ihx");

    const std::string folder = dir.path().string();
    test::ProgramResult make = test::RunProgram({"make", "-C", folder, "clean"});
    ASSERT_EQ(make.exitCode, 0) << make.out << make.err;
    EXPECT_FALSE(fs::exists(dir / "KR761x_Image.ihx"));
    make = test::RunProgram({"make", "-C", folder});
    ASSERT_EQ(make.exitCode, 0) << make.out << make.err;
    EXPECT_EQ(test::ReadBytes(dir / "KR761x_Image.ihx"), built);

    make = test::RunProgram({"make", "-C", folder, "clean"});
    ASSERT_EQ(make.exitCode, 0) << make.out << make.err;
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, generated);

    // make check runs the checked build from PATH, and says so when there is none.
    const std::string path = std::string("PATH=") + KR_BUILD_PROGRAM_FOLDER + ":/usr/bin:/bin";
    make = test::RunProgram({"env", path, "make", "-C", folder, "check"});
    EXPECT_EQ(make.exitCode, 0) << make.out << make.err;
    EXPECT_NE(make.out.find("Image: "), std::string::npos) << make.out;
    make = test::RunProgram({"env", "PATH=/usr/bin:/bin", "make", "-C", folder, "check"});
    EXPECT_NE(make.exitCode, 0);
    EXPECT_NE(make.err.find("kr761x-build is not installed"), std::string::npos) << make.err;

    // Two modules placing code at the same addresses: the linker only warns,
    // make fails with its message and leaves no image.
    test::WriteBytes(dir / "Overlap1.c", "__code __at (0x3000) unsigned char One[4] = {1, 2, 3, 4};\r\n");
    test::WriteBytes(dir / "Overlap2.c", "__code __at (0x3002) unsigned char Two[4] = {5, 6, 7, 8};\r\n");
    make = test::RunProgram({"make", "-C", folder});
    EXPECT_NE(make.exitCode, 0);
    EXPECT_NE(make.err.find("overlap"), std::string::npos) << make.err;
    EXPECT_FALSE(fs::exists(dir / "KR761x_Image.ihx"));

    // A KR7610 project's Makefile refuses, as the build does.
    test::TempDir kr7610;
    ConfigurationSettings settings;
    settings.device.deviceSel = 0;
    test::GenerateSdccProject(settings, kr7610);
    make = test::RunProgram({"make", "-C", kr7610.path().string()});
    EXPECT_NE(make.exitCode, 0);
    EXPECT_NE(make.err.find("KR7610 projects cannot be built: the memory layout of KR7610 user firmware is not known."),
              std::string::npos)
        << make.err;
    EXPECT_FALSE(fs::exists(kr7610 / "KR761x_Image.ihx"));
}

}  // namespace
}  // namespace kr
