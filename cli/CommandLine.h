#pragma once
// The front end of kr761x-gen: the program options, the choice of the
// subcommand, and every help and usage text, the commands' own included.
// Commands are added at start-up; each one checks its own arguments.

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "cli/Command.h"

namespace kr::cli {

inline constexpr const char* kProgramName = "kr761x-gen";

class CCommandLine {
public:
    explicit CCommandLine(std::string version);

    void Add(std::unique_ptr<CCommand> command);

    // args are the words after the program name. Returns an ExitCode.
    int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

private:
    void WriteHelp(std::ostream& out) const;
    void WriteUsage(std::ostream& err) const;
    CCommand* Find(const std::string& name) const;

    std::string version_;
    std::vector<std::unique_ptr<CCommand>> commands_;
};

}  // namespace kr::cli
