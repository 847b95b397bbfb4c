// SPDX-License-Identifier: MIT
#pragma once
// Writing one generated file over what a project folder already holds: the
// user's own code regions of the existing file are carried into the new one,
// and an existing file whose user code the new file has no place for is kept
// beside it under a name of its own, so nothing the user wrote is lost. A
// file whose content would not change is left as it is, its time included.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/StagedFiles.h"

namespace kr {

// An existing file kept beside its new version.
struct KeptFile {
    std::filesystem::path path;  // the generated file
    std::filesystem::path keptPath;  // where the existing file now is
    std::vector<std::u16string> regions;  // its regions the new file lacks
    std::vector<std::u16string> broken;  // its regions whose markers do not pair up
    bool unpaired = false;  // the new file's markers did not pair up
};

// What one generation run wrote (or, when it only checks, would write).
struct GenerationReport {
    std::vector<std::filesystem::path> written;  // every file written, in order
    std::vector<std::filesystem::path> created;  // those of them that did not exist before
    std::vector<std::filesystem::path> unchanged;  // files that already held their new content
    std::vector<KeptFile> kept;
    // Set when the folder's file system keeps no locks: the line saying the
    // files were written without one.
    std::u16string lockNotice;
};

// The largest existing file a run reads to carry its user code over; a
// larger one is refused, not read.
inline constexpr std::size_t kMaxExistingFileBytes = std::size_t{16} << 20;

// The name the existing file name in folder is kept under: name +
// ".previous", or with "-2", "-3", ... appended when that name is taken;
// empty when every one is.
std::string KeptFileName(const platform::CFolder& folder, const std::string& name);

// What generating bytes into path does to the file there.
enum class FileChange { None, Create, Change };

struct GeneratedFilePlan {
    FileChange change = FileChange::None;
    // Absent when the plan found nothing at the path, so staging need not
    // look again.
    platform::TargetState target = platform::TargetState::Unknown;
    std::string bytes;  // the new content, the existing file's user code carried into it
    std::string existing;  // the existing content, when it is kept beside the new one
    KeptFile kept;  // keptPath empty when the existing file is not kept
};

// Reads the file name in folder (no folder: there is none yet, so nothing is
// there) and decides what generating bytes there does. False, with failure
// filled, when an existing file cannot be read, or is refused unread: a link
// (never followed), anything else but a regular file, or a file larger than
// kMaxExistingFileBytes. known Absent, when the caller has just seen nothing
// there, spares the look.
bool PlanGeneratedFile(const platform::CFolder* folder, const std::string& name, std::string_view bytes,
                       GeneratedFilePlan& plan, platform::FileFailure& failure,
                       platform::TargetState known = platform::TargetState::Unknown);

// Writes what plan says for the file name in folder aside: the kept copy of
// the existing file into keptCopies, the new content into files (the two
// may be one). Nothing is in place until they are committed. Notes the file
// in report.
bool StageGeneratedFile(const platform::CFolder& folder, const std::string& name, const GeneratedFilePlan& plan,
                        platform::CStagedFiles& keptCopies, platform::CStagedFiles& files, GenerationReport& report,
                        platform::FileFailure& failure);

// The line that tells the user where a kept file went and why.
std::u16string KeptFileNotice(const KeptFile& kept);

}  // namespace kr
