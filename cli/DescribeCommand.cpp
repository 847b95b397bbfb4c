#include "cli/DescribeCommand.h"

#include "cli/TerminalText.h"
#include "generator/ReportDescriptor.h"
#include "platform/Utf.h"
#include "settings/SaveFile.h"

namespace kr::cli {

int CDescribeCommand::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (args.size() != 1 || args[0].empty())
        return kExitUsage;

    ConfigurationSettings settings;
    std::u16string errorText;
    if (!LoadSettings(platform::FromUtf8(args[0]), settings, errorText)) {
        err << ForTerminal(errorText) << "\n";
        return kExitFailure;
    }

    ReportDescriptorView view;
    if (!DescribeReportDescriptor(settings, view, errorText)) {
        err << ForTerminal(errorText) << "\n";
        return kExitFailure;
    }
    out << ForTerminal(view.text);
    if (!view.failures.empty()) {
        err << ForTerminal(HostRuleFailureText(view.failures));
        return kExitFailure;
    }
    return kExitSuccess;
}

}  // namespace kr::cli
