// SPDX-License-Identifier: MIT
// What a chatty builder costs the batch log: MB of builder output, in lines
// and as one line without end, turned into log lines (BuilderOutput) and
// then into terminal text (ForTerminal, on a log of the same size), for
// doubling sizes. The time per MB staying flat shows both are linear.
//
//   kr761x-output-bench [MAX_MB]
//
// MAX_MB defaults to 64.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "batch/BuilderOutput.h"
#include "cli/TerminalText.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// Feeds megabytes of output through a BuilderOutput in 64 KiB pieces, as the
// pipe hands them over; returns the seconds taken and the log's length.
double RunOutput(std::size_t megabytes, bool lines, std::size_t& logChars)
{
    std::string piece(64u << 10, 'x');
    if (lines)
        for (std::size_t i = 79; i < piece.size(); i += 80)
            piece[i] = '\n';
    kr::BuilderOutput output;
    logChars = 0;
    const auto start = Clock::now();
    for (std::size_t done = 0; done < (megabytes << 20); done += piece.size())
        logChars += output.Add(piece).size();
    logChars += output.Finish().size();
    return Seconds(start);
}

double RunTerminalText(std::size_t megabytes)
{
    std::u16string log;
    for (std::size_t i = 0; log.size() < (megabytes << 20); ++i)
        log += u"a line of the batch log\r\n";
    const auto start = Clock::now();
    const std::string text = kr::cli::ForTerminal(log);
    const double seconds = Seconds(start);
    return text.empty() ? -1 : seconds;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::size_t maxMegabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 64;
    std::printf("%8s %14s %14s %14s %12s\n", "MB", "lines s/MB", "one line s/MB", "terminal s/MB", "log chars");
    for (std::size_t mb = 1; mb <= maxMegabytes; mb *= 2) {
        std::size_t chars = 0, oneLineChars = 0;
        const double inLines = RunOutput(mb, true, chars);
        const double oneLine = RunOutput(mb, false, oneLineChars);
        const double terminal = RunTerminalText(mb);
        std::printf("%8zu %14.5f %14.5f %14.5f %12zu\n", mb, inLines / double(mb), oneLine / double(mb),
                    terminal / double(mb), chars);
    }
    return 0;
}
