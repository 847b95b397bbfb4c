// SPDX-License-Identifier: MIT
#include "cli/DescribeCommand.h"

#include "cli/TerminalText.h"
#include "generator/ReportDescriptor.h"
#include "settings/SaveFile.h"

namespace kr::cli {

int CDescribeCommand::Run(const ParsedArguments& args, std::ostream& out, std::ostream& err)
{
    const bool layout = args.Has("--layout");
    ConfigurationSettings settings;
    std::u16string errorText;
    if (!LoadSettings(args.positionals[0], settings, errorText)) {
        err << ForTerminal(errorText) << "\n";
        return kExitFailure;
    }

    ReportDescriptorView view;
    if (!DescribeReportDescriptor(settings, view, errorText)) {
        err << ForTerminal(errorText) << "\n";
        return kExitFailure;
    }
    out << ForTerminal(layout ? view.layoutText : view.text);
    if (!view.failures.empty()) {
        err << ForTerminal(HostRuleFailureText(view.failures));
        return kExitFailure;
    }
    return kExitSuccess;
}

}  // namespace kr::cli
