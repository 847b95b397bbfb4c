// SPDX-License-Identifier: MIT
#pragma once
// What a build needs from a generated project's workspace file: its
// settings and the compiler and linker flags they hold.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kr::firmware {

// The text after "Name=" of the first line that starts with it in the
// setting's own section, "[WorkState_v1_1.Name]", or nothing: a line of
// another section (one a name or a path could fill) is never taken for it.
std::optional<std::string> WorkspaceSetting(std::string_view workspace, std::string_view name);

// The words of a flag setting, without the flags that only shape how an IDE
// shows the tool's messages (--use-stdout, -V) and without -c, which the
// build adds where it compiles.
std::vector<std::string> BuildFlags(std::string_view setting);

}  // namespace kr::firmware
