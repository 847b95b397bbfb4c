// SPDX-License-Identifier: MIT
// The firmware interface as each toolchain's compiler sees it: the generated
// main program run through the C preprocessor with that compiler's
// predefined macro, so that the section of compiler_defs.h it selects is the
// one that expands the call macros, shared variables and flags.

#include <gtest/gtest.h>

#include <map>
#include <regex>

#include "generator/GenerateProject.h"
#include "platform/Utf.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"
#include "tests/SdccTools.h"

namespace kr {
namespace {

enum Toolchain { kKeil = 0, kRaisonance = 1, kSdcc = 2 };

const char* PredefinedMacro(int toolchain)
{
    return toolchain == kKeil ? "-D__C51__" : toolchain == kRaisonance ? "-D__RC51__" : "-D__SDCC";
}

// The generated KR761x_Main.c after preprocessing, one statement per line.
std::string PreprocessedMain(ConfigurationSettings settings, int toolchain)
{
    test::TempDir dir;
    settings.project.toolchain = toolchain;
    settings.project.projectPath = dir.folder();
    std::u16string error;
    EXPECT_TRUE(GenerateProject(settings, error)) << platform::ToUtf8(error);
    const test::ProgramResult result = test::RunProgram(
        {KR_HOST_PREPROCESSOR, "-E", "-P", "-x", "c", PredefinedMacro(toolchain), (dir / "KR761x_Main.c").string()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    return result.out;
}

// One call into the system firmware: the parameters stored, then the address.
struct MacroCall {
    unsigned address;
    std::vector<std::string> parameters;  // Param1 first
    bool operator==(const MacroCall&) const = default;
};

std::ostream& operator<<(std::ostream& out, const MacroCall& call)
{
    out << std::hex << "0x" << call.address << "(";
    for (const auto& p : call.parameters)
        out << p << ";";
    return out << ")";
}

std::vector<MacroCall> CallsOfMain(const std::string& text)
{
    const std::string body = text.substr(text.find("void main (void)"));
    const std::regex step(
        R"(KR761x_Param(\d) = (.*?);|\(\(void \((?:code )?\*\) \(void\)\) \((0x[0-9A-F]{4})\)\) \(\);)");
    std::vector<MacroCall> calls;
    MacroCall pending{};
    for (auto it = std::sregex_iterator(body.begin(), body.end(), step); it != std::sregex_iterator(); ++it) {
        const std::smatch& m = *it;
        if (m[1].matched) {
            EXPECT_EQ(std::stoul(m[1].str()), pending.parameters.size() + 1) << "parameters out of order";
            pending.parameters.push_back(m[2].str());
        } else {
            pending.address = std::stoul(m[3].str(), nullptr, 16);
            calls.push_back(pending);
            pending = {};
        }
    }
    return calls;
}

// "(local).U8[i]" for the four bytes of a 32-bit argument, least significant first.
std::vector<std::string> BytesOf(const std::string& local, int toolchain)
{
    std::vector<std::string> bytes;
    for (int i = 0; i < 4; ++i)
        bytes.push_back("(" + local + ").U8[" + std::to_string(toolchain == kSdcc ? i : 3 - i) + "]");
    return bytes;
}

std::vector<std::string> Then(std::vector<std::string> first, std::initializer_list<std::string> more)
{
    first.insert(first.end(), more);
    return first;
}

TEST(CallMacros, StoreTheConfiguredArgumentsLowByteFirstAndCallTheChipsEntryPoints)
{
    ConfigurationSettings uart;
    uart.device.powerMode = 1;  // SELFPOW_VREGON 0x02
    uart.device.oscillator = 1;  // OSC_48 0x00
    uart.device.defaultInputMode = 1;  // ENUM_SINGLE_POINT_MODE 0x01
    uart.communication.protocol = 2;
    uart.communication.uartBaudRate = 500000;
    uart.communication.uartDataBits = 1;  // SIX_DATA_BITS 0x01
    uart.communication.uartParity = 2;  // EVEN_PARITY 0x02
    uart.communication.uartStopBits = 1;  // TWO_STOP_BITS 0x01
    uart.gpio.modes[0] = uart.gpio.modes[9] = 2;
    uart.gpio.values[3] = 0;

    for (int toolchain : {kKeil, kRaisonance, kSdcc}) {
        SCOPED_TRACE(toolchain);
        const std::string text = PreprocessedMain(uart, toolchain);
        EXPECT_NE(text.find("UART_baud.U32 = 500000;"), std::string::npos);
        EXPECT_EQ(CallsOfMain(text),
                  (std::vector<MacroCall>{
                      {0x1BB1, {"(0x02)", "(0x00)"}},
                      {0x239D, {"(0x01)", "(0x02)", "(0xF7)", "(0xFF)"}},
                      {0x09CB, Then(BytesOf("UART_baud", toolchain), {"(0x01)", "(0x02)", "(0x01)"})},
                      {0x1A07, {"(0x01)"}},
                      {0x1789, {}},
                  }));
    }

    ConfigurationSettings spi;
    spi.device.deviceSel = 0;  // KR7610: every entry point at 0x0000
    spi.communication.spiPha = 1;
    spi.communication.spiPol = 1;
    ConfigurationSettings smbus;
    smbus.communication.protocol = 1;
    smbus.communication.smbusAddress = 0x5A;
    for (int toolchain : {kKeil, kSdcc}) {
        SCOPED_TRACE(toolchain);
        std::vector<MacroCall> calls = CallsOfMain(PreprocessedMain(spi, toolchain));
        ASSERT_EQ(calls.size(), 5u);
        EXPECT_EQ(calls[2], (MacroCall{0x0000, Then(BytesOf("SPI_clock", toolchain), {"(0x03)"})}));
        for (const MacroCall& call : calls)
            EXPECT_EQ(call.address, 0x0000u);

        calls = CallsOfMain(PreprocessedMain(smbus, toolchain));
        ASSERT_EQ(calls.size(), 5u);
        EXPECT_EQ(calls[2], (MacroCall{0x07A8, Then(BytesOf("SMBus_clock", toolchain), {"(0x5A)"})}));
    }
}

// name -> absolute bit number (0x00 is bit 0 of byte 0x20), from the flag
// declarations of one toolchain's preprocessed main program.
std::map<std::string, unsigned> FlagBits(const std::string& text, int toolchain)
{
    std::map<std::string, unsigned> bits;
    std::smatch m;
    if (toolchain == kKeil) {
        std::map<std::string, unsigned> bytes;
        const std::regex byte(R"(U8 bdata (\w+) _at_ 0x([0-9A-F]{2});)");
        for (auto it = std::sregex_iterator(text.begin(), text.end(), byte); it != std::sregex_iterator(); ++it)
            bytes[(*it)[1]] = std::stoul((*it)[2].str(), nullptr, 16);
        const std::regex bit(R"(sbit (KR761x_\w+) = (\w+) \^ (\d);)");
        for (auto it = std::sregex_iterator(text.begin(), text.end(), bit); it != std::sregex_iterator(); ++it) {
            EXPECT_TRUE(bytes.count((*it)[2])) << (*it)[0];
            bits[(*it)[1]] = (bytes[(*it)[2]] - 0x20) * 8 + std::stoul((*it)[3]);
        }
        return bits;
    }
    const std::regex bit(toolchain == kSdcc ? R"(__bit __at \(0x([0-9A-F]{2})\) (\w+);)"
                                            : R"(at 0x([0-9A-F]{2}) bit (\w+);)");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), bit); it != std::sregex_iterator(); ++it)
        bits[(*it)[2]] = std::stoul((*it)[1].str(), nullptr, 16);
    return bits;
}

// name -> "space address" of the shared variables.
std::map<std::string, std::string> SharedVariables(const std::string& text, int toolchain)
{
    // Volatile everywhere: the system firmware writes them behind the user
    // code's back.
    const std::regex declaration(
        toolchain == kKeil         ? R"(volatile U8 (xdata|pdata) (\w+)(?:\[\d+\])? _at_ (0x[0-9A-F]{4});)"
        : toolchain == kRaisonance ? R"(at (0x[0-9A-F]{4}) (xdata|pdata) volatile U8 (\w+)(?:\[\d+\])?;)"
                                   : R"(__(xdata|pdata) __at \((0x[0-9A-F]{4})\) volatile U8 (\w+)(?:\[\d+\])?;)");
    std::map<std::string, std::string> variables;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), declaration); it != std::sregex_iterator(); ++it) {
        const std::smatch& m = *it;
        if (toolchain == kKeil)
            variables[m[2]] = m[1].str() + " " + m[3].str();
        else if (toolchain == kRaisonance)
            variables[m[3]] = m[2].str() + " " + m[1].str();
        else
            variables[m[3]] = m[1].str() + " " + m[2].str();
    }
    return variables;
}

TEST(SharedWithTheSystemFirmware, EveryToolchainPlacesTheSameVariablesAndFlags)
{
    const std::map<std::string, unsigned> flags = {
        {"KR761x_USB_Touch_Send_Pending", 0x00},
        {"KR761x_USB_Mouse_Send_Pending", 0x01},
        {"KR761x_USB_Pen_Send_Pending", 0x02},
        {"KR761x_UART_RX_Data_Ready", 0x03},
        {"KR761x_USB_Enter_Suspend", 0x04},
        {"KR761x_Reserved1", 0x05},
        {"KR761x_Reserved2", 0x06},
        {"KR761x_Reserved3", 0x07},
        {"KR761x_Mouse_Mode", 0x08},
        {"KR761x_SingleTouch_Mode", 0x09},
        {"KR761x_MultiTouch_Mode", 0x0A},
        {"KR761x_SinglePen_Mode", 0x0B},
        {"KR761x_MultiPen_Mode", 0x0C},
        {"KR761x_USB_Control_Write", 0x10},
        {"KR761x_USB_Control_Read", 0x11},
        {"KR761x_USB_Control_Data_Ready", 0x12},
    };
    std::map<std::string, std::string> variables = {
        {"KR761x_Status", "xdata 0x01F0"},         {"KR761x_Counter", "xdata 0x01F8"},
        {"KR761x_Counter_Status", "xdata 0x01F9"}, {"Comm_Rx_Buffer", "xdata 0x0000"},
        {"Comm_Tx_Buffer", "xdata 0x0080"},        {"USB_Position_Buffer", "xdata 0x0100"},
        {"USB_Control_Buffer", "xdata 0x0140"},
    };
    for (int i = 1; i <= 7; ++i)
        variables["KR761x_Param" + std::to_string(i)] = "xdata 0x01F" + std::to_string(i);

    for (int toolchain : {kKeil, kRaisonance, kSdcc}) {
        SCOPED_TRACE(toolchain);
        const std::string text = PreprocessedMain(ConfigurationSettings{}, toolchain);
        EXPECT_EQ(FlagBits(text, toolchain), flags);
        EXPECT_EQ(SharedVariables(text, toolchain), variables);
        // Only Keil reaches the flags through bytes of its own.
        EXPECT_EQ(text.find("KR761x_System_Flags") != std::string::npos, toolchain == kKeil);
    }
    EXPECT_NE(
        PreprocessedMain(ConfigurationSettings{}, kKeil).find("volatile U8 bdata KR761x_Control_Flags _at_ 0x22;"),
        std::string::npos);
    EXPECT_NE(PreprocessedMain(ConfigurationSettings{}, kSdcc)
                  .find("volatile __bit __at (0x00) KR761x_USB_Touch_Send_Pending;"),
              std::string::npos);
}

TEST(ByteOrder, SdccStoresTheLeastSignificantByteAtTheIndexNamedB0)
{
    test::TempDir dir;
    ConfigurationSettings settings;
    settings.project.toolchain = kSdcc;
    settings.project.projectPath = dir.folder();
    std::u16string error;
    ASSERT_TRUE(GenerateProject(settings, error));
    test::WriteBytes(dir / "probe.c", "#include \"compiler_defs.h\"\n"
                                      "__code UU32 probe = { 0x44332211 };\n"
                                      "__code U8 index32[4] = { b0, b1, b2, b3 };\n"
                                      "__code U8 index16[2] = { LSB, MSB };\n");
    const test::ProgramResult result = test::RunProgram(
        {KR_SDCC_PROGRAM, "-mmcs51", "-c", (dir / "probe.c").string(), "-o", dir.path().string() + "/"});
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    const std::string assembly = test::ReadBytes(dir / "probe.asm");

    // probe's bytes in memory order, then b0..b3 and LSB, MSB as compiled.
    EXPECT_NE(assembly.find("_probe:\n\t.byte #0x11, #0x22, #0x33, #0x44"), std::string::npos) << assembly;
    EXPECT_NE(assembly.find("_index32:\n\t.db #0x00\t; 0\n\t.db #0x01\t; 1\n\t.db #0x02\t; 2\n\t.db #0x03\t; 3"),
              std::string::npos);
    EXPECT_NE(assembly.find("_index16:\n\t.db #0x00\t; 0\n\t.db #0x01\t; 1"), std::string::npos);
}

TEST(ByteOrder, ReportValuesAreStoredLowByteFirstUnderEveryCompilersDefinitions)
{
    // The report structures and the store macro compiled for this machine
    // with each compiler's section of the portability header: whatever byte
    // order that section gives UU16, the report holds the low byte first.
    test::TempDir dir;
    ConfigurationSettings settings;
    settings.pen.bPen = settings.pen.bPressure = 1;
    settings.project.toolchain = kKeil;
    settings.project.projectPath = dir.folder();
    std::u16string error;
    ASSERT_TRUE(GenerateProject(settings, error));
    test::WriteBytes(dir / "store.c",
                     "#include \"compiler_defs.h\"\n#include \"KR761x_Buffer_Struct.h\"\n#include <stdio.h>\n"
                     "int main (void)\n{\n   Pen_Report report;\n   unsigned x = 0x1234;\n"
                     "   STORE_REPORT_U16 (report.Pressure, x);\n   STORE_REPORT_U16 (report.Y, 0xABCD);\n"
                     "   printf (\"%02X %02X %02X %02X\", report.Pressure.U8[0], report.Pressure.U8[1], "
                     "report.Y.U8[0], report.Y.U8[1]);\n   return 0;\n}\n");
    for (int toolchain : {kKeil, kRaisonance, kSdcc}) {
        SCOPED_TRACE(toolchain);
        const std::string program = (dir / ("store" + std::to_string(toolchain))).string();
        const test::ProgramResult build = test::RunProgram(
            {KR_HOST_PREPROCESSOR, "-x", "c", PredefinedMacro(toolchain), (dir / "store.c").string(), "-o", program});
        ASSERT_EQ(build.exitCode, 0) << build.out << build.err;
        EXPECT_EQ(test::RunProgram({program}).out, "34 12 CD AB");
    }
}

}  // namespace
}  // namespace kr
