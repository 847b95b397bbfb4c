// SPDX-License-Identifier: MIT
// Reports taken from a built image in s51: user code for each input mode
// sends known values and they come back decoded under the descriptor's
// names; the whole block of user code runs before a report is taken, even
// when it sets the flag first; a value outside its range is marked; five
// touch points' identifiers are inside the Contact Identifier's range; a
// user loop that never sends ends at the budget, naming its C line.

#include <gtest/gtest.h>

#include <sstream>

#include "cli/CommandLine.h"
#include "cli/SimulateCommand.h"
#include "firmware/BuildProject.h"
#include "simulation/ReportSimulation.h"
#include "sdcc/SdccSupport.h"

namespace kr {
namespace {

using simulation::InputMode;

// What each report region of the main program does; Step counts reports.
struct Region {
    const char* name;
    const char* code;
};

const Region kRegions[] = {
    {"mouse report",
     "            { Mouse_Report __xdata *r = (Mouse_Report __xdata *) USB_Position_Buffer;\r\n"
     "              r->Controls = 0x01; STORE_REPORT_U16 (r->X, 100 + Step); STORE_REPORT_U16 (r->Y, 200);\r\n"
     "              KR761x_USB_Mouse_Send_Pending = 1; Step++; }\r\n"},
    // The flag first, the buffer after: the report must hold what follows.
    {"single-point touch report",
     "            { Touch_Point_Report __xdata *r = (Touch_Point_Report __xdata *) USB_Position_Buffer;\r\n"
     "              KR761x_USB_Touch_Send_Pending = 1;\r\n"
     "              r->Controls = 0x03; r->Contact_Identifier = Step % 5;\r\n"
     "              STORE_REPORT_U16 (r->X, 123); STORE_REPORT_U16 (r->Y, 456 + Step); Step++; }\r\n"},
    {"multi-point touch report",
     "            { Touch_Point_Report __xdata *r = (Touch_Point_Report __xdata *) USB_Position_Buffer;\r\n"
     "              r->Controls = 0x01; r->Contact_Identifier = 4;\r\n"
     "              STORE_REPORT_U16 (r->X, 0xFFFF); STORE_REPORT_U16 (r->Y, 7);\r\n"
     "              KR761x_USB_Touch_Send_Pending = 1; }\r\n"},
    {"single pen report", "            { Pen_Report __xdata *r = (Pen_Report __xdata *) USB_Position_Buffer;\r\n"
                          "              r->Controls = 0x03; r->Contact_Identifier = 0;\r\n"
                          "              STORE_REPORT_U16 (r->X, 10 * Step); STORE_REPORT_U16 (r->Y, 20);\r\n"
                          "              KR761x_USB_Touch_Send_Pending = 1; Step++; }\r\n"},
    // Never sends.
    {"multi-pen report", "            for (;;) Step++;\r\n"},
};

// One project for every case: mouse, five touch points and a pen.
class ReportSimulation : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir_ = new test::TempDir;
        ConfigurationSettings s;
        s.touch.numTouchPoints = 5;
        s.pen.bPen = 1;
        test::GenerateSdccProject(s, *dir_);
        std::string main = test::ReadBytes(*dir_ / "KR761x_Main.c");
        for (const Region& region : kRegions) {
            const std::string end = std::string("//! END user code: ") + region.name;
            const std::size_t at = main.find(end);
            ASSERT_NE(at, std::string::npos) << region.name;
            main.insert(main.rfind('\n', at) + 1, region.code);
        }
        test::WriteBytes(*dir_ / "KR761x_Main.c", main);
        test::AddToMainProgram(*dir_, "__data U8 Step;\r\n");
        firmware::BuildResult result;
        ASSERT_TRUE(firmware::BuildSdccProject(dir_->folder(), result))
            << result.toolOutput << platform::ToUtf8(result.errorText);
    }
    static void TearDownTestSuite() { delete dir_; }

    static simulation::SimulationRun Run(InputMode mode, int reports, bool succeeds = true,
                                         std::u16string* error = nullptr)
    {
        simulation::SimulationRun run;
        std::u16string errorText;
        EXPECT_EQ(simulation::SimulateReports(dir_->folder(), {mode, reports, 20000, true}, run, errorText), succeeds)
            << platform::ToUtf8(errorText);
        if (error)
            *error = errorText;
        return run;
    }

    static test::TempDir* dir_;
};

test::TempDir* ReportSimulation::dir_ = nullptr;

// "Name=value" of every field, "!" after a value outside its range.
std::string Values(const simulation::SimulatedReport& report)
{
    std::string text;
    for (const HidFieldValue& v : report.values)
        text += (text.empty() ? "" : " ") + platform::ToUtf8(v.name) + "=" + std::to_string(v.value)
                + (v.outOfRange ? "!" : "");
    return text;
}

struct Case {
    const char* name;
    InputMode mode;
    std::vector<std::string> reports;
};

const Case kCases[] = {
    {"Mouse", InputMode::Mouse, {"Button 1=1 X=100 Y=200", "Button 1=1 X=101 Y=200"}},
    {"TouchFlagSetFirstFiveContacts",
     InputMode::Touch,
     {"Tip Switch=1 In Range=1 Contact Identifier=0 X=123 Y=456",
      "Tip Switch=1 In Range=1 Contact Identifier=1 X=123 Y=457",
      "Tip Switch=1 In Range=1 Contact Identifier=2 X=123 Y=458",
      "Tip Switch=1 In Range=1 Contact Identifier=3 X=123 Y=459",
      "Tip Switch=1 In Range=1 Contact Identifier=4 X=123 Y=460"}},
    {"MultiTouchXOutOfRange", InputMode::MultiTouch, {"Tip Switch=1 In Range=0 Contact Identifier=4 X=65535! Y=7"}},
    {"Pen",
     InputMode::Pen,
     {"Tip Switch=1 In Range=1 Contact Identifier=0 X=0 Y=20",
      "Tip Switch=1 In Range=1 Contact Identifier=0 X=10 Y=20"}},
};

class ReportSimulationCase : public ReportSimulation, public ::testing::WithParamInterface<Case> {};

TEST_P(ReportSimulationCase, ReportsDecodeToTheValuesSent)
{
    const Case& c = GetParam();
    const simulation::SimulationRun run = Run(c.mode, static_cast<int>(c.reports.size()));
    ASSERT_EQ(run.reports.size(), c.reports.size());
    for (std::size_t i = 0; i < c.reports.size(); ++i) {
        EXPECT_EQ(Values(run.reports[i]), c.reports[i]) << "report " << i + 1;
        EXPECT_GT(run.reports[i].instructions, 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, ReportSimulationCase, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return info.param.name; });

TEST_F(ReportSimulation, ARunawayLoopEndsAtTheBudgetNamingItsLine)
{
    std::u16string error;
    Run(InputMode::MultiPen, 1, false, &error);
    const std::string main = test::ReadBytes(*dir_ / "KR761x_Main.c");
    const std::size_t loop = main.find("for (;;) Step++;");
    ASSERT_NE(loop, std::string::npos);
    const long line = std::count(main.begin(), main.begin() + static_cast<long>(loop), '\n') + 1;
    EXPECT_NE(platform::ToUtf8(error).find("No report after 20000 instructions: the program is at 0x"),
              std::string::npos)
        << platform::ToUtf8(error);
    EXPECT_NE(platform::ToUtf8(error).find(", in KR761x_Main.c line " + std::to_string(line) + "."), std::string::npos)
        << platform::ToUtf8(error);
}

// The command line's forms of one run: the assumption first, then a line,
// a row or an element per report.
TEST_F(ReportSimulation, TheCommandPrintsEachFormat)
{
    struct Form {
        std::vector<std::string> args;
        std::string out;
    };
    const std::string project = platform::ToUtf8(dir_->folder());
    const std::string assumed = "Assumed: Every system routine returns at once (a RET at its entry point) with "
                                "KR761x_Status 0 (FUNC_SUCCESS).\n";
    const Form forms[] = {
        {{"--mode", "mouse", "--reports", "1", "--no-vectors", project},
         assumed + "#1 INSTR instructions  80 01 64 00 C8 00  Button 1=1 X=100 Y=200\n"},
        {{"--mode", "multitouch", "--reports", "1", "--no-vectors", "--format", "csv", project},
         "report,instructions,bytes,\"Tip Switch\",\"In Range\",\"Contact Identifier\",\"X\",\"Y\",out of range\n"
         "1,INSTR,81 01 04 FF FF 07 00,1,0,4,65535,7,\"X (0..1024)\"\n"},
    };
    for (const Form& form : forms) {
        std::ostringstream out, err;
        cli::CSimulateCommand command;
        cli::ParsedArguments parsed;
        ASSERT_TRUE(cli::ParseArguments(command.Parameters(), form.args, parsed));
        EXPECT_EQ(command.Run(parsed, out, err), 0) << err.str();
        std::string text = out.str();
        const std::size_t number =
            text.find_first_of("0123456789", text.find(form.args[1] == "mouse" ? "#1 " : "\n1,") + 3);
        text.replace(number, text.find_first_not_of("0123456789", number) - number, "INSTR");
        EXPECT_EQ(text, form.out);
    }
}

}  // namespace
}  // namespace kr
