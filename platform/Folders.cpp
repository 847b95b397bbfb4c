// SPDX-License-Identifier: MIT
#include "platform/Folders.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>

#include "platform/FileFailure.h"

namespace kr::platform {
namespace {

char AsciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
           && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

std::string_view NameOf(const std::filesystem::path& path)
{
    const std::string& bytes = path.native();
    const auto slash = bytes.find_last_of('/');
    return slash == std::string::npos ? std::string_view(bytes) : std::string_view(bytes).substr(slash + 1);
}

// Dot of the last extension within the name, npos when there is none. A
// leading dot alone (".profile") counts as an extension, as the save-file
// scan treats ".kcw" as a match.
std::size_t LastDot(std::string_view name)
{
    return name.find_last_of('.');
}

}  // namespace

void FileNameList::push_back(std::string_view name)
{
    chars_.append(name);
    ends_.push_back(static_cast<std::uint32_t>(chars_.size()));
}

FileNameList FindFileNamesByExtension(const std::filesystem::path& folder, std::string_view ext)
{
    FileNameList sorted;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return sorted;
    FileNameList found;
    std::string full = folder.native();
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        const std::size_t dot = LastDot(name);
        if (dot == std::string_view::npos || !EqualsIgnoringAsciiCase(name.substr(dot + 1), ext))
            continue;
        full.resize(folder.native().size());
        full += name;
        struct stat st {};
        if (::stat(full.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
            continue;
        found.push_back(name);
    }
    ::closedir(dir);

    std::vector<std::uint32_t> order(found.size());
    for (std::uint32_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) { return found[a] < found[b]; });
    for (const std::uint32_t i : order)
        sorted.push_back(found[i]);
    return sorted;
}

std::vector<std::filesystem::path> FindFilesByExtension(const std::filesystem::path& folder, std::string_view ext)
{
    const FileNameList names = FindFileNamesByExtension(folder, ext);
    std::vector<std::filesystem::path> files;
    files.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i)
        files.emplace_back(folder.native() + std::string(names[i]));
    return files;
}

std::filesystem::path FileTitleOf(const std::filesystem::path& path)
{
    const std::string_view name = NameOf(path);
    const std::size_t dot = LastDot(name);
    return std::string(dot == std::string_view::npos ? name : name.substr(0, dot));
}

std::filesystem::path FileExtensionOf(const std::filesystem::path& path)
{
    const std::string_view name = NameOf(path);
    const std::size_t dot = LastDot(name);
    return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot));
}

CreateFolderResult CreateFolder(const std::filesystem::path& path, std::string* reason)
{
    if (::mkdir(path.c_str(), 0777) == 0)
        return CreateFolderResult::Created;
    if (errno == EEXIST)
        return CreateFolderResult::AlreadyExists;
    if (reason)
        *reason = SystemReason(errno);
    return CreateFolderResult::Failed;
}

bool IsFolderItself(const std::filesystem::path& path)
{
    std::string name = path.native();
    while (name.size() > 1 && name.back() == '/')
        name.pop_back();
    struct stat st {};
    return ::lstat(name.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsExistingFolder(const std::filesystem::path& path)
{
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string PathProblem(const std::filesystem::path& path)
{
    struct stat st {};
    if (path.empty())
        return SystemReason(ENOENT);
    return ::stat(path.c_str(), &st) == 0 ? std::string() : SystemReason(errno);
}

bool IsExistingFile(const std::filesystem::path& path)
{
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

}  // namespace kr::platform
