// SPDX-License-Identifier: MIT
#pragma once
// Small conversions between the system's texts and paths and what a terminal
// and a command line use.

#include <filesystem>
#include <string>

namespace kr::cli {

// A text of the system as a terminal takes it: in UTF-8. Its lines already
// end with LF, as a terminal wants them.
std::string ForTerminal(const std::u16string& text);

// A folder as the core takes it: the argument's bytes, ending with a
// separator.
std::filesystem::path AsFolder(std::string path);

}  // namespace kr::cli
