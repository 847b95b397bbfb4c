// SPDX-License-Identifier: MIT
#pragma once
// The two tables one generation run computes from a configuration and hands
// to every template expansion.

#include <map>
#include <string>

namespace kr {

// Template tag -> flag; a tag is active when its flag is non-zero. Every tag a
// template may use is present; a tag missing from the map is an error.
using SwitchSet = std::map<std::u16string, int>;

// Template key -> replacement text, inserted verbatim.
using SubstitutionMap = std::map<std::u16string, std::u16string>;

}  // namespace kr
