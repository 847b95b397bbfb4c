// SPDX-License-Identifier: MIT
// Reports taken from a built image in s51: user code for each input mode
// sends known values and they come back decoded under the descriptor's
// names; the whole block of user code runs before a report is taken, even
// when it sets the flag first; a value outside its range is marked; five
// touch points' identifiers are inside the Contact Identifier's range, and
// frames of five contacts carry the count in their first report only; a
// user loop that never sends ends at the budget, naming its C line.

#include <gtest/gtest.h>

#include <regex>
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
     "              STORE_REPORT_U16 (r->X, 123); STORE_REPORT_U16 (r->Y, 456 + Step);\r\n"
     "              STORE_REPORT_U16 (r->Scan_Time, Step); r->Contact_Count = 1; Step++; }\r\n"},
    // Frames of five contacts, one a report: the first carries the count.
    {"multi-point touch report",
     "            { Touch_Point_Report __xdata *r = (Touch_Point_Report __xdata *) USB_Position_Buffer;\r\n"
     "              r->Controls = 0x01; r->Contact_Identifier = Step % 5;\r\n"
     "              STORE_REPORT_U16 (r->X, Step ? 100 + Step : 0xFFFF); STORE_REPORT_U16 (r->Y, 7);\r\n"
     "              STORE_REPORT_U16 (r->Scan_Time, Step / 5 * 167); r->Contact_Count = Step % 5 ? 0 : 5;\r\n"
     "              KR761x_USB_Touch_Send_Pending = 1;\r\n"
     "              if (!Step) KR761x_USB_Touch_Send_Pending = 1; /* again */\r\n"
     "              Step++;\r\n"
     "              while (KR761x_USB_Touch_Send_Pending) ; }\r\n"},
    // Send, then wait until the report is taken.
    {"single pen report", "            { Pen_Report __xdata *r = (Pen_Report __xdata *) USB_Position_Buffer;\r\n"
                          "              r->Controls = 0x03; r->Contact_Identifier = 0;\r\n"
                          "              STORE_REPORT_U16 (r->X, 10 * Step); STORE_REPORT_U16 (r->Y, 20);\r\n"
                          "              KR761x_USB_Touch_Send_Pending = 1; Step++;\r\n"
                          "              while (KR761x_USB_Touch_Send_Pending) ; }\r\n"},
    // Never sends.
    {"multi-pen report", "            for (;;) Step++;\r\n"},
};

// One project for every case: mouse, five touch points with their count and
// scan time, and a pen.
class ReportSimulation : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir_ = new test::TempDir;
        ConfigurationSettings s;
        s.touch = {.numTouchPoints = 5, .bContactCount = 1};
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

public:
    static const test::TempDir* Folder() { return dir_; }

protected:
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

struct ModeCase {
    const char* name;
    InputMode mode;
    std::vector<std::string> reports;
    // What the run says the user code did wrong, and the code of the line
    // it must name; none when empty.
    const char* diagnostic = "";
    const char* line = "";
};

const ModeCase kModeCases[] = {
    {"Mouse", InputMode::Mouse, {"Button 1=1 X=100 Y=200", "Button 1=1 X=101 Y=200"}},
    {"TouchFlagSetFirstFiveContacts",
     InputMode::Touch,
     {"Tip Switch=1 In Range=1 Contact Identifier=0 X=123 Y=456 Scan Time=0 Contact Count=1",
      "Tip Switch=1 In Range=1 Contact Identifier=1 X=123 Y=457 Scan Time=1 Contact Count=1",
      "Tip Switch=1 In Range=1 Contact Identifier=2 X=123 Y=458 Scan Time=2 Contact Count=1",
      "Tip Switch=1 In Range=1 Contact Identifier=3 X=123 Y=459 Scan Time=3 Contact Count=1",
      "Tip Switch=1 In Range=1 Contact Identifier=4 X=123 Y=460 Scan Time=4 Contact Count=1"},
     "USB_Position_Buffer was written while a report was pending",
     "r->Controls = 0x03; r->Contact_Identifier = Step % 5;"},
    // Frames of five contacts, one a report: the first carries the count.
    // The first report is sent twice.
    {"MultiTouchFramesOfFiveXOutOfRangeSentTwice",
     InputMode::MultiTouch,
     {"Tip Switch=1 In Range=0 Contact Identifier=0 X=65535! Y=7 Scan Time=0 Contact Count=5",
      "Tip Switch=1 In Range=0 Contact Identifier=1 X=101 Y=7 Scan Time=0 Contact Count=0",
      "Tip Switch=1 In Range=0 Contact Identifier=2 X=102 Y=7 Scan Time=0 Contact Count=0",
      "Tip Switch=1 In Range=0 Contact Identifier=3 X=103 Y=7 Scan Time=0 Contact Count=0",
      "Tip Switch=1 In Range=0 Contact Identifier=4 X=104 Y=7 Scan Time=0 Contact Count=0",
      "Tip Switch=1 In Range=0 Contact Identifier=0 X=105 Y=7 Scan Time=167 Contact Count=5",
      "Tip Switch=1 In Range=0 Contact Identifier=1 X=106 Y=7 Scan Time=167 Contact Count=0"},
     "The send flag was set again while a report was pending",
     "/* again */"},
    {"PenSendsThenWaits",
     InputMode::Pen,
     {"Tip Switch=1 In Range=1 Contact Identifier=0 X=0 Y=20",
      "Tip Switch=1 In Range=1 Contact Identifier=0 X=10 Y=20"}},
};

class ReportSimulationCase : public ReportSimulation, public ::testing::WithParamInterface<ModeCase> {};

// The line of KR761x_Main.c that holds code.
int LineOf(const std::string& code)
{
    const std::string main = test::ReadBytes(*ReportSimulation::Folder() / "KR761x_Main.c");
    const std::size_t at = main.find(code);
    EXPECT_NE(at, std::string::npos) << code;
    return at == std::string::npos ? 0 : int(std::count(main.begin(), main.begin() + long(at), '\n')) + 1;
}

TEST_P(ReportSimulationCase, ReportsDecodeToTheValuesSent)
{
    const ModeCase& c = GetParam();
    const simulation::SimulationRun run = Run(c.mode, static_cast<int>(c.reports.size()));
    ASSERT_EQ(run.reports.size(), c.reports.size());
    for (std::size_t i = 0; i < c.reports.size(); ++i) {
        EXPECT_EQ(Values(run.reports[i]), c.reports[i]) << "report " << i + 1;
        EXPECT_GT(run.reports[i].instructions, 0u);
        // Taken at the host's polls, one each ms at most.
        EXPECT_GE(run.reports[i].chipMs, i ? run.reports[i - 1].chipMs + 0.999 : 0.999) << "report " << i + 1;
    }
    std::string said;
    for (const std::u16string& diagnostic : run.diagnostics)
        said += platform::ToUtf8(diagnostic) + "\n";
    if (*c.diagnostic == 0) {
        EXPECT_EQ(said, "");
    } else {
        EXPECT_NE(said.find(c.diagnostic), std::string::npos) << said;
    }
    if (*c.line) {
        EXPECT_NE(said.find("in KR761x_Main.c line " + std::to_string(LineOf(c.line)) + ":"), std::string::npos)
            << said;
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, ReportSimulationCase, ::testing::ValuesIn(kModeCases),
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

// The command line's forms of one run: the assumptions first, then a line,
// a row or an element per report, and the stack's use. Counts, chip times
// and stack figures depend on the templates' code and are masked.
TEST_F(ReportSimulation, TheCommandPrintsEachFormat)
{
    struct Form {
        std::vector<std::string> args;
        std::string out;
    };
    const std::string project = platform::ToUtf8(dir_->folder());
    const std::string assumed =
        "Assumed: Every system routine returns at once (a RET at its entry point) with KR761x_Status 0 "
        "(FUNC_SUCCESS).\n"
        "Assumed: The host polls the input endpoint every 1 ms (its bInterval); at a poll with the send flag set, the "
        "system firmware takes the report in USB_Position_Buffer and then clears the flag.\n"
        "Assumed: Chip time counts 12 oscillator clocks per machine cycle at 24 MHz (the oscillator "
        "KR761x_System_Init starts).\n";
    const Form forms[] = {
        {{"--mode", "mouse", "--reports", "1", "--no-vectors", project},
         assumed + "#1 N instructions T ms  80 01 64 00 C8 00  Button 1=1 X=100 Y=200\nStack: S\n"},
        {{"--mode", "multitouch", "--reports", "1", "--no-vectors", "--format", "csv", project},
         "report,instructions,ms,bytes,\"Tip Switch\",\"In Range\",\"Contact Identifier\",\"X\",\"Y\",\"Scan Time\","
         "\"Contact Count\",out of range\n"
         "1,N,T,81 01 00 FF FF 07 00 00 00 05,1,0,0,65535,7,0,5,\"X (0..1024)\"\n"},
    };
    for (const Form& form : forms) {
        std::ostringstream out, err;
        cli::CSimulateCommand command;
        cli::ParsedArguments parsed;
        ASSERT_TRUE(cli::ParseArguments(command.Parameters(), form.args, parsed));
        EXPECT_EQ(command.Run(parsed, out, err), 0) << err.str();
        std::string text =
            std::regex_replace(out.str(), std::regex(R"(#1 \d+ instructions \d+\.\d{3} ms)"), "#1 N instructions T ms");
        text = std::regex_replace(text, std::regex(R"(\n1,\d+,\d+\.\d{3},)"), "\n1,N,T,");
        text = std::regex_replace(
            text,
            std::regex(
                R"(Stack: \d+ bytes at its deepest \(up to 0x[0-9A-F]{2}\) of the \d+ bytes the build left for it\.)"),
            "Stack: S");
        EXPECT_EQ(text, form.out);
    }
}

}  // namespace
}  // namespace kr
