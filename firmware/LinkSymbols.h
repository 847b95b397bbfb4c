// SPDX-License-Identifier: MIT
#pragma once
// The symbols of a link as its map file (.map) lists them: every global
// label with its address ("_USB_Position_Buffer", "_HidReportDesc"), and the
// C line symbols a build with --debug leaves ("C$KR761x_Main.c$185$1_0$5"),
// which tell where the code of each source line begins.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kr::firmware {

struct SourceLine {
    std::string file;  // as the compiler was given it: "KR761x_Main.c"
    int line = 0;
    std::uint32_t address = 0;
};

struct LinkSymbols {
    std::map<std::string, std::uint32_t> addresses;  // by symbol name, as the map spells it
    std::vector<SourceLine> lines;  // by address, ascending
};

LinkSymbols ReadLinkSymbols(std::string_view mapText);

// The source line whose code holds address: the one that begins last at or
// below it. Nothing when no line begins at or below it.
std::optional<SourceLine> NearestSourceLine(const LinkSymbols& symbols, std::uint32_t address);

// The first address of the code of file's line, or nothing when the line has
// no code of its own.
std::optional<std::uint32_t> SourceLineAddress(const LinkSymbols& symbols, std::string_view file, int line);

}  // namespace kr::firmware
