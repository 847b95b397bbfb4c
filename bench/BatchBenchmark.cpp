// Batch throughput: writes N varied save files, runs the batch worker over
// them, and reports projects per second, the wall time against copying the
// same output tree with `cp -r`, and the peak memory of the process.
//
//   kr761x-batch-bench [N] [WORKDIR]     (N defaults to 1000)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>

#include "batch/BatchJob.h"
#include "batch/BatchWorker.h"
#include "model/ConfigurationSettings.h"
#include "platform/Utf.h"
#include "settings/SaveFile.h"

namespace {

using Clock = std::chrono::steady_clock;

// A spread of configurations: every toolchain, both chips, each bus and the
// HID options in turn.
kr::ConfigurationSettings Varied(int i)
{
    kr::ConfigurationSettings s;
    s.project.toolchain = i % 3;
    s.device.deviceSel = (i / 3) % 2;
    s.device.vid = static_cast<std::uint16_t>(0x1000 + i);
    s.device.product = u"Panel " + kr::platform::FromUtf8(std::to_string(i));
    s.communication.protocol = (i / 6) % 3;
    s.touch.numTouchPoints = i % 6;
    s.touch.bWidth = i & 1;
    s.touch.bHeight = (i >> 1) & 1;
    s.touch.bPressure = (i >> 2) & 1;
    s.pen.bPen = (i >> 3) & 1;
    s.pen.bXTilt = (i >> 4) & 1;
    s.mouse.numButtons = i % 9;
    s.gpio.modes[i % 16] = 2;
    return s;
}

double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

}  // namespace

int main(int argc, char** argv)
{
    const int n = argc > 1 ? std::atoi(argv[1]) : 1000;
    const std::filesystem::path work =
        argc > 2 ? std::filesystem::path(argv[2]) : std::filesystem::temp_directory_path() / "kr761x-batch-bench";
    if (n <= 0) {
        std::fprintf(stderr, "usage: kr761x-batch-bench [N] [WORKDIR]\n");
        return 2;
    }
    std::filesystem::remove_all(work);
    const auto in = work / "in";
    const auto out = work / "out";
    std::filesystem::create_directories(in);
    std::filesystem::create_directories(out);

    for (int i = 0; i < n; ++i) {
        std::u16string error;
        const auto file = in / ("panel_" + std::to_string(i) + ".kcw");
        if (!kr::SaveSettings(file.u16string(), Varied(i), error)) {
            std::fprintf(stderr, "%s\n", kr::platform::ToUtf8(error).c_str());
            return 1;
        }
    }

    auto job = std::make_shared<kr::BatchJob>(std::make_shared<kr::PendingLog>());
    job->inputFolder = in.u16string() + u"/";
    job->outputFolder = out.u16string() + u"/";
    const auto start = Clock::now();
    kr::RunBatch(*job);
    const double batchSeconds = Seconds(Clock::now() - start) - 0.1;  // less the closing pause
    const std::u16string log = job->log->Take();

    const std::string copy = "cp -r '" + out.string() + "' '" + (work / "copy").string() + "'";
    const auto copyStart = Clock::now();
    const int copyStatus = std::system(copy.c_str());
    const double copySeconds = Seconds(Clock::now() - copyStart);

    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);

    std::printf("save files:          %d\n", n);
    std::printf("failed steps:        %d\n", job->Failures());
    std::printf("batch wall time:     %.3f s\n", batchSeconds);
    std::printf("projects per second: %.1f\n", n / batchSeconds);
    if (copyStatus == 0)
        std::printf("cp -r of the output: %.3f s (batch takes %.1fx as long)\n", copySeconds, batchSeconds / copySeconds);
    std::printf("peak memory:         %.1f MiB\n", usage.ru_maxrss / 1024.0);
    std::printf("log size:            %zu characters\n", log.size());
    std::filesystem::remove_all(work);
    return job->Failures() == 0 ? 0 : 1;
}
