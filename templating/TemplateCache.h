// SPDX-License-Identifier: MIT
#pragma once
// The program's embedded templates, each decoded, tokenized and parsed once
// per process, on first use, and shared read-only from then on by every
// generation on every thread.

#include "templating/TemplateError.h"
#include "templating/TemplateTree.h"

namespace kr {

// The template with this resource number; null when the resource is missing
// or has size 0. The object lives until the process ends and never changes.
// Safe to call from any thread.
const PreparedTemplate* FindPreparedTemplate(int resourceNumber);

}  // namespace kr
