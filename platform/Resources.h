// SPDX-License-Identifier: MIT
#pragma once
// Resources compiled into the program: found by type ("TEMPLATE", "XML") and
// number, their bytes exactly as stored in the repository.

#include <cstddef>
#include <optional>
#include <string_view>

namespace kr::platform {

struct ResourceEntry {
    const char* type;
    int number;
    const unsigned char* data;
    std::size_t size;
};

// The bytes of one resource. Empty optional when no resource of that type and
// number exists, or when it has size 0: both are failures for the caller.
std::optional<std::string_view> FindResource(std::string_view type, int number);

namespace detail {
// Defined by the resource table the build generates for each program.
const ResourceEntry* ResourceTableBegin();
const ResourceEntry* ResourceTableEnd();
}  // namespace detail

}  // namespace kr::platform
