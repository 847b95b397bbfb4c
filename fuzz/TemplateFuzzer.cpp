// SPDX-License-Identifier: MIT
// RenderTemplate on any bytes, read as a Windows-1252 template, rendered in
// the code page and as text with the tables of the default configuration
// plus a short active tag A, an inactive tag B and a key K whose text holds
// every marker, and written as the generator writes a file over one that is
// already there.
//
// Properties: the result of both renderings is the one a plain reading of
// the language gives (a stack of open blocks, checked independently of the
// template's tree); on success the text is exactly that rendering and the
// file holds it in Windows-1252; on failure the old file is untouched;
// either way no temporary file is left beside it.

#include <optional>
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "generator/SubstitutionValues.h"
#include "generator/Switches.h"
#include "model/ConfigurationSettings.h"
#include "platform/AtomicFile.h"
#include "platform/Utf.h"
#include "platform/Windows1252.h"
#include "templating/TemplateRender.h"
#include "templating/TemplateTree.h"

namespace {

constexpr char16_t kKeyMarker = u'\u00A6';
constexpr char16_t kTagOpen = u'\u00AB';
constexpr char16_t kTagClose = u'\u00BB';
constexpr char16_t kBlockEnd = u'\u00B6';

struct Tables {
    kr::SwitchSet switches;
    kr::SubstitutionMap keys;
};

const Tables& FuzzTables()
{
    static const Tables tables = [] {
        Tables t;
        const kr::ConfigurationSettings settings;
        kr::BuildSwitchSet(settings, t.switches);
        kr::BuildSubstitutionMap(settings, t.keys);
        t.switches[u"A"] = 1;
        t.switches[u"B"] = 0;
        t.keys[u"K"] = u"\u00AB\u00A6B\u00A6\u00B6\u00BB";
        return t;
    }();
    return tables;
}

struct Expected {
    kr::ExpandResult result = kr::ExpandResult::Ok;
    std::u16string output;
};

// The language read straight through: a block's text counts only while it
// and every block around it are active; an end with no open block is a
// structure error, an opening marker without its partner a syntax error (which
// wins, wherever it stands); a name missing from its table anywhere, even in
// a dropped block, makes the expansion fail.
Expected ReadStraight(const std::u16string& text, const Tables& tables)
{
    Expected expected;
    std::vector<bool> open;  // active flag of each open block
    std::size_t inactive = 0;  // open blocks that are inactive
    bool structure = false;
    bool undefined = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == kTagOpen || c == kKeyMarker) {
            const std::size_t close = text.find(c == kTagOpen ? kTagClose : kKeyMarker, i + 1);
            if (close == std::u16string::npos)
                return {kr::ExpandResult::SyntaxError, {}};
            const std::u16string name = text.substr(i + 1, close - i - 1);
            i = close;
            if (c == kTagOpen) {
                const auto tag = tables.switches.find(name);
                undefined |= tag == tables.switches.end();
                const bool active = tag != tables.switches.end() && tag->second != 0;
                open.push_back(active);
                inactive += active ? 0 : 1;
            } else {
                const auto key = tables.keys.find(name);
                undefined |= key == tables.keys.end();
                if (key != tables.keys.end() && inactive == 0)
                    expected.output += key->second;
            }
        } else if (c == kBlockEnd) {
            if (open.empty()) {
                structure = true;
                continue;
            }
            inactive -= open.back() ? 0 : 1;
            open.pop_back();
        } else if (inactive == 0) {
            expected.output += c;
        }
    }
    if (structure)
        return {kr::ExpandResult::StructureError, {}};
    if (undefined)
        return {kr::ExpandResult::UndefinedName, {}};
    return expected;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::u16string text = kr::platform::DecodeWindows1252(bytes);
    const Tables& tables = FuzzTables();

    const std::filesystem::path folder = kr::fuzz::WorkFolder();
    const std::filesystem::path output = folder / "KR761x_Out.c";
    const std::string previous = "the file that was here before\r\n";
    kr::fuzz::WriteFile(output, previous);

    const kr::PreparedTemplate prepared = kr::PrepareTemplate(text);
    kr::RenderTables renderTables;
    renderTables.Assign(tables.switches, tables.keys);
    kr::TemplateBinding<std::string_view> binding;
    std::string renderedBytes;
    kr::TemplateError error;
    const kr::ExpandResult result = kr::RenderTemplate(prepared, renderTables, binding, renderedBytes, error);
    kr::TemplateBinding<std::u16string_view> textBinding;
    std::u16string rendered;
    kr::TemplateError textError;
    const kr::ExpandResult textResult =
        kr::RenderTemplate(prepared, tables.switches, tables.keys, textBinding, rendered, textError);
    if (result == kr::ExpandResult::Ok)
        KR_FUZZ_CHECK(
            kr::platform::WriteFileAtomically(output.string(), renderedBytes, kr::platform::Durability::InOnePiece));

    const Expected expected = ReadStraight(text, tables);
    KR_FUZZ_CHECK(result == expected.result);
    KR_FUZZ_CHECK(textResult == expected.result);
    const std::string written = kr::fuzz::ReadFile(output);
    if (result == kr::ExpandResult::Ok) {
        KR_FUZZ_CHECK(rendered == expected.output);
        KR_FUZZ_CHECK(written == kr::platform::EncodeWindows1252(expected.output));
    } else {
        KR_FUZZ_CHECK(written == previous);
    }
    KR_FUZZ_CHECK(kr::fuzz::EntryCount(folder) == 1);
    return 0;
}
