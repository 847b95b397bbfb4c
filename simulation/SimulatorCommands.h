// SPDX-License-Identifier: MIT
#pragma once
// Commands of the 8051 simulator s51 (sdcc-ucsim) that stand in for the
// chip's system firmware around a built KR7611 image, and reading back what
// the simulator prints: the system routines' entry points answered by a
// RET, each interrupt vector of the simulated 8052 passed on to the
// application's handler at 0x2603 + 8n as the system firmware does, and
// memory dumps.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace kr::simulation {

// The interrupts of the simulated 8052: 0 (external 0) to 5 (timer 2).
constexpr unsigned kSimulatedInterrupts = 6;

// The application's entry of interrupt n: 0x2603 + 8n on the KR7611.
std::uint32_t ApplicationVector(unsigned n);

// The entry points of the system routines that the project's library header
// (KR761x_API.h) defines with CODE_ENTRY, in the order it defines them.
std::vector<std::uint32_t> ReadSystemEntryPoints(std::string_view apiHeader);

// The same with the name of each entry macro ("KR761X_SPI_MASTER_TRANSFER").
std::vector<std::pair<std::string, std::uint32_t>> ReadSystemRoutines(std::string_view apiHeader);

// Loads image, plants a RET (0x22) at each entry point and, with
// passInterrupts, an LJMP to ApplicationVector(n) at each standard vector
// 0x0003 + 8n. One command a line.
std::string SimulatorSetUp(const std::string& image, const std::vector<std::uint32_t>& entries, bool passInterrupts);

// The bytes a "dump SPACE FIRST LAST" answer shows, by address; only those
// within first to last (the text column after the bytes is not read).
std::map<std::uint32_t, std::uint8_t> ReadDumpedBytes(std::string_view output, std::uint32_t first, std::uint32_t last);

}  // namespace kr::simulation
