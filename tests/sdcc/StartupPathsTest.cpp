// SPDX-License-Identifier: MIT
// The SDCC start-up of a built KR7611 image in the 8051 simulator s51, on
// each of its paths: without a _sdcc_external_startup of the user's, and with
// one that returns zero (the variables are set up) or non-zero (they are
// not). Whatever internal RAM holds at entry, interrupts are enabled after
// KR761x_Startup_Done exactly when they were at entry. And why the system
// firmware must enter with no enabled interrupt pending: the handler of one
// pending at entry runs before the start-up's first instruction.

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "firmware/BuildProject.h"
#include "sdcc/SdccSupport.h"
#include "support/RunProgram.h"
#include "tests/SdccTools.h"

namespace kr {
namespace {

namespace fs = std::filesystem;

// The address of a symbol from the linker's map.
unsigned MapAddress(const test::TempDir& dir, const std::string& symbol)
{
    const std::string map = test::ReadBytes(dir / "KR761x_Image.map");
    std::smatch m;
    if (!std::regex_search(map, m, std::regex("([0-9A-F]{8})\\s+" + symbol + "\\s")))
        return 0x10000;
    return std::stoul(m[1], nullptr, 16);
}

void Build(const test::TempDir& dir, const std::string& extra)
{
    test::GenerateSdccProject({}, dir);
    if (!extra.empty())
        test::WriteBytes(dir / "Extra.c", extra);
    firmware::BuildResult result;
    ASSERT_TRUE(firmware::BuildSdccProject(dir.folder(), result))
        << result.toolOutput << platform::ToUtf8(result.errorText);
}

// Runs the image from 0x2600 with the commands of setup and the breakpoints,
// runs times up to a breakpoint, or one instruction at a time with go
// "step"; the program counter at each stop and IE as dumped after it.
struct SimulatedRun {
    std::vector<unsigned> stops;
    std::vector<unsigned> ie;
};

SimulatedRun Simulate(const test::TempDir& dir, const std::string& setup, const std::vector<unsigned>& breakpoints,
                      std::size_t runs, const char* go = "run")
{
    std::ostringstream s;
    s << "load \"" << (dir / "KR761x_Image.ihx").string() << "\"\n" << std::hex << setup << "pc 0x2600\n";
    for (unsigned b : breakpoints)
        s << "break 0x" << b << "\n";
    for (std::size_t i = 0; i < runs; ++i)
        s << go << "\ndump sfr 0xa8 0xa8\n";
    s << "quit\n";
    test::WriteBytes(dir / "run.s51", s.str());
    const test::ProgramResult run =
        test::RunProgram({"timeout", "60", KR_S51_PROGRAM, "-t", "8052", "-b", "-C", (dir / "run.s51").string()});
    SimulatedRun result;
    std::istringstream out(run.out + run.err);
    std::string line;
    std::smatch m;
    while (std::getline(out, line)) {
        if (std::regex_search(line, m, std::regex(R"(Stop at 0x([0-9a-f]+):)")))
            result.stops.push_back(std::stoul(m[1], nullptr, 16));
        else if (result.ie.size() < result.stops.size()
                 && std::regex_search(line, m, std::regex(R"(^0xa8 IE:\s+0b[01]+ 0x([0-9a-f]{2}))")))
            result.ie.push_back(std::stoul(m[1], nullptr, 16));
    }
    if (result.stops.empty())
        ADD_FAILURE() << run.out << run.err;
    return result;
}

struct Path {
    std::string name;
    std::string extra;  // a file of the user's own
};

const Path kPaths[] = {
    {"LibraryStartUp", ""},
    {"ExternalStartUpReturnsZero", "unsigned char _sdcc_external_startup (void) { return 0; }\r\n"},
    {"ExternalStartUpReturnsNonZero", "unsigned char _sdcc_external_startup (void) { return 1; }\r\n"},
    // Interrupts turned on by the user's routine stay off until main.
    {"ExternalStartUpTurnsInterruptsOn",
     "__sbit __at (0xAF) Enable;\r\nunsigned char _sdcc_external_startup (void) { Enable = 1; return 0; }\r\n"},
};

class StartUpPath : public ::testing::TestWithParam<Path> {};

TEST_P(StartUpPath, InterruptsAfterStartupDoneAreAsAtEntryWhateverRamHolds)
{
    test::TempDir dir;
    Build(dir, GetParam().extra);
    // Interrupts are off when the clearing of internal RAM begins, on the
    // paths that clear it, and as at entry at KR761x_Startup_Done's RET.
    const unsigned clear = MapAddress(dir, "__mcs51_genRAMCLEAR");
    const unsigned done = MapAddress(dir, "_KR761x_Startup_Done") + 4;
    const bool clears = GetParam().extra.find("return 1") == std::string::npos;
    const std::vector<unsigned> stops = clears ? std::vector<unsigned>{clear, done} : std::vector<unsigned>{done};
    for (unsigned fill : {0x00u, 0xFFu})
        for (unsigned ie : {0x00u, 0x80u}) {
            SCOPED_TRACE("RAM filled with " + std::to_string(fill) + ", IE " + std::to_string(ie) + " at entry");
            std::ostringstream setup;
            setup << std::hex << "fill iram 0x00 0xff 0x" << fill << "\nset mem sfr 0xa8 0x" << ie << "\n";
            const SimulatedRun run = Simulate(dir, setup.str(), stops, stops.size());
            ASSERT_EQ(run.stops, stops);
            ASSERT_EQ(run.ie.size(), stops.size());
            if (clears) {
                EXPECT_EQ(run.ie.front() & 0x80, 0u);
            }
            EXPECT_EQ(run.ie.back(), ie);
        }
}

INSTANTIATE_TEST_SUITE_P(Kr7611, StartUpPath, ::testing::ValuesIn(kPaths),
                         [](const auto& info) { return info.param.name; });

// Timer 0's overflow flag set and its interrupt enabled when the system
// firmware jumps to 0x2600: the first instruction, the reset jump, is
// followed by the handler's vector, not by the start-up, which has not yet
// turned interrupts off; the handler would run on variables not yet set up.
// Without the pending flag, the start-up follows.
TEST(StartUpEntry, AnInterruptPendingAtEntryIsTakenBeforeTheStartUp)
{
    test::TempDir dir;
    Build(dir, "volatile unsigned char Ticks;\r\nvoid Tick (void) __interrupt (1) { Ticks++; }\r\n");
    const unsigned startUp = MapAddress(dir, "__sdcc_gsinit_startup");
    // The system firmware passes timer 0's vector on to the application's, 0x260B.
    const std::string vector = "set mem rom 0x000b 0x02 0x26 0x0b\n";
    const SimulatedRun pending =
        Simulate(dir, vector + "set mem sfr 0x88 0x20\nset mem sfr 0xa8 0x82\n", {}, 1, "step");
    EXPECT_EQ(pending.stops, std::vector<unsigned>{0x260B});
    const SimulatedRun idle = Simulate(dir, vector + "set mem sfr 0xa8 0x82\n", {}, 1, "step");
    EXPECT_EQ(idle.stops, std::vector<unsigned>{startUp});
}

}  // namespace
}  // namespace kr
