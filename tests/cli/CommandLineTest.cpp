// SPDX-License-Identifier: MIT
// The one reading of a command's words against its declared parameters:
// what each call is read as, and which calls are refused.

#include <gtest/gtest.h>

#include "cli/CommandLine.h"

namespace kr::cli {
namespace {

const std::vector<Parameter> kPair = {
    {.name = "--flag", .description = "a switch"},
    {.name = "--value", .description = "an option with a value", .value = "V", .alias = "-v"},
    {.name = "A", .description = "needed"},
    {.name = "B", .description = "may be left out", .occurs = Occurs::Optional},
};
const std::vector<Parameter> kFiles = {
    {.name = "FILE", .description = "one or more", .occurs = Occurs::Repeated},
    {.name = "-o", .description = "an option after them", .value = "OUT"},
    {.name = "--tag", .description = "an option given any number of times", .value = "T", .repeats = true},
};

struct Reading {
    const char* name;
    const std::vector<Parameter>* parameters;
    std::vector<std::string> words;
    bool understood;
    std::vector<std::string> positionals = {};
    std::vector<std::pair<std::string_view, std::string>> options = {};
};

const Reading kReadings[] = {
    {"One", &kPair, {"a"}, true, {"a"}},
    {"OptionalGiven", &kPair, {"a", "b"}, true, {"a", "b"}},
    {"TooMany", &kPair, {"a", "b", "c"}, false},
    {"TooFew", &kPair, {}, false},
    {"OptionsAmongArguments",
     &kPair,
     {"a", "--flag", "b", "--value", "x"},
     true,
     {"a", "b"},
     {{"--flag", ""}, {"--value", "x"}}},
    {"AliasReadAsItsName", &kPair, {"-v", "x", "a"}, true, {"a"}, {{"--value", "x"}}},
    {"ValueStartingWithDash", &kPair, {"a", "--value", "-x"}, true, {"a"}, {{"--value", "-x"}}},
    {"DoubleDashEndsOptions", &kPair, {"--", "--flag", "--"}, true, {"--flag", "--"}},
    {"LoneDashIsAnArgument", &kPair, {"-", "--flag"}, true, {"-"}, {{"--flag", ""}}},
    {"UnknownOption", &kPair, {"a", "-x"}, false},
    {"OptionTwice", &kPair, {"a", "--flag", "--flag"}, false},
    {"OptionAndAliasTwice", &kPair, {"a", "--value", "x", "-v", "y"}, false},
    {"OptionWithoutValue", &kPair, {"a", "-v"}, false},
    {"OptionWithEmptyValue", &kPair, {"a", "--value", ""}, false},
    {"EmptyArgument", &kPair, {"a", ""}, false},
    {"EmptyArgumentAfterDoubleDash", &kPair, {"--", ""}, false},
    {"Repeated", &kFiles, {"x", "y", "-o", "z", "w"}, true, {"x", "y", "w"}, {{"-o", "z"}}},
    {"RepeatedNone", &kFiles, {"-o", "z"}, false},
    {"OptionThatRepeats", &kFiles, {"--tag", "a", "x", "--tag", "b"}, true, {"x"}, {{"--tag", "a"}, {"--tag", "b"}}},
    {"OptionThatRepeatsWithoutValue", &kFiles, {"x", "--tag", "a", "--tag"}, false},
};

class ReadingWords : public ::testing::TestWithParam<Reading> {};

TEST_P(ReadingWords, AgainstTheDeclaration)
{
    const Reading& r = GetParam();
    ParsedArguments parsed;
    ASSERT_EQ(ParseArguments(*r.parameters, r.words, parsed), r.understood);
    if (r.understood) {
        EXPECT_EQ(parsed.positionals, r.positionals);
        EXPECT_EQ(parsed.options, r.options);
    }
}

INSTANTIATE_TEST_SUITE_P(Calls, ReadingWords, ::testing::ValuesIn(kReadings),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kr::cli
