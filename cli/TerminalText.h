// SPDX-License-Identifier: MIT
#pragma once
// Small conversions between the system's texts and paths and what a terminal
// and a command line use.

#include <filesystem>
#include <string>

namespace kr::cli {

// The system's texts break lines with CR LF, meant for a message box or the
// batch log view; a terminal wants plain newlines.
std::string ForTerminal(const std::u16string& text);

// A folder as the core takes it: the argument's bytes, ending with a
// separator.
std::filesystem::path AsFolder(std::string path);

}  // namespace kr::cli
