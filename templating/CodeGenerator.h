#pragma once
// The template expander. A template is Windows-1252 text with two constructs:
//   ¦KEY¦            replaced by the SubstitutionMap text of KEY
//   «TAG»body¶       body kept when TAG is active in the SwitchSet, else dropped
// Blocks nest; everything else is copied through unchanged.

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "templating/GenerationTables.h"

namespace kr {

enum class ExpandResult : int {
    Ok = 0,
    SyntaxError = 2,      // an opening marker without its closing partner
    StructureError = 3,   // a block end with no open block, or a tree that cannot be built
    WriteError = 5,       // the output file cannot be written
    UndefinedName = 7,    // a tag or key missing from its table
};

struct TemplateToken {
    enum class Kind { Text, Switch, EndBlock, Key };
    Kind kind = Kind::Text;
    std::u16string name;  // tag or key name; empty for Text and EndBlock
    std::u16string text;  // literal text of a Text token
};

struct TemplateNode {
    enum class Kind { Text, Switch, Key };
    Kind kind = Kind::Text;
    std::u16string name;
    std::u16string text;
    std::int32_t depth = 0;               // 0 for the outermost level
    TemplateNode* back = nullptr;         // parent (for a child) or predecessor (for a next sibling)
    TemplateNode* next = nullptr;         // next sibling
    TemplateNode* child = nullptr;        // first child: the block opened here
};

class CCodeGenerator {
public:
    CCodeGenerator() = default;
    virtual ~CCodeGenerator() = default;
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

    // The rendered text of the last successful render step.
    const std::u16string& Output() const { return output_; }

private:
    ExpandResult Tokenize();
    ExpandResult BuildTree();
    ExpandResult CheckNames() const;
    ExpandResult Render();
    ExpandResult Write(const std::u16string& outputPath) const;

    TemplateNode* NewNode(TemplateNode::Kind kind, std::u16string name, std::u16string text, std::int32_t depth);

    std::u16string template_;
    std::vector<TemplateToken> tokens_;
    // The tree owns its nodes here, so freeing it never recurses along long
    // sibling chains.
    std::deque<TemplateNode> nodes_;
    TemplateNode* root_ = nullptr;
    std::u16string output_;
};

}  // namespace kr
