// SPDX-License-Identifier: MIT
#include "platform/InteractiveProcess.h"

#include <cerrno>
#include <cstring>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/CommandRun.h"

extern char** environ;

namespace kr::platform {

CInteractiveProcess::~CInteractiveProcess()
{
    Finish();
}

bool CInteractiveProcess::Start(const std::vector<std::string>& arguments, std::string& reason)
{
    Finish();
    if (arguments.empty()) {
        reason = "no program given";
        return false;
    }
    std::string program = arguments.front();
    if (program.find('/') == std::string::npos) {
        const std::optional<std::string> found = FindOnPath(program);
        if (!found) {
            reason = program + " is not on PATH";
            return false;
        }
        program = *found;
    }
    int toChild[2], fromChild[2];
    if (::pipe2(toChild, O_CLOEXEC) != 0) {
        reason = std::strerror(errno);
        return false;
    }
    if (::pipe2(fromChild, O_CLOEXEC) != 0) {
        reason = std::strerror(errno);
        ::close(toChild[0]);
        ::close(toChild[1]);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], 0);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], 1);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], 2);
    std::vector<char*> argv;
    argv.push_back(program.data());
    std::vector<std::string> words(arguments.begin() + 1, arguments.end());
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const int error = ::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(toChild[0]);
    ::close(fromChild[1]);
    if (error != 0) {
        pid_ = 0;
        ::close(toChild[1]);
        ::close(fromChild[0]);
        reason = std::strerror(error);
        return false;
    }
    input_ = toChild[1];
    outputFd_ = fromChild[0];
    output_.clear();
    return true;
}

bool CInteractiveProcess::Write(std::string_view text)
{
    // A program that has gone must not end us with SIGPIPE.
    struct sigaction ignore = {}, previous = {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &ignore, &previous);
    bool written = input_ >= 0;
    while (written && !text.empty()) {
        const ssize_t n = ::write(input_, text.data(), text.size());
        if (n < 0 && errno == EINTR)
            continue;
        written = n > 0;
        if (written)
            text.remove_prefix(static_cast<std::size_t>(n));
    }
    ::sigaction(SIGPIPE, &previous, nullptr);
    return written;
}

bool CInteractiveProcess::ReadUntil(const std::function<bool(std::string_view)>& done)
{
    char buffer[4096];
    while (!done(output_)) {
        if (outputFd_ < 0)
            return false;
        const ssize_t n = ::read(outputFd_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        output_.append(buffer, static_cast<std::size_t>(n));
    }
    return true;
}

void CInteractiveProcess::Finish()
{
    if (input_ >= 0)
        ::close(input_);
    if (outputFd_ >= 0)
        ::close(outputFd_);
    input_ = outputFd_ = -1;
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
    }
    pid_ = 0;
}

}  // namespace kr::platform
