// SPDX-License-Identifier: MIT
#pragma once
// One module of a link as the assembler wrote it (a .rel object file): its
// areas with their attributes and sizes, the symbols each one defines, and
// for absolute areas their address and the bytes the module puts there.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace kr::firmware {

// The attribute bits of an area, as the object file states them.
enum AreaFlag : unsigned {
    kAreaOverlay = 0x04,
    kAreaAbsolute = 0x08,
    kAreaPaged = 0x10,
    kAreaCode = 0x20,
    kAreaExternal = 0x40,
    kAreaBit = 0x80,
};

struct ObjectSymbol {
    std::string name;
    std::uint32_t value = 0;  // the address in an absolute area, else the offset in the area
};

struct ObjectArea {
    std::string name;  // "CSEG", "CABS2", ...
    unsigned flags = 0;  // AreaFlag bits
    std::uint32_t size = 0;  // what this module puts into the area
    std::uint32_t address = 0;  // absolute areas only
    std::vector<ObjectSymbol> symbols;
    // Absolute areas only: the bytes the module defines, by address; bytes
    // the linker still fills in (relocated) are left out.
    std::map<std::uint32_t, std::uint8_t> bytes;
};

struct ObjectModule {
    std::string name;
    std::vector<ObjectArea> areas;
    // Names the module gives an address of its own choosing without storage
    // ("name = address": variables placed with __at, registers).
    std::vector<ObjectSymbol> equates;
};

// Reads the text of an object file. False with errorText naming the line
// when it is not an object file this reader knows.
bool ReadObjectModule(std::string_view text, ObjectModule& module, std::u16string& errorText);

}  // namespace kr::firmware
