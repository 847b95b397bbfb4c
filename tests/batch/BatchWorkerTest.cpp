// SPDX-License-Identifier: MIT
#include "batch/BatchRunner.h"
#include "batch/BatchWorker.h"
#include "batch/BuilderOutput.h"

#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>

#include "batch/CheckBatchPaths.h"
#include "batch/ProjectFolderName.h"
#include "batch/SpooledText.h"
#include "firmware/BuildProject.h"
#include "generator/GenerateProject.h"
#include "generator/GenerationCheck.h"
#include "model/ConfigurationSettings.h"
#include "platform/FolderLock.h"
#include "platform/Utf.h"
#include "settings/SaveFile.h"
#include "support/TempDir.h"

namespace kr {
namespace {

using namespace std::chrono_literals;

class Batch : public ::testing::Test {
protected:
    test::TempDir in;
    test::TempDir out;
    test::TempDir tools;

    void Save(const std::string& name, ConfigurationSettings settings)
    {
        std::u16string error;
        ASSERT_TRUE(SaveSettings(in.path() / name, settings, error));
    }

    ConfigurationSettings WithToolchain(int toolchain)
    {
        ConfigurationSettings s;
        s.project.toolchain = toolchain;
        return s;
    }

    std::u16string Builder(const std::string& body)
    {
        const auto path = tools / "builder.sh";
        test::WriteBytes(path, "#!/bin/sh\n" + body + "\n");
        ::chmod(path.c_str(), 0755);
        return path.u16string();
    }

    std::shared_ptr<BatchJob> Job(const std::u16string& builder = {})
    {
        auto job = std::make_shared<BatchJob>(std::make_shared<PendingLog>());
        job->inputFolder = in.folder();
        job->outputFolder = out.folder();
        job->builderPath = builder;
        job->buildProjects = !builder.empty();
        return job;
    }

    // Runs the batch to its end on the calling thread and returns its log.
    std::u16string Run(BatchJob& job)
    {
        RunBatch(job);
        EXPECT_TRUE(job.Finished());
        return job.log->Take();
    }

    std::u16string Folder(const std::string& title)
    {
        return out.folder() + std::u16string(title.begin(), title.end()) + u"/";
    }
};

std::u16string Summary(const char16_t* counts)
{
    return u"Summary: " + std::u16string(counts) + u"\n";
}

TEST_F(Batch, AnEmptyFolderLogsNothingAndFinishes)
{
    std::filesystem::create_directory(in / "folder.kcw");
    std::filesystem::create_directory(in / "sub");
    Save("sub/inner.kcw", {});
    auto job = Job();
    EXPECT_EQ(Run(*job), Summary(u"0 save files: 0 generated, 0 failed, 0 not started."));
    EXPECT_EQ(job->GetProgress(), 0);
    EXPECT_TRUE(std::filesystem::is_empty(out.path()));
}

TEST_F(Batch, LogsEveryStepExactlyAndReusesFoldersOnASecondRun)
{
    Save("panel_a.kcw", WithToolchain(0));
    Save("panel_b.kcw", WithToolchain(2));
    const std::u16string builder = Builder("exit 0");
    const std::u16string expected = u"Generating Project: panel_a.kcw\nOutput Folder: " + Folder("panel_a")
                                    + u"\nSucceeded\n\n"
                                      u"Building Project: "
                                    + Folder("panel_a") + u"\nWorkspace: " + Folder("panel_a")
                                    + u"KR761x_Keil.wsp\nSucceeded\n\n"
                                      u"Generating Project: panel_b.kcw\nOutput Folder: "
                                    + Folder("panel_b")
                                    + u"\nSucceeded\n\n"
                                      u"Building Project: "
                                    + Folder("panel_b") + u"\nWorkspace: " + Folder("panel_b")
                                    + u"KR761x_SDCC.wsp\nSucceeded\n\n"
                                    + Summary(u"2 save files: 2 generated, 2 built, 0 failed, 0 not started.");
    for (int run = 0; run < 2; ++run) {
        auto job = Job(builder);
        EXPECT_EQ(Run(*job), expected) << "run " << run;
        EXPECT_EQ(job->GetProgress(), 100);
        EXPECT_EQ(job->Failures(), 0);
    }
    EXPECT_TRUE(std::filesystem::exists(out / "panel_a/STARTUP.A51"));
    EXPECT_TRUE(std::filesystem::exists(out / "panel_b/KR761x_USB_Descriptor.c"));
}

TEST_F(Batch, UserCodeIsCarriedAndAKeptFileIsLoggedInItsBlock)
{
    Save("panel.kcw", WithToolchain(2));
    Run(*Job());
    const auto main = out / "panel/KR761x_Main.c";
    std::string edited = test::ReadBytes(main);
    const std::string begin = "//! BEGIN user code: start-up\r\n";
    const std::size_t start = edited.find(begin);
    ASSERT_NE(start, std::string::npos);
    std::string user;
    for (int b = 0; b < 256; ++b)
        user += static_cast<char>(b);
    user += "\r\n";
    edited.insert(start + begin.size(), user);
    // A region whose END line is lost: the intact one is carried all the same.
    const std::string own = "//! BEGIN user code: mine\r\n";
    test::WriteBytes(main, edited + own);

    ConfigurationSettings other = WithToolchain(2);
    other.device.deviceSel = 0;
    Save("panel.kcw", other);
    const std::u16string kept = Folder("panel") + u"KR761x_Main.c.previous";
    EXPECT_EQ(Run(*Job()), u"Generating Project: panel.kcw\nOutput Folder: " + Folder("panel")
                               + u"\nThe previous KR761x_Main.c is kept as " + kept
                               + u": the markers of user code region \"mine\" do not pair up, so its code was not "
                                 u"carried over.\nSucceeded\n\n"
                               + Summary(u"1 save files: 1 generated, 0 failed, 0 not started."));
    EXPECT_NE(test::ReadBytes(main).find(begin + user), std::string::npos);
    EXPECT_EQ(test::ReadBytes(out / "panel/KR761x_Main.c.previous"), edited + own);
}

TEST_F(Batch, ABrokenFileFailsItsOwnBlockAndTheNextFileStillRuns)
{
    test::WriteBytes(in / "a_broken.kcw", "<not xml");
    Save("b_good.kcw", {});
    auto job = Job();
    const std::u16string log = Run(*job);
    const std::u16string loadError = u"Failed to load settings from:\n" + in.folder()
                                     + u"a_broken.kcw\n\nThe file does not exist, or the file format is invalid.";
    EXPECT_EQ(log, u"Generating Project: a_broken.kcw\nOutput Folder: " + Folder("a_broken") + u"\n" + loadError
                       + u"\nFailed\n\n"
                         u"Generating Project: b_good.kcw\nOutput Folder: "
                       + Folder("b_good") + u"\nSucceeded\n\n"
                       + Summary(u"2 save files: 1 generated, 1 failed, 0 not started."));
    EXPECT_EQ(job->GetProgress(), 100);
    EXPECT_EQ(job->Failures(), 1);
    // A file that did not load leaves no folder behind.
    EXPECT_FALSE(std::filesystem::exists(out / "a_broken"));
}

TEST_F(Batch, ARefusedConfigurationWritesNothingIsNotBuiltAndTheRunGoesOn)
{
    ConfigurationSettings tilted;
    tilted.pen.bPen = tilted.pen.bXTilt = 1;
    tilted.pen.xTiltMin = 200;
    Save("a_toolchain.kcw", WithToolchain(7));
    Save("b_tilt.kcw", tilted);
    Save("c_good.kcw", {});
    auto job = Job(Builder("exit 0"));
    const std::u16string log = Run(*job);
    const std::u16string refused = u"Nothing was generated, because the configuration has these problems:\n";
    EXPECT_EQ(
        log.substr(0, log.find(u"Building Project:")),
        u"Generating Project: a_toolchain.kcw\nOutput Folder: " + Folder("a_toolchain") + u"\n" + refused
            + u"ProjectData/toolchain = 7: The toolchain must be 0 (Keil), 1 (Raisonance) or 2 (SDCC).\nFailed\n\n"
              u"Generating Project: b_tilt.kcw\nOutput Folder: "
            + Folder("b_tilt") + u"\n" + refused
            + u"PenData/xTiltMin = 200: The X tilt minimum is above the X tilt maximum, 100; hosts refuse a report "
              u"descriptor with such a range.\nFailed\n\n"
              u"Generating Project: c_good.kcw\nOutput Folder: "
            + Folder("c_good") + u"\nSucceeded\n\n");
    EXPECT_TRUE(std::filesystem::is_empty(out / "a_toolchain"));
    EXPECT_TRUE(std::filesystem::is_empty(out / "b_tilt"));
    EXPECT_EQ(job->Failures(), 2);
}

TEST_F(Batch, AFolderThatCannotBeCreatedFailsTheFile)
{
    Save("blocked.kcw", {});
    test::WriteBytes(out / "blocked", "a file where the folder should be");
    auto job = Job();
    const std::u16string log = Run(*job);
    // A file, or a link to a folder anywhere, is no project folder.
    std::filesystem::create_directory_symlink(tools.path(), out / "linked");
    Save("linked.kcw", {});
    const std::u16string notAFolder =
        u"Error: The project folder is not a folder of the output folder but a link or a file\nFailed\n\n";
    EXPECT_NE(log.find(Folder("blocked") + u"\n" + notAFolder), std::u16string::npos);
    EXPECT_NE(Run(*Job()).find(Folder("linked") + u"\n" + notAFolder), std::u16string::npos);
    EXPECT_FALSE(std::filesystem::exists(tools / "KR761x_Main.c"));

    std::u16string stepLog;
    EXPECT_FALSE(GenerateOne(stepLog, in.folder() + u"blocked.kcw", out.folder() + u"missing/blocked/"));
    EXPECT_EQ(stepLog, u"Generating Project: blocked.kcw\nOutput Folder: " + out.folder()
                           + u"missing/blocked/\nError: Could not create directory\n" + out.folder()
                           + u"missing/blocked/: No such file or directory\nFailed\n\n");
}

// A control character in a name or in the output folder's path could start
// a workspace line of its own: refused before anything is made. A builder
// gets the workspace's whole path, never one starting with '-'.
TEST_F(Batch, ControlCharactersAreRefusedAndBuildersGetWholePaths)
{
    Save("p\r\nCompFlag=-DINJECTED.kcw", {});
    const std::filesystem::path badOutput = out.path().string() + "/o\x7f";
    std::filesystem::create_directory(badOutput);
    std::u16string log = Run(*Job());
    EXPECT_NE(log.find(u"\nError: The save file's name holds a control character, which no project folder's name may "
                       u"hold\nFailed\n\n"),
              std::u16string::npos);
    std::filesystem::remove(in / "p\r\nCompFlag=-DINJECTED.kcw");
    Save("p.kcw", {});
    auto job = Job();
    job->outputFolder = badOutput.u16string() + u"/";
    EXPECT_NE(Run(*job).find(u"\nError: The output folder's path holds a control character"), std::u16string::npos);
    // Only the bad output folder is there, and it is empty.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out.path()), {}), 1);
    EXPECT_TRUE(std::filesystem::is_empty(badOutput));

    const auto args = tools / "args.txt";
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(out.path());
    std::filesystem::create_directory("-out");
    EXPECT_TRUE(GenerateOne(log, in.folder() + u"p.kcw", u"-out/p/"));
    EXPECT_TRUE(BuildOne(log, Builder("printf '%s' \"$1\" > '" + args.string() + "'"), u"-out/p/"));
    std::filesystem::current_path(before);
    EXPECT_EQ(test::ReadBytes(args), (out / "-out/p/KR761x_Keil.wsp").string());
}

TEST_F(Batch, NamesGivingNoFolderOfTheirOwnAreRefusedAndNothingLeavesTheOutputFolder)
{
    for (const char* name : {"...kcw", "..kcw", ".kcw", "a.KCW", "a.kcw", "A.kcw"})
        Save(name, {});
    std::filesystem::create_directory(out / "o");
    auto job = Job();
    job->outputFolder = out.folder() + u"o/";
    const std::u16string log = Run(*job);
    const std::u16string noFolder = u"\nError: The save file's name gives no project folder inside the output folder"
                                    u"\nFailed\n\n";
    const std::u16string o = out.folder() + u"o/";
    const std::u16string sameFolder = u"Error: The project folder is that of A.kcw, whose name differs from this one "
                                      u"only in case\nFailed\n\n";
    EXPECT_EQ(log, u"Generating Project: ...kcw\nOutput Folder: " + o + u"../" + noFolder
                       + u"Generating Project: ..kcw\nOutput Folder: " + o + u"./" + noFolder
                       + u"Generating Project: .kcw\nOutput Folder: " + o + u"/" + noFolder
                       + u"Generating Project: A.kcw\nOutput Folder: " + o + u"A/\nSucceeded\n\n"
                       + u"Generating Project: a.KCW\nOutput Folder: " + o + u"a/\n" + sameFolder
                       + u"Generating Project: a.kcw\nOutput Folder: " + o + u"a/\n" + sameFolder
                       + Summary(u"6 save files: 1 generated, 5 failed, 0 not started."));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out.path()), {}), 1);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out / "o"), {}), 1);
}

// A name is bytes, UTF-8 or not: each save file is generated into a folder of
// its own name's bytes, built there, and named in the log, where bytes that
// are not UTF-8 show as U+FFFD. The output folder's own name may hold such
// bytes too.
TEST_F(Batch, NamesThatAreNotUtf8AreGeneratedBuiltAndNamedInTheLog)
{
    Save("caf\xE9.kcw", WithToolchain(0));
    Save("caf\xC3\xA9.kcw", WithToolchain(2));
    Save("CAF\xE9.KCW", WithToolchain(2));
    std::filesystem::create_directory(out / "o\xFE");
    auto job = Job(Builder("test -f \"$1\" && echo \"$1\" >> \"$1.built\""));
    job->outputFolder = out.path().native() + "/o\xFE/";
    const std::u16string o = out.folder() + u"o\uFFFD/";
    EXPECT_EQ(
        Run(*job),
        u"Generating Project: CAF\uFFFD.KCW\nOutput Folder: " + o
            + u"CAF\uFFFD/\nSucceeded\n\n"
              u"Building Project: "
            + o + u"CAF\uFFFD/\nWorkspace: " + o
            + u"CAF\uFFFD/KR761x_SDCC.wsp\nSucceeded\n\n"
              u"Generating Project: caf\u00E9.kcw\nOutput Folder: "
            + o
            + u"caf\u00E9/\nSucceeded\n\n"
              u"Building Project: "
            + o + u"caf\u00E9/\nWorkspace: " + o
            + u"caf\u00E9/KR761x_SDCC.wsp\nSucceeded\n\n"
              u"Generating Project: caf\uFFFD.kcw\nOutput Folder: "
            + o
            + u"caf\uFFFD/\n"
              u"Error: The project folder is that of CAF\uFFFD.KCW, whose name differs from this one only in case\n"
              u"Failed\n\n"
            + Summary(u"3 save files: 2 generated, 2 built, 1 failed, 0 not started."));
    const std::filesystem::path o8 = out / "o\xFE";
    EXPECT_EQ(test::ReadBytes(o8 / "CAF\xE9/KR761x_SDCC.wsp.built"), (o8 / "CAF\xE9/KR761x_SDCC.wsp").native() + "\n");
    EXPECT_EQ(test::ReadBytes(o8 / "caf\xC3\xA9/KR761x_SDCC.wsp.built"),
              (o8 / "caf\xC3\xA9/KR761x_SDCC.wsp").native() + "\n");
    EXPECT_FALSE(std::filesystem::exists(o8 / "caf\xE9"));

    // Alone, the Latin-1 name gets its own folder of the same bytes.
    std::filesystem::remove(in / "CAF\xE9.KCW");
    std::filesystem::remove(in / "caf\xC3\xA9.kcw");
    job = Job();
    job->outputFolder = out.folder();
    EXPECT_EQ(Run(*job), u"Generating Project: caf\uFFFD.kcw\nOutput Folder: " + out.folder()
                             + u"caf\uFFFD/\nSucceeded\n\n"
                             + Summary(u"1 save files: 1 generated, 0 failed, 0 not started."));
    EXPECT_TRUE(std::filesystem::exists(out / "caf\xE9/STARTUP.A51"));
}

// Two names share a project folder when a file system that ignores case
// would take them for one.
TEST(ProjectFolderKeys, TwinsAreFoldedInFullAndBytesCompareAsBytes)
{
    const struct {
        std::string a, b;
        bool twins;
    } rows[] = {
        {"CAF\xC3\x89", "caf\xC3\xA9", true},  // CAFÉ, café
        {"caf\xC3\xA9", "cafe\xCC\x81", true},  // é as one character or two
        {"STRASSE",
         "stra\xC3\x9F"
         "e",
         true},  // ß folds to ss
        {"\xCE\xA3\xCE\x91\xCE\xA3", "\xCF\x83\xCE\xB1\xCF\x82", true},  // ΣΑΣ, σας
        {"CAF\xC9", "caf\xC9", true},  // Latin-1: A to Z still fold
        {"caf\xC9", "caf\xE9", false},  // but other bytes stay as they are
        {"caf\xE9", "caf\xC3\xA9", false},
        {"a1", "a2", false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ProjectFolderKey(row.a) == ProjectFolderKey(row.b), row.twins) << row.a << " " << row.b;
}

TEST_F(Batch, AnOutputFolderInUseIsRefusedBeforeAnythingIsWritten)
{
    Save("a.kcw", {});
    platform::CFolderLock other;
    platform::FileFailure why;
    ASSERT_EQ(other.Lock(out.path().string(), 0ms, why), platform::CFolderLock::Result::Locked);
    auto job = Job();
    EXPECT_EQ(Run(*job), u"Error: The output folder is in use by another batch or generation: " + out.folder() + u"\n\n"
                             + Summary(u"1 save files: 0 generated, 0 failed, 1 not started."));
    EXPECT_EQ(job->Failures(), 1);
    EXPECT_TRUE(std::filesystem::is_empty(out.path()));
}

// A worker the system cannot start ends the run at once as failed, with the
// system's reason in the log, and nothing is processed.
TEST_F(Batch, AWorkerThatCannotStartEndsTheRunFailedWithTheSystemsReason)
{
    Save("a.kcw", {});
    auto job = Job();
    BatchRunner runner(job, [](std::function<void()>) -> std::thread {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    });
    EXPECT_FALSE(runner.Started());
    EXPECT_TRUE(runner.HasEnded());
    EXPECT_TRUE(job->Finished());
    EXPECT_FALSE(runner.AllFilesProcessed());
    EXPECT_EQ(job->Failures(), 1);
    EXPECT_EQ(job->log->Take(), u"Error: Could not start the batch: Resource temporarily unavailable\n\n");
    EXPECT_TRUE(std::filesystem::is_empty(out.path()));
}

TEST_F(Batch, BuildVerdictsFollowTheBuildersExitAfterItsOutput)
{
    Save("p.kcw", {});
    const std::u16string head =
        u"Building Project: " + Folder("p") + u"\nWorkspace: " + Folder("p") + u"KR761x_Keil.wsp\n";
    std::u16string log;
    ASSERT_TRUE(GenerateOne(log, in.folder() + u"p.kcw", Folder("p")));

    const auto args = tools / "args.txt";
    test::WriteBytes(tools / "plain", "not a program");
    const struct {
        std::string builder;  // a script's body, or "/name": the file name in tools, run as it is
        std::u16string tail;  // the log after the head
    } rows[] = {
        {"printf '%s' \"$1\" > '" + args.string() + "'", u"Succeeded\n\n"},
        // Output and error in the order written, CR LF line ends, a last line without end ended.
        {"echo 'compiling \xc3\xa4'; echo 'warning: w' >&2; printf 'two\\r\\nthree'",
         u"compiling \u00e4\nwarning: w\ntwo\nthree\nSucceeded\n\n"},
        // A CR inside a line is the builder's text and stays; only the line
        // end goes.
        {"printf 'step 1\\rstep 2\\r\\r\\n'", u"step 1\rstep 2\r\nSucceeded\n\n"},
        // A line written in two pieces is one line.
        {"printf 'par'; sleep 0.2; echo 'tial'", u"partial\nSucceeded\n\n"},
        {"echo 'error: no sdcc' >&2; exit 2", u"error: no sdcc\nError: Build failed with exit status 2\nFailed\n\n"},
        {"kill -TERM $$", u"Error: Build terminated by signal 15\nFailed\n\n"},
        {"/no-such-builder", u"Error: Could not start builder: No such file or directory\nFailed\n\n"},
        {"/plain", u"Error: Could not start builder: Permission denied\nFailed\n\n"},
    };
    for (const auto& row : rows) {
        const std::u16string builder =
            row.builder.starts_with("/") ? (tools / row.builder.substr(1)).u16string() : Builder(row.builder);
        const bool built = BuildOne(log, builder, Folder("p"));
        EXPECT_EQ(built, row.tail.ends_with(u"Succeeded\n\n")) << row.builder;
        EXPECT_EQ(log, head + row.tail) << row.builder;
        // With a live log the lines go there instead.
        PendingLog live;
        EXPECT_EQ(BuildOne(log, builder, Folder("p"), &live), built);
        EXPECT_EQ(log, u"");
        EXPECT_EQ(live.Take(), head + row.tail) << row.builder;
    }
    EXPECT_EQ(test::ReadBytes(args), (out / "p/KR761x_Keil.wsp").string());
}

// However much a builder prints, the log gets the lines that start in its
// head as they come and, at the end, the last lines that fit in its tail,
// after a line saying exactly how much was left out; the last line is kept
// whole whatever its size, long lines are cut.
TEST(BuilderOutputBounds, HeadAndTailPassInWholeLines)
{
    const std::u16string piece(BuilderOutput::kMaxLineBytes - 1, u'x');
    const struct {
        const char* name;
        std::size_t head, tail;
        std::vector<std::string> pieces;
        std::u16string log;
    } rows[] = {
        {"within the head", 100, 100, {"a\nb", "c\n", "end"}, u"a\nbc\nend\n"},
        {"a line across the head's end", 7, 10, {"abcd\nab", "cd\nabcd\nabcd\n"}, u"abcd\nabcd\nabcd\nabcd\n"},
        {"tail from a line start",
         4,
         6,
         {"12\n4", "56\n78\n9abc\ndef\ngh"},
         u"12\n456\n[8 bytes of builder output left out]\ndef\ngh\n"},
        {"a last line longer than the tail",
         1,
         10,
         {"start\n", "old line\n", "\r10%", "\r20%", "\r30%\r\n"},
         u"start\n[9 bytes of builder output left out]\n\r10%\r20%\r30%\n"},
        {"the error line after a line too long",
         1,
         100000,
         {std::string(200000, 'x'), "\nerror: boom\n"},
         piece + u"\n[65535 bytes of builder output left out]\n" + piece + u"\n" + std::u16string(3395, u'x')
             + u"\nerror: boom\n"},
    };
    for (const auto& row : rows) {
        BuilderOutput output(row.head, row.tail);
        std::u16string log;
        for (const std::string& piece : row.pieces)
            log += output.Add(piece);
        log += output.Finish();
        EXPECT_EQ(log, row.log) << row.name;
    }

    // At the bounds a batch uses, fed in the pieces a pipe gives.
    std::string lines;
    while (lines.size() + 100 < BuilderOutput::kDefaultHeadBytes + BuilderOutput::kDefaultTailBytes) {
        lines.append(99, static_cast<char>('a' + lines.size() / 100 % 26));
        lines += '\n';
    }
    std::string progress;
    for (int step = 0; step < 400000; ++step)
        progress += "\r" + std::to_string(step);
    const struct {
        const char* name;
        std::string output;
        std::u16string ending;
    } large[] = {
        {"3 MB without a line end, then the error line", std::string(3000000, 'x') + "\nerror: boom\n",
         u"xx\nerror: boom\n"},
        {"8 MB in one line without end", std::string(8u << 20, 'x'), u"xxxx\n"},
        {"progress written with CR", "start\n" + progress + "\r\ndone", u"\r399999\ndone\n"},
        {"100-byte lines to just under head and tail", lines, std::u16string(lines.begin(), lines.end())},
    };
    for (const auto& row : large) {
        BuilderOutput output;
        std::u16string log;
        for (std::size_t at = 0; at < row.output.size(); at += 65536)
            log += output.Add(std::string_view(row.output).substr(at, 65536));
        log += output.Finish();
        EXPECT_TRUE(log.ends_with(row.ending)) << row.name;
        EXPECT_LT(log.size(), BuilderOutput::kDefaultHeadBytes + BuilderOutput::kDefaultTailBytes
                                  + 2 * BuilderOutput::kMaxLineBytes)
            << row.name;
    }
}

// Held-back text beyond the spool's memory limit goes to its file and comes
// back whole and in order, in pieces cut between characters.
TEST(SpooledLogText, StaysWithinTheMemoryLimitAndComesBackInOrder)
{
    auto spool = std::make_shared<CTextSpool>(16);
    SpooledText first(spool), second(spool), log(spool);
    std::u16string expected, later;
    for (int i = 0; i < 50; ++i) {
        const std::u16string line = u"line " + std::u16string(i % 7, u'\u00e9') + u" \U0001F600\n";
        (i % 2 ? second : first).Append(line);
        (i % 2 ? later : expected) += line;
        EXPECT_LE(spool->InMemory(), 16u);
    }
    EXPECT_GT(spool->Spooled(), 0u);
    log.Splice(first);
    log.Splice(second);
    EXPECT_TRUE(first.Empty() && second.Empty());
    std::u16string taken;
    for (std::u16string piece; !(piece = log.Take(7)).empty();)
        taken += piece;
    EXPECT_EQ(taken, expected + later);
}

TEST_F(Batch, WorkspacesMustBeExactlyOne)
{
    std::filesystem::create_directory(out / "p");
    std::u16string log;
    EXPECT_FALSE(BuildOne(log, Builder("exit 0"), Folder("p")));
    EXPECT_EQ(log, u"Building Project: " + Folder("p") + u"\nError: No projects found\nFailed\n\n");

    // An earlier run with another toolchain left its workspace behind.
    Save("p.kcw", WithToolchain(2));
    test::WriteBytes(out / "p/KR761x_Keil.wsp", "old");
    const auto ran = tools / "ran";
    auto job = Job(Builder("touch '" + ran.string() + "'"));
    const std::u16string runLog = Run(*job);
    EXPECT_NE(runLog.find(u"Building Project: " + Folder("p") + u"\nError: Multiple projects detected\nFailed\n\n"),
              std::u16string::npos);
    EXPECT_FALSE(std::filesystem::exists(ran));
}

TEST_F(Batch, ProgressCountsFilesDoneWithTruncatingDivision)
{
    for (const char* name : {"a.kcw", "b.kcw", "c.kcw"})
        Save(name, {});
    // The builder records the progress published before its own file.
    auto job = Job();
    job->buildProjects = true;
    std::vector<int> seen;
    const auto gate = tools / "gate";
    job->builderPath =
        Builder("while [ ! -e '" + gate.string() + "' ]; do sleep 0.01; done; rm '" + gate.string() + "'");
    BatchRunner runner(job);
    for (int file = 0; file < 3; ++file) {
        seen.push_back(job->GetProgress());
        test::WriteBytes(gate, "");
        // Wait until the builder has consumed the gate.
        for (int i = 0; i < 1000 && std::filesystem::exists(gate); ++i)
            std::this_thread::sleep_for(5ms);
        for (int i = 0; i < 1000 && job->GetProgress() == seen.back(); ++i)
            std::this_thread::sleep_for(5ms);
    }
    ASSERT_TRUE(runner.WaitForEnd(10s));
    seen.push_back(job->GetProgress());
    EXPECT_EQ(seen, (std::vector<int>{0, 33, 66, 100}));
}

TEST_F(Batch, CancelLetsTheRunningBuildFinishAndStartsNoFurtherFile)
{
    Save("a.kcw", {});
    Save("b.kcw", {});
    const auto started = tools / "started";
    const auto gate = tools / "gate";
    auto job =
        Job(Builder("touch '" + started.string() + "'; while [ ! -e '" + gate.string() + "' ]; do sleep 0.01; done"));
    BatchRunner runner(job);
    for (int i = 0; i < 2000 && !std::filesystem::exists(started); ++i)
        std::this_thread::sleep_for(5ms);
    ASSERT_TRUE(std::filesystem::exists(started));
    job->RequestStop();
    EXPECT_FALSE(job->Finished());
    test::WriteBytes(gate, "");
    ASSERT_TRUE(runner.WaitForEnd(10s));
    // A run that stopped on request is finished too: its log is complete.
    EXPECT_TRUE(job->Finished());
    const std::u16string log = job->log->Take();
    EXPECT_NE(log.find(u"Workspace: " + Folder("a") + u"KR761x_Keil.wsp\nSucceeded\n\n"), std::u16string::npos);
    EXPECT_EQ(log.find(u"b.kcw"), std::u16string::npos);
    EXPECT_EQ(job->GetProgress(), 50);
}

TEST_F(Batch, StopNowEndsTheRunningBuilderWhoseLinesShowAsItRuns)
{
    Save("a.kcw", {});
    Save("b.kcw", {});
    auto job = Job(Builder("echo started; sleep 60"));
    BatchRunner runner(job);
    // Everything up to the builder's first line is in the log while it runs.
    std::u16string text;
    for (int i = 0; i < 4000 && text.find(u"started") == std::u16string::npos; ++i) {
        text += job->log->Take();
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_EQ(text, u"Generating Project: a.kcw\nOutput Folder: " + Folder("a")
                        + u"\nSucceeded\n\n"
                          u"Building Project: "
                        + Folder("a") + u"\nWorkspace: " + Folder("a") + u"KR761x_Keil.wsp\nstarted\n");
    job->StopNow();
    ASSERT_TRUE(runner.WaitForEnd(20s));
    EXPECT_FALSE(runner.AllFilesProcessed());
    EXPECT_EQ(job->log->Take(), u"Build stopped on request\nFailed\n\n"
                                    + Summary(u"2 save files: 1 generated, 0 built, 1 failed, 1 not started."));
    EXPECT_EQ(job->Failures(), 1);
}

TEST_F(Batch, CuttingOffEndsAHangingBuilder)
{
    Save("a.kcw", {});
    Save("b.kcw", {});
    auto job = Job(Builder("sleep 60"));
    auto log = job->log;
    {
        BatchRunner runner(job);
        EXPECT_FALSE(runner.WaitForEnd(300ms));
        runner.CutOff();
    }
    job.reset();  // the worker holds its own reference until it ends
    std::u16string text;
    for (int i = 0; i < 1000 && text.find(u"Failed\n\n", text.find(u"Building")) == std::u16string::npos; ++i) {
        text += log->Take();
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_NE(text.find(u"Build stopped on request\nFailed\n\n"), std::u16string::npos)
        << std::string(text.begin(), text.end());
    EXPECT_EQ(text.find(u"b.kcw"), std::u16string::npos);
}

// Side by side, a run logs byte for byte what a run of one file at a time
// logs: the earliest unfinished file's block as it runs, later blocks held
// back until it is done, the same refusals whatever the timing.
class BatchSideBySide : public Batch, public ::testing::WithParamInterface<unsigned> {
protected:
    std::u16string RunWith(unsigned jobs, const std::u16string& builder)
    {
        for (const auto& entry : std::filesystem::directory_iterator(out.path()))
            std::filesystem::remove_all(entry.path());
        auto job = Job(builder);
        job->jobs = jobs;
        return Run(*job);
    }
};

TEST_P(BatchSideBySide, LogsExactlyAsOneAtATime)
{
    Save("a_slow.kcw", {});
    test::WriteBytes(in / "b_broken.kcw", "<not xml");
    Save("c_newer.kcw", {});
    std::string newer = test::ReadBytes(in / "c_newer.kcw");
    newer.replace(newer.find("<SAVE_FILE_VERSION>0100"), 23, "<SAVE_FILE_VERSION>0200");
    test::WriteBytes(in / "c_newer.kcw", newer);
    for (const char* name : {"d_fails.kcw", "e.kcw", "f.kcw", "f.KCW", "g.kcw", "h_last.kcw"})
        Save(name, WithToolchain(2));
    // a_slow's build waits for the gate; d_fails' build fails; every build
    // prints lines of its own.
    const auto gate = tools / "gate";
    const std::u16string builder = Builder("case \"$1\" in\n"
                                           "*a_slow*) echo waiting; while [ ! -e '"
                                           + gate.string()
                                           + "' ]; do sleep 0.01; done;;\n"
                                             "*d_fails*) echo 'error: d' >&2; exit 3;;\n"
                                             "esac\necho \"built $1\"; touch \"$1.built\"");
    test::WriteBytes(gate, "");
    const std::u16string oneAtATime = RunWith(1, builder);
    EXPECT_NE(oneAtATime.find(u"error: d\nError: Build failed with exit status 3\nFailed"), std::u16string::npos);
    EXPECT_NE(oneAtATime.find(u"whose name differs from this one only in case"), std::u16string::npos);
    EXPECT_TRUE(oneAtATime.ends_with(Summary(u"9 save files: 6 generated, 5 built, 4 failed, 0 not started.")));

    std::filesystem::remove(gate);
    for (const auto& entry : std::filesystem::directory_iterator(out.path()))
        std::filesystem::remove_all(entry.path());
    auto job = Job(builder);
    job->jobs = GetParam();
    BatchRunner runner(job);
    // While a_slow builds, the files after it finish, but the log shows
    // a_slow's block only, up to the line its builder has printed.
    const std::u16string live = oneAtATime.substr(0, oneAtATime.find(u"waiting\n") + 8);
    std::u16string text;
    for (int i = 0; i < 4000 && !std::filesystem::exists(out / "h_last/KR761x_SDCC.wsp.built"); ++i)
        std::this_thread::sleep_for(5ms);
    for (int i = 0; i < 4000 && text.size() < live.size(); ++i) {
        text += job->log->Take();
        std::this_thread::sleep_for(5ms);
    }
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(text + job->log->Take(), live);
    test::WriteBytes(gate, "");
    ASSERT_TRUE(runner.WaitForEnd(20s));
    EXPECT_EQ(live + job->log->Take(), oneAtATime);

    // Without the wait the files overlap however they happen to.
    EXPECT_EQ(RunWith(GetParam(), builder), oneAtATime);
}

INSTANTIATE_TEST_SUITE_P(Jobs, BatchSideBySide, ::testing::Values(2u, 3u, 16u),
                         [](const auto& info) { return std::to_string(info.param); });

// A stop during a run side by side: Cancel lets the running files finish,
// Stop Now ends every running build; either way no further file starts and
// every file that started has its whole project or is logged as failed.
TEST_F(Batch, StopSideBySideLeavesStartedProjectsWholeOrFailed)
{
    for (const char* name : {"a.kcw", "b.kcw", "c.kcw", "d.kcw"})
        Save(name, {});
    const auto gate = tools / "gate";
    const std::u16string builder =
        Builder("touch \"$1.started\"; while [ ! -e '" + gate.string() + "' ]; do sleep 0.01; done");
    for (const bool now : {false, true}) {
        std::filesystem::remove(gate);
        for (const auto& entry : std::filesystem::directory_iterator(out.path()))
            std::filesystem::remove_all(entry.path());
        auto job = Job(builder);
        job->jobs = 3;
        BatchRunner runner(job);
        for (int i = 0; i < 4000
                        && !(std::filesystem::exists(out / "a/KR761x_Keil.wsp.started")
                             && std::filesystem::exists(out / "b/KR761x_Keil.wsp.started"));
             ++i)
            std::this_thread::sleep_for(5ms);
        if (now) {
            job->StopNow();
        } else {
            job->RequestStop();
            test::WriteBytes(gate, "");
        }
        ASSERT_TRUE(runner.WaitForEnd(20s)) << now;
        EXPECT_FALSE(runner.AllFilesProcessed());
        const std::u16string log = job->log->Take();
        EXPECT_EQ(log.find(u"d.kcw"), std::u16string::npos) << now;
        // a and b built or stopped; c started with them unless the stop came first.
        for (const char* title : {"a", "b", "c"}) {
            const std::u16string block = u"Building Project: " + Folder(title) + u"\nWorkspace: " + Folder(title)
                                         + u"KR761x_Keil.wsp\n"
                                         + (now ? u"Build stopped on request\nFailed\n\n" : u"Succeeded\n\n");
            if (std::string(title) == "c" && !std::filesystem::exists(out / "c"))
                continue;
            EXPECT_NE(log.find(block), std::u16string::npos) << title << now;
            EXPECT_TRUE(std::filesystem::exists(out / title / "KR761x_Main.c")) << title << now;
        }
        EXPECT_FALSE(std::filesystem::exists(out / "d"));
        const bool c = std::filesystem::exists(out / "c");
        EXPECT_TRUE(
            log.ends_with(Summary((c ? (now ? u"4 save files: 3 generated, 0 built, 3 failed, 1 not started."
                                            : u"4 save files: 3 generated, 3 built, 0 failed, 1 not started.")
                                     : (now ? u"4 save files: 2 generated, 0 built, 2 failed, 2 not started."
                                            : u"4 save files: 2 generated, 2 built, 0 failed, 2 not started.")))))
            << std::string(log.begin(), log.end());
    }
}

// The core's messages and the batch log break lines with LF only, whichever
// failure they tell of and whatever a builder printed; the front ends lay
// the text out.
TEST_F(Batch, EveryMessageOfTheCoreBreaksLinesWithLFOnly)
{
    test::WriteBytes(in / "broken.kcw", "<not xml");
    Save("good.kcw", {});
    ConfigurationSettings refused;
    refused.project.toolchain = 7;
    refused.device.powerMode = 2;
    ConfigurationSettings intoAFile;
    test::WriteBytes(tools / "file", "");
    intoAFile.project.projectPath = (tools / "file").u16string() + u"/";
    const std::u16string crlfBuilder = Builder("printf 'one\\r\\ntwo\\r\\n'; exit 3");
    std::filesystem::create_directory(tools / "keil");
    test::WriteBytes(tools / "keil/KR761x_Keil.wsp", "[WorkState_v1_1.Compiler]\r\nCompiler=c:\\Keil\\C51.exe\r\n");

    const struct {
        const char* name;
        std::function<std::u16string()> message;
    } rows[] = {
        {"load a missing file",
         [&] {
             ConfigurationSettings s;
             std::u16string error;
             LoadSettings(in.folder() + u"missing.kcw", s, error);
             return error;
         }},
        {"load a broken file",
         [&] {
             ConfigurationSettings s;
             std::u16string error;
             LoadSettings(in.folder() + u"broken.kcw", s, error);
             return error;
         }},
        {"save into no folder",
         [&] {
             std::u16string error;
             SaveSettings(in.folder() + u"missing/s.kcw", {}, error);
             return error;
         }},
        {"generate a refused configuration",
         [&] {
             std::u16string error;
             GenerateProject(refused, error);
             return error;
         }},
        {"generate below a file",
         [&] {
             std::u16string error;
             GenerateProject(intoAFile, error);
             return error;
         }},
        {"the refusal text", [&] { return GenerationRefusalText(CheckSettings(refused)); }},
        {"batch paths",
         [&] {
             BatchJob job(std::make_shared<PendingLog>());
             job.inputFolder = in.folder() + u"missing/";
             std::u16string error;
             CheckBatchPaths(job, error);
             return error;
         }},
        {"a batch of a broken and a good file", [&] { return Run(*Job()); }},
        {"a build that fails after CR LF lines",
         [&] {
             std::u16string log;
             BuildOne(log, crlfBuilder, Folder("good"));
             return log;
         }},
        {"a build without a workspace",
         [&] {
             std::u16string log;
             BuildOne(log, crlfBuilder, tools.folder());
             return log;
         }},
        {"a batch that cannot start",
         [&] {
             auto job = Job();
             BatchRunner runner(job, [](std::function<void()>) -> std::thread {
                 throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
             });
             return job->log->Take();
         }},
        {"firmware build of a Keil project",
         [&] {
             firmware::BuildResult result;
             firmware::BuildSdccProject((tools / "keil").u16string(), result);
             return result.errorText;
         }},
        {"firmware build of nothing",
         [&] {
             firmware::BuildResult result;
             firmware::BuildSdccProject((tools / "none").u16string(), result);
             return result.errorText;
         }},
    };
    for (const auto& row : rows) {
        const std::u16string text = row.message();
        EXPECT_FALSE(text.empty()) << row.name;
        EXPECT_EQ(text.find(u"\r\n"), std::u16string::npos) << row.name << ": " << platform::ToUtf8(text);
    }
}

}  // namespace
}  // namespace kr
