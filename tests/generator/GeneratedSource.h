// SPDX-License-Identifier: MIT
#pragma once
// Reading back what the generator wrote: the numeric macros of a header and
// the bytes of a C array initializer.

#include <map>
#include <string>
#include <vector>

namespace kr::test {

// NAME -> value of every "#define NAME number" line.
std::map<std::string, long> ReadDefines(const std::string& source);

// The bytes of "NAME[] = { ... };" or "NAME = { ... };" in a C source. Elements may be numbers,
// character literals or macros from defines; anything else, a value outside
// 0-255 or a missing array throws std::runtime_error saying what.
std::vector<int> ArrayBytes(const std::string& source, const std::string& name,
                            const std::map<std::string, long>& defines = {});

}  // namespace kr::test
