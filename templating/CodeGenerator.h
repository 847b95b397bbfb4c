// SPDX-License-Identifier: MIT
#pragma once
// The template expander for one template text: the stages of the template
// language (tokenize, parse, check names, render, write) run in order on a
// text it is given. The project generator renders its embedded templates from
// trees it prepares once per process instead; this class serves texts that
// come from elsewhere.

#include <string>

#include "templating/GenerationTables.h"
#include "templating/TemplateError.h"

namespace kr {

class CCodeGenerator {
public:
    CCodeGenerator() = default;
    ~CCodeGenerator() = default;
    CCodeGenerator(const CCodeGenerator&) = delete;
    CCodeGenerator& operator=(const CCodeGenerator&) = delete;

    // Replaced with copies of the run's tables before expanding.
    SwitchSet switchSet;
    SubstitutionMap substitutionMap;

    // Tokenizes, builds the block tree, checks every name, renders and writes
    // the output in Windows-1252. Stops at the first step that fails; on any
    // failure the output file is left untouched.
    ExpandResult ExpandToFile(const std::u16string& templateText, const std::u16string& outputPath);

    // The same steps without writing: on Ok the expanded text is in Output().
    ExpandResult Expand(const std::u16string& templateText);

    // The rendered text of the last successful Expand.
    const std::u16string& Output() const { return output_; }

    // Where and why the last expansion failed; code Ok after a success.
    const TemplateError& Error() const { return error_; }

private:
    std::u16string output_;
    TemplateError error_;
};

}  // namespace kr
