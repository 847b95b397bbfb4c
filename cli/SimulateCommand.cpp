// SPDX-License-Identifier: MIT
#include "cli/SimulateCommand.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <optional>

#include "cli/TerminalText.h"
#include "platform/SmallFile.h"
#include "platform/Utf.h"
#include "simulation/ReportSimulation.h"
#include "simulation/TestScript.h"

namespace kr::cli {
namespace {

std::optional<std::uint64_t> Count(const std::string& word, std::uint64_t most)
{
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc() || end != word.data() + word.size() || value == 0 || value > most)
        return std::nullopt;
    return value;
}

// The bytes as a host receives them: the report id, then the report.
std::string Bytes(const simulation::SimulatedReport& report)
{
    std::string text;
    char byte[4];
    std::snprintf(byte, sizeof byte, "%02X", report.reportId & 0xFF);
    text += byte;
    for (std::uint8_t b : report.bytes) {
        std::snprintf(byte, sizeof byte, " %02X", b);
        text += byte;
    }
    return text;
}

std::string Range(const HidFieldValue& v)
{
    return std::to_string(v.logicalMinimum) + ".." + std::to_string(v.logicalMaximum);
}

std::string Quoted(const std::string& text, char quote)
{
    std::string out(1, quote);
    for (char c : text) {
        if (c == quote || (quote == '"' && c == '\\'))
            out += quote == '"' ? '\\' : quote;
        out += c;
    }
    return out + quote;
}

// Chip time in ms, to the µs.
std::string Milliseconds(double ms)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", ms);
    return text;
}

void PrintText(const simulation::SimulationRun& run, std::ostream& out)
{
    for (const std::u16string& assumption : run.assumptions)
        out << "Assumed: " << ForTerminal(assumption) << "\n";
    for (const simulation::SimulatedReport& report : run.reports) {
        out << "#" << report.index << " " << report.instructions << " instructions " << Milliseconds(report.chipMs)
            << " ms  " << Bytes(report) << " ";
        for (const HidFieldValue& v : report.values) {
            out << " " << ForTerminal(v.name) << "=" << v.value;
            if (v.outOfRange)
                out << " (outside " << Range(v) << ")";
        }
        out << "\n";
    }
    for (const std::u16string& diagnostic : run.diagnostics)
        out << ForTerminal(diagnostic) << "\n";
    if (!run.stack.empty())
        out << ForTerminal(run.stack) << "\n";
}

void PrintCsv(const simulation::SimulationRun& run, std::ostream& out, std::ostream& err)
{
    for (const std::u16string& assumption : run.assumptions)
        err << "Assumed: " << ForTerminal(assumption) << "\n";
    for (const std::u16string& diagnostic : run.diagnostics)
        err << ForTerminal(diagnostic) << "\n";
    if (!run.stack.empty())
        err << ForTerminal(run.stack) << "\n";
    out << "report,instructions,ms,bytes";
    if (!run.reports.empty())
        for (const HidFieldValue& v : run.reports.front().values)
            out << "," << Quoted(platform::ToUtf8(v.name), '"');
    out << ",out of range\n";
    for (const simulation::SimulatedReport& report : run.reports) {
        out << report.index << "," << report.instructions << "," << Milliseconds(report.chipMs) << "," << Bytes(report);
        std::string outside;
        for (const HidFieldValue& v : report.values) {
            out << "," << v.value;
            if (v.outOfRange)
                outside += (outside.empty() ? "" : "; ") + platform::ToUtf8(v.name) + " (" + Range(v) + ")";
        }
        out << "," << (outside.empty() ? "" : Quoted(outside, '"')) << "\n";
    }
}

void PrintJson(const simulation::SimulationRun& run, std::string_view mode, const std::u16string& error,
               std::ostream& out)
{
    out << "{\n  \"mode\": \"" << mode << "\",\n  \"assumptions\": [";
    for (std::size_t i = 0; i < run.assumptions.size(); ++i)
        out << (i ? ", " : "") << Quoted(platform::ToUtf8(run.assumptions[i]), '"');
    out << "],\n  \"reports\": [";
    for (std::size_t r = 0; r < run.reports.size(); ++r) {
        const simulation::SimulatedReport& report = run.reports[r];
        out << (r ? "," : "") << "\n    {\"report\": " << report.index << ", \"instructions\": " << report.instructions
            << ", \"ms\": " << Milliseconds(report.chipMs) << ", \"reportId\": " << report.reportId << ", \"bytes\": \""
            << Bytes(report) << "\", \"fields\": [";
        for (std::size_t i = 0; i < report.values.size(); ++i) {
            const HidFieldValue& v = report.values[i];
            out << (i ? ", " : "") << "{\"name\": " << Quoted(platform::ToUtf8(v.name), '"')
                << ", \"value\": " << v.value << ", \"minimum\": " << v.logicalMinimum
                << ", \"maximum\": " << v.logicalMaximum << ", \"outOfRange\": " << (v.outOfRange ? "true" : "false")
                << "}";
        }
        out << "]}";
    }
    out << (run.reports.empty() ? "]" : "\n  ]") << ",\n  \"diagnostics\": [";
    for (std::size_t i = 0; i < run.diagnostics.size(); ++i)
        out << (i ? ", " : "") << Quoted(platform::ToUtf8(run.diagnostics[i]), '"');
    out << "]";
    if (!run.stack.empty())
        out << ",\n  \"stack\": " << Quoted(platform::ToUtf8(run.stack), '"');
    if (!error.empty())
        out << ",\n  \"error\": " << Quoted(platform::ToUtf8(error), '"');
    out << "\n}\n";
}

constexpr std::size_t kMaxScriptBytes = 1024 * 1024;

// Reads and parses the script at path; false with the sentence on err.
bool LoadScript(const std::string& path, simulation::TestScript& script, std::ostream& err)
{
    const std::optional<std::string> text = platform::ReadSmallRegularFile(path, kMaxScriptBytes);
    std::string error;
    if (!text) {
        err << ForTerminal(platform::FromUtf8(path)) << ": the script cannot be read.\n";
        return false;
    }
    if (!simulation::ParseTestScript(*text, script, error)) {
        err << ForTerminal(platform::FromUtf8(path)) << ":" << ForTerminal(platform::FromUtf8(error)) << "\n";
        return false;
    }
    return true;
}

std::string Xml(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            // XML 1.0 takes no control character but tab and line breaks.
            if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r')
                out += '?';
            else
                out += c;
        }
    }
    return out;
}

}  // namespace

int CTestCommand::Run(const ParsedArguments& args, std::ostream& out, std::ostream& err)
{
    const std::string format = args.Has("--format") ? args.Value("--format") : "text";
    if (format != "text" && format != "junit")
        return kExitUsage;
    const std::string& scriptPath = args.positionals[0];
    simulation::TestScript script;
    if (!LoadScript(scriptPath, script, err))
        return kExitTrouble;
    simulation::SimulationOptions options;
    if (script.mode)
        options.mode = *script.mode;
    options.script = &script;
    simulation::SimulationRun run;
    std::u16string errorText;
    const bool simulated = simulation::SimulateReports(args.positionals[1], options, run, errorText);
    if (!simulated && run.reports.empty() && run.transfers.empty() && run.assumptions.empty()) {
        err << ForTerminal(errorText) << "\n";
        return kExitFailure;
    }
    const std::vector<simulation::ExpectationResult> results = simulation::JudgeScript(script, run);
    const long failed = std::count_if(results.begin(), results.end(), [](const auto& r) { return !r.holds; });
    if (format == "junit") {
        out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuite name=\"" << Xml(scriptPath) << "\" tests=\""
            << results.size() << "\" failures=\"" << failed << "\" errors=\"0\">\n";
        for (const auto& r : results) {
            out << "  <testcase classname=\"" << Xml(scriptPath) << "\" name=\"line " << r.line << ": expect "
                << Xml(r.text) << "\"";
            if (r.holds)
                out << "/>\n";
            else
                out << ">\n    <failure message=\"" << Xml(scriptPath + ":" + std::to_string(r.line) + ": " + r.failure)
                    << "\"/>\n  </testcase>\n";
        }
        if (!simulated)
            out << "  <system-err>" << Xml(platform::ToUtf8(errorText)) << "</system-err>\n";
        out << "</testsuite>\n";
    } else {
        PrintText(run, out);
        for (const auto& r : results)
            if (!r.holds)
                out << scriptPath << ":" << r.line << ": " << r.failure << "\n";
        out << results.size() - static_cast<std::size_t>(failed) << " of " << results.size() << " expectations hold.\n";
    }
    out.flush();
    if (!simulated)
        err << ForTerminal(errorText) << "\n";
    // Expectations all decided and holding pass, even when the budget ran
    // out after them.
    return failed == 0 && (simulated || !results.empty()) ? kExitSuccess : kExitFailure;
}

int CSimulateCommand::Run(const ParsedArguments& args, std::ostream& out, std::ostream& err)
{
    simulation::SimulationOptions options;
    if (args.Has("--mode") && !simulation::ParseInputMode(args.Value("--mode"), options.mode))
        return kExitUsage;
    if (args.Has("--reports")) {
        const auto n = Count(args.Value("--reports"), 1000000);
        if (!n)
            return kExitUsage;
        options.reports = static_cast<int>(*n);
    }
    if (args.Has("--budget")) {
        const auto n = Count(args.Value("--budget"), 4000000000ULL);
        if (!n)
            return kExitUsage;
        options.budget = *n;
    }
    const std::string format = args.Has("--format") ? args.Value("--format") : "text";
    if (format != "text" && format != "csv" && format != "json")
        return kExitUsage;
    options.passInterrupts = !args.Has("--no-vectors");
    simulation::TestScript script;
    if (args.Has("--script")) {
        if (!LoadScript(args.Value("--script"), script, err))
            return kExitTrouble;
        if (script.mode && !args.Has("--mode"))
            options.mode = *script.mode;
        // Its answers only: the run takes the reports asked for.
        script.expectations.clear();
        options.script = &script;
    }
    const std::string& project = args.positionals[0];

    simulation::SimulationRun run;
    std::u16string errorText;
    const bool simulated = simulation::SimulateReports(project, options, run, errorText);
    if (format == "json")
        PrintJson(run, simulation::InputModeName(options.mode), errorText, out);
    else if (format == "csv")
        PrintCsv(run, out, err);
    else
        PrintText(run, out);
    out.flush();
    if (!simulated) {
        err << ForTerminal(errorText) << "\n";
        return kExitFailure;
    }
    return kExitSuccess;
}

}  // namespace kr::cli
