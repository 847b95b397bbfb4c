// SPDX-License-Identifier: MIT
#pragma once
// Reading the layout of a report structure back out of an expanded C header:
// the members of "typedef struct { ... } NAME;", each with its byte offset,
// as an 8051 compiler places them (no padding between members).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kr {

struct StructMember {
    std::u16string type;  // "U8", "UU16"
    std::u16string name;  // "Contact_Identifier"
    int offset = 0;  // in bytes, from the start of the structure
    int size = 0;  // in bytes

    bool operator==(const StructMember&) const = default;
};

// The members of the structure typedef NAME, in order. Members are plain
// "TYPE NAME;" declarations of the portability header's integer types (U8,
// S8, U16, S16, UU16, U32, S32, UU32); comments are skipped. Nothing when the
// typedef is missing or holds anything else.
std::optional<std::vector<StructMember>> ReadStructMembers(std::u16string_view source, std::u16string_view name);

}  // namespace kr
