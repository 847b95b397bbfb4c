// SPDX-License-Identifier: MIT
// The chip library header, the workspaces and the start-up routines as the
// chip and the vendor tools need them: every fixed definition, every tool
// setting and every chip-dependent address.

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "generator/GenerateProject.h"
#include "platform/Utf.h"
#include "support/TempDir.h"

namespace kr {
namespace {

enum Toolchain { kKeil = 0, kRaisonance = 1, kSdcc = 2 };
enum Chip { kKR7610 = 0, kKR7611 = 1 };

// One generated file of a project for toolchain and chip.
std::string Generated(int toolchain, int chip, const std::string& file)
{
    test::TempDir dir;
    ConfigurationSettings settings;
    settings.project.toolchain = toolchain;
    settings.project.projectPath = dir.folder();
    settings.device.deviceSel = chip;
    std::u16string error;
    EXPECT_TRUE(GenerateProject(settings, error)) << platform::ToUtf8(error);
    return test::ReadBytes(dir / file);
}

// NAME -> value text of every line "#define NAME value" whose value matches.
std::map<std::string, std::string> Defines(const std::string& source, const std::string& valuePattern)
{
    std::map<std::string, std::string> defines;
    const std::regex define("#define (\\w+) +(" + valuePattern + ")");
    for (auto it = std::sregex_iterator(source.begin(), source.end(), define); it != std::sregex_iterator(); ++it)
        defines[(*it)[1]] = (*it)[2];
    return defines;
}

TEST(ApiHeader, EntryPointsAreTheChipsAddressesWithBothSpellingsOfX)
{
    const std::map<std::string, std::string> kr7611 = {
        {"KR761X_SMBUS_MASTER_INIT", "07A8"},
        {"KR761X_UART_INIT", "09CB"},
        {"KR761X_SPI_MASTER_INIT", "0B34"},
        {"KR761X_USB_SUSPEND", "1789"},
        {"KR761X_SPI_MASTER_TRANSFER", "1991"},
        {"KR761X_USB_INIT", "1A07"},
        {"KR761X_SYSTEM_INIT", "1BB1"},
        {"KR761x_REMOTE_WAKEUP", "1C13"},
        {"KR761X_SMBUS_MASTER_TRANSFER", "1C72"},
        {"KR761X_SMBUS_POLL", "1F57"},
        {"KR761X_UART_WRITE", "1FF3"},
        {"KR761X_UART_DEQUEUE", "2023"},
        {"KR761X_START_COUNTER", "2248"},
        {"KR761X_SPI_POLL", "22EC"},
        {"KR761X_GPIO_INIT", "239D"},
        {"KR761X_UART_POLL", "23B3"},
        {"KR761X_STOP_COUNTER", "23F9"},
        {"KR761x_USB_SUSPEND_REMOTE_WAKEUP", "2413"},
    };
    std::map<std::string, std::string> kr7610;
    for (const auto& [name, address] : kr7611)
        kr7610[name] = "0000";

    const auto entries = [](int chip) {
        std::map<std::string, std::string> found;
        for (const auto& [name, value] :
             Defines(Generated(kSdcc, chip, "KR761x_API.h"), R"(CODE_ENTRY \(0x[0-9A-F]{4}\))"))
            found[name] = value.substr(14, 4);
        return found;
    };
    EXPECT_EQ(entries(kKR7611), kr7611);
    EXPECT_EQ(entries(kKR7610), kr7610);
}

TEST(ApiHeader, DefinesEveryStatusCodeParameterPinAndRegister)
{
    const std::string header = Generated(kKeil, kKR7611, "KR761x_API.h");
    EXPECT_NE(header.find("// Target: KR7611\r\n// Tool chain: Keil\r\n"), std::string::npos);
    EXPECT_NE(header.find("#ifndef _KR761X_API_H_\r\n#define _KR761X_API_H_\r\n\r\n#include \"compiler_defs.h\""),
              std::string::npos);

    const std::map<std::string, std::string> constants = {
        {"FUNC_SUCCESS", "0x00"},
        {"FUNC_BUSY", "0x01"},
        {"FUNC_OUT_OF_RANGE", "0x02"},
        {"FUNC_SPI_IDLE", "0x10"},
        {"FUNC_SPI_MODE_FAULT", "0x11"},
        {"FUNC_SPI_NSS_BUSY", "0x12"},
        {"FUNC_SMBUS_IDLE", "0x20"},
        {"FUNC_SMBUS_SCL_TO", "0x21"},
        {"FUNC_SMBUS_NO_ACK", "0x22"},
        {"FUNC_SMBUS_ARB_LOST", "0x23"},
        {"FUNC_UART_IDLE", "0x30"},
        {"FUNC_UART_NO_DATA", "0x31"},
        {"FUNC_REMOTE_WAKE_DISABLE", "0x40"},
        {"FUNC_NO_SUPPORT", "0xFF"},
        {"BUSPOW", "0x00"},
        {"SELFPOW_VREGOFF", "0x01"},
        {"SELFPOW_VREGON", "0x02"},
        {"OSC_48", "0x00"},
        {"OSC_24", "0x01"},
        {"ENUM_MOUSE_MODE", "0x00"},
        {"ENUM_SINGLE_POINT_MODE", "0x01"},
        {"NO_PARITY", "0x00"},
        {"ODD_PARITY", "0x01"},
        {"EVEN_PARITY", "0x02"},
        {"MARK_PARITY", "0x03"},
        {"SPACE_PARITY", "0x04"},
        {"FIVE_DATA_BITS", "0x00"},
        {"SIX_DATA_BITS", "0x01"},
        {"SEVEN_DATA_BITS", "0x02"},
        {"EIGHT_DATA_BITS", "0x03"},
        {"ONE_STOP_BIT", "0x00"},
        {"TWO_STOP_BITS", "0x01"},
        {"PH1_POLLO", "0x00"},
        {"PH1_POLHI", "0x01"},
        {"PH2_POLLO", "0x02"},
        {"PH2_POLHI", "0x03"},
        {"SPI_WRITE", "0x00"},
        {"SPI_READ", "0x01"},
        {"SPI_WRITEREAD", "0x02"},
        {"SMBUS_FUNC_WRITE", "0x00"},
        {"SMBUS_FUNC_READ", "0x01"},
        {"GPIO_LO_ADDR", "0x90"},
        {"GPIO_HI_ADDR", "0xA0"},
    };
    EXPECT_EQ(Defines(header, "0x[0-9A-F]{2}"), constants);

    std::map<std::string, std::string> registers = {{"GPIO_LO", "GPIO_LO_ADDR"},
                                                    {"GPIO_HI", "GPIO_HI_ADDR"},
                                                    {"SP", "0x81"},
                                                    {"DPL", "0x82"},
                                                    {"DPH", "0x83"},
                                                    {"PSW", "0xD0"},
                                                    {"ACC", "0xE0"},
                                                    {"B", "0xF0"}};
    for (int pin = 0; pin < 16; ++pin)
        registers["GPIO" + std::to_string(pin)] =
            (pin < 8 ? "GPIO_LO_ADDR " : "GPIO_HI_ADDR ") + std::to_string(pin % 8);
    std::map<std::string, std::string> declared;
    const std::regex declaration(R"(\n(SFR|SBIT) \((\w+), (\w+)(?:, (\d))?\);)");
    for (auto it = std::sregex_iterator(header.begin(), header.end(), declaration); it != std::sregex_iterator(); ++it)
        declared[(*it)[2]] = (*it)[3].str() + ((*it)[4].matched ? " " + (*it)[4].str() : "");
    EXPECT_EQ(declared, registers);
}

// Section name -> its one setting line, in file order.
std::vector<std::pair<std::string, std::string>> Sections(const std::string& workspace)
{
    std::vector<std::pair<std::string, std::string>> sections;
    const std::regex section(R"(\[([^\]\r\n]+)\]\r\n([^\r\n]*)\r\n)");
    for (auto it = std::sregex_iterator(workspace.begin(), workspace.end(), section); it != std::sregex_iterator();
         ++it)
        sections.emplace_back((*it)[1], (*it)[2]);
    return sections;
}

std::string Setting(const std::vector<std::pair<std::string, std::string>>& sections, const std::string& name)
{
    for (const auto& [section, line] : sections)
        if (section == "WorkState_v1_1." + name)
            return line;
    return "<missing " + name + ">";
}

// The entries of a list: the lines of name.FileName, name.FileName.FileName ...
std::vector<std::string> List(const std::vector<std::pair<std::string, std::string>>& sections, std::string name)
{
    std::vector<std::string> entries;
    for (;;) {
        name += ".FileName";
        const std::string line = Setting(sections, name);
        if (line.starts_with("<missing"))
            return entries;
        entries.push_back(line.substr(line.find('=') + 1));
    }
}

TEST(Workspaces, HoldTheToolSettingsFilesAndChipAddressesOfTheirToolchain)
{
    struct Expected {
        int toolchain;
        std::string file, assembler, assFlag, compiler, compFlag, linker, linkFlagKR7611, linkFlagKR7610, ext;
    };
    const std::string keilKR7611 = "CO(2600H, ?CO?KR761X_USB_DESCRIPTOR(0x2683), ?CO?KR761X_CONFIGURATION(0xF9EE))";
    const std::string keilKR7610 = "CO(0000H, ?CO?KR761X_USB_DESCRIPTOR(0x0000), ?CO?KR761X_CONFIGURATION(0x0000))";
    const std::string sdccKR7610 =
        "LinkFlag=--debug --use-stdout -V --code-loc 0x2400 --xram-loc 0x200 --data-loc 0x4A -Wl -bBSEG=0x40";
    const std::string sdccKR7611 = "LinkFlag=--debug --use-stdout -V --code-loc 0x2600 --xram-loc 0x200 "
                                   "--data-loc 0x4A --idata-loc 0x4A -Wl-bBSEG=0x40 -Wl-bGSINIT0=0x2960";
    const Expected expected[] = {
        {kKeil, "KR761x_Keil.wsp", "Assembler=C:\\Keil\\C51\\BIN\\A51.EXE", "AssFlag=XR GEN DB EP NOMOD51",
         "Compiler=C:\\Keil\\C51\\BIN\\c51.exe", "CompFlag=DB OE BR", "Linker=C:\\Keil\\C51\\BIN\\BL51.EXE",
         "LinkFlag=RS(256) PL(68) PW(78) DA(4AH) BI(40H) XD(200H) " + keilKR7611,
         "LinkFlag=RS(256) PL(68) PW(78) DA(4AH) BI(40H) XD(200H) " + keilKR7610, "CExt=.obj"},
        {kRaisonance, "KR761x_Raisonance.wsp", "Assembler=c:\\RIDE\\BIN\\ma51.exe", "AssFlag=DEBUG EP",
         "Compiler=c:\\RIDE\\BIN\\rc51.exe", "CompFlag=DB OE QUIET PATHINCLUDE(C:\\Ride\\Inc)",
         "Linker=c:\\RIDE\\BIN\\lx51.exe", "LinkFlag=DL DP DS RS(256) DT(4AH) BI(40H) XD(200H) " + keilKR7611,
         "LinkFlag=DL DP DS RS(256) DT(4AH) BI(40H) XD(200H) " + keilKR7610, "CExt=.obj"},
        {kSdcc, "KR761x_SDCC.wsp", "Assembler=c:\\Program Files\\SDCC\\BIN\\ASX8051.EXE", "AssFlag=-plosgff",
         "Compiler=c:\\Program Files\\SDCC\\BIN\\SDCC.EXE", "CompFlag=-c --debug --use-stdout -V",
         "Linker=c:\\Program Files\\SDCC\\BIN\\SDCC.EXE", sdccKR7611, sdccKR7610, "CExt=.rel"},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.file);
        // SDCC projects carry their own start-up as a C file.
        std::vector<std::string> cFiles = {"KR761x_Configuration.c", "KR761x_Main.c", "KR761x_USB_Descriptor.c"};
        if (e.toolchain == kSdcc)
            cFiles.push_back("KR761x_Startup.c");
        for (int chip : {kKR7610, kKR7611}) {
            test::TempDir dir;
            ConfigurationSettings settings;
            settings.project.toolchain = e.toolchain;
            settings.project.projectPath = dir.folder();
            settings.device.deviceSel = chip;
            std::u16string error;
            ASSERT_TRUE(GenerateProject(settings, error));
            const std::string workspace = test::ReadBytes(dir / e.file);
            const auto sections = Sections(workspace);
            ASSERT_FALSE(sections.empty());

            EXPECT_EQ(sections.front(), (std::pair<std::string, std::string>{"WorkState_v1_1", "Version=1.1"}));
            EXPECT_EQ(Setting(sections, "WorkSpaceName"), "WorkSpaceName=" + dir.path().string() + "/" + e.file);
            EXPECT_EQ(Setting(sections, "LinkFlag"), chip == kKR7611 ? e.linkFlagKR7611 : e.linkFlagKR7610);
            // Keil moves the KR7611's interrupt vectors to the application start.
            const std::string compFlag =
                e.compFlag + (e.toolchain == kKeil && chip == kKR7611 ? " INTVECTOR(0x2600)" : "");
            for (const std::string& line : {e.assembler, e.assFlag, e.compiler, compFlag, e.linker, e.ext,
                                            std::string("OutputFile=KR761x_Image")})
                EXPECT_EQ(Setting(sections, line.substr(0, line.find('='))), line);

            const std::string object = e.toolchain == kSdcc ? ".rel" : ".obj";
            std::vector<std::string> links;
            if (e.toolchain != kSdcc)
                links.push_back("STARTUP.obj");
            for (const std::string& c : cFiles)
                links.push_back(c.substr(0, c.size() - 2) + object);
            EXPECT_EQ(List(sections, "AFiles"),
                      e.toolchain == kSdcc ? std::vector<std::string>{} : std::vector<std::string>{"STARTUP.A51"});
            EXPECT_EQ(List(sections, "CFiles"), cFiles);
            EXPECT_EQ(List(sections, "LFiles"), links);
            EXPECT_EQ(Setting(sections, "Folders.FolderName"), "FolderName=Header Files");
            EXPECT_EQ(List(sections, "Folders.FolderName"),
                      (std::vector<std::string>{"KR761x_Buffer_Struct.h", "KR761x_API.h", "KR761x_Configuration.h"}));
            EXPECT_EQ(Setting(sections, "Folders.FolderName.FolderName"), "FolderName=Source Files");
            EXPECT_EQ(List(sections, "Folders.FolderName.FolderName"), cFiles);
            // Nothing but sections of one line each.
            EXPECT_EQ(std::count(workspace.begin(), workspace.end(), '\n'), 2 * static_cast<long>(sections.size()));
        }
    }
}

TEST(StartupRoutines, EachToolchainHasItsOwnAndStartsAtTheChipsCodeOrigin)
{
    const std::regex origin(R"(\r\n +CSEG +AT +(0[0-9A-F]{4}H)\r\n)");
    for (int toolchain : {kKeil, kRaisonance}) {
        for (int chip : {kKR7610, kKR7611}) {
            const std::string startup = Generated(toolchain, chip, "STARTUP.A51");
            std::smatch match;
            ASSERT_TRUE(std::regex_search(startup, match, origin)) << startup;
            EXPECT_EQ(match[1], chip == kKR7611 ? "02600H" : "01A00H");
            EXPECT_EQ(
                std::distance(std::sregex_iterator(startup.begin(), startup.end(), origin), std::sregex_iterator()), 1);
        }
    }
    const std::string keil = Generated(kKeil, kKR7611, "STARTUP.A51");
    const std::string raisonance = Generated(kRaisonance, kKR7611, "STARTUP.A51");
    EXPECT_NE(keil, raisonance);
    EXPECT_NE(keil.find("LJMP    ?C_START"), std::string::npos);
    EXPECT_NE(raisonance.find("LJMP    main"), std::string::npos);
}

// The start-up's instructions, without labels, comments and directives, in order.
std::vector<std::string> Instructions(const std::string& startup)
{
    std::vector<std::string> out;
    std::istringstream in(startup);
    std::string line;
    while (std::getline(in, line)) {
        line = line.substr(0, line.find(';'));
        if (line.find(':') != std::string::npos)
            line = line.substr(line.find(':') + 1);
        std::istringstream words(line);
        std::string op, args;
        words >> op >> args;
        const std::set<std::string> directives = {"NAME", "RSEG", "CSEG", "DS", "DBIT", "EXTRN", "PUBLIC", "END"};
        if (!op.empty() && !directives.count(op) && line.find(" EQU ") == std::string::npos
            && line.find(" SEGMENT ") == std::string::npos)
            out.push_back(args.empty() ? op : op + " " + args);
    }
    return out;
}

// Interrupts are off from the routine's first instruction, which keeps
// whether they were on, through the clearing of RAM and the initialisation
// after it; they come back only in KR761x_Startup_Done, which main calls first.
TEST(StartupRoutines, InterruptsStayOffWhileRamIsClearedAndComeBackInMain)
{
    for (int toolchain : {kKeil, kRaisonance}) {
        SCOPED_TRACE(toolchain);
        const std::vector<std::string> code = Instructions(Generated(toolchain, kKR7611, "STARTUP.A51"));
        auto at = [&](const std::string& instruction) {
            return std::find(code.begin(), code.end(), instruction) - code.begin();
        };
        const auto save = at("JBC IE_EA,WERE_ON"), clear = at("MOV @R0,A"), keep = at("MOV INTERRUPTS_ON,C"),
                   init = at(toolchain == kKeil ? "LJMP ?C_START" : "LJMP main"), restore = at("MOV IE_EA,C");
        ASSERT_LT(restore, static_cast<long>(code.size()));
        EXPECT_EQ(code[at("LJMP CLEAR_RAM") + 1], "JBC IE_EA,WERE_ON");
        EXPECT_LT(save, clear);
        EXPECT_LT(clear, keep);
        EXPECT_LT(keep, init);
        EXPECT_LT(init, restore);
        EXPECT_EQ(code[restore - 1], "MOV C,INTERRUPTS_ON");
        EXPECT_EQ(code[restore + 1], "RET");
        for (const std::string& instruction : code)
            EXPECT_TRUE(instruction.find("IE_EA") == std::string::npos || instruction == code[save]
                        || instruction == code[restore])
                << instruction;
        const std::string main = Generated(toolchain, kKR7611, "KR761x_Main.c");
        EXPECT_NE(main.find("void KR761x_Startup_Done (void);"), std::string::npos);
        EXPECT_NE(main.find("{\r\n   UU32 SPI_clock;\r\n\r\n   //! BEGIN user code: local variables\r\n   //! END user "
                            "code: local variables\r\n\r\n   // The start-up kept interrupts off until every variable "
                            "was set up\r\n   KR761x_Startup_Done ();"),
                  std::string::npos);
    }
}

}  // namespace
}  // namespace kr
