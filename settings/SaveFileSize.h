// SPDX-License-Identifier: MIT
#pragma once
// The largest save file the program reads or writes. A real save file is a
// few kilobytes; the cap is far above that, and low enough that no crafted
// file below it can keep a load busy for long (every field is looked up by a
// path that may scan the whole document).

#include <cstddef>

namespace kr {

inline constexpr std::size_t kMaxSaveFileBytes = 1024 * 1024;

}  // namespace kr
