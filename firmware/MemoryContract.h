// SPDX-License-Identifier: MIT
#pragma once
// Judging a link against the chip's memory contract from what the linker
// placed: the areas of every module, where the map put the relocatable ones,
// the variables of the debug records and the image's bytes. The C sources
// are not read, so whatever a program's code looks like, the judgement is on
// the addresses it ended up at.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "firmware/DebugSymbols.h"
#include "firmware/IntelHex.h"
#include "firmware/LinkMap.h"
#include "firmware/MemoryMap.h"
#include "firmware/ObjectModule.h"

namespace kr::firmware {

struct LinkFacts {
    std::vector<ObjectModule> modules;
    LinkMap map;
    std::vector<MapSymbol> mapSymbols;  // the globals of every module, library ones included
    InternalRamLayout internalRam;  // from the memory summary
    std::vector<DebugSymbol> symbols;
    std::vector<DebugFunction> functions;
};

// The stack's room by default: two levels of interrupt on top of a few calls.
inline constexpr std::uint32_t kDefaultMinimumStack = 32;

// The bytes of internal RAM the stack has: from the stack segment up to the
// first variable placed at an address above it, or to 0xFF.
std::uint32_t StackRoom(const LinkFacts& link, const MemoryMap& memory);

// The highest XRAM address a variable of the image lies at: the shared
// variables, the external data segments and the variables placed at an
// address. None when the link places nothing in XRAM.
std::optional<std::uint32_t> HighestExternalRam(const LinkFacts& link);

// One sentence per broken rule, naming the symbol or segment and its address
// range; empty when the link keeps the contract. The rules: nothing but the
// generated arrays in a reserved window of the flash, and their bytes those
// of their compiled module; the vectors below the first window; no variable
// or segment in internal RAM, bits or XRAM the system firmware owns, but the
// shared variables of the main program; no variable placed at an address on
// a variable, bit, register bank or segment the linker placed (it does not
// know of such variables); no register bank but bank 0; no paged external
// data; at least minimumStack bytes for the stack below anything placed in
// its room. When internal RAM is at fault, a last sentence lists the
// internal RAM still free.
std::vector<std::u16string> CheckMemoryContract(const LinkFacts& link, const HexImage& image, const MemoryMap& memory,
                                                std::uint32_t minimumStack);

// The sentence that explains the linker's failure to find room in internal
// RAM (linkerOutput holds "Could not get N consecutive bytes in internal RAM
// for area X"): how much was asked, and which internal RAM the application
// owns. Empty for any other failure.
std::u16string InternalRamOverflow(std::string_view linkerOutput, const MemoryMap& memory);

}  // namespace kr::firmware
