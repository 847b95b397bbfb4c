// SPDX-License-Identifier: MIT
#include "simulation/SimulatorCommands.h"

#include <regex>
#include <sstream>

#include "firmware/MemoryMap.h"

namespace kr::simulation {

using firmware::kKR7611Memory;

std::uint32_t ApplicationVector(unsigned n)
{
    return kKR7611Memory.applicationStart + 3 + 8 * n;
}

std::vector<std::uint32_t> ReadSystemEntryPoints(std::string_view apiHeader)
{
    std::vector<std::uint32_t> entries;
    for (const auto& [name, address] : ReadSystemRoutines(apiHeader))
        entries.push_back(address);
    return entries;
}

std::vector<std::pair<std::string, std::uint32_t>> ReadSystemRoutines(std::string_view apiHeader)
{
    std::vector<std::pair<std::string, std::uint32_t>> routines;
    const std::regex entry(R"(#define\s+(\w+)\s+CODE_ENTRY\s*\(\s*0[xX]([0-9A-Fa-f]+)\s*\))");
    const std::string text(apiHeader);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), entry); it != std::sregex_iterator(); ++it)
        routines.emplace_back((*it)[1].str(), static_cast<std::uint32_t>(std::stoul((*it)[2].str(), nullptr, 16)));
    return routines;
}

std::string SimulatorSetUp(const std::string& image, const std::vector<std::uint32_t>& entries, bool passInterrupts)
{
    std::ostringstream s;
    s << "load \"" << image << "\"\n" << std::hex;
    for (std::uint32_t entry : entries)
        s << "set mem rom 0x" << entry << " 0x22\n";
    for (unsigned n = 0; passInterrupts && n < kSimulatedInterrupts; ++n) {
        const std::uint32_t target = ApplicationVector(n);
        s << "set mem rom 0x" << 3 + 8 * n << " 0x02 0x" << (target >> 8) << " 0x" << (target & 0xFF) << "\n";
    }
    return s.str();
}

std::map<std::uint32_t, std::uint8_t> ReadDumpedBytes(std::string_view output, std::uint32_t first, std::uint32_t last)
{
    std::map<std::uint32_t, std::uint8_t> bytes;
    static const std::regex data(R"(^0x([0-9a-fA-F]+)\s+((?:[0-9a-fA-F]{2} )+))");
    std::istringstream in{std::string(output)};
    std::string line;
    std::smatch m;
    while (std::getline(in, line)) {
        if (!std::regex_search(line, m, data))
            continue;
        std::uint32_t address = static_cast<std::uint32_t>(std::stoul(m[1].str(), nullptr, 16));
        std::istringstream words(m[2].str());
        std::string byte;
        while (words >> byte && address >= first && address <= last)
            bytes[address++] = static_cast<std::uint8_t>(std::stoul(byte, nullptr, 16));
    }
    return bytes;
}

}  // namespace kr::simulation
