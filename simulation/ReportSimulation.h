// SPDX-License-Identifier: MIT
#pragma once
// Running a built KR7611 SDCC image in the 8051 simulator s51 in the place
// of the chip, with the simulator playing the system firmware's part, and
// taking the input reports the user code hands over as the chip does: in
// the chosen input mode, the host polls the input endpoint every bInterval
// ms of chip time, and at a poll with the mode's send-pending flag set the
// report in USB_Position_Buffer is copied and the flag cleared, wherever
// the user code is. Each report is decoded with the image's own report
// descriptor as a host reads it. The whole run happens inside one s51
// session, driven by breakpoint command lists, so it costs little more than
// the simulation itself.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "hid/ReportLayout.h"
#include "hid/ReportValues.h"

namespace kr::simulation {

enum class InputMode { Mouse, Touch, MultiTouch, Pen, MultiPen };
enum class Bus { Spi, SmBus };
struct TestScript;

// "mouse", "touch", "multitouch", "pen", "multipen"; and back (false for
// another word).
std::string_view InputModeName(InputMode mode);
bool ParseInputMode(std::string_view name, InputMode& mode);

struct SimulationOptions {
    InputMode mode = InputMode::Mouse;
    int reports = 10;
    std::uint64_t budget = 1000000;  // instructions allowed for each report
    bool passInterrupts = true;  // plant a jump to 0x2603 + 8n at each standard vector
    // The buses' answers and the failing calls; with no report expectation
    // in it, the run ends when its sent bytes are all seen (or reports
    // are taken).
    const TestScript* script = nullptr;
};

struct SimulatedReport {
    int index = 0;  // from 1
    std::uint64_t instructions = 0;  // run since the previous report was taken
    double chipMs = 0;  // chip time when the host took it, from reset
    int reportId = 0;
    std::vector<std::uint8_t> bytes;  // the report's data, without its report id byte
    std::vector<HidFieldValue> values;
};

// A transfer the user code started on a bus.
struct SimulatedTransfer {
    Bus bus = Bus::Spi;
    std::vector<std::uint8_t> sent;  // Comm_Tx_Buffer when it was called
    int status = 0;
    bool answered = false;  // by a line of the script
};

struct SimulationRun {
    // What the simulation takes for granted of the system firmware, one
    // sentence each.
    std::vector<std::u16string> assumptions;
    std::vector<SimulatedReport> reports;
    std::vector<SimulatedTransfer> transfers;
    // What the user code did that the host may see wrong, one sentence
    // each, each once, naming the C line: a write to the buffer or a second
    // send while a report was pending.
    std::vector<std::u16string> diagnostics;
    // The deepest the stack pointer went (-1 when unknown), where the stack
    // starts (SP after the start-up) and the bytes the link left for it (-1
    // when the linker's summary is missing).
    long deepestStack = -1;
    std::uint32_t stackStart = 0;
    long stackRoom = -1;
    // One sentence on the stack: the deepest use seen beside the room the
    // build left; empty when the run did not tell.
    std::u16string stack;
    // The simulated report laid out as a host reads it, beside the
    // project's report structure; empty when the project could not be read.
    std::vector<ReportLayout> layout;
};

// Simulates project (a project folder or its workspace) until options.reports
// reports are taken; budget counts instructions (at least that many run
// before a missing report is reported). False with one sentence in errorText when the project
// is not a built KR7611 SDCC project, s51 is missing, the image lacks what
// the simulation needs, or a report does not come within the budget ("No
// report after N instructions: ..." with the program counter and the C line
// it is in); the reports taken before are in run all the same.
bool SimulateReports(const std::filesystem::path& project, const SimulationOptions& options, SimulationRun& run,
                     std::u16string& errorText);

}  // namespace kr::simulation
