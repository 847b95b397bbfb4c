// SPDX-License-Identifier: MIT
#include "cli/ShowCommand.h"

#include "cli/TerminalText.h"
#include "model/FieldTable.h"
#include "platform/Utf.h"
#include "settings/SaveFile.h"

namespace kr::cli {

int CShowCommand::Run(const ParsedArguments& args, std::ostream& out, std::ostream& err)
{
    ConfigurationSettings settings;
    std::u16string errorText;
    if (!LoadSettings(args.positionals[0], settings, errorText)) {
        err << ForTerminal(errorText) << "\n";
        return kExitFailure;
    }
    for (const FieldRow& row : FieldTable())
        out << platform::ToUtf8(row.path) << " = " << ForTerminal(ShownValue(row, settings)) << "\n";
    return out.good() ? kExitSuccess : kExitFailure;
}

}  // namespace kr::cli
