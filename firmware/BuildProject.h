// SPDX-License-Identifier: MIT
#pragma once
// Building a generated SDCC project into a checked firmware image: compile
// every C file with the workspace's compiler flags, link with the main
// program's module first and the workspace's linker flags, then check what
// the linker placed and the image's bytes against the chip's memory map.

#include <cstdint>
#include <filesystem>
#include <string>

#include "firmware/MemoryContract.h"

namespace kr::firmware {

struct BuildResult {
    std::string toolOutput;  // each command run and what it printed, in order
    std::u16string errorText;  // why the build failed: one sentence, or the image's problems one a line
    std::u16string summary;  // on success, the memory the image uses (see SizeSummary)
    std::filesystem::path imagePath;  // on success, the Intel HEX image
    std::u16string notice;  // set when the folder's file system keeps no locks: the line saying so
};

struct BuildOptions {
    std::uint32_t minimumStack = kDefaultMinimumStack;  // bytes of internal RAM the stack needs at least
};

// A generated SDCC project of the KR7611 as a build finds it: its folder,
// its workspace and the image the build makes there (the file need not exist).
struct SdccProject {
    std::string folder;
    std::string workspace;
    std::string image;  // <OutputFile>.ihx in the folder
};

// Finds the project of a project folder holding one workspace, or of the
// workspace file itself; false with one sentence in errorText when there is
// none, it is not an SDCC workspace or the project is for the KR7610.
bool FindSdccProject(const std::filesystem::path& project, SdccProject& found, std::u16string& errorText);

// project is a project folder holding one workspace, or the workspace file
// itself. Only the SDCC workspace of a KR7611 project builds; sdcc must be
// on PATH. The image <OutputFile>.ihx, its .map, .mem and .cdb are written into the
// project folder, as are the compiler's files beside each source. The image
// is linked under a temporary folder and moved in only when every check
// holds, and an image left by an earlier build is removed first, so a
// failed build leaves no image. Returns true on success.
// When compiling or linking fails, errorText carries the tool's own reason
// after its first line.
bool BuildSdccProject(const std::filesystem::path& project, BuildResult& result, const BuildOptions& options = {});

}  // namespace kr::firmware
