// SPDX-License-Identifier: MIT
#pragma once
// The name of a save file's project folder in a batch: the save file's name
// without its extension. Only a name that makes a folder of its own directly
// inside the output folder is used.

#include <string>
#include <string_view>

namespace kr {

// The log line of a save file whose name gives no such folder ("...kcw",
// "..kcw", ".kcw").
inline constexpr char16_t kMsgNoProjectFolderName[] =
    u"Error: The save file's name gives no project folder inside the output folder\n";

// True unless name is empty, "." or "..", or holds a separator or a NUL. Any
// other bytes make a name, UTF-8 or not.
bool IsProjectFolderName(std::string_view name);

// The key under which two project folder names count as one, so that two
// save files never share a folder on a file system that ignores case: a
// UTF-8 name folded as Unicode folds case in full, after normalisation
// (CAFÉ, café and cafe with a combining accent are one); a name that is not
// UTF-8 is compared as bytes, the letters A to Z without case.
std::string ProjectFolderKey(std::string_view name);

}  // namespace kr
