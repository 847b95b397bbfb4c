// SPDX-License-Identifier: MIT
#include "platform/Folders.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

std::string AbsolutePath(const std::string& path)
{
    if (path.starts_with('/'))
        return path;
    std::string folder(256, '\0');
    while (::getcwd(folder.data(), folder.size()) == nullptr) {
        if (errno != ERANGE || folder.size() > (1u << 20))
            return "./" + path;
        folder.resize(folder.size() * 2);
    }
    folder.resize(folder.find('\0'));
    // A working folder that is no longer reachable ("(unreachable)/...") is
    // no path to give.
    if (!folder.starts_with('/'))
        return "./" + path;
    if (!folder.ends_with('/'))
        folder += '/';
    return folder + (path.starts_with("./") ? path.substr(2) : path);
}

CFolder::~CFolder()
{
    if (fd_ >= 0)
        ::close(fd_);
    if (parentFd_ >= 0)
        ::close(parentFd_);
}

CFolder::CFolder(CFolder&& other) noexcept
    : fd_(other.fd_), path_(std::move(other.path_)), parentFd_(other.parentFd_), name_(std::move(other.name_))
{
    other.fd_ = -1;
    other.parentFd_ = -1;
}

CFolder& CFolder::operator=(CFolder&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        if (parentFd_ >= 0)
            ::close(parentFd_);
        fd_ = other.fd_;
        path_ = std::move(other.path_);
        parentFd_ = other.parentFd_;
        name_ = std::move(other.name_);
        other.fd_ = -1;
        other.parentFd_ = -1;
    }
    return *this;
}

bool CFolder::IsInPlace() const
{
    if (parentFd_ < 0)
        return true;
    struct stat here {};
    struct stat there {};
    return ::fstat(fd_, &here) == 0 && ::fstatat(parentFd_, name_.c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0
           && here.st_dev == there.st_dev && here.st_ino == there.st_ino;
}

bool CFolder::Open(const std::string& path, FileFailure& failure)
{
    *this = CFolder();
    const int fd = ::open(path.empty() ? "." : path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        failure = {path, SystemReason(errno)};
        return false;
    }
    fd_ = fd;
    path_ = path;
    return true;
}

CFolder::Entered CFolder::Enter(const std::string& name, CFolder& folder, FileFailure& failure) const
{
    folder = CFolder();
    const std::string path = path_ + name + "/";
    bool created = false;
    if (::mkdirat(fd_, name.c_str(), 0777) == 0)
        created = true;
    else if (errno != EEXIST) {
        failure = {path, SystemReason(errno)};
        return Entered::Failed;
    }
    // Whatever is there now is opened only when it is a folder itself: a
    // link put in its place since it was made is not followed.
    const int fd = ::openat(fd_, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        failure = {path, SystemReason(err)};
        return err == ELOOP || err == ENOTDIR ? Entered::NotAFolder : Entered::Failed;
    }
    folder.fd_ = fd;
    folder.path_ = path;
    folder.parentFd_ = ::fcntl(fd_, F_DUPFD_CLOEXEC, 0);
    folder.name_ = name;
    return created ? Entered::Created : Entered::Opened;
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
