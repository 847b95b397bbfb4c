// SPDX-License-Identifier: MIT
#include "cli/CommandLine.h"

#include <algorithm>
#include <utility>

namespace kr::cli {

namespace {

using Rows = std::vector<std::pair<std::string, std::string_view>>;

const std::pair<std::string, std::string_view> kHelpRow = {"--help", "show this help and exit"};
const std::pair<std::string, std::string_view> kVersionRow = {"--version", "show the version and exit"};

bool IsOption(const Parameter& parameter)
{
    return parameter.name.starts_with("-");
}

// "usage: PROGRAM [COMMAND ]ARGUMENTS" for one command.
std::string UsageLine(std::string_view program, const CCommand& command, bool withName)
{
    std::string line = "usage: " + std::string(program) + " ";
    if (withName)
        line += std::string(command.Name()) + " ";
    return line + UsageArguments(command.Parameters());
}

bool IsHelp(const std::string& word)
{
    return word == "--help" || word == "-h";
}

// Tables whose second column starts where the longest first column leaves
// room for it, so that the rows of all of them line up.
void WriteTables(std::ostream& out, const std::vector<std::pair<std::string_view, Rows>>& tables)
{
    std::size_t width = 0;
    for (const auto& [title, rows] : tables)
        for (const auto& row : rows)
            width = std::max(width, row.first.size());
    bool first = true;
    for (const auto& [title, rows] : tables) {
        out << (first ? "" : "\n") << title << "\n";
        for (const auto& [call, summary] : rows)
            out << "  " << call << std::string(width + 2 - call.size(), ' ') << summary << "\n";
        first = false;
    }
}

// The "Arguments:" and "Options:" tables of a command's help; the options
// end with those the program answers itself (extraOptions).
void WriteParameterTables(std::ostream& out, const std::vector<Parameter>& parameters, const Rows& extraOptions)
{
    Rows arguments;
    Rows options;
    for (const Parameter& parameter : parameters) {
        std::string call(parameter.name);
        if (IsOption(parameter)) {
            if (!parameter.alias.empty())
                call = std::string(parameter.alias) + ", " + call;
            if (!parameter.value.empty())
                call += " " + std::string(parameter.value);
            options.emplace_back(call, parameter.description);
        } else {
            if (parameter.occurs == Occurs::Optional)
                call = "[" + call + "]";
            else if (parameter.occurs == Occurs::Repeated)
                call += "...";
            arguments.emplace_back(call, parameter.description);
        }
    }
    options.insert(options.end(), extraOptions.begin(), extraOptions.end());
    std::vector<std::pair<std::string_view, Rows>> tables;
    if (!arguments.empty())
        tables.emplace_back("Arguments:", std::move(arguments));
    tables.emplace_back("Options:", std::move(options));
    WriteTables(out, tables);
}

const Parameter* FindOption(const std::vector<Parameter>& parameters, std::string_view word)
{
    for (const Parameter& parameter : parameters)
        if (IsOption(parameter) && (parameter.name == word || (!parameter.alias.empty() && parameter.alias == word)))
            return &parameter;
    return nullptr;
}

// Reads args as command's parameters declare them and runs it; writes
// usage on err when the command line is not understood.
int RunParsed(CCommand& command, const std::string& usage, const std::vector<std::string>& args, std::ostream& out,
              std::ostream& err)
{
    ParsedArguments parsed;
    const int status = ParseArguments(command.Parameters(), args, parsed) ? command.Run(parsed, out, err) : kExitUsage;
    if (status == kExitUsage)
        err << usage << "\n";
    return status == kExitTrouble ? kExitUsage : status;
}

}  // namespace

bool ParsedArguments::Has(std::string_view option) const
{
    return std::any_of(options.begin(), options.end(), [&](const auto& given) { return given.first == option; });
}

std::string ParsedArguments::Value(std::string_view option) const
{
    for (const auto& [name, value] : options)
        if (name == option)
            return value;
    return {};
}

std::vector<std::string> ParsedArguments::Values(std::string_view option) const
{
    std::vector<std::string> values;
    for (const auto& [name, value] : options)
        if (name == option)
            values.push_back(value);
    return values;
}

std::string UsageArguments(const std::vector<Parameter>& parameters)
{
    std::string text;
    for (const Parameter& parameter : parameters) {
        if (IsOption(parameter) && !parameter.inUsage)
            continue;
        std::string word(parameter.name);
        if (IsOption(parameter)) {
            if (!parameter.value.empty())
                word += " " + std::string(parameter.value);
            word = "[" + word + "]" + (parameter.repeats ? "..." : "");
        } else if (parameter.occurs == Occurs::Optional) {
            word = "[" + word + "]";
        } else if (parameter.occurs == Occurs::Repeated) {
            word += "...";
        }
        text += (text.empty() ? "" : " ") + word;
    }
    return text;
}

bool ParseArguments(const std::vector<Parameter>& parameters, const std::vector<std::string>& words,
                    ParsedArguments& parsed)
{
    parsed = {};
    bool optionsEnded = false;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (!optionsEnded && word == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && word.size() > 1 && word.starts_with("-")) {
            const Parameter* option = FindOption(parameters, word);
            if (option == nullptr || (parsed.Has(option->name) && !option->repeats))
                return false;
            std::string value;
            if (!option->value.empty()) {
                if (i + 1 >= words.size() || words[i + 1].empty())
                    return false;
                value = words[++i];
            }
            parsed.options.emplace_back(option->name, std::move(value));
        } else if (word.empty()) {
            return false;  // names no file, and is most often a variable left unset
        } else {
            parsed.positionals.push_back(word);
        }
    }
    std::size_t least = 0;
    std::size_t most = 0;
    bool repeated = false;
    for (const Parameter& parameter : parameters) {
        if (IsOption(parameter))
            continue;
        least += parameter.occurs == Occurs::Optional ? 0 : 1;
        most += 1;
        repeated = repeated || parameter.occurs == Occurs::Repeated;
    }
    return parsed.positionals.size() >= least && (repeated || parsed.positionals.size() <= most);
}

CCommandLine::CCommandLine(std::string version) : version_(std::move(version))
{
}

void CCommandLine::Add(std::unique_ptr<CCommand> command)
{
    commands_.push_back(std::move(command));
}

CCommand* CCommandLine::Find(const std::string& name) const
{
    const auto it =
        std::find_if(commands_.begin(), commands_.end(), [&](const auto& command) { return command->Name() == name; });
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
    // Every command's own help and usage line are written here, from its
    // declared parameters.
    const std::string usage = UsageLine(kProgramName, *command, true);
    if (args.size() == 2 && IsHelp(args[1])) {
        out << usage << "\n" << command->Summary() << "\n\n";
        WriteParameterTables(out, command->Parameters(), {kHelpRow});
        return kExitSuccess;
    }
    return RunParsed(*command, usage, {args.begin() + 1, args.end()}, out, err);
}

void CCommandLine::WriteUsage(std::ostream& err) const
{
    err << "usage: " << kProgramName << " COMMAND ARGUMENTS (try '" << kProgramName << " --help')\n";
}

void CCommandLine::WriteHelp(std::ostream& out) const
{
    Rows commandRows;
    for (const auto& command : commands_)
        commandRows.emplace_back(std::string(command->Name()) + " " + UsageArguments(command->Parameters()),
                                 command->Summary());

    out << "usage: " << kProgramName << " COMMAND ARGUMENTS\n"
        << "\n"
        << "Generates KR761x firmware projects from configuration save files (.kcw).\n"
        << "\n";
    WriteTables(out, {{"Commands:", std::move(commandRows)}, {"Options:", {kHelpRow, kVersionRow}}});
    out << "\n"
        << "Exit status: 0 on success; 1 when the work failed, with the reason on\n"
        << "standard error; 2 when the command line was not understood.\n";
}

int RunSingleCommand(const SingleCommandProgram& program, CCommand& command, const std::vector<std::string>& args,
                     std::ostream& out, std::ostream& err)
{
    const std::string usage = UsageLine(program.name, command, false);
    if (args.size() == 1 && IsHelp(args[0])) {
        out << usage << "\n" << program.help << "\n";
        WriteParameterTables(out, command.Parameters(), {kHelpRow, kVersionRow});
        return kExitSuccess;
    }
    if (args.size() == 1 && args[0] == "--version") {
        out << program.name << " " << program.version << "\n";
        return kExitSuccess;
    }
    return RunParsed(command, usage, args, out, err);
}

}  // namespace kr::cli
