// SPDX-License-Identifier: MIT
#pragma once
// What an expansion step reports: the result code every caller acts on, and,
// for a fault of the template itself, where it is and what it names.

#include <cstddef>
#include <string>
#include <string_view>

namespace kr {

// Only compared by name: no value is shown or stored.
enum class ExpandResult {
    Ok,
    SyntaxError,  // an opening marker without its closing partner
    StructureError,  // a block end with no open block, or a tree that cannot be built
    WriteError,  // the output file cannot be written
    UndefinedName,  // a tag or key missing from its table
};

enum class TemplateProblem {
    None,
    UnterminatedTag,  // « with no » after it
    UnterminatedKey,  // ¦ with no closing ¦
    UnopenedBlockEnd,  // ¶ with no block open
    UndefinedTag,  // a tag missing from the switch set
    UndefinedKey,  // a key missing from the substitution map
    WriteFailed,  // the output file could not be written
};

struct TemplateError {
    ExpandResult code = ExpandResult::Ok;
    TemplateProblem problem = TemplateProblem::None;
    // 1-based place in the template of the marker at fault; 0 when the
    // problem has no place (a failed write).
    int line = 0;
    int column = 0;
    // The undefined tag or key; empty for the other problems.
    std::u16string name;

    bool HasPlace() const { return line > 0; }
};

// The error of a fault at offset (in characters) of the template text, with
// its line and column counted there: lines end at '\n', columns count
// characters from 1.
TemplateError TemplateErrorAt(std::u16string_view templateText, std::size_t offset, ExpandResult code,
                              TemplateProblem problem, std::u16string name = {});

// "file:line:column: message", as compilers report a place in a source file;
// just the message for an error without a place.
std::u16string DescribeTemplateError(std::u16string_view fileName, const TemplateError& error);

}  // namespace kr
