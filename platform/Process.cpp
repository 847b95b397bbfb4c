// SPDX-License-Identifier: MIT
#include "platform/Process.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <system_error>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace kr::platform {
namespace {

// How often the reader looks whether the program has ended while its output
// stays open.
constexpr int kEndCheckMilliseconds = 100;

// The start-up settings of one program: standard input from /dev/null, its
// output where the caller wants it, a process group of its own and default
// signal handling whatever ours is.
class SpawnSetup {
public:
    SpawnSetup(int outputPipe, const std::string& workingFolder, bool ownGroup)
    {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attributes);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        if (outputPipe >= 0) {
            posix_spawn_file_actions_adddup2(&actions, outputPipe, STDOUT_FILENO);
            posix_spawn_file_actions_adddup2(&actions, outputPipe, STDERR_FILENO);
        } else {
            posix_spawn_file_actions_adddup2(&actions, STDERR_FILENO, STDOUT_FILENO);
        }
        if (!workingFolder.empty())
            posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
        posix_spawnattr_setpgroup(&attributes, 0);
        sigset_t defaults;
        sigemptyset(&defaults);
        sigaddset(&defaults, SIGINT);
        sigaddset(&defaults, SIGTERM);
        sigaddset(&defaults, SIGPIPE);
        sigaddset(&defaults, SIGXFSZ);
        posix_spawnattr_setsigdefault(&attributes, &defaults);
        sigset_t noMask;
        sigemptyset(&noMask);
        posix_spawnattr_setsigmask(&attributes, &noMask);
        posix_spawnattr_setflags(&attributes, (ownGroup ? POSIX_SPAWN_SETPGROUP : 0) | POSIX_SPAWN_SETSIGDEF
                                                  | POSIX_SPAWN_SETSIGMASK);
    }
    ~SpawnSetup()
    {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
};

// The two ends of the output pipe, closed when no longer needed. Both are
// closed on exec, so no other program started meanwhile inherits them.
class OutputPipe {
public:
    bool Open() { return ::pipe2(fds_.data(), O_CLOEXEC) == 0; }
    int ReadEnd() const { return fds_[0]; }
    int WriteEnd() const { return fds_[1]; }
    void CloseWriteEnd() { Close(fds_[1]); }
    ~OutputPipe()
    {
        Close(fds_[0]);
        Close(fds_[1]);
    }

private:
    static void Close(int& fd)
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
    std::array<int, 2> fds_{-1, -1};
};

// True once the program has ended; it is not reaped, so its id stays ours.
bool HasEnded(pid_t pid)
{
    siginfo_t info{};
    return ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid;
}

// Hands everything read from fd to sink until the pipe is closed, or, once
// the program has ended, until what the pipe held at that moment has been
// read: a program it left running may keep the pipe open (and even go on
// writing) for as long as it likes.
void ReadOutput(int fd, pid_t pid, const OutputSink& sink)
{
    std::array<char, 65536> buffer;
    bool ended = false;
    int readsLeft = 0;  // after the end: enough reads to empty a full pipe
    for (;;) {
        pollfd ready{fd, POLLIN, 0};
        const int polled = ::poll(&ready, 1, ended ? 0 : kEndCheckMilliseconds);
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled <= 0) {
            if (polled < 0 || ended)
                return;
            ended = HasEnded(pid);
            readsLeft = ::fcntl(fd, F_GETPIPE_SZ) / static_cast<int>(buffer.size()) + 1;
            continue;
        }
        if (ended && readsLeft-- == 0)
            return;
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        sink(std::string_view(buffer.data(), static_cast<std::size_t>(n)));
    }
}

}  // namespace

void ProcessControl::Terminate()
{
    std::lock_guard<std::mutex> guard(mutex_);
    terminate_ = true;
    for (const pid_t group : groups_)
        ::kill(-group, SIGKILL);
}

bool ProcessControl::TerminateRequested() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return terminate_;
}

ProcessResult RunAndWait(const std::string& program, const std::string& argument, ProcessControl* control,
                         const OutputSink& output)
{
    return RunProgram({program, argument}, {}, control, output);
}

ProcessResult RunProgram(const std::vector<std::string>& arguments, const std::string& workingFolder,
                         ProcessControl* control, const OutputSink& output)
{
    ProcessResult result;
    if (arguments.empty()) {
        result.reason = std::generic_category().message(EINVAL);
        return result;
    }
    OutputPipe pipe;
    if (output && !pipe.Open()) {
        result.reason = std::generic_category().message(errno);
        return result;
    }
    const SpawnSetup setup(output ? pipe.WriteEnd() : -1, workingFolder, control != nullptr);

    std::vector<std::string> copies = arguments;
    std::vector<char*> argv;
    for (std::string& word : copies)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const std::string& program = arguments.front();

    pid_t pid = 0;
    int spawnError = 0;
    if (control) {
        // Registered under the lock so a concurrent Terminate either sees
        // the program or has already asked that none may run.
        std::lock_guard<std::mutex> guard(control->mutex_);
        spawnError = ::posix_spawn(&pid, program.c_str(), &setup.actions, &setup.attributes, argv.data(), environ);
        if (spawnError == 0) {
            control->groups_.push_back(pid);
            if (control->terminate_)
                ::kill(-pid, SIGKILL);
        }
    } else {
        spawnError = ::posix_spawn(&pid, program.c_str(), &setup.actions, &setup.attributes, argv.data(), environ);
    }
    if (spawnError != 0) {
        result.reason = std::generic_category().message(spawnError);
        return result;
    }
    result.started = true;

    if (output) {
        // Only the program may hold the write end now, so the pipe closes
        // when it (and whatever it started) is done.
        pipe.CloseWriteEnd();
        ReadOutput(pipe.ReadEnd(), pid, output);
    }

    // Wait without reaping first, so the process id stays ours (and cannot be
    // reused by another process) until Terminate can no longer reach it.
    siginfo_t info{};
    int rc;
    do {
        rc = ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT);
    } while (rc != 0 && errno == EINTR);
    if (control) {
        // Whatever the program left running in its group ends with it. The
        // program is not reaped yet, so its id still names this group alone.
        std::lock_guard<std::mutex> guard(control->mutex_);
        ::kill(-pid, SIGKILL);
        std::erase(control->groups_, pid);
    }
    int status = 0;
    pid_t reaped;
    do {
        reaped = ::waitpid(pid, &status, 0);
    } while (reaped < 0 && errno == EINTR);
    if (rc != 0 || reaped != pid)
        return result;

    result.waited = true;
    if (WIFEXITED(status)) {
        result.exited = true;
        result.exitStatus = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.signal = WTERMSIG(status);
    }
    return result;
}

}  // namespace kr::platform
