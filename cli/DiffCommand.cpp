// SPDX-License-Identifier: MIT
#include "cli/DiffCommand.h"

#include <algorithm>

#include "cli/TerminalText.h"
#include "model/FieldTable.h"
#include "platform/Utf.h"
#include "settings/SaveFile.h"

namespace kr::cli {

int CDiffCommand::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (args.size() != 2 ||
        std::any_of(args.begin(), args.end(), [](const std::string& arg) { return arg.empty() || arg.starts_with("-"); }))
        return kExitUsage;
    ConfigurationSettings files[2];
    for (int i = 0; i < 2; ++i) {
        std::u16string errorText;
        if (!LoadSettings(args[i], files[i], errorText)) {
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
    if (!out.good())
        return kExitTrouble;
    return differ ? kExitFailure : kExitSuccess;
}

}  // namespace kr::cli
