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
    std::string summary = {};  // a part of the size summary, when it builds
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
    // Placements beside what the linker placed, and code that leaves them room.
    {"PlacementsInTheFreeBitBytesAndHighInTheStacksRoom", [](ConfigurationSettings&) {},
     "__bit Busy;\r\n__data __at (0x29) U8 Flags;\r\n__bit __at (0x48) Flag0;\r\n__idata __at (0xF0) U8 Top[4];\r\n"
     "__idata __at (0xFE) U8 Pair[2] = {1, 2};\r\n",
     "", "162 bytes left for the stack"},
    {"ReentrantCodeBanksAndTheLibrarysHeap", [](ConfigurationSettings&) {},
     "#include <stdlib.h>\r\n#include <string.h>\r\n__xdata U8 Log[4];\r\n"
     "U8 Sum (U8 n) __reentrant { U8 k = n; return n ? k + Sum (n - 1) : 0; }\r\n"
     "void Use (void) { char *p = malloc (8); strcpy (p, \"x\"); Log[0] = Sum (3); free (p); }\r\n"
     "__xdata __at (0x0700) U8 Frame[16];\r\n",
     "", "the image uses XRAM 0x0000-0x070F"},
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
    {"IndirectDataLowInTheStacksRoom", [](ConfigurationSettings&) {}, "__idata __at (0x60) U8 Mine[4];\r\n",
     "Mine (KR761x_Main) at 0x60-0x63 lies in the stack's room (0x4E-0xFF) and leaves the stack only 18 bytes below "
     "it; at least 32 are needed.\nInternal RAM still free: 0x29-0x2F, 0x6E-0xFF (the stack needs 0x4E-0x6D)."},
    {"DataOverTheStartUpsFlagBit", [](ConfigurationSettings&) {}, "__data __at (0x28) U8 Alias;\r\n",
     "Alias (KR761x_Main) at 0x28 overlaps KR761x_Startup_Interrupts (KR761x_Startup) at bit 0x40, which the linker "
     "placed there: 0x28.\nInternal RAM still free: 0x29-0x2F"},
    {"BitOverAUserBit", [](ConfigurationSettings&) {}, "__bit Mine;\r\n__bit __at (0x40) Alias;\r\n",
     "Alias (KR761x_Main) at bit 0x40 overlaps Mine (KR761x_Main) at bit 0x40, which the linker placed there: bit "
     "0x40."},
    {"IndirectDataOverMainsVariable", [](ConfigurationSettings&) {}, "__idata __at (0x4C) U8 Alias;\r\n",
     "Alias (KR761x_Main) at 0x4C overlaps SPI_clock (KR761x_Main) at 0x4A-0x4D, which the linker placed there: 0x4C."},
    {"IndirectDataInsideALinkerArray", [](ConfigurationSettings&) {},
     "__idata U8 Samples[16];\r\n__idata __at (0x52) U8 Inside[2];\r\n",
     "Inside (KR761x_Main) at 0x52-0x53 overlaps Samples (KR761x_Main) at 0x4E-0x5D, which the linker placed there: "
     "0x52-0x53."},
    {"DataOverALibraryModulesVariables", [](ConfigurationSettings&) {},
     "#include <string.h>\r\nvoid Copy (char *d, char *s) { strcpy (d, s); }\r\n__data __at (0x52) U8 Alias;\r\n",
     "Alias (KR761x_Main) at 0x52 overlaps strcpy_PARM_2 (_strcpy) at 0x51-0x56, which the linker placed there: 0x52."},
    {"XdataOverTheLinkersVariables", [](ConfigurationSettings&) {},
     "__xdata U8 Log[8];\r\n__xdata __at (0x0204) U8 Mine;\r\n",
     "Mine (KR761x_Main) at 0x0204 overlaps Log (KR761x_Main) at 0x0200-0x0207, which the linker placed there: "
     "0x0204."},
    {"XdataInTheLibrarysHeap", [](ConfigurationSettings&) {},
     "#include <stdlib.h>\r\n__xdata __at (0x0300) U8 Frame[16];\r\nvoid Use (void) { free (malloc (4)); }\r\n",
     "Frame (KR761x_Main) at 0x0300-0x030F overlaps the library allocator's heap (_heap) at 0x0202-0x0601, which the "
     "linker placed there: 0x0300-0x030F."},
    {"BitOfTheSystem", [](ConfigurationSettings&) {}, "__bit __at (0x30) Mine;\r\n",
     "Mine (KR761x_Main) at bit 0x30 lies in the bit addresses 0x00-0x3F that the system firmware owns."},
    {"XdataInsideThePositionBuffer", [](ConfigurationSettings&) {}, "__xdata __at (0x0105) U8 Mine;\r\n",
     "Mine (KR761x_Main) at 0x0105 lies in XRAM 0x0000-0x01FF, which holds only the variables shared"},
    {"XdataOverTheStatus", [](ConfigurationSettings&) {}, "__xdata __at (0x01F0) U8 Mine[2];\r\n",
     "Mine (KR761x_Main) at 0x01F0-0x01F1 lies in XRAM 0x0000-0x01FF"},
    {"RegisterBankOne", [](ConfigurationSettings&) {}, "void Timer (void) __interrupt (1) __using (1) { }\r\n",
     "Register bank 1 (0x08-0x0F) is in use by the interrupt handler Timer (KR761x_Main) with __using (1): the banks"},
    {"RegisterBankTwoOfAFunction", [](ConfigurationSettings&) {}, "void Helper (void) __using (2) { }\r\n",
     "Register bank 2 (0x10-0x17) is in use by the function Helper (KR761x_Main) with __using (2): the banks"},
    {"PagedData", [](ConfigurationSettings&) {}, "__pdata U8 Paged;\r\n",
     "The segment PSEG (KR761x_Main) at 0x0200 holds paged external data, reached through P2, which is the GPIO_HI"},
    {"NoRoomForTheStack", [](ConfigurationSettings&) {}, "__idata U8 Huge[178];\r\n",
     "Only 0 bytes of internal RAM are left for the stack; at least 32 are needed."},
    {"TooLittleRoomForTheStack", [](ConfigurationSettings&) {}, "__idata U8 Huge[175];\r\n",
     "Only 3 bytes of internal RAM are left for the stack; at least 32 are needed."},
    {"InternalRamFull", [](ConfigurationSettings&) {},
     "#include <stdio.h>\r\n__data U8 Big[90];\r\nvoid Print (char *b) { sprintf (b, \"%d\", Big[1]); }\r\n",
     "?ASlink-Error-Could not get 1 consecutive byte in internal RAM for area OSEG.\nInternal RAM is full: the linker "
     "could not find room for 94 bytes for DSEG and 3, 2 and 1 bytes for OSEG. The application owns only 0x28-0x2F "
     "and 0x4A-0xFF of internal RAM (190 bytes, for its bits, its variables and the stack), and only 0x4A-0x7F (54 "
     "bytes) of it for direct data (__data, and the parameters and locals of functions); declare large variables "
     "__xdata or __idata."},
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
    EXPECT_NE(platform::ToUtf8(result.summary).find(GetParam().summary), std::string::npos)
        << platform::ToUtf8(result.summary);

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
