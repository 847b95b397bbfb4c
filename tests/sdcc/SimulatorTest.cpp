// SPDX-License-Identifier: MIT
// Built KR7611 images run in the 8051 simulator s51 from the application
// start, with every system routine's entry answered by a RET and each
// interrupt vector of the chip passed on to the application's, as the system
// firmware does: the start-up must leave the system firmware's internal RAM,
// the GPIO_HI port and the interrupt enables as it found them, clear and
// initialise the user's own variables whenever an interrupt comes, and main
// must call the system routines of its configuration in order with the
// configured parameter bytes; user code reaches the shared buffers at their
// addresses whatever GPIO_HI holds, and stores a report value read once.

#include <gtest/gtest.h>

#include <functional>
#include <numeric>
#include <regex>
#include <sstream>

#include "firmware/BuildProject.h"
#include "simulation/SimulatorCommands.h"
#include "hid/CSourceReader.h"
#include "generator/SubstitutionValues.h"
#include "platform/Windows1252.h"
#include "sdcc/SdccSupport.h"
#include "support/RunProgram.h"
#include "tests/SdccTools.h"

namespace kr {
namespace {

namespace fs = std::filesystem;

// The KR7611 system routines' entry points.
constexpr unsigned kEntries[] = {0x07A8, 0x09CB, 0x0B34, 0x1789, 0x1991, 0x1A07, 0x1BB1, 0x1C13, 0x1C72,
                                 0x1F57, 0x1FF3, 0x2023, 0x2248, 0x22EC, 0x239D, 0x23B3, 0x23F9, 0x2413};
constexpr unsigned kSystemInit = 0x1BB1, kGpioInit = 0x239D, kUsbInit = 0x1A07;
constexpr unsigned kParams = 0x01F1;  // KR761x_Param1 to KR761x_Param7

// Variables of every kind the start-up handles, in a file of the project's
// own, and what the user code of the tests below calls.
constexpr const char* kExtra =
    "#include \"compiler_defs.h\"\r\n"
    "__xdata unsigned char Extra_Cleared[5];\r\n"
    "__xdata unsigned char Extra_Initial[3] = {0x11, 0x22, 0x33};\r\n"
    "__idata unsigned char Extra_Indirect[2];\r\n"
    "__data unsigned char Extra_Data = 0x44;\r\n"
    "__xdata U8 Extra_Initial32[32] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16,"
    " 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32};\r\n"
    "volatile __data U8 Ticks;\r\n"
    "void Tick (void) __interrupt (1) { Ticks++; }\r\n"
    "__data U8 Samples;\r\n"
    "__xdata UU16 Sampled;\r\n"
    "U16 NextSample (void) { return ++Samples == 1 ? 0x1234 : 0x5678; }\r\n"
    "void Probe (void) { }\r\n";

// What main's user code does before it calls Probe.
constexpr const char* kDeclarations = "extern __xdata UU16 Sampled;\r\nU16 NextSample (void);\r\nvoid Probe (void);\r\n"
                                      "void Tick (void) __interrupt (1);\r\n";
constexpr const char* kStartUpCode = "   Comm_Rx_Buffer[1] = 0x5A;\r\n   Comm_Tx_Buffer[3] = 0xA5;\r\n"
                                     "   STORE_REPORT_U16 (Sampled, NextSample ());\r\n   Probe ();\r\n";

// What the system firmware keeps in internal RAM before the user firmware starts.
unsigned Preset(unsigned address)
{
    return (0x5A + 7 * address) & 0xFF;
}
bool SystemOwned(unsigned address)
{
    return address < 0x28 || (address >= 0x30 && address < 0x4A);
}

struct Memory {
    std::map<unsigned, unsigned> iram, xram, sfr;
};

struct Stop {
    unsigned pc = 0;
    Memory memory;
};

// The commands: load, answer the entries, pass the interrupt vectors on,
// preset the RAM, start at 0x2600 with the timer set up as setup says, and
// after each stop (a system call or probe) dump what the checks read.
std::string SimulatorScript(const fs::path& image, int stops, const std::string& setup, unsigned probe = 0)
{
    std::ostringstream s;
    s << simulation::SimulatorSetUp(image.string(), {std::begin(kEntries), std::end(kEntries)}, true) << std::hex;
    for (unsigned entry : kEntries)
        s << "break 0x" << entry << "\n";
    if (probe)
        s << "break 0x" << probe << "\n";
    s << "fill iram 0x00 0xff 0xee\nfill xram 0x0000 0x03ff 0xee\n";
    for (unsigned a = 0; a < 0x4A; ++a)
        if (SystemOwned(a))
            s << "set mem iram 0x" << a << " 0x" << Preset(a) << "\n";
    s << setup << "pc 0x2600\n";
    for (int stop = 0; stop < stops; ++stop)
        s << "run\ndump iram 0x00 0xff\ndump xram 0x0000 0x03ff\ndump sfr 0xa0 0xa0\ndump sfr 0xa8 0xa8\n";
    s << "quit\n";
    return s.str();
}

// Interrupts enabled at entry, no source.
constexpr const char* kInterruptsOn = "set mem sfr 0xa8 0x80\n";

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
    auto byte = [&](const char16_t* key) {
        return static_cast<unsigned>(std::stoul(platform::ToUtf8(keys.at(key)), nullptr, 16));
    };
    auto le32 = [](long v) {
        return std::vector<unsigned>{unsigned(v & 0xFF), unsigned(v >> 8 & 0xFF), unsigned(v >> 16 & 0xFF),
                                     unsigned(v >> 24 & 0xFF)};
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

// Generates and builds a project with the test's own file and the main
// program's declarations of what it defines.
void BuildWithExtra(const ConfigurationSettings& settings, const test::TempDir& dir)
{
    test::GenerateSdccProject(settings, dir);
    test::WriteBytes(dir / "Extra.c", kExtra);
    test::AddToMainProgram(dir, kDeclarations);
    firmware::BuildResult result;
    ASSERT_TRUE(firmware::BuildSdccProject(dir.folder(), result))
        << result.toolOutput << platform::ToUtf8(result.errorText);
}

std::vector<Stop> Simulate(const test::TempDir& dir, const std::string& script)
{
    test::WriteBytes(dir / "run.s51", script);
    const test::ProgramResult run =
        test::RunProgram({"timeout", "60", KR_S51_PROGRAM, "-t", "8052", "-b", "-C", (dir / "run.s51").string()});
    std::vector<Stop> stops = ReadStops(run.out + run.err);
    if (stops.empty())
        ADD_FAILURE() << run.out << run.err;
    return stops;
}

void ExpectTheSystemsRamKept(const Memory& at)
{
    for (unsigned a = 0; a < 0x100; ++a) {
        if (SystemOwned(a)) {
            EXPECT_EQ(at.iram.at(a), Preset(a)) << "internal RAM 0x" << std::hex << a;
        }
    }
}

class Simulator : public ::testing::TestWithParam<Configuration> {};

TEST_P(Simulator, StartUpKeepsTheSystemsRamAndMainMakesTheConfiguredCalls)
{
    test::TempDir dir;
    ConfigurationSettings settings;
    GetParam().apply(settings);
    BuildWithExtra(settings, dir);
    const std::vector<Stop> stops = Simulate(dir, SimulatorScript(dir / "KR761x_Image.ihx", 4, kInterruptsOn));
    ASSERT_EQ(stops.size(), 4u);

    // The start-up, as main's first call finds it.
    const Memory& at = stops[0].memory;
    ExpectTheSystemsRamKept(at);
    // The user's bits are cleared, but the one that kept EA for main: the
    // only bit of the bit segment here.
    const std::string map = test::ReadBytes(dir / "KR761x_Image.map");
    const unsigned kept = MapAddress(map, "s_BSEG");
    ASSERT_EQ(kept, 0x40u);
    for (unsigned a = 0x28; a < 0x30; ++a)
        EXPECT_EQ(at.iram.at(a), a == 0x20 + kept / 8 ? 1u << kept % 8 : 0u) << "bit byte 0x" << std::hex << a;
    EXPECT_EQ(at.sfr.at(0xA0), 0xFFu) << "GPIO_HI written";
    EXPECT_EQ(at.sfr.at(0xA8), 0x80u) << "interrupt enable not restored";
    const unsigned data = MapAddress(map, "_Extra_Data"), indirect = MapAddress(map, "_Extra_Indirect");
    EXPECT_GE(data, 0x4Au);
    EXPECT_GE(indirect, 0x4Au);
    EXPECT_EQ(at.iram.at(data), 0x44u);
    EXPECT_EQ(test::BytesAt(at.iram, indirect, 2), std::vector<unsigned>(2, 0));
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

// A timer interrupt falls due at many points of the start-up (its XRAM copy
// and clears included): it is held until the variables are set up, then
// taken, and the initialised XRAM arrives whole.
TEST(SimulatedStartUp, AnInterruptDueAnywhereWaitsAndTheInitialValuesArriveWhole)
{
    test::TempDir dir;
    BuildWithExtra({}, dir);
    const std::string map = test::ReadBytes(dir / "KR761x_Image.map");
    const unsigned initial = MapAddress(map, "_Extra_Initial32"), ticks = MapAddress(map, "_Ticks");
    std::vector<unsigned> values(32);
    std::iota(values.begin(), values.end(), 1u);

    for (unsigned cycles : {5u, 15u, 30u, 60u, 90u, 120u, 200u, 300u, 450u, 700u, 1000u, 1400u, 1800u}) {
        SCOPED_TRACE("timer overflow after " + std::to_string(cycles) + " cycles");
        const unsigned count = 0x10000 - cycles;
        std::ostringstream setup;  // timer 0 in mode 1, running, its interrupt and EA enabled
        setup << std::hex << "set mem sfr 0x89 0x01\nset mem sfr 0x8c 0x" << (count >> 8) << "\nset mem sfr 0x8a 0x"
              << (count & 0xFF) << "\nset mem sfr 0x88 0x10\nset mem sfr 0xa8 0x82\n";
        const std::vector<Stop> stops = Simulate(dir, SimulatorScript(dir / "KR761x_Image.ihx", 1, setup.str()));
        ASSERT_EQ(stops.size(), 1u);
        const Memory& at = stops[0].memory;
        EXPECT_EQ(test::BytesAt(at.xram, initial, 32), values);
        EXPECT_EQ(at.iram.at(ticks), 1u) << "the interrupt was lost, or taken before the variables were set up";
        EXPECT_EQ(at.sfr.at(0xA8), 0x82u);
        ExpectTheSystemsRamKept(at);
    }
}

// User code in the start-up region, with GPIO_HI at 0xFF: the shared buffers
// are written at their own addresses, and a report value is read once and
// stored low byte first.
TEST(SimulatedUserCode, ReachesTheSharedBuffersAndReadsAReportValueOnce)
{
    test::TempDir dir;
    test::GenerateSdccProject({}, dir);
    std::string main = test::ReadBytes(dir / "KR761x_Main.c");
    const std::string region = "   //! Add your own initialisation here.\r\n";
    ASSERT_NE(main.find(region), std::string::npos);
    main.insert(main.find(region) + region.size(), kStartUpCode);
    test::WriteBytes(dir / "KR761x_Main.c", main);
    BuildWithExtra({}, dir);
    // BuildWithExtra generated the project again: the region's code is carried.
    ASSERT_NE(test::ReadBytes(dir / "KR761x_Main.c").find(kStartUpCode), std::string::npos);

    const std::string map = test::ReadBytes(dir / "KR761x_Image.map");
    const unsigned probe = MapAddress(map, "_Probe");
    const std::vector<Stop> stops = Simulate(dir, SimulatorScript(dir / "KR761x_Image.ihx", 5, kInterruptsOn, probe));
    ASSERT_EQ(stops.size(), 5u);
    EXPECT_EQ(stops[4].pc, probe);
    const Memory& at = stops[4].memory;
    EXPECT_EQ(at.sfr.at(0xA0), 0xFFu);
    EXPECT_EQ(at.xram.at(0x0001), 0x5Au);
    EXPECT_EQ(at.xram.at(0x0083), 0xA5u);
    EXPECT_EQ(test::BytesAt(at.xram, MapAddress(map, "_Sampled"), 2), (std::vector<unsigned>{0x34, 0x12}));
    EXPECT_EQ(at.iram.at(MapAddress(map, "_Samples")), 1u) << "the value was read more than once";
}

}  // namespace
}  // namespace kr
