// SPDX-License-Identifier: MIT
// What a build reads besides the image: the object files, the map and the
// debug records of the link, the workspace's flags, and the linker's memory
// summary.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "firmware/DebugSymbols.h"
#include "firmware/LinkMap.h"
#include "firmware/ObjectModule.h"
#include "firmware/SizeSummary.h"
#include "firmware/Workspace.h"
#include "platform/Utf.h"

namespace kr::firmware {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Pair;

// Object file, map and debug records as sdcc 4.2 writes them, cut down.
TEST(LinkOutputs, AreasSymbolsAndBytesAsTheLinkPlacedThem)
{
    const std::string object = "XH3\nH 9 areas 5 global symbols\nM User\nS .__.ABS. Def000000\nS _d30 Def000030\n"
                               "A DSEG size 1 flags 0 addr 0\nS FUser$sd$0_0$0 Def000000\n"
                               "A OSEG size 3 flags 4 addr 0\nA REG_BANK_1 size 8 flags 4 addr 0\n"
                               "A CABS2 size 3 flags 28 addr 2955\nS _a Def002955\nS G$a$0_0$0 Def002955\n"
                               "A CABS3 size 2 flags 28 addr 3000\nS _t Def003000\n"
                               "T 00 29 55\nR 00 00 00 03\nT 00 29 55 01 02 03\nR 00 00 00 03\n"
                               "T 00 30 00 00 00\nR 00 00 00 04 02 03 00 05\n";  // relocated: not taken
    ObjectModule module;
    std::u16string error;
    ASSERT_TRUE(ReadObjectModule(object, module, error)) << platform::ToUtf8(error);
    EXPECT_EQ(module.name, "User");
    ASSERT_EQ(module.areas.size(), 5u);
    EXPECT_EQ(module.areas[2].flags, unsigned(kAreaOverlay));
    EXPECT_EQ(module.areas[3].address, 0x2955u);
    EXPECT_EQ(module.areas[3].size, 3u);
    EXPECT_EQ(module.areas[3].symbols.front().name, "_a");
    EXPECT_THAT(module.areas[3].bytes, ElementsAre(Pair(0x2955u, 1), Pair(0x2956u, 2), Pair(0x2957u, 3)));
    EXPECT_THAT(module.areas[4].bytes, IsEmpty());
    EXPECT_FALSE(ReadObjectModule("XH3\nM X\nA DSEG size zz flags 0 addr 0\n", module, error));
    EXPECT_EQ(platform::ToUtf8(error), "line 3: an area line cannot be read");

    const std::string map = "C:   00000040  s_BSEG                          \n"
                            "C:   00000001  l_BSEG                          \n"
                            "C:   00002603  __sdcc_program_startup             KR761x_Main\n";
    LinkMap placed;
    ASSERT_TRUE(ReadLinkMap(map, placed, error));
    EXPECT_EQ(placed.size(), 1u);
    EXPECT_EQ(placed["BSEG"].start, 0x40u);
    EXPECT_EQ(placed["BSEG"].length, 1u);
    EXPECT_FALSE(ReadLinkMap("nothing", placed, error));

    const std::string records = "M:KR761x_Main\nS:G$Comm_Tx_Buffer$0_0$0({128}DA128d,SC:U),F,0,0\n"
                                "S:G$Flag$0_0$0({1}SB0$1:U),H,0,0\nS:G$P1$0_0$0({1}SC:U),I,0,0\n"
                                "S:G$main$0_0$0({2}DF,SV:S),C,0,0\nM:User\nS:FUser$sd$0_0$0({4}SL:U),E,0,0\n"
                                "S:LUser.f$l$1_0$4({3}DA3d,SC:U),G,0,0\nS:G$unplaced$0_0$0({1}SC:U),E,0,0\n"
                                "L:G$Comm_Tx_Buffer$0_0$0:80\nL:G$Flag$0_0$0:12\nL:G$P1$0_0$0:90\n"
                                "L:G$main$0_0$0:29FE\nL:FUser$sd$0_0$0:4A\nL:LUser.f$l$1_0$4:4F\n";
    std::vector<std::string> read;
    for (const DebugSymbol& s : ReadDebugSymbols(records))
        read.push_back(s.module + "." + s.name + " " + std::to_string(int(s.space)) + " " + std::to_string(s.address)
                       + "+" + std::to_string(s.size));
    EXPECT_THAT(read, ::testing::UnorderedElementsAre("KR761x_Main.Comm_Tx_Buffer 4 128+128", "KR761x_Main.Flag 3 18+1",
                                                      "User.sd 2 74+4", "User.l 1 79+3"));

    // The globals the map lists under each area, library modules' among them.
    const std::string listing =
        "XSEG                                00000200    00000402 =        1026. bytes "
        "(REL,CON,XDATA)\n\n      Value  Global     Global Defined In Module\n"
        "      -----  --------------------------------   ------------------------\n"
        "D:   00000202  ___sdcc_heap                       _heap\n"
        "OSEG                                00000051    00000006 =           6. bytes (REL,OVR)\n"
        "     00000051  _strcpy_PARM_2                     _strcpy\n";
    std::vector<std::string> globals;
    for (const MapSymbol& s : ReadMapSymbols(listing))
        globals.push_back(s.area + " " + s.name + " " + std::to_string(s.value) + " " + s.module);
    EXPECT_THAT(globals, ElementsAre("XSEG ___sdcc_heap 514 _heap", "OSEG _strcpy_PARM_2 81 _strcpy"));

    // The functions, with their interrupt and register bank.
    std::vector<std::string> functions;
    for (const DebugFunction& f : ReadDebugFunctions("M:User\nF:G$Helper$0_0$0({2}DF,SV:S),C,0,0,0,0,1\n"
                                                     "F:FUser$Timer$0_0$0({2}DF,SV:S),C,0,0,1,3,2\n"))
        functions.push_back(f.module + "." + f.name + " " + std::to_string(f.interrupt) + " " + std::to_string(f.number)
                            + " " + std::to_string(f.bank));
    EXPECT_THAT(functions, ElementsAre("User.Helper 0 0 1", "User.Timer 1 3 2"));

    // The internal RAM as the memory summary draws it: all sixteen rows, or nothing.
    std::string drawing = "Internal RAM layout:\n      0 1 2 3 4 5 6 7 8 9 A B C D E F\n";
    for (int row = 0; row < 16; ++row) {
        char head[8];
        std::snprintf(head, sizeof head, "0x%02x:", row * 16);
        drawing += head;
        for (int i = 0; i < 16; ++i)
            drawing += std::string("|") + (row == 4 && i >= 10 ? 'a' : row >= 5 ? 'S' : row == 0 && i < 8 ? '0' : ' ');
        drawing += "|\n";
    }
    const InternalRamLayout layout = ReadInternalRamLayout(drawing);
    EXPECT_TRUE(layout.known);
    EXPECT_EQ(std::string(layout.bytes.begin() + 0x48, layout.bytes.begin() + 0x52), "  aaaaaaSS");
    EXPECT_EQ(layout.bytes[0x07], '0');
    EXPECT_FALSE(ReadInternalRamLayout(drawing.substr(0, drawing.size() / 2)).known);
}

TEST(Workspace, SettingsAndTheFlagsABuildUses)
{
    // A line of another section is not the setting's, even before it.
    const std::string workspace = "[WorkState_v1_1.WorkSpaceName]\r\nWorkSpaceName=p\r\nCompFlag=-DINJECTED\r\n"
                                  "LinkFlag=-DINJECTED\r\n"
                                  "[WorkState_v1_1.CompFlag]\r\nCompFlag=-c --debug --use-stdout -V\r\n"
                                  "[WorkState_v1_1.LinkFlag]\r\nLinkFlag=--debug  -V --code-loc 0x2600\t-Wl -bX=1\r\n"
                                  "[WorkState_v1_1.Empty]\r\nEmpty=\r\n";
    EXPECT_EQ(WorkspaceSetting(workspace, "CompFlag"), "-c --debug --use-stdout -V");
    EXPECT_EQ(WorkspaceSetting(workspace, "Empty"), "");
    EXPECT_EQ(WorkspaceSetting(workspace, "Comp"), std::nullopt);
    EXPECT_EQ(WorkspaceSetting("CompFlag=-DINJECTED\r\n", "CompFlag"), std::nullopt);
    EXPECT_EQ(WorkspaceSetting(workspace, "WorkState_v1_1.CompFlag"), std::nullopt);
    EXPECT_THAT(BuildFlags(*WorkspaceSetting(workspace, "CompFlag")), ElementsAre("--debug"));
    EXPECT_THAT(BuildFlags(*WorkspaceSetting(workspace, "LinkFlag")),
                ElementsAre("--debug", "--code-loc", "0x2600", "-Wl", "-bX=1"));
}

TEST(SizeSummary, CodeFromTheImageAndRamFromTheLinkersSummary)
{
    HexImage image;
    for (std::uint32_t a = 0x2600; a < 0x2610; ++a)
        image.bytes[a] = 0;
    image.bytes[0xF9FF] = 0xFF;
    image.bytes[0x10000] = 0;  // outside the flash: not counted
    const std::string mem = "Stack starts at: 0x53 (sp set to 0x52) with 173 bytes available.\n"
                            "   PAGED EXT. RAM   0x0200   0x0202       3      256   \n"
                            "   EXTERNAL RAM     0x0203   0x020a       8    65536   \n";
    EXPECT_EQ(platform::ToUtf8(SizeSummary(image, mem, kKR7611Memory, 32)),
              "Code:         17 bytes used, 54255 free of 54272 (0x2600-0xF9FF)\n"
              "Internal RAM: 9 bytes of variables, 173 bytes left for the stack (at least 32 needed)\n"
              "XRAM:         11 bytes of variables\n");
    EXPECT_EQ(platform::ToUtf8(SizeSummary(image, "", kKR7611Memory, 40)),
              "Code:         17 bytes used, 54255 free of 54272 (0x2600-0xF9FF)\n"
              "Internal RAM: ? bytes of variables, ? bytes left for the stack (at least 40 needed)\n"
              "XRAM:         ? bytes of variables\n");
    // The stack's room as the check judged it, and the XRAM the image uses.
    EXPECT_EQ(platform::ToUtf8(SizeSummary(image, mem, kKR7611Memory, 32, {40, 0x0601})),
              "Code:         17 bytes used, 54255 free of 54272 (0x2600-0xF9FF)\n"
              "Internal RAM: 9 bytes of variables, 40 bytes left for the stack (at least 32 needed)\n"
              "XRAM:         11 bytes of variables; the image uses XRAM 0x0000-0x0601 (the chip's XRAM size is not "
              "known, so it is not checked)\n");
}

}  // namespace
}  // namespace kr::firmware
