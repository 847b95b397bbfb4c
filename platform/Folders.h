// SPDX-License-Identifier: MIT
#pragma once
// Folder listing, one-level directory creation and path splitting, on the
// core's UTF-16 paths. Folders always end with '/'.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kr::platform {

// Full paths (folder + name) of the plain files directly in folder whose
// extension equals ext (without dot), compared case-insensitively in ASCII.
// Directories are skipped, whatever their name; the search is not recursive.
// Sorted by name, so a run's order does not depend on the file system.
// A folder that cannot be listed gives an empty list.
std::vector<std::u16string> FindFilesByExtension(const std::u16string& folder, const std::u16string& ext);

// File names (without folder) packed into one buffer, so a listing of many
// thousand files costs little more than its characters.
class FileNameList {
public:
    std::size_t size() const { return ends_.size(); }
    bool empty() const { return ends_.empty(); }
    std::u16string_view operator[](std::size_t i) const
    {
        const std::size_t begin = i == 0 ? 0 : ends_[i - 1];
        return std::u16string_view(chars_).substr(begin, ends_[i] - begin);
    }
    void push_back(std::u16string_view name);

private:
    std::u16string chars_;
    std::vector<std::uint32_t> ends_;
};

// The names of the files FindFilesByExtension lists, in the same order.
FileNameList FindFileNamesByExtension(const std::u16string& folder, const std::u16string& ext);

// The file name without folder and without its last extension.
std::u16string FileTitleOf(const std::u16string& path);
// The last extension with its leading dot; empty when there is none.
std::u16string FileExtensionOf(const std::u16string& path);

enum class CreateFolderResult { Created, AlreadyExists, Failed };
// Creates one directory level; the parent must exist. On Failed, reason, when
// given, holds the system's text.
CreateFolderResult CreateFolder(const std::u16string& path, std::string* reason = nullptr);

// True when path names a folder itself, not a symbolic link to one.
bool IsFolderItself(const std::u16string& path);

bool IsExistingFolder(const std::u16string& path);
// The system's reason why nothing can be found at path ("No such file or
// directory", "Permission denied"); empty when something is there.
std::string PathProblem(const std::u16string& path);
bool IsExistingFile(const std::u16string& path);

}  // namespace kr::platform
