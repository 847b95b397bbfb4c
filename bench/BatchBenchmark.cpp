// SPDX-License-Identifier: MIT
// Batch throughput as the user waits for it: writes N varied save files, then
// runs several pairs of (batch into a fresh output folder, `cp -r` of that
// output into a fresh folder) and prints each pair and the median ratio of
// the two wall times. Nothing is removed inside a timing. Works on tmpfs
// (/dev/shm) when the machine has it, so the disk's write-back does not blur
// the figures. Then builds B SDCC save files with kr761x-build, one file at
// a time and side by side (2 and the core count), and prints the median wall
// time of each against one at a time. Finally runs a small and a large batch
// in child processes and prints their peak memory side by side, and the
// peak memory of F files each built by a builder printing M MiB, at J and at
// 16 times J files side by side.
//
//   kr761x-batch-bench [N] [WORKDIR] [--pairs K] [--jobs J] [--builds B R]
//                      [--memory SMALL LARGE] [--output F M]
//
// N defaults to 1000, K to 5, J (files side by side in the generation and
// memory runs) to the core count, B to 100 files built R (3) times at each
// count (--builds 0 0 skips them), the memory batches to 100 and 10000 files
// (--memory 0 0 skips them), the output batch to 32 files of 8 MiB (--output
// 0 0 skips it).

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "batch/BatchJob.h"
#include "batch/BatchRunner.h"
#include "batch/DefaultBuilder.h"
#include "model/ConfigurationSettings.h"
#include "platform/Cores.h"
#include "platform/Utf.h"
#include "settings/SaveFile.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

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

// User plus system time this process has used so far.
double CpuSeconds()
{
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

// buildable: every file an SDCC project for the chip whose firmware can be
// built (KR7611); else every toolchain and chip in turn.
bool WriteSaveFiles(const fs::path& folder, int n, bool buildable = false)
{
    fs::create_directories(folder);
    for (int i = 0; i < n; ++i) {
        std::u16string error;
        const auto file = folder / ("panel_" + std::to_string(i) + ".kcw");
        kr::ConfigurationSettings settings = Varied(i);
        if (buildable) {
            settings.project.toolchain = 2;
            settings.device.deviceSel = 1;
        }
        if (!kr::SaveSettings(file, settings, error)) {
            std::fprintf(stderr, "%s\n", kr::platform::ToUtf8(error).c_str());
            return false;
        }
    }
    return true;
}

struct BatchOutcome {
    double seconds = 0;
    double cpuSeconds = 0;  // user and system time of the whole process, mostly the worker's
    int failures = 0;
    std::size_t logCharacters = 0;
    std::string firstFailure;  // the log's lines before its first "Failed"
};

// Runs the batch the way the front ends do: on the worker thread, with the
// log taken away every 100 ms and handed on (here: counted and dropped).
BatchOutcome RunOneBatch(const fs::path& in, const fs::path& out, unsigned jobs, const fs::path& builder = {})
{
    auto job = std::make_shared<kr::BatchJob>(std::make_shared<kr::PendingLog>());
    job->inputFolder = in.native() + "/";
    job->outputFolder = out.native() + "/";
    job->jobs = jobs;
    job->builderPath = builder;
    job->buildProjects = !builder.empty();
    BatchOutcome outcome;
    const auto start = Clock::now();
    const double cpuStart = CpuSeconds();
    kr::BatchRunner runner(job);
    for (;;) {
        const bool ended = runner.WaitForEnd(std::chrono::milliseconds(100));
        for (std::u16string text; !(text = job->log->Take()).empty();) {
            outcome.logCharacters += text.size();
            if (const auto failed = text.find(u"Failed\n");
                outcome.firstFailure.empty() && failed != std::u16string::npos)
                outcome.firstFailure = kr::platform::ToUtf8(text.substr(failed > 800 ? failed - 800 : 0, 808));
        }
        if (ended)
            break;
    }
    outcome.seconds = Seconds(Clock::now() - start);
    outcome.cpuSeconds = CpuSeconds() - cpuStart;
    outcome.failures = job->Failures();
    return outcome;
}

// Runs a program with its arguments and waits; the child's resource use is
// returned through usage. False when it could not be started or failed.
bool Spawn(const std::vector<std::string>& args, struct rusage* usage = nullptr)
{
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    int status = 0;
    struct rusage own {};
    if (::wait4(pid, &status, 0, usage ? usage : &own) != pid)
        return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double TimedCopy(const fs::path& from, const fs::path& to)
{
    const auto start = Clock::now();
    if (!Spawn({"cp", "-r", from.string(), to.string()}))
        return -1;
    return Seconds(Clock::now() - start);
}

// The child side of a memory measurement: one batch, nothing else.
int MemoryChild(const fs::path& in, const fs::path& out, unsigned jobs, const fs::path& builder)
{
    fs::create_directories(out);
    return RunOneBatch(in, out, jobs, builder).failures == 0 ? 0 : 1;
}

// Peak resident memory in MiB of a child process that runs one batch of n
// files, or a negative value when it failed. With outputMiB, every file is
// built by a builder that prints that many MiB (lines of 60 bytes).
double PeakOfBatch(const fs::path& work, int n, unsigned jobs, int outputMiB = 0)
{
    const fs::path in = work / ("memory-in-" + std::to_string(n));
    const fs::path out = work / ("memory-out-" + std::to_string(n));
    const fs::path builder = work / "printing-builder";
    if (!WriteSaveFiles(in, n))
        return -1;
    if (outputMiB > 0) {
        std::FILE* script = std::fopen(builder.c_str(), "w");
        if (!script)
            return -1;
        std::fprintf(script,
                     "#!/bin/sh\nyes 'a line a builder prints while it compiles and links the project' "
                     "| head -c %d\n",
                     outputMiB << 20);
        std::fclose(script);
        fs::permissions(builder, fs::perms::owner_all);
    }
    struct rusage usage {};
    const bool ok = Spawn({"/proc/self/exe", "--memory-child", in.string(), out.string(), std::to_string(jobs),
                           outputMiB > 0 ? builder.string() : ""},
                          &usage);
    fs::remove_all(in);
    fs::remove_all(out);
    fs::remove(builder);
    return ok ? usage.ru_maxrss / 1024.0 : -1;
}

fs::path DefaultWorkFolder()
{
    const fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    return base / ("kr761x-batch-bench-" + std::to_string(::getpid()));
}

// B SDCC save files generated and built R times at each count of files side
// by side; prints the median wall time of each count and its ratio to one
// file at a time. False when a build failed or no builder was found.
bool CompareBuilds(const fs::path& work, int files, int runs)
{
    const fs::path builder = kr::FindDefaultBuilder(fs::read_symlink("/proc/self/exe").parent_path(),
                                                    std::getenv("PATH") ? std::getenv("PATH") : "");
    if (builder.empty()) {
        std::fprintf(stderr, "kr761x-build not found\n");
        return false;
    }
    const fs::path in = work / "builds-in";
    if (!WriteSaveFiles(in, files, true))
        return false;
    std::vector<unsigned> counts = {1, 2};
    if (kr::platform::UsableCores() > 2)
        counts.push_back(kr::platform::UsableCores());
    std::printf("builds:              %d SDCC save files, each count %d times, %u cores\n", files, runs,
                kr::platform::UsableCores());
    bool ok = true;
    double one = 0;
    for (const unsigned jobs : counts) {
        std::vector<double> times;
        for (int run = 0; run < runs; ++run) {
            const fs::path out = work / "builds-out";
            fs::create_directories(out);
            const BatchOutcome batch = RunOneBatch(in, out, jobs, builder);
            fs::remove_all(out);
            if (ok && batch.failures != 0)
                std::fprintf(stderr, "%d failed steps; the first:\n%s\n", batch.failures, batch.firstFailure.c_str());
            ok = ok && batch.failures == 0;
            times.push_back(batch.seconds);
        }
        const double median = Median(times);
        if (jobs == 1)
            one = median;
        std::printf("  --jobs %-3u          median %.2f s, %.2fx of --jobs 1\n", jobs, median, median / one);
    }
    fs::remove_all(in);
    return ok;
}

struct Options {
    int files = 1000;
    int pairs = 5;
    unsigned jobs = kr::platform::UsableCores();
    int builds = 100;
    int buildRuns = 3;
    int memorySmall = 100;
    int memoryLarge = 10000;
    int outputFiles = 32;
    int outputMiB = 8;
    fs::path work;
};

bool ParseOptions(int argc, char** argv, Options& options)
{
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--pairs" && i + 1 < argc) {
            options.pairs = std::atoi(argv[++i]);
        } else if (arg == "--jobs" && i + 1 < argc) {
            options.jobs = static_cast<unsigned>(std::max(1, std::atoi(argv[++i])));
        } else if (arg == "--builds" && i + 2 < argc) {
            options.builds = std::atoi(argv[++i]);
            options.buildRuns = std::atoi(argv[++i]);
        } else if (arg == "--memory" && i + 2 < argc) {
            options.memorySmall = std::atoi(argv[++i]);
            options.memoryLarge = std::atoi(argv[++i]);
        } else if (arg == "--output" && i + 2 < argc) {
            options.outputFiles = std::atoi(argv[++i]);
            options.outputMiB = std::atoi(argv[++i]);
        } else if (arg.starts_with("-")) {
            return false;
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() > 2)
        return false;
    if (!positional.empty())
        options.files = std::atoi(positional[0].c_str());
    options.work = positional.size() > 1 ? fs::path(positional[1]) : DefaultWorkFolder();
    return options.files > 0 && options.pairs > 0 && options.builds >= 0 && options.buildRuns >= 0
           && options.memorySmall >= 0 && options.memoryLarge >= 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 6 && std::strcmp(argv[1], "--memory-child") == 0)
        return MemoryChild(argv[2], argv[3], static_cast<unsigned>(std::atoi(argv[4])), argv[5]);

    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: kr761x-batch-bench [N] [WORKDIR] [--pairs K] [--jobs J] [--builds B R] "
                             "[--memory SMALL LARGE] [--output F M]\n");
        return 2;
    }
    const fs::path& work = options.work;
    fs::remove_all(work);
    const fs::path in = work / "in";
    if (!WriteSaveFiles(in, options.files))
        return 1;

    std::printf("work folder:         %s\n", work.c_str());
    std::printf("save files:          %d, --jobs %u\n", options.files, options.jobs);
    int failures = 0;
    std::vector<double> ratios;
    std::vector<double> batchTimes;
    std::vector<double> copyTimes;
    std::vector<double> cpuTimes;
    for (int pair = 0; pair < options.pairs; ++pair) {
        const fs::path out = work / "out";
        const fs::path copy = work / "copy";
        fs::create_directories(out);
        const BatchOutcome batch = RunOneBatch(in, out, options.jobs);
        const double copySeconds = TimedCopy(out, copy);
        fs::remove_all(out);
        fs::remove_all(copy);
        failures += batch.failures;
        if (copySeconds <= 0) {
            std::fprintf(stderr, "cp -r failed\n");
            return 1;
        }
        ratios.push_back(batch.seconds / copySeconds);
        batchTimes.push_back(batch.seconds);
        cpuTimes.push_back(batch.cpuSeconds);
        copyTimes.push_back(copySeconds);
        std::printf("pair %d:              batch %.3f s (cpu %.3f s), cp -r %.3f s, %.2fx (log %zu characters)\n",
                    pair + 1, batch.seconds, batch.cpuSeconds, copySeconds, ratios.back(), batch.logCharacters);
    }
    std::printf("failed steps:        %d\n", failures);
    std::printf("median batch time:   %.3f s (%.1f projects per second)\n", Median(batchTimes),
                options.files / Median(batchTimes));
    std::printf("median batch cpu:    %.3f s (user + system)\n", Median(cpuTimes));
    std::printf("median cp -r time:   %.3f s\n", Median(copyTimes));
    std::printf("median ratio:        %.2fx\n", Median(ratios));

    if (options.builds > 0 && options.buildRuns > 0 && !CompareBuilds(work, options.builds, options.buildRuns)) {
        std::fprintf(stderr, "a build batch failed\n");
        failures += 1;
    }

    if (options.memorySmall > 0 && options.memoryLarge > 0) {
        const double small = PeakOfBatch(work, options.memorySmall, options.jobs);
        const double large = PeakOfBatch(work, options.memoryLarge, options.jobs);
        if (small <= 0 || large <= 0) {
            std::fprintf(stderr, "a memory batch failed\n");
            failures += 1;
        } else {
            std::printf("peak memory:         %.1f MiB for %d files, %.1f MiB for %d files (%.2fx)\n", small,
                        options.memorySmall, large, options.memoryLarge, large / small);
        }
    }

    if (options.outputFiles > 0 && options.outputMiB > 0) {
        // Builder output held back: the same files at --jobs J and at 16
        // times J, so a growth with the jobs shows.
        for (const unsigned jobs : {options.jobs, 16 * options.jobs}) {
            const double peak = PeakOfBatch(work, options.outputFiles, jobs, options.outputMiB);
            if (peak <= 0) {
                std::fprintf(stderr, "a builder output batch failed\n");
                failures += 1;
                break;
            }
            std::printf(
                "peak memory:         %.1f MiB for %d files built at --jobs %u, %d MiB of builder output each\n", peak,
                options.outputFiles, jobs, options.outputMiB);
        }
    }
    fs::remove_all(work);
    return failures == 0 ? 0 : 1;
}
