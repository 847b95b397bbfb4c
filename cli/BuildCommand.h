// SPDX-License-Identifier: MIT
#pragma once
// kr761x-gen build PROJECT: a generated SDCC project compiled and linked
// with the flags of its workspace into a firmware image that is checked
// against the chip's memory map. kr761x-build runs the same command.

#include "cli/Command.h"

namespace kr::cli {

class CBuildCommand : public CCommand {
public:
    // project is the name the usage gives the project: kr761x-build calls it
    // WORKSPACE, the word its batch callers pass.
    explicit CBuildCommand(std::string_view project = "PROJECT") : project_(project) {}

    std::string_view Name() const override { return "build"; }
    std::vector<Parameter> Parameters() const override
    {
        return {
            {.name = "--min-stack",
             .description = "bytes of internal RAM the stack needs at least (0 to 256; 32)",
             .value = "BYTES"},
            {.name = project_, .description = "the SDCC project's folder or its workspace (.wsp)"},
        };
    }
    std::string_view Summary() const override { return "build the SDCC project PROJECT (folder or .wsp) and check it"; }

    // Each compiler and linker command and what it printed go to out; on
    // success the size summary follows, on failure the reason goes to err.
    int Run(const ParsedArguments& args, std::ostream& out, std::ostream& err) override;

private:
    std::string_view project_;
};

}  // namespace kr::cli
