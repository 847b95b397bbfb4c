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

#include "platform/FileFailure.h"

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

// path as the system finds it from any working folder: made absolute from
// the working folder when it is relative, or given "./" in front when that
// cannot be found, so it never starts with '-' and is never read as an option.
std::string AbsolutePath(const std::string& path);

// A folder held open: the files in it are found, read and written through
// it, not by a path walked again for each, so that a folder swapped for a
// link once it is open cannot turn a write elsewhere.
class CFolder {
public:
    CFolder() = default;
    ~CFolder();
    CFolder(CFolder&& other) noexcept;
    CFolder& operator=(CFolder&& other) noexcept;

    // Opens the folder at path (UTF-8) for the names below it, following
    // links: a folder the user names may be one. path + name is the path of
    // each file named in it, so path ends with '/' unless it is empty (the
    // working folder). False, with failure filled, when it cannot be opened.
    bool Open(const std::string& path, FileFailure& failure);

    enum class Entered { Created, Opened, NotAFolder, Failed };
    // Opens the folder name directly inside this one into folder, creating it
    // first when nothing is there, and never through a link: NotAFolder when
    // a link or anything else but a folder is in its place. Failed, with
    // failure filled, when it cannot be created or opened.
    Entered Enter(const std::string& name, CFolder& folder, FileFailure& failure) const;

    // True unless this folder was entered (Enter) and is no longer the one
    // of its name in the folder it was entered from: moved away, or
    // replaced by a link or anything else.
    bool IsInPlace() const;

    bool IsOpen() const { return fd_ >= 0; }
    // The open folder as the system's calls take it (platform only).
    int Descriptor() const { return fd_; }
    const std::string& Path() const { return path_; }

private:
    int fd_ = -1;
    std::string path_;
    int parentFd_ = -1;  // the folder it was entered from, when it was
    std::string name_;  // its name there
};
// The system's reason why nothing can be found at path ("No such file or
// directory", "Permission denied"); empty when something is there.
std::string PathProblem(const std::filesystem::path& path);
bool IsExistingFile(const std::filesystem::path& path);

}  // namespace kr::platform
