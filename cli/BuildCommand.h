// SPDX-License-Identifier: MIT
#pragma once
// kr761x-gen build PROJECT: a generated SDCC project compiled and linked
// with the flags of its workspace into a firmware image that is checked
// against the chip's memory map. kr761x-build runs the same command.

#include "cli/Command.h"

namespace kr::cli {

class CBuildCommand : public CCommand {
public:
    std::string_view Name() const override { return "build"; }
    std::string_view Arguments() const override { return "[--min-stack BYTES] PROJECT"; }
    std::string_view Summary() const override { return "build the SDCC project PROJECT (folder or .wsp) and check it"; }

    // Each compiler and linker command and what it printed go to out; on
    // success the size summary follows, on failure the reason goes to err.
    int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) override;
};

}  // namespace kr::cli
