// SPDX-License-Identifier: MIT
#include "cli/DiffCommand.h"

#include "cli/TerminalText.h"
#include "model/FieldTable.h"
#include "platform/Utf.h"
#include "settings/SaveFile.h"

namespace kr::cli {

int CDiffCommand::Run(const ParsedArguments& args, std::ostream& out, std::ostream& err)
{
    ConfigurationSettings files[2];
    for (int i = 0; i < 2; ++i) {
        std::u16string errorText;
        if (!LoadSettings(args.positionals[i], files[i], errorText)) {
            err << ForTerminal(errorText) << "\n";
            return kExitTrouble;
        }
    }
    bool differ = false;
    for (const FieldRow& row : FieldTable()) {
        const std::u16string before = ShownValue(row, files[0]);
        const std::u16string after = ShownValue(row, files[1]);
        if (before == after)
            continue;
        out << platform::ToUtf8(row.path) << ": " << ForTerminal(before) << " -> " << ForTerminal(after) << "\n";
        differ = true;
    }
    // Written out before the verdict: a listing that could not be written is
    // trouble, never "the files differ".
    if (!out.flush().good())
        return kExitTrouble;
    return differ ? kExitFailure : kExitSuccess;
}

}  // namespace kr::cli
