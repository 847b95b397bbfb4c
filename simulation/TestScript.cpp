// SPDX-License-Identifier: MIT
#include "simulation/TestScript.h"

#include <algorithm>
#include <charconv>
#include <sstream>

#include "platform/Utf.h"

namespace kr::simulation {
namespace {

std::optional<std::int64_t> Number(const std::string& word)
{
    const bool hex = word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X');
    const bool negative = !hex && !word.empty() && word[0] == '-';
    const char* first = word.data() + (hex ? 2 : negative ? 1 : 0);
    const char* last = word.data() + word.size();
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(first, last, value, hex ? 16 : 10);
    if (error != std::errc() || end != last || first == last || value > 0x7FFFFFFFFFFFFFFFull)
        return std::nullopt;
    return negative ? -static_cast<std::int64_t>(value) : static_cast<std::int64_t>(value);
}

bool Bytes(std::istringstream& words, std::vector<std::uint8_t>& bytes)
{
    std::string word;
    while (words >> word) {
        std::uint8_t value = 0;
        const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value, 16);
        if (word.size() != 2 || error != std::errc() || end != word.data() + 2)
            return false;
        bytes.push_back(value);
    }
    return !bytes.empty();
}

bool ParseBus(const std::string& word, Bus& bus)
{
    if (word == "spi")
        bus = Bus::Spi;
    else if (word == "smbus")
        bus = Bus::SmBus;
    else
        return false;
    return true;
}

// "Contact Identifier=1 X=100": a name runs from after the previous value
// to its "=", a value has no spaces.
bool Fields(std::string text, std::vector<std::pair<std::string, std::int64_t>>& fields)
{
    auto trim = [](std::string s) {
        s.erase(0, s.find_first_not_of(" \t"));
        s.erase(s.find_last_not_of(" \t") + 1);
        return s;
    };
    for (text = trim(text); !text.empty(); text = trim(text)) {
        const std::size_t equals = text.find('=');
        if (equals == std::string::npos)
            return false;
        const std::string name = trim(text.substr(0, equals));
        const std::size_t end = text.find_first_of(" \t", equals + 1);
        const std::optional<std::int64_t> value =
            Number(text.substr(equals + 1, end == std::string::npos ? std::string::npos : end - equals - 1));
        if (name.empty() || !value)
            return false;
        fields.emplace_back(name, *value);
        text = end == std::string::npos ? std::string() : text.substr(end);
    }
    return !fields.empty();
}

std::string Hex(const std::vector<std::uint8_t>& bytes, std::size_t count)
{
    std::string text;
    char byte[4];
    for (std::size_t i = 0; i < count && i < bytes.size(); ++i) {
        std::snprintf(byte, sizeof byte, "%s%02X", i ? " " : "", bytes[i]);
        text += byte;
    }
    return text;
}

}  // namespace

int TestScript::ReportExpectations() const
{
    return static_cast<int>(
        std::count_if(expectations.begin(), expectations.end(), [](const ScriptExpectation& e) { return e.report; }));
}

const char* BusName(Bus bus)
{
    return bus == Bus::Spi ? "spi" : "smbus";
}

bool ParseTestScript(const std::string& text, TestScript& script, std::string& errorText)
{
    script = {};
    std::istringstream in(text);
    std::string line;
    double fromMs = 0;
    for (int number = 1; std::getline(in, line); ++number) {
        if (const std::size_t hash = line.find('#'); hash != std::string::npos)
            line.erase(hash);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::istringstream words(line);
        std::string verb, word;
        if (!(words >> verb))
            continue;
        auto fail = [&](const std::string& why) {
            errorText = "line " + std::to_string(number) + ": " + why;
            return false;
        };
        Bus bus;
        if (verb == "mode") {
            InputMode mode;
            if (!(words >> word) || !ParseInputMode(word, mode) || (words >> word))
                return fail("mode takes one of mouse, touch, multitouch, pen, multipen");
            script.mode = mode;
        } else if (ParseBus(verb, bus)) {
            ScriptAnswer answer{number, fromMs, bus, {}};
            if (!Bytes(words, answer.bytes) || answer.bytes.size() > 128)
                return fail(verb + " takes 1 to 128 bytes as two hex digits each");
            script.answers.push_back(std::move(answer));
        } else if (verb == "uart") {
            std::vector<std::uint8_t> bytes;
            if (!Bytes(words, bytes))
                return fail("uart takes bytes as two hex digits each");
            for (std::uint8_t b : bytes)
                script.uart.push_back({number, fromMs, b});
        } else if (verb == "status") {
            ScriptStatus status{number, fromMs, {}, 0};
            std::optional<std::int64_t> n;
            if (!(words >> status.routine) || !(words >> word) || !(n = Number(word)) || *n < 0 || *n > 255
                || (words >> word))
                return fail("status takes a routine's entry macro and a status from 0 to 255");
            status.status = static_cast<int>(*n);
            script.statuses.push_back(std::move(status));
        } else if (verb == "wait") {
            std::optional<std::int64_t> n;
            if (!(words >> word) || !(n = Number(word)) || *n < 0 || !(words >> word) || word != "ms"
                || (words >> word))
                return fail("wait takes a number of ms: wait N ms");
            fromMs += static_cast<double>(*n);
        } else if (verb == "expect") {
            ScriptExpectation expectation;
            expectation.line = number;
            if (!(words >> word))
                return fail("expect takes report or sent");
            if (word == "report") {
                std::string rest;
                std::getline(words, rest);
                if (!Fields(rest, expectation.fields))
                    return fail("expect report takes NAME=VALUE pairs, each value a number");
            } else if (word == "sent") {
                expectation.report = false;
                if (!(words >> word) || !ParseBus(word, expectation.bus) || !Bytes(words, expectation.bytes))
                    return fail("expect sent takes spi or smbus and bytes as two hex digits each");
            } else
                return fail("expect takes report or sent");
            script.expectations.push_back(std::move(expectation));
        } else
            return fail("unknown instruction " + verb + " (mode, spi, smbus, uart, status, wait or expect)");
    }
    return true;
}

std::vector<ExpectationResult> JudgeScript(const TestScript& script, const SimulationRun& run)
{
    std::vector<ExpectationResult> results;
    std::size_t report = 0;
    std::size_t sent[2] = {0, 0};
    for (const ScriptExpectation& e : script.expectations) {
        ExpectationResult r;
        r.line = e.line;
        if (e.report) {
            std::string expected, got;
            for (const auto& [name, value] : e.fields)
                expected += (expected.empty() ? "" : " ") + name + "=" + std::to_string(value);
            r.text = "report " + expected;
            if (report >= run.reports.size()) {
                r.failure = "expected " + expected + ", got no report";
            } else {
                const SimulatedReport& taken = run.reports[report];
                r.holds = true;
                for (const auto& named : e.fields) {
                    // Not a structured binding: the lambda below captures it.
                    const auto& name = named.first;
                    const auto& value = named.second;
                    const auto field = std::find_if(taken.values.begin(), taken.values.end(),
                                                    [&](const auto& v) { return platform::ToUtf8(v.name) == name; });
                    got +=
                        (got.empty() ? "" : " ") + name + "="
                        + (field == taken.values.end() ? std::string("(no such field)") : std::to_string(field->value));
                    r.holds = r.holds && field != taken.values.end() && field->value == value;
                }
                if (!r.holds)
                    r.failure = "expected " + expected + ", got " + got;
            }
            ++report;
        } else {
            const std::string expected = std::string(BusName(e.bus)) + " " + Hex(e.bytes, e.bytes.size());
            r.text = "sent " + expected;
            std::size_t& index = sent[e.bus == Bus::Spi ? 0 : 1];
            std::size_t seen = 0;
            const SimulatedTransfer* transfer = nullptr;
            for (const SimulatedTransfer& t : run.transfers)
                if (t.bus == e.bus && seen++ == index) {
                    transfer = &t;
                    break;
                }
            ++index;
            if (!transfer)
                r.failure = "expected sent " + expected + ", got no transfer on " + BusName(e.bus);
            else {
                r.holds = transfer->sent.size() >= e.bytes.size()
                          && std::equal(e.bytes.begin(), e.bytes.end(), transfer->sent.begin());
                if (!r.holds)
                    r.failure = "expected sent " + expected + ", got " + std::string(BusName(e.bus)) + " "
                                + Hex(transfer->sent, e.bytes.size());
            }
        }
        results.push_back(std::move(r));
    }
    return results;
}

}  // namespace kr::simulation
