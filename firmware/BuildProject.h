// SPDX-License-Identifier: MIT
#pragma once
// Building a generated SDCC project into a checked firmware image: compile
// every C file with the workspace's compiler flags, link with the main
// program's module first and the workspace's linker flags, then check the
// image's bytes against the chip's memory map and the sources.

#include <string>

namespace kr::firmware {

struct BuildResult {
    std::string toolOutput;     // each command run and what it printed, in order
    std::u16string errorText;   // why the build failed: one sentence, or the image's problems one a line (CR LF)
    std::u16string summary;     // on success, the memory the image uses (see SizeSummary)
    std::u16string imagePath;   // on success, the Intel HEX image
};

// project is a project folder holding one workspace, or the workspace file
// itself. Only the SDCC workspace of a KR7611 project builds; sdcc must be
// on PATH. The image <OutputFile>.ihx, its .map and .mem are written into the
// project folder, as are the compiler's files beside each source. The image
// is linked under a temporary folder and moved in only when every check
// holds, and an image left by an earlier build is removed first, so a
// failed build leaves no image. Returns true on success.
bool BuildSdccProject(const std::u16string& project, BuildResult& result);

}  // namespace kr::firmware
