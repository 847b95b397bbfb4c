// SPDX-License-Identifier: MIT
// Built KR7611 images run in the 8051 simulator s51 from the application
// start, with every system routine's entry answered by a RET: the start-up
// must leave the system firmware's internal RAM, the GPIO_HI port and the
// interrupt enables as it found them, clear and initialise the user's own
// variables, and main must call the system routines of its configuration in
// order with the configured parameter bytes.

#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <sstream>

#include "firmware/BuildProject.h"
#include "hid/CSourceReader.h"
#include "generator/SubstitutionValues.h"
#include "platform/Windows1252.h"
#include "sdcc/SdccSupport.h"
#include "support/RunProgram.h"

namespace kr {
namespace {

namespace fs = std::filesystem;

// The KR7611 system routines' entry points.
constexpr unsigned kEntries[] = {0x07A8, 0x09CB, 0x0B34, 0x1789, 0x1991, 0x1A07, 0x1BB1, 0x1C13, 0x1C72,
                                 0x1F57, 0x1FF3, 0x2023, 0x2248, 0x22EC, 0x239D, 0x23B3, 0x23F9, 0x2413};
constexpr unsigned kSystemInit = 0x1BB1, kGpioInit = 0x239D, kUsbInit = 0x1A07;
constexpr unsigned kParams = 0x01F1;   // KR761x_Param1 to KR761x_Param7

// Variables of every kind the start-up handles, in a file of the project's own.
constexpr const char* kExtra = "__pdata unsigned char Extra_Paged[3];\r\n"
                               "__xdata unsigned char Extra_Cleared[5];\r\n"
                               "__xdata unsigned char Extra_Initial[3] = {0x11, 0x22, 0x33};\r\n"
                               "__idata unsigned char Extra_Indirect[2];\r\n"
                               "__data unsigned char Extra_Data = 0x44;\r\n";

// What the system firmware keeps in internal RAM before the user firmware starts.
unsigned Preset(unsigned address) { return (0x5A + 7 * address) & 0xFF; }
bool SystemOwned(unsigned address) { return address < 0x28 || (address >= 0x30 && address < 0x4A); }

struct Memory {
    std::map<unsigned, unsigned> iram, xram, sfr;
};

struct Stop {
    unsigned pc = 0;
    Memory memory;
};

// The commands: load, answer the entries, preset the RAM, start at 0x2600
// and after each of four stops dump what the checks read.
std::string Script(const fs::path& image)
{
    std::ostringstream s;
    s << "load \"" << image.string() << "\"\n";
    for (unsigned entry : kEntries)
        s << "set mem rom 0x" << std::hex << entry << " 0x22\nbreak 0x" << entry << "\n";
    s << "fill iram 0x00 0xff 0xee\nfill xram 0x0000 0x03ff 0xee\n";
    for (unsigned a = 0; a < 0x4A; ++a)
        if (SystemOwned(a))
            s << "set mem iram 0x" << a << " 0x" << Preset(a) << "\n";
    s << "set mem sfr 0xa8 0x80\npc 0x2600\n";   // interrupts enabled, no source
    for (int stop = 0; stop < 4; ++stop)
        s << "run\ndump iram 0x00 0xff\ndump xram 0x0000 0x03ff\ndump sfr 0xa0 0xa0\ndump sfr 0xa8 0xa8\n";
    s << "quit\n";
    return s.str();
}

// Reads the echoed commands and their answers back into one Stop per run.
std::vector<Stop> ReadStops(const std::string& output)
{
    std::vector<Stop> stops;
    std::map<unsigned, unsigned>* target = nullptr;
    unsigned first = 0, last = 0;
    const std::regex dump(R"(^dump (iram|xram|sfr) 0x([0-9a-f]+) 0x([0-9a-f]+))");
    const std::regex stop(R"(Stop at 0x([0-9a-f]+):)");
    const std::regex data(R"(^0x([0-9a-f]+)\s+((?:[0-9a-f]{2} )+))");
    const std::regex sfrLine(R"(^0x([0-9a-f]+) \w+:\s+0b[01]+ 0x([0-9a-f]{2}))");
    std::istringstream in(output);
    std::string line;
    std::smatch m;
    while (std::getline(in, line)) {
        if (std::regex_search(line, m, stop)) {
            stops.push_back({static_cast<unsigned>(std::stoul(m[1], nullptr, 16)), {}});
            target = nullptr;
        } else if (std::regex_search(line, m, dump) && !stops.empty()) {
            Memory& memory = stops.back().memory;
            target = m[1] == "iram" ? &memory.iram : m[1] == "xram" ? &memory.xram : &memory.sfr;
            first = std::stoul(m[2], nullptr, 16);
            last = std::stoul(m[3], nullptr, 16);
        } else if (target && std::regex_search(line, m, sfrLine)) {
            (*target)[std::stoul(m[1], nullptr, 16)] = std::stoul(m[2], nullptr, 16);
        } else if (target && std::regex_search(line, m, data)) {
            unsigned address = std::stoul(m[1], nullptr, 16);
            std::istringstream bytes(m[2].str());
            std::string byte;
            // Only the dumped range: the text column after the bytes is not read.
            while (bytes >> byte && address >= first && address <= last)
                (*target)[address++] = std::stoul(byte, nullptr, 16);
        }
    }
    return stops;
}

// The address of a variable from the linker's map.
unsigned MapAddress(const std::string& map, const std::string& symbol)
{
    std::smatch m;
    if (!std::regex_search(map, m, std::regex("([0-9A-F]{8})\\s+" + symbol + "\\s")))
        return 0x10000;
    return std::stoul(m[1], nullptr, 16);
}

struct Call {
    unsigned entry;
    std::vector<unsigned> params;
};

// The calls main must make, from the configuration's keys and the words the
// generated library header defines for them.
std::vector<Call> ExpectedCalls(const ConfigurationSettings& settings, const fs::path& project)
{
    SubstitutionMap keys;
    BuildSubstitutionMap(settings, keys);
    const auto words = ReadNumericDefines(platform::DecodeWindows1252(test::ReadBytes(project / "KR761x_API.h")));
    auto word = [&](const char16_t* key) { return static_cast<unsigned>(words.at(keys.at(key))); };
    auto byte = [&](const char16_t* key) { return static_cast<unsigned>(std::stoul(platform::ToUtf8(keys.at(key)), nullptr, 16)); };
    auto le32 = [](long v) {
        return std::vector<unsigned>{unsigned(v & 0xFF), unsigned(v >> 8 & 0xFF), unsigned(v >> 16 & 0xFF), unsigned(v >> 24 & 0xFF)};
    };
    const CommunicationData& bus = settings.communication;
    Call busCall;
    if (bus.protocol == 0) {
        busCall = {0x0B34, le32(bus.spiClk)};
        busCall.params.push_back(word(u"S_SPI_CONFIG"));
    } else if (bus.protocol == 1) {
        busCall = {0x07A8, le32(bus.smbusClk)};
        busCall.params.push_back(byte(u"X2_SMBUS_ADDR"));
    } else {
        busCall = {0x09CB, le32(bus.uartBaudRate)};
        for (const char16_t* key : {u"S_UART_BITS", u"S_UART_PARITY", u"S_UART_STOP"})
            busCall.params.push_back(word(key));
    }
    return {{kSystemInit, {word(u"S_REG"), word(u"S_OSC")}},
            {kGpioInit, {byte(u"X2_MODE70"), byte(u"X2_MODE158"), byte(u"X2_LATCH70"), byte(u"X2_LATCH158")}},
            busCall,
            {kUsbInit, {word(u"S_DEFAULT_MODE")}}};
}

struct Configuration {
    std::string name;
    std::function<void(ConfigurationSettings&)> apply;
};

const Configuration kConfigurations[] = {
    {"SpiDefaults", [](ConfigurationSettings&) {}},
    {"UartSelfPoweredFastOscillator",
     [](ConfigurationSettings& s) {
         s.device.oscillator = 1;
         s.device.powerMode = 1;
         s.device.defaultInputMode = 1;
         s.communication.protocol = 2;
         s.communication.uartBaudRate = 460800;
         s.communication.uartDataBits = 1;
         s.communication.uartParity = 4;
         s.communication.uartStopBits = 1;
         s.gpio.modes = {2, 1, 0, 2, 2, 0, 1, 2, 2, 2, 0, 2, 1, 2, 2, 2};
         s.gpio.values = {0, 0, 1, 1, 0, 1, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0};
     }},
    {"SmbusRegulatorOff",
     [](ConfigurationSettings& s) {
         s.device.powerMode = 1;
         s.device.bEnableRegulator = 0;
         s.communication.protocol = 1;
         s.communication.smbusClk = 400000;
         s.communication.smbusAddress = 0xFE;
     }},
};

class Simulator : public ::testing::TestWithParam<Configuration> {};

TEST_P(Simulator, StartUpKeepsTheSystemsRamAndMainMakesTheConfiguredCalls)
{
    test::TempDir dir;
    ConfigurationSettings settings;
    GetParam().apply(settings);
    test::GenerateSdccProject(settings, dir);
    test::WriteBytes(dir / "Extra.c", kExtra);
    firmware::BuildResult result;
    ASSERT_TRUE(firmware::BuildSdccProject(dir.folder(), result))
        << result.toolOutput << platform::ToUtf8(result.errorText);

    test::WriteBytes(dir / "run.s51", Script(dir / "KR761x_Image.ihx"));
    const test::ProgramResult run = test::RunProgram(
        {"timeout", "60", KR_S51_PROGRAM, "-t", "8052", "-b", "-C", (dir / "run.s51").string()});
    const std::vector<Stop> stops = ReadStops(run.out + run.err);
    ASSERT_EQ(stops.size(), 4u) << run.out << run.err;

    // The start-up, as main's first call finds it.
    const Memory& at = stops[0].memory;
    for (unsigned a = 0; a < 0x100; ++a) {
        if (!SystemOwned(a))
            continue;
        EXPECT_EQ(at.iram.at(a), Preset(a)) << "internal RAM 0x" << std::hex << a;
    }
    for (unsigned a = 0x28; a < 0x30; ++a)
        EXPECT_EQ(at.iram.at(a), 0u) << "bit byte 0x" << std::hex << a;
    EXPECT_EQ(at.sfr.at(0xA0), 0xFFu) << "GPIO_HI written";
    EXPECT_EQ(at.sfr.at(0xA8), 0x80u) << "interrupt enable not restored";
    const std::string map = test::ReadBytes(dir / "KR761x_Image.map");
    const unsigned data = MapAddress(map, "_Extra_Data"), indirect = MapAddress(map, "_Extra_Indirect");
    EXPECT_GE(data, 0x4Au);
    EXPECT_GE(indirect, 0x4Au);
    EXPECT_EQ(at.iram.at(data), 0x44u);
    EXPECT_EQ(test::BytesAt(at.iram, indirect, 2), std::vector<unsigned>(2, 0));
    EXPECT_EQ(test::BytesAt(at.xram, MapAddress(map, "_Extra_Paged"), 3), std::vector<unsigned>(3, 0));
    EXPECT_EQ(test::BytesAt(at.xram, MapAddress(map, "_Extra_Cleared"), 5), std::vector<unsigned>(5, 0));
    EXPECT_EQ(test::BytesAt(at.xram, MapAddress(map, "_Extra_Initial"), 3), (std::vector<unsigned>{0x11, 0x22, 0x33}));

    // The system routines main calls, in order, with their parameter bytes.
    const std::vector<Call> calls = ExpectedCalls(settings, dir.path());
    for (std::size_t i = 0; i < calls.size(); ++i) {
        SCOPED_TRACE("call " + std::to_string(i));
        EXPECT_EQ(stops[i].pc, calls[i].entry);
        EXPECT_EQ(test::BytesAt(stops[i].memory.xram, kParams, calls[i].params.size()), calls[i].params);
    }
}

INSTANTIATE_TEST_SUITE_P(Kr7611, Simulator, ::testing::ValuesIn(kConfigurations),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace kr
