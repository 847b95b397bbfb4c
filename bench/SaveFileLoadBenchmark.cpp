// SPDX-License-Identifier: MIT
// Loading crafted save files at the size cap: the default record's file with
// one kind of filler repeated until the file is exactly kMaxSaveFileBytes
// long, loaded several times; prints the median and slowest load of each in
// wall time and in CPU time (which other work on a busy machine does not
// inflate), and how long a file one byte above the cap takes to be refused.
// Then what flushing costs a save: the median save of the default record as
// the program saves (flushed to the disk, its folder too) against the same
// bytes replaced in one piece without waiting for the disk, as generated
// files other than KR761x_Main.c are. The disk of WORKDIR decides that figure.
//
//   kr761x-load-bench [RUNS] [WORKDIR]     (RUNS defaults to 5)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <time.h>
#include <vector>

#include "model/ConfigurationSettings.h"
#include "platform/AtomicFile.h"
#include "settings/SaveFile.h"
#include "settings/SaveFileSize.h"

namespace {

using Clock = std::chrono::steady_clock;

// Where the filler goes and what one unit of it is. Every field's path
// starts with "//", so each lookup walks whatever stands in the document.
struct Filler {
    const char* name;
    const char* after;  // inserted right after this text of the saved file
    const char* unit;
};

constexpr Filler kFillers[] = {
    {"empty elements before the fields", "<Settings>", "<a/>"},
    {"empty elements and text before the fields", "<Settings>", "<a/>x"},
    {"empty groups named like a real one", "<Settings>", "<DeviceData/>"},
    {"groups that each hold a field (the first wins)", "<Settings>", "<DeviceData><vid>1</vid></DeviceData>"},
    {"empty elements among the pins", "<modes>", "<a/>"},
    {"nested elements, 200 deep", "<Settings>", ""},  // built below
};

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The saved file with filler after `after`, then blanks up to exactly size bytes.
std::string Crafted(const std::string& saved, const Filler& filler, std::size_t size)
{
    std::string unit = filler.unit;
    if (unit.empty()) {
        for (int i = 0; i < 200; ++i)
            unit = "<a>" + unit + "</a>";
    }
    const std::size_t at = saved.find(filler.after) + std::string(filler.after).size();
    const std::size_t room = size - saved.size();
    std::string fill;
    fill.reserve(room);
    while (fill.size() + unit.size() <= room)
        fill += unit;
    fill.append(room - fill.size(), ' ');
    return saved.substr(0, at) + fill + saved.substr(at);
}

double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

double CpuSeconds()
{
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

struct Timings {
    std::vector<double> wall;  // sorted, seconds
    std::vector<double> cpu;  // sorted, seconds
};

// Loads the file runs times; nothing when a load gives an unexpected result.
Timings TimeLoads(const std::filesystem::path& file, int runs, bool expected)
{
    Timings t;
    for (int i = 0; i < runs; ++i) {
        kr::ConfigurationSettings settings;
        std::u16string error;
        const auto start = Clock::now();
        const double cpuStart = CpuSeconds();
        const bool loaded = kr::LoadSettings(file.u16string(), settings, error);
        t.cpu.push_back(CpuSeconds() - cpuStart);
        t.wall.push_back(Seconds(Clock::now() - start));
        if (loaded != expected)
            return {};
    }
    std::sort(t.wall.begin(), t.wall.end());
    std::sort(t.cpu.begin(), t.cpu.end());
    return t;
}

// The median wall time of runs replacements of file by bytes, flushed or not.
double MedianReplace(const std::filesystem::path& file, const std::string& bytes, kr::platform::Durability durability,
                     int runs)
{
    std::vector<double> wall;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        if (!kr::platform::WriteFileAtomically(file.string(), bytes, durability))
            return -1;
        wall.push_back(Seconds(Clock::now() - start));
    }
    std::sort(wall.begin(), wall.end());
    return wall[wall.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
    const std::filesystem::path work =
        argc > 2 ? std::filesystem::path(argv[2]) : std::filesystem::temp_directory_path() / "kr761x-load-bench";
    if (runs <= 0) {
        std::fprintf(stderr, "usage: kr761x-load-bench [RUNS] [WORKDIR]\n");
        return 2;
    }
    std::filesystem::create_directories(work);
    const auto file = work / "crafted.kcw";

    std::u16string error;
    if (!kr::SaveSettings(file.u16string(), kr::ConfigurationSettings{}, error)) {
        std::fprintf(stderr, "cannot write %s\n", file.c_str());
        return 1;
    }
    const std::string saved = ReadFile(file);

    std::printf("Loading files of exactly %zu bytes (the cap), %d runs each:\n", kr::kMaxSaveFileBytes, runs);
    int status = 0;
    for (const Filler& filler : kFillers) {
        WriteFile(file, Crafted(saved, filler, kr::kMaxSaveFileBytes));
        const Timings t = TimeLoads(file, runs, true);
        if (t.wall.empty()) {
            std::printf("  %-48s  did not load\n", filler.name);
            status = 1;
            continue;
        }
        std::printf("  %-48s  wall median %6.3f s, slowest %6.3f s; CPU median %6.3f s, slowest %6.3f s\n", filler.name,
                    t.wall[t.wall.size() / 2], t.wall.back(), t.cpu[t.cpu.size() / 2], t.cpu.back());
    }

    WriteFile(file, Crafted(saved, kFillers[0], kr::kMaxSaveFileBytes + 1));
    const Timings refused = TimeLoads(file, runs, false);
    if (refused.wall.empty()) {
        std::printf("A file one byte above the cap loaded\n");
        status = 1;
    } else {
        std::printf("One byte above the cap, refused in: wall median %.6f s\n", refused.wall[refused.wall.size() / 2]);
    }

    const int saves = 10 * runs;
    const double flushed = MedianReplace(file, saved, kr::platform::Durability::FlushToDisk, saves);
    const double inOnePiece = MedianReplace(file, saved, kr::platform::Durability::InOnePiece, saves);
    if (flushed < 0 || inOnePiece < 0) {
        std::printf("A save failed\n");
        status = 1;
    } else {
        std::printf("Saving the default record (%zu bytes), %d times each: flushed median %.3f ms, in one piece "
                    "without waiting for the disk %.3f ms (%.1fx)\n",
                    saved.size(), saves, flushed * 1e3, inOnePiece * 1e3, flushed / inOnePiece);
    }
    std::filesystem::remove_all(work);
    return status;
}
