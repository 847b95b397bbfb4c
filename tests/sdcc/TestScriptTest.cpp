// SPDX-License-Identifier: MIT
// kr761x-gen test on a built image: user code reads a touch point from an
// SPI sensor (command 0xA5, five bytes back) and reports it, or an empty
// report when the transfer fails. Scripts answer the transfers, fail one,
// and expect the reports and the command byte; a wrong value names its
// line and both values, JUnit output is well-formed, a script that cannot
// be read names its line, and UART bytes arrive when the script says.

#include <gtest/gtest.h>
#include <libxml/parser.h>

#include <sstream>

#include "cli/CommandLine.h"
#include "cli/SimulateCommand.h"
#include "firmware/BuildProject.h"
#include "simulation/TestScript.h"
#include "sdcc/SdccSupport.h"

namespace kr {
namespace {

constexpr const char* kSensorCode =
    "            { Touch_Point_Report __xdata *report = (Touch_Point_Report __xdata *) USB_Position_Buffer;\r\n"
    "              Comm_Tx_Buffer[0] = 0xA5;\r\n"
    "              KR761x_SPI_Master_Transfer (SPI_WRITEREAD, 5, 0);\r\n"
    "              if (KR761x_Status == FUNC_SUCCESS) {\r\n"
    "                 report->Controls = 0x03; report->Contact_Identifier = Comm_Rx_Buffer[0];\r\n"
    "                 STORE_REPORT_U16 (report->X, Comm_Rx_Buffer[1] | (U16) Comm_Rx_Buffer[2] << 8);\r\n"
    "                 STORE_REPORT_U16 (report->Y, Comm_Rx_Buffer[3] | (U16) Comm_Rx_Buffer[4] << 8);\r\n"
    "              } else {\r\n"
    "                 report->Controls = 0; report->Contact_Identifier = 0;\r\n"
    "                 STORE_REPORT_U16 (report->X, 0); STORE_REPORT_U16 (report->Y, 0);\r\n"
    "              }\r\n"
    "              KR761x_USB_Touch_Send_Pending = 1; }\r\n";

class TestScripts : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir_ = new test::TempDir;
        ConfigurationSettings s;
        s.touch.numTouchPoints = 5;  // the communication protocol is SPI by default
        test::GenerateSdccProject(s, *dir_);
        std::string main = test::ReadBytes(*dir_ / "KR761x_Main.c");
        const std::size_t at = main.find("//! END user code: multi-point touch report");
        ASSERT_NE(at, std::string::npos);
        main.insert(main.rfind('\n', at) + 1, kSensorCode);
        test::WriteBytes(*dir_ / "KR761x_Main.c", main);
        firmware::BuildResult result;
        ASSERT_TRUE(firmware::BuildSdccProject(dir_->folder(), result))
            << result.toolOutput << platform::ToUtf8(result.errorText);
    }
    static void TearDownTestSuite() { delete dir_; }
    static test::TempDir* dir_;
};

test::TempDir* TestScripts::dir_ = nullptr;

struct Script {
    const char* name;
    const char* format;
    const char* text;
    int exit;
    std::vector<std::string> out;  // each in what is printed on standard output or error
};

const Script kScripts[] = {
    {"TwoAnswersTwoReports",
     "text",
     "mode multitouch\n"
     "spi 01 64 00 C8 00   # contact 1 at (100, 200)\n"
     "spi 02 2C 01 90 01\n"
     "expect sent spi A5\n"
     "expect report Contact Identifier=1 X=100 Y=200\n"
     "expect report Tip Switch=1 Contact Identifier=2 X=0x12C Y=400\n",
     0,
     {"Contact Identifier=2 X=300 Y=400", "3 of 3 expectations hold."}},
    {"AWrongValueNamesItsLineAndBothValues",
     "text",
     "mode multitouch\nspi 01 64 00 C8 00\nspi 02 2C 01 90 01\n"
     "expect report X=100\nexpect report X=201 Y=400\nexpect sent spi A5\n",
     1,
     {"SCRIPT:5: expected X=201 Y=400, got X=300 Y=400\n", "2 of 3 expectations hold."}},
    {"AFailedTransferGivesTheErrorReportThenTheAnswer",
     "text",
     "mode multitouch\nstatus kr761x_spi_master_transfer 3\nspi 01 64 00 C8 00\n"
     "expect report Tip Switch=0 X=0\nexpect report Tip Switch=1 Contact Identifier=1 X=100 Y=200\n",
     0,
     {"2 of 2 expectations hold."}},
    {"JunitHasOneFailure",
     "junit",
     "mode multitouch\nspi 01 64 00 C8 00\nexpect sent spi A5\nexpect sent spi A6\n",
     1,
     {"tests=\"2\" failures=\"1\"", "<failure message=\"SCRIPT:4: expected sent spi A6, got spi A5\"/>"}},
    {"AnUnknownInstructionNamesItsLine",
     "text",
     "mode multitouch\nread 01\n",
     2,
     {"SCRIPT:line 2: unknown instruction read"}},
    {"AnUnknownRoutineIsSaid",
     "text",
     "mode multitouch\nstatus KR761X_SPI_TRANSFER 1\n",
     1,
     {"The script's line 2 names KR761X_SPI_TRANSFER, which KR761x_API.h does not define"}},
};

class TestScriptCase : public TestScripts, public ::testing::WithParamInterface<Script> {};

TEST_P(TestScriptCase, ExitsAndSaysAsExpected)
{
    const Script& c = GetParam();
    const std::filesystem::path script = *dir_ / "SCRIPT";
    test::WriteBytes(script, c.text);
    std::ostringstream out, err;
    cli::CTestCommand command;
    cli::ParsedArguments parsed;
    // Run from the project folder so that the script's name is as short as the rows say.
    const std::filesystem::path was = std::filesystem::current_path();
    std::filesystem::current_path(dir_->folder());
    ASSERT_TRUE(cli::ParseArguments(command.Parameters(), {"--format", c.format, "SCRIPT", "."}, parsed));
    const int exit = command.Run(parsed, out, err) & 0xFF;
    std::filesystem::current_path(was);
    EXPECT_EQ(exit, c.exit) << out.str() << err.str();
    for (const std::string& text : c.out)
        EXPECT_NE((out.str() + err.str()).find(text), std::string::npos) << text << "\n" << out.str() << err.str();
    if (std::string(c.format) == "junit") {
        xmlDocPtr document = xmlReadMemory(out.str().data(), int(out.str().size()), "junit.xml", nullptr,
                                           XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
        EXPECT_NE(document, nullptr) << out.str();
        xmlFreeDoc(document);
    }
}

INSTANTIATE_TEST_SUITE_P(Scripts, TestScriptCase, ::testing::ValuesIn(kScripts),
                         [](const auto& info) { return info.param.name; });

// UART bytes arrive when the script says, and Dequeue hands them over one at
// a time while the ready flag is set.
TEST(TestScriptUart, BytesArriveInTimeAndAreDequeuedInOrder)
{
    test::TempDir dir;
    ConfigurationSettings s;
    s.communication.protocol = 2;  // UART
    test::GenerateSdccProject(s, dir);
    std::string main = test::ReadBytes(dir / "KR761x_Main.c");
    const std::size_t at = main.find("//! END user code: mouse report");
    ASSERT_NE(at, std::string::npos);
    main.insert(main.rfind('\n', at) + 1,
                "            if (KR761x_UART_RX_Data_Ready) {\r\n"
                "              Mouse_Report __xdata *r = (Mouse_Report __xdata *) USB_Position_Buffer;\r\n"
                "              KR761x_UART_Dequeue ();\r\n"
                "              if (KR761x_Status == FUNC_SUCCESS) {\r\n"
                "                 r->Controls = 0; STORE_REPORT_U16 (r->X, Comm_Rx_Buffer[0]);\r\n"
                "                 KR761x_USB_Mouse_Send_Pending = 1; } }\r\n");
    test::WriteBytes(dir / "KR761x_Main.c", main);
    firmware::BuildResult result;
    ASSERT_TRUE(firmware::BuildSdccProject(dir.folder(), result)) << result.toolOutput;
    simulation::TestScript script;
    std::string error;
    ASSERT_TRUE(simulation::ParseTestScript("uart 05 07\nwait 5 ms\nuart 09\n"
                                            "expect report X=5\nexpect report X=7\nexpect report X=9\n",
                                            script, error))
        << error;
    simulation::SimulationOptions options;
    options.script = &script;
    simulation::SimulationRun run;
    std::u16string errorText;
    ASSERT_TRUE(simulation::SimulateReports(dir.folder(), options, run, errorText)) << platform::ToUtf8(errorText);
    for (const simulation::ExpectationResult& r : simulation::JudgeScript(script, run))
        EXPECT_TRUE(r.holds) << r.line << ": " << r.failure;
    ASSERT_EQ(run.reports.size(), 3u);
    EXPECT_GT(run.reports[2].chipMs, 5.0);
}

}  // namespace
}  // namespace kr
