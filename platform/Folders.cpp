// SPDX-License-Identifier: MIT
#include "platform/Folders.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>

#include "platform/FileFailure.h"
#include "platform/Utf.h"

namespace kr::platform {
namespace {

char16_t AsciiLower(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c;
}

bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b)
{
    return a.size() == b.size()
           && std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) { return AsciiLower(x) == AsciiLower(y); });
}

std::u16string_view NameOf(const std::u16string& path)
{
    const auto slash = path.find_last_of(u'/');
    return slash == std::u16string::npos ? std::u16string_view(path) : std::u16string_view(path).substr(slash + 1);
}

// Dot of the last extension within the name, npos when there is none. A
// leading dot alone (".profile") counts as an extension, as the save-file
// scan treats ".kcw" as a match.
std::size_t LastDot(std::u16string_view name)
{
    return name.find_last_of(u'.');
}

}  // namespace

void FileNameList::push_back(std::u16string_view name)
{
    chars_.append(name);
    ends_.push_back(static_cast<std::uint32_t>(chars_.size()));
}

FileNameList FindFileNamesByExtension(const std::u16string& folder, const std::u16string& ext)
{
    FileNameList sorted;
    DIR* dir = ::opendir(ToUtf8(folder).c_str());
    if (!dir)
        return sorted;
    FileNameList found;
    std::u16string full = folder;
    while (const dirent* entry = ::readdir(dir)) {
        const std::u16string name = FromUtf8(entry->d_name);
        if (name == u"." || name == u"..")
            continue;
        const std::size_t dot = LastDot(name);
        if (dot == std::u16string::npos || !EqualsIgnoringAsciiCase(std::u16string_view(name).substr(dot + 1), ext))
            continue;
        full.resize(folder.size());
        full += name;
        struct stat st {};
        if (::stat(ToUtf8(full).c_str(), &st) != 0 || S_ISDIR(st.st_mode))
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

std::vector<std::u16string> FindFilesByExtension(const std::u16string& folder, const std::u16string& ext)
{
    const FileNameList names = FindFileNamesByExtension(folder, ext);
    std::vector<std::u16string> files;
    files.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i)
        files.push_back(folder + std::u16string(names[i]));
    return files;
}

std::u16string FileTitleOf(const std::u16string& path)
{
    const std::u16string_view name = NameOf(path);
    const std::size_t dot = LastDot(name);
    return std::u16string(dot == std::u16string::npos ? name : name.substr(0, dot));
}

std::u16string FileExtensionOf(const std::u16string& path)
{
    const std::u16string_view name = NameOf(path);
    const std::size_t dot = LastDot(name);
    return dot == std::u16string::npos ? std::u16string() : std::u16string(name.substr(dot));
}

CreateFolderResult CreateFolder(const std::u16string& path, std::string* reason)
{
    if (::mkdir(ToUtf8(path).c_str(), 0777) == 0)
        return CreateFolderResult::Created;
    if (errno == EEXIST)
        return CreateFolderResult::AlreadyExists;
    if (reason)
        *reason = SystemReason(errno);
    return CreateFolderResult::Failed;
}

bool IsFolderItself(const std::u16string& path)
{
    std::string name = ToUtf8(path);
    while (name.size() > 1 && name.back() == '/')
        name.pop_back();
    struct stat st {};
    return ::lstat(name.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsExistingFolder(const std::u16string& path)
{
    struct stat st {};
    return !path.empty() && ::stat(ToUtf8(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string PathProblem(const std::u16string& path)
{
    struct stat st {};
    if (path.empty())
        return SystemReason(ENOENT);
    return ::stat(ToUtf8(path).c_str(), &st) == 0 ? std::string() : SystemReason(errno);
}

bool IsExistingFile(const std::u16string& path)
{
    struct stat st {};
    return !path.empty() && ::stat(ToUtf8(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

}  // namespace kr::platform
