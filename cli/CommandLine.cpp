// SPDX-License-Identifier: MIT
#include "cli/CommandLine.h"

#include <algorithm>
#include <utility>

namespace kr::cli {

namespace {

// "usage: kr761x-gen NAME ARGUMENTS" for one command.
std::string UsageLine(const CCommand& command)
{
    return std::string("usage: ") + kProgramName + " " + std::string(command.Name()) + " " +
           std::string(command.Arguments());
}

bool IsHelp(const std::string& word)
{
    return word == "--help" || word == "-h";
}

}  // namespace

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
    if (IsHelp(first)) {
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
    // Every command's own help and usage line are written here, so each
    // command only parses its arguments.
    if (args.size() == 2 && IsHelp(args[1])) {
        out << UsageLine(*command) << "\n" << command->Summary() << "\n";
        return kExitSuccess;
    }
    const int status = command->Run({args.begin() + 1, args.end()}, out, err);
    if (status == kExitUsage)
        err << UsageLine(*command) << "\n";
    return status == kExitTrouble ? kExitUsage : status;
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

int RunSingleCommand(const SingleCommandProgram& program, CCommand& command, const std::vector<std::string>& args,
                     std::ostream& out, std::ostream& err)
{
    const std::string usage = "usage: " + std::string(program.name) + " " + std::string(program.arguments) + "\n";
    if (args.size() == 1 && IsHelp(args[0])) {
        out << usage << program.help;
        return kExitSuccess;
    }
    if (args.size() == 1 && args[0] == "--version") {
        out << program.name << " " << program.version << "\n";
        return kExitSuccess;
    }
    // A word starting with '-' is an option the program knows, followed by
    // its value, or an unknown one.
    bool unknownOption = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const bool known = std::find(program.valueOptions.begin(), program.valueOptions.end(), args[i]) !=
                           program.valueOptions.end();
        if (known)
            ++i;
        else if (args[i].starts_with("-"))
            unknownOption = true;
    }
    const int status = unknownOption ? kExitUsage : command.Run(args, out, err);
    if (status == kExitUsage)
        err << usage;
    return status;
}

}  // namespace kr::cli
