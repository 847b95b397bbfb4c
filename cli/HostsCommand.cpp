// SPDX-License-Identifier: MIT
#include "cli/HostsCommand.h"

#include <cstdio>

#include "cli/TerminalText.h"
#include "generator/ReportDescriptor.h"
#include "hid/HostRules.h"
#include "platform/Utf.h"
#include "settings/SaveFile.h"

namespace kr::cli {
namespace {

// A JSON string: the text in UTF-8 (bytes that are not become U+FFFD), with
// quotes, backslashes and control characters escaped.
std::string Json(std::string_view text)
{
    const std::string utf8 = platform::ToUtf8(platform::FromUtf8(text));
    std::string out = "\"";
    for (const char c : utf8) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string Json(std::u16string_view text)
{
    return Json(platform::ToUtf8(text));
}

void PrintJson(const std::string& file, const std::vector<HostVerdict>& verdicts, bool& first, std::ostream& out)
{
    for (const HostVerdict& verdict : verdicts) {
        out << (first ? "\n" : ",\n") << "  {\"file\": " << Json(std::string_view(file))
            << ", \"host\": " << Json(HostName(verdict.host))
            << ", \"collection\": " << Json(HostCollectionName(verdict.collection))
            << ", \"driver\": " << Json(verdict.driver) << ", \"verdict\": " << Json(HostVerdictName(verdict.verdict))
            << ", \"rules\": [";
        for (std::size_t i = 0; i < verdict.rules.size(); ++i) {
            const BrokenHostRule& rule = verdict.rules[i];
            out << (i ? ",\n" : "\n") << "    {\"id\": " << Json(rule.id) << ", \"text\": " << Json(rule.text)
                << ", \"source\": " << Json(rule.source) << ", \"weight\": " << Json(RuleWeightName(rule.weight))
                << "}";
        }
        out << (verdict.rules.empty() ? "]}" : "\n  ]}");
        first = false;
    }
}

}  // namespace

int CHostsCommand::Run(const ParsedArguments& args, std::ostream& out, std::ostream& err)
{
    std::vector<Host> hosts;
    for (const std::string& name : args.Values("--host")) {
        const auto host = ParseHostName(platform::FromUtf8(name));
        if (!host)
            return kExitUsage;
        hosts.push_back(*host);
    }
    if (hosts.empty())
        hosts.assign(std::begin(kHosts), std::end(kHosts));
    const std::string format = args.Has("--format") ? args.Value("--format") : "text";
    if (format != "text" && format != "json")
        return kExitUsage;

    bool passed = true;
    bool first = true;
    if (format == "json")
        out << "[";
    for (const std::string& file : args.positionals) {
        ConfigurationSettings settings;
        ReportDescriptorView view;
        std::u16string errorText;
        if (!LoadSettings(file, settings, errorText) || !DescribeReportDescriptor(settings, view, errorText)) {
            err << ForTerminal(errorText) << "\n";
            passed = false;
            continue;
        }
        const std::vector<HostVerdict> verdicts = JudgeHosts(view.decoding, hosts);
        for (const HostVerdict& verdict : verdicts)
            passed = passed && verdict.verdict != HostVerdictKind::Fails;
        if (format == "json") {
            PrintJson(file, verdicts, first, out);
            continue;
        }
        // Each verdict line names its file, as check's lines do.
        const std::string text = ForTerminal(HostVerdictText(verdicts));
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t end = text.find('\n', at);
            const std::string line = text.substr(at, end - at);
            out << (line.starts_with(" ") ? "" : file + ": ") << line << "\n";
            at = end == std::string::npos ? text.size() : end + 1;
        }
    }
    if (format == "json")
        out << (first ? "]\n" : "\n]\n");
    return passed ? kExitSuccess : kExitFailure;
}

}  // namespace kr::cli
