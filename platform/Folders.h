// SPDX-License-Identifier: MIT
#pragma once
// Folder listing, one-level directory creation and path splitting. Paths are
// the system's bytes, taken and given as they are (PathText.h turns them into
// text to show). Folders always end with '/'.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kr::platform {

// Full paths (folder + name) of the plain files directly in folder whose
// extension equals ext (without dot), compared case-insensitively in ASCII.
// Directories are skipped, whatever their name; the search is not recursive.
// Sorted by the names' bytes, so a run's order does not depend on the file
// system. Every name is listed, whatever bytes it holds. A folder that cannot
// be listed gives an empty list.
std::vector<std::filesystem::path> FindFilesByExtension(const std::filesystem::path& folder, std::string_view ext);

// File names (without folder) packed into one buffer, so a listing of many
// thousand files costs little more than its bytes.
class FileNameList {
public:
    std::size_t size() const { return ends_.size(); }
    bool empty() const { return ends_.empty(); }
    std::string_view operator[](std::size_t i) const
    {
        const std::size_t begin = i == 0 ? 0 : ends_[i - 1];
        return std::string_view(chars_).substr(begin, ends_[i] - begin);
    }
    void push_back(std::string_view name);

private:
    std::string chars_;
    std::vector<std::uint32_t> ends_;
};

// The names of the files FindFilesByExtension lists, in the same order.
FileNameList FindFileNamesByExtension(const std::filesystem::path& folder, std::string_view ext);

// The file name without folder and without its last extension.
std::filesystem::path FileTitleOf(const std::filesystem::path& path);
// The last extension with its leading dot; empty when there is none.
std::filesystem::path FileExtensionOf(const std::filesystem::path& path);

enum class CreateFolderResult { Created, AlreadyExists, Failed };
// Creates one directory level; the parent must exist. On Failed, reason, when
// given, holds the system's text.
CreateFolderResult CreateFolder(const std::filesystem::path& path, std::string* reason = nullptr);

// True when path names a folder itself, not a symbolic link to one.
bool IsFolderItself(const std::filesystem::path& path);

bool IsExistingFolder(const std::filesystem::path& path);
// The system's reason why nothing can be found at path ("No such file or
// directory", "Permission denied"); empty when something is there.
std::string PathProblem(const std::filesystem::path& path);
bool IsExistingFile(const std::filesystem::path& path);

}  // namespace kr::platform
