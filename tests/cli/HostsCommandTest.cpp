// SPDX-License-Identifier: MIT
#include "cli/HostsCommand.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "CommandRun.h"
#include "SavedFilesTest.h"
#include "settings/SaveFile.h"
#include "support/TempDir.h"

namespace kr::cli {
namespace {

using test::Outcome;
using ::testing::HasSubstr;

class Hosts : public test::SavedFilesTest {
protected:
    static Outcome Run(const std::vector<std::string>& args)
    {
        return test::RunWith(std::make_unique<CHostsCommand>(), args);
    }
};

// The JSON object of one verdict, from its opening brace to the start of the
// next verdict's (or the end).
std::string Verdict(const std::string& json, const std::string& host, const std::string& collection)
{
    const std::size_t at = json.find("{\"file\": ");
    for (std::size_t start = at; start != std::string::npos;) {
        const std::size_t next = json.find("\n  {\"file\": ", start + 1);
        const std::string object = json.substr(start, next == std::string::npos ? next : next - start);
        if (object.find("\"host\": \"" + host + "\", \"collection\": \"" + collection + "\"") != std::string::npos)
            return object;
        start = next == std::string::npos ? next : next + 1;
    }
    return {};
}

// The touch report as generated (one contact per report, no Contact Count):
// Windows refuses the touch screen, Linux reads it with hid-multitouch.
TEST_F(Hosts, MultiTouchWithoutContactCountFailsOnWindows)
{
    ConfigurationSettings settings;
    settings.touch.numTouchPoints = 5;
    const std::string file = Save("multi.kcw", settings);
    const Outcome result = Run({"hosts", "--format", "json", file});
    EXPECT_EQ(result.code, kExitFailure);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out.rfind("[\n  {\"file\": \"" + file + "\", \"host\": \"Windows\"", 0), 0u) << result.out;
    EXPECT_TRUE(result.out.ends_with("\n]\n"));
    const std::string windows = Verdict(result.out, "Windows", "touch screen");
    EXPECT_THAT(windows, HasSubstr("\"verdict\": \"fails\""));
    EXPECT_THAT(windows, HasSubstr("{\"id\": \"W-touch-contact-count\", \"text\": \"The touch input report needs a "
                                   "Contact Count (0x0D:0x54)"));
    EXPECT_THAT(windows, HasSubstr("\"weight\": \"fails\"}"));
    EXPECT_THAT(Verdict(result.out, "Linux", "touch screen"), HasSubstr("\"driver\": \"hid-multitouch\""));
}

// A product for Linux alone passes when Linux is the only host judged; the
// verdicts of each file are named by it, and a file that cannot be read
// fails the run without stopping it.
TEST_F(Hosts, OnlyTheHostsNamedAreJudged)
{
    ConfigurationSettings touchOnly;
    touchOnly.touch.numTouchPoints = 5;
    touchOnly.mouse.bMouse = 0;
    const std::string file = Save("touch.kcw", touchOnly);
    Outcome result = Run({"hosts", "--host", "Linux", file});
    EXPECT_EQ(result.code, kExitSuccess) << result.out;
    EXPECT_EQ(result.out, file
                              + ": Linux, touch screen (hid-multitouch): warning\n"
                                "  warning L-touch-frames: Without a Contact Count, hid-multitouch takes every "
                                "report as a whole frame: contacts sent in separate reports never make one frame. "
                                "[Linux drivers/hid/hid-multitouch.c]\n");

    result = Run({"hosts", "--host", "macOS", "--host", "Linux", (dir / "none.kcw").string(), file});
    EXPECT_EQ(result.code, kExitFailure);
    EXPECT_THAT(result.err, HasSubstr("Failed to load settings from:\n"));
    EXPECT_THAT(result.out, HasSubstr(file + ": Linux, touch screen (hid-multitouch): warning\n"));
    EXPECT_THAT(result.out, HasSubstr(file
                                      + ": macOS, touch screen (none): ok\n"
                                        "  info M-mouse-fallback: "));
    EXPECT_LT(result.out.find("Linux"), result.out.find("macOS"));

    result = Run({"hosts", "--host", "Windows", "--format", "json", file});
    EXPECT_EQ(result.code, kExitFailure);
    EXPECT_EQ(result.out.find("\"Linux\""), std::string::npos);
}

}  // namespace
}  // namespace kr::cli
