// SPDX-License-Identifier: MIT
#pragma once
// Test scripts for the bench: what the buses answer the user code, which
// system routine calls fail, and what the reports and the bytes sent must
// be. One instruction a line, "#" starting a comment; numbers in decimal or
// 0x hex, bytes as two hex digits:
//   mode MODE                    the input mode, as simulate --mode takes it
//   spi HEX... / smbus HEX...    the bytes the next transfer on that bus that
//                                ends with status 0 leaves in Comm_Rx_Buffer
//   uart HEX...                  bytes arriving at the UART, handed over by
//                                KR761x_UART_Dequeue one at a time
//   status ROUTINE N             the next call of ROUTINE (its entry macro in
//                                KR761x_API.h, in any case) ends with
//                                KR761x_Status N and delivers no answer
//   wait N ms                    the answers and statuses after it are given
//                                only once N more ms of chip time have passed
//   expect report NAME=VALUE...  the next report, in the fields named
//   expect sent BUS HEX...       the first bytes of the next transfer on BUS

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "simulation/ReportSimulation.h"

namespace kr::simulation {

struct ScriptAnswer {
    int line = 0;
    double fromMs = 0;  // chip time from which it may be given
    Bus bus = Bus::Spi;
    std::vector<std::uint8_t> bytes;
};

struct ScriptUartByte {
    int line = 0;
    double fromMs = 0;  // when it arrives
    std::uint8_t byte = 0;
};

struct ScriptStatus {
    int line = 0;
    double fromMs = 0;
    std::string routine;  // as written
    int status = 0;
};

struct ScriptExpectation {
    int line = 0;
    bool report = true;  // a report, or the bytes sent on bus
    std::vector<std::pair<std::string, std::int64_t>> fields;  // of a report
    Bus bus = Bus::Spi;
    std::vector<std::uint8_t> bytes;  // sent
};

struct TestScript {
    std::optional<InputMode> mode;
    std::vector<ScriptAnswer> answers;
    std::vector<ScriptUartByte> uart;
    std::vector<ScriptStatus> statuses;
    std::vector<ScriptExpectation> expectations;
    int ReportExpectations() const;
};

// Reads a script; false with "line N: ..." in errorText at the first line
// that cannot be read.
bool ParseTestScript(const std::string& text, TestScript& script, std::string& errorText);

// "spi", "smbus".
const char* BusName(Bus bus);

struct ExpectationResult {
    int line = 0;
    std::string text;  // the expectation as the script words it, without "expect"
    bool holds = false;
    std::string failure;  // "expected X=200, got X=201"; "expected ..., got no report"
};

// Judges every expectation of script against a run (its reports, and the
// transfers it saw on each bus, in order).
std::vector<ExpectationResult> JudgeScript(const TestScript& script, const SimulationRun& run);

}  // namespace kr::simulation
