// SPDX-License-Identifier: MIT
#pragma once
// Whether a configuration may become a project: the rules of a valid record
// and, when those hold, the rules by which a host's parser refuses the report
// descriptor the project would carry. GenerateProject runs this before it
// writes anything, so the wizard, kr761x-gen and the batch all refuse the
// same configurations; kr761x-gen check reports it for save files.

#include <string>
#include <vector>

#include "model/ConfigurationSettings.h"
#include "model/SettingsRules.h"
#include "templating/GenerationTables.h"

namespace kr {

// Every problem of settings: those of CheckSettings; when there are none,
// each host rule the generated report descriptor breaks (no path, no value).
// Empty when the project may be generated.
std::vector<SettingsProblem> FindGenerationProblems(const ConfigurationSettings& settings);

// The second half of that for a record CheckSettings accepts, given the
// switches and keys built from it, which a generation run uses afterwards
// for writing: the host rules its report descriptor breaks, as above.
std::vector<SettingsProblem> FindDescriptorProblems(const ConfigurationSettings& settings, const SwitchSet& switches,
                                                    const SubstitutionMap& keys);

// The error text of a refused generation: a line saying nothing was
// generated, then one line per problem (ProblemLine), joined by LF.
std::u16string GenerationRefusalText(const std::vector<SettingsProblem>& problems);

}  // namespace kr
