// SPDX-License-Identifier: MIT
#include "platform/Process.h"

#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

#include "support/TempDir.h"

namespace kr::platform {
namespace {

std::string Script(const test::TempDir& dir, const std::string& name, const std::string& body)
{
    const auto path = dir / name;
    test::WriteBytes(path, "#!/bin/sh\n" + body + "\n");
    ::chmod(path.c_str(), 0755);
    return path.string();
}

TEST(Process, PassesOneArgumentAndReportsTheExitStatus)
{
    test::TempDir dir;
    const auto record = dir / "arg.txt";
    const std::string program =
        Script(dir, "record.sh", "printf '%s|%s' \"$1\" \"$#\" > '" + record.string() + "'; exit 3");
    const ProcessResult r = RunAndWait(program, "/path with blanks/\"quoted\".wsp");
    EXPECT_TRUE(r.started);
    EXPECT_TRUE(r.waited);
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.exitStatus, 3);
    EXPECT_EQ(test::ReadBytes(record), "/path with blanks/\"quoted\".wsp|1");

    // A list of arguments, run in a given folder.
    std::string output;
    const std::string lister = Script(dir, "list.sh", "printf '%s|%s|%s|%s' \"$(pwd -P)\" \"$#\" \"$1\" \"$2\"");
    std::filesystem::create_directory(dir / "work");
    EXPECT_TRUE(RunProgram({lister, "a b", ""}, (dir / "work").string(), nullptr, [&](std::string_view text) {
                    output += text;
                }).exited);
    EXPECT_EQ(output, std::filesystem::canonical(dir / "work").string() + "|2|a b|");
}

TEST(Process, AProgramThatCannotStartIsReportedWithTheSystemsReason)
{
    test::TempDir dir;
    test::WriteBytes(dir / "plain.txt", "data");
    const std::string noInterpreter = Script(dir, "bare.sh", "");
    test::WriteBytes(noInterpreter, "echo no interpreter line\n");
    const struct {
        std::string program;
        std::string reason;
    } rows[] = {
        {(dir / "missing").string(), "No such file or directory"},
        {(dir / "plain.txt").string(), "Permission denied"},
        {noInterpreter, "Exec format error"},
    };
    for (const auto& row : rows) {
        std::string output;
        const ProcessResult r = RunAndWait(row.program, "x", nullptr, [&](std::string_view text) { output += text; });
        EXPECT_FALSE(r.started) << row.program;
        EXPECT_EQ(r.reason, row.reason) << row.program;
        EXPECT_EQ(output, "");
    }
}

TEST(Process, OutputAndErrorReachTheSinkInTheOrderWritten)
{
    test::TempDir dir;
    // cat shows the standard input is empty rather than ours.
    const std::string program = Script(dir, "talk.sh", "echo one; echo two >&2; cat; printf 'three'; exit 1");
    std::string output;
    const ProcessResult r = RunAndWait(program, "x", nullptr, [&](std::string_view text) { output += text; });
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(output, "one\ntwo\nthree");
}

TEST(Process, SomethingLeftRunningWithTheOutputOpenIsNotWaitedFor)
{
    test::TempDir dir;
    const auto pidFile = dir / "left.pid";
    const std::string program = Script(dir, "leave.sh", "sleep 300 & echo $! > '" + pidFile.string() + "'; echo done");
    std::string output;
    const ProcessResult r = RunAndWait(program, "x", nullptr, [&](std::string_view text) { output += text; });
    const std::string pid = test::ReadBytes(pidFile).substr(0, test::ReadBytes(pidFile).find('\n'));
    ASSERT_FALSE(pid.empty());
    // Still running: the wait ended with the program, not with what it left.
    EXPECT_TRUE(std::filesystem::exists("/proc/" + pid));
    ::kill(std::stoi(pid), SIGKILL);
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(output, "done\n");
}

TEST(Process, TerminateEndsAHangingProgramAndWhatItStarted)
{
    test::TempDir dir;
    const auto childPidFile = dir / "child.pid";
    // The script starts a child of its own; both must end.
    const std::string program =
        Script(dir, "hang.sh", "sleep 30 & echo $! > '" + childPidFile.string() + "'; sleep 30");
    ProcessControl control;
    std::thread stopper([&] {
        // End it only once the child is known to exist.
        for (int i = 0; i < 500 && test::ReadBytes(childPidFile).empty(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        control.Terminate();
    });
    const ProcessResult r = RunAndWait(program, "x", &control);
    stopper.join();
    EXPECT_TRUE(r.started);
    EXPECT_TRUE(r.waited);
    EXPECT_FALSE(r.exited);
    EXPECT_EQ(r.signal, SIGKILL);

    // The orphaned child was killed too: soon gone, or a zombie waiting for init.
    const std::string childPid = test::ReadBytes(childPidFile);
    ASSERT_FALSE(childPid.empty());
    const std::string statPath = "/proc/" + childPid.substr(0, childPid.find('\n')) + "/stat";
    bool ended = false;
    for (int i = 0; i < 100 && !ended; ++i) {
        const std::string stat = test::ReadBytes(statPath);
        const auto state = stat.find(") ");
        ended = stat.empty() || (state != std::string::npos && stat[state + 2] == 'Z');
        if (!ended)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(ended);
}

TEST(Process, AProgramStartedAfterTerminateIsEndedAtOnce)
{
    test::TempDir dir;
    ProcessControl control;
    control.Terminate();
    const ProcessResult r = RunAndWait(Script(dir, "hang.sh", "sleep 30"), "x", &control);
    EXPECT_TRUE(r.started);
    EXPECT_FALSE(r.exited);
    EXPECT_EQ(r.signal, SIGKILL);
}

}  // namespace
}  // namespace kr::platform
