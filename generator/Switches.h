// SPDX-License-Identifier: MIT
#pragma once
// The switch set of one generation run: which conditional blocks of the
// templates reach the generated files.

#include "model/ConfigurationSettings.h"
#include "templating/GenerationTables.h"

namespace kr {

// Empties switches and defines every tag a template may use, active or not.
// Derived tags hold 1 or 0; tags copied from a flag field hold the field's own
// value. Each tag looks at its own fields only: detail tags such as
// TOUCH_WIDTH do not consult their group's main tag, since the templates nest
// them inside it. Cannot fail.
SwitchSet& BuildSwitchSet(const ConfigurationSettings& settings, SwitchSet& switches);

}  // namespace kr
