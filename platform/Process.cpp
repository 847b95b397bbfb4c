#include "platform/Process.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace kr::platform {

void ProcessControl::Terminate()
{
    std::lock_guard<std::mutex> guard(mutex_);
    terminate_ = true;
    if (group_ > 0)
        ::kill(-group_, SIGKILL);
}

ProcessResult RunAndWait(const std::string& program, const std::string& argument, ProcessControl* control)
{
    ProcessResult result;

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, STDERR_FILENO, STDOUT_FILENO);
    posix_spawnattr_setpgroup(&attributes, 0);
    // The program starts with default signal handling whatever ours is.
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
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    std::string programCopy = program;
    std::string argumentCopy = argument;
    char* argv[] = {programCopy.data(), argumentCopy.data(), nullptr};

    pid_t pid = 0;
    int spawnError = 0;
    if (control) {
        // Registered under the lock so a concurrent Terminate either sees
        // the program or has already asked that none may run.
        std::lock_guard<std::mutex> guard(control->mutex_);
        spawnError = ::posix_spawn(&pid, program.c_str(), &actions, &attributes, argv, environ);
        if (spawnError == 0) {
            control->group_ = pid;
            if (control->terminate_)
                ::kill(-pid, SIGKILL);
        }
    } else {
        spawnError = ::posix_spawn(&pid, program.c_str(), &actions, &attributes, argv, environ);
    }
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (spawnError != 0)
        return result;
    result.started = true;

    // Wait without reaping first, so the process id stays ours (and cannot be
    // reused by another process) until Terminate can no longer reach it.
    siginfo_t info {};
    int rc;
    do {
        rc = ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT);
    } while (rc != 0 && errno == EINTR);
    if (control) {
        std::lock_guard<std::mutex> guard(control->mutex_);
        control->group_ = 0;
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
