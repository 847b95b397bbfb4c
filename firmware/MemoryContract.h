// SPDX-License-Identifier: MIT
#pragma once
// Judging a link against the chip's memory contract from what the linker
// placed: the areas of every module, where the map put the relocatable ones,
// the variables of the debug records and the image's bytes. The C sources
// are not read, so whatever a program's code looks like, the judgement is on
// the addresses it ended up at.

#include <cstdint>
#include <string>
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
    std::vector<DebugSymbol> symbols;
};

// The stack's room by default: two levels of interrupt on top of a few calls.
inline constexpr std::uint32_t kDefaultMinimumStack = 32;

// The bytes of internal RAM the stack has: from the stack segment to 0xFF.
std::uint32_t StackRoom(const LinkMap& map);

// One sentence per broken rule, naming the symbol or segment and its address
// range; empty when the link keeps the contract. The rules: nothing but the
// generated arrays in a reserved window of the flash, and their bytes those
// of their compiled module; the vectors below the first window; no variable
// or segment in internal RAM, bits or XRAM the system firmware owns, but the
// shared variables of the main program; no register bank but bank 0; no
// paged external data; at least minimumStack bytes for the stack.
std::vector<std::u16string> CheckMemoryContract(const LinkFacts& link, const HexImage& image, const MemoryMap& memory,
                                                std::uint32_t minimumStack);

}  // namespace kr::firmware
