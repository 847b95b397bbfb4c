#pragma once
// Numbers as text, the way every layer above writes them into messages,
// listings and generated files.

#include <cstdint>
#include <string>

namespace kr::platform {

// Signed decimal, no leading zeros or blanks.
std::u16string FormatDecimal(std::int64_t value);

}  // namespace kr::platform
