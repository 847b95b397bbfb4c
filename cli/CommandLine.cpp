#include "cli/CommandLine.h"

#include <algorithm>

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
    return status;
}

void CCommandLine::WriteUsage(std::ostream& err) const
{
    err << "usage: " << kProgramName << " COMMAND ARGUMENTS (try '" << kProgramName << " --help')\n";
}

void CCommandLine::WriteHelp(std::ostream& out) const
{
    out << "usage: " << kProgramName << " COMMAND ARGUMENTS\n"
        << "\n"
        << "Generates KR761x firmware projects from configuration save files (.kcw).\n"
        << "\n"
        << "Commands:\n";
    for (const auto& command : commands_) {
        const std::string call = std::string(command->Name()) + " " + std::string(command->Arguments());
        out << "  " << call << std::string(call.size() < 30 ? 30 - call.size() : 1, ' ') << command->Summary()
            << "\n";
    }
    out << "\n"
        << "Options:\n"
        << "  --help                        show this help and exit\n"
        << "  --version                     show the version and exit\n"
        << "\n"
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
    const bool unknownOption = std::any_of(args.begin(), args.end(), [](const std::string& word) {
        return word.starts_with("-");
    });
    const int status = unknownOption ? kExitUsage : command.Run(args, out, err);
    if (status == kExitUsage)
        err << usage;
    return status;
}

}  // namespace kr::cli
