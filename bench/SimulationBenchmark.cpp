// SPDX-License-Identifier: MIT
// The test bench against s51 alone: a mouse project whose user code sends
// a report whenever the last one was taken is built with sdcc, the bench
// takes REPORTS reports from it, and s51 then runs the same image for the
// same number of instructions with nothing attached. Prints both wall times
// and their ratio (the bench's goal is at most 5 for 1,000 reports).
//
//   kr761x-sim-bench [REPORTS] [WORKDIR]     (REPORTS defaults to 1000)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "firmware/BuildProject.h"
#include "firmware/MemoryMap.h"
#include "generator/GenerateProject.h"
#include "model/ConfigurationSettings.h"
#include "platform/CommandRun.h"
#include "platform/InteractiveProcess.h"
#include "platform/Utf.h"
#include "simulation/ReportSimulation.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr const char* kSender =
    "            { Mouse_Report __xdata *r = (Mouse_Report __xdata *) USB_Position_Buffer;\r\n"
    "              r->Controls = 0x01; STORE_REPORT_U16 (r->X, 100); STORE_REPORT_U16 (r->Y, 200);\r\n"
    "              KR761x_USB_Mouse_Send_Pending = 1; }\r\n";

bool MakeProject(const fs::path& folder)
{
    kr::ConfigurationSettings settings;
    settings.project.toolchain = 2;
    settings.project.projectPath = kr::platform::FromUtf8(folder.string() + "/");
    std::u16string error;
    if (!kr::GenerateProject(settings, error)) {
        std::fprintf(stderr, "%s\n", kr::platform::ToUtf8(error).c_str());
        return false;
    }
    const fs::path main = folder / "KR761x_Main.c";
    std::ifstream in(main, std::ios::binary);
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::size_t end = text.find("//! END user code: mouse report");
    if (end == std::string::npos)
        return false;
    text.insert(text.rfind('\n', end) + 1, kSender);
    std::ofstream(main, std::ios::binary | std::ios::trunc) << text;
    kr::firmware::BuildResult result;
    if (!kr::firmware::BuildSdccProject(folder, result)) {
        std::fprintf(stderr, "%s%s\n", result.toolOutput.c_str(), kr::platform::ToUtf8(result.errorText).c_str());
        return false;
    }
    return true;
}

double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

}  // namespace

int main(int argc, char** argv)
{
    const int reports = argc > 1 ? std::atoi(argv[1]) : 1000;
    const fs::path work = argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path() / "kr761x-sim-bench";
    fs::remove_all(work);
    fs::create_directories(work);
    if (reports < 1 || !MakeProject(work))
        return 1;

    kr::simulation::SimulationOptions options;
    options.reports = reports;
    kr::simulation::SimulationRun run;
    std::u16string error;
    const Clock::time_point start = Clock::now();
    if (!kr::simulation::SimulateReports(work, options, run, error)) {
        std::fprintf(stderr, "%s\n", kr::platform::ToUtf8(error).c_str());
        return 1;
    }
    const double bench = Seconds(Clock::now() - start);
    std::uint64_t instructions = 0;
    for (const auto& report : run.reports)
        instructions += report.instructions;

    // s51 alone: the same image from the application's start, as many
    // instructions, at the same oscillator, nothing attached.
    kr::firmware::SdccProject found;
    if (!kr::firmware::FindSdccProject(work, found, error))
        return 1;
    const std::optional<std::string> s51 = kr::platform::FindOnPath("s51");
    kr::platform::CInteractiveProcess process;
    std::string reason;
    const Clock::time_point alone = Clock::now();
    if (!s51 || !process.Start({*s51, "-t", "8052", "-X", "24M"}, reason))
        return 1;
    char pc[16];
    std::snprintf(pc, sizeof pc, "0x%X", unsigned(kr::firmware::kKR7611Memory.applicationStart));
    process.Write("load \"" + fs::absolute(found.image).string() + "\"\npc " + pc + "\nstep "
                  + std::to_string(instructions) + "\nquit\n");
    process.ReadUntil([](std::string_view) { return false; });  // until s51 ends
    const double plain = Seconds(Clock::now() - alone);

    std::printf("%d reports, %llu instructions\n", reports, static_cast<unsigned long long>(instructions));
    std::printf("bench    %.3f s\ns51 alone %.3f s\nratio    %.2f\n", bench, plain, bench / plain);
    return 0;
}
