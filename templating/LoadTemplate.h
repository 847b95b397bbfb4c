// SPDX-License-Identifier: MIT
#pragma once
// Templates are embedded resources of type "TEMPLATE", Windows-1252 text.

#include <optional>
#include <string>

namespace kr {

// The template with this resource number decoded to one character per byte;
// empty optional when the resource is missing or has size 0.
std::optional<std::u16string> LoadTemplate(int resourceNumber);

}  // namespace kr
