// SPDX-License-Identifier: MIT
#pragma once
// The variables of a link as its debug records (.cdb) describe them: each
// one's name, module, memory space, size and address. They are what tells
// where a variable placed with __at lies and how long it is, since such a
// variable has no storage of its own in the object files.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "firmware/MemoryMap.h"

namespace kr::firmware {

struct DebugSymbol {
    std::string name;  // as the C source spells it
    std::string record;  // the record's own name, as the object files define it ("G$name$0_0$0")
    std::string module;  // the module whose source defines it
    MemorySpace space = MemorySpace::InternalRam;
    std::uint32_t address = 0;
    std::uint32_t size = 0;  // in bytes, or in bits for MemorySpace::Bits
};

// The variables of the records that have an address: global, file and
// function scope. Registers, and register bits above 0x7F, are left out, as
// are functions and the stack. Records that cannot be read are skipped.
std::vector<DebugSymbol> ReadDebugSymbols(std::string_view text);

// A function of the records: whether it is an interrupt handler, of which
// interrupt, and the register bank it uses (__using; 0 when it names none).
struct DebugFunction {
    std::string name;
    std::string module;
    bool interrupt = false;
    unsigned number = 0;
    unsigned bank = 0;
};

// The functions the records describe ("F:" records); those that cannot be
// read are skipped.
std::vector<DebugFunction> ReadDebugFunctions(std::string_view text);

}  // namespace kr::firmware
