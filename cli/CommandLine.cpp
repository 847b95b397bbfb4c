#include "cli/CommandLine.h"

#include <algorithm>
#include <utility>

namespace kr::cli {

std::string UsageLine(const CCommand& command)
{
    return std::string("usage: ") + kProgramName + " " + std::string(command.Name()) + " " +
           std::string(command.Arguments());
}

CCommandLine::CCommandLine(std::string version) : version_(std::move(version)) {}

void CCommandLine::Add(std::unique_ptr<CCommand> command)
{
    commands_.push_back(std::move(command));
}

CCommand* CCommandLine::Find(const std::string& name) const
{
    const auto it = std::find_if(commands_.begin(), commands_.end(),
                                 [&](const auto& command) { return command->Name() == name; });
    return it == commands_.end() ? nullptr : it->get();
}

int CCommandLine::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (args.empty()) {
        WriteUsage(err);
        return kExitUsage;
    }
    const std::string& first = args.front();
    if (first == "--help" || first == "-h") {
        WriteHelp(out);
        return kExitSuccess;
    }
    if (first == "--version") {
        out << kProgramName << " " << version_ << "\n";
        return kExitSuccess;
    }
    CCommand* command = Find(first);
    if (!command) {
        if (first.starts_with("-"))
            err << kProgramName << ": unknown option '" << first << "'\n";
        else
            err << kProgramName << ": unknown command '" << first << "'\n";
        WriteUsage(err);
        return kExitUsage;
    }
    return command->Run({args.begin() + 1, args.end()}, out, err);
}

void CCommandLine::WriteUsage(std::ostream& err) const
{
    err << "usage: " << kProgramName << " COMMAND ARGUMENTS (try '" << kProgramName << " --help')\n";
}

void CCommandLine::WriteHelp(std::ostream& out) const
{
    // Commands and options in one table whose second column starts where
    // the longest call leaves room for it, so that all of them line up.
    using Rows = std::vector<std::pair<std::string, std::string_view>>;
    Rows commandRows;
    for (const auto& command : commands_)
        commandRows.emplace_back(std::string(command->Name()) + " " + std::string(command->Arguments()),
                                 command->Summary());
    const Rows optionRows = {
        {"--help", "show this help and exit"},
        {"--version", "show the version and exit"},
    };
    std::size_t width = 0;
    for (const Rows* rows : std::initializer_list<const Rows*>{&commandRows, &optionRows})
        for (const auto& row : *rows)
            width = std::max(width, row.first.size());
    const auto writeRows = [&](const Rows& rows) {
        for (const auto& [call, summary] : rows)
            out << "  " << call << std::string(width + 2 - call.size(), ' ') << summary << "\n";
    };

    out << "usage: " << kProgramName << " COMMAND ARGUMENTS\n"
        << "\n"
        << "Generates KR761x firmware projects from configuration save files (.kcw).\n"
        << "\n"
        << "Commands:\n";
    writeRows(commandRows);
    out << "\n"
        << "Options:\n";
    writeRows(optionRows);
    out << "\n"
        << "Exit status: 0 on success; 1 when the work failed, with the reason on\n"
        << "standard error; 2 when the command line was not understood.\n";
}

}  // namespace kr::cli
