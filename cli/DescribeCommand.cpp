// SPDX-License-Identifier: MIT
#include "cli/DescribeCommand.h"

#include "cli/TerminalText.h"
#include "generator/ReportDescriptor.h"
#include "settings/SaveFile.h"

namespace kr::cli {

int CDescribeCommand::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    const bool layout = args.size() == 2 && args[0] == "--layout";
    if (args.size() != (layout ? 2u : 1u) || args.back().empty() || args.back().starts_with("-"))
        return kExitUsage;

    ConfigurationSettings settings;
    std::u16string errorText;
    if (!LoadSettings(args.back(), settings, errorText)) {
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
