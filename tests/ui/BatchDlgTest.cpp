// SPDX-License-Identifier: MIT
// The batch dialog over real runs on temporary folders: the path checks, the
// log in the view with the builder's output, Clear and Cancel during a run,
// Stop Now ending a build, the builder offered, and Enter closing it.

#include <cstdlib>
#include <sys/stat.h>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "ScriptedInteraction.h"
#include "batch/BatchJob.h"
#include "ui/batch/BatchDlg.h"
#include "settings/SaveFile.h"
#include "support/TempDir.h"
#include "ui/ConfigWizardDlg.h"
#include "ui/ControlId.h"
#include "ui/QtText.h"

namespace kr::test {
namespace {

using namespace batch_id;

class BatchDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Remembered().clear();
        dialog = Open();
        dialog->show();
        // The progress dialog runs for real and closes by itself at the end of a run.
        ui.runModal = [this](QDialog& progress) {
            QTimer poll;
            QObject::connect(&poll, &QTimer::timeout, [&] {
                if (duringRun && duringRun(progress))
                    poll.stop();
            });
            poll.start(10);
            return progressResult = progress.exec();
        };
    }

    // A dialog that finds its default builder only on searchPath: the test
    // program's own folder and its build tree's cli/ folder have none.
    std::unique_ptr<CBatchDlg> Open(const std::string& searchPath = {})
    {
        const std::string path = std::getenv("PATH");
        ::setenv("PATH", searchPath.c_str(), 1);
        auto opened = std::make_unique<CBatchDlg>();
        ::setenv("PATH", path.c_str(), 1);
        return opened;
    }

    static QSettings Remembered() { return QSettings(QCoreApplication::applicationName(), QStringLiteral("batch")); }
    QLineEdit* Box(int id) const { return qobject_cast<QLineEdit*>(FindControl(dialog.get(), id)); }
    QString Text(int id) const { return Box(id)->text(); }
    QString Log() const { return qobject_cast<QPlainTextEdit*>(FindControl(dialog.get(), kLog))->toPlainText(); }
    // Also reaches the batch dialog under the modal progress dialog.
    void Click(int id, QWidget* scope = nullptr)
    {
        qobject_cast<QAbstractButton*>(FindControl(scope ? scope : dialog.get(), id))->click();
    }
    bool WaitForLog(const QString& part)
    {
        return QTest::qWaitFor([&] { return Log().contains(part); }, 20000);
    }

    void Prepare(const std::string& builder = {})
    {
        for (const char* name : {"a.kcw", "b.kcw"}) {
            std::u16string error;
            ASSERT_TRUE(SaveSettings(in / name, {}, error));
        }
        ui.folderAnswers = {{kFolderOk, PathToQString(in.path())}, {kFolderOk, PathToQString(out.path())}};
        Click(kBrowseInput);
        Click(kBrowseOutput);
        if (!builder.empty()) {
            WriteBytes(tools / "builder.sh", "#!/bin/sh\n" + builder + "\n");
            ::chmod((tools / "builder.sh").c_str(), 0755);
            ui.openAnswers = {PathToQString(tools / "builder.sh")};
            Click(kBrowseBuilder);
            Click(kBuildProjects);
        }
    }

    ScriptedInteraction ui;
    TempDir in, out, tools;
    std::function<bool(QDialog&)> duringRun;  // polled while the progress dialog is up; true: done
    int progressResult = -1;
    std::unique_ptr<CBatchDlg> dialog;
};

TEST_F(BatchDlgTest, PathsComeFromTheChoosersAndAreCheckedBeforeARun)
{
    Click(kOpenInput);
    Click(kStart);
    ui.folderAnswers = {
        {kFolderOk, PathToQString(in.path())}, {kFolderOk, PathToQString(out / "gone")}, {kFolderCancel, {}}};
    Click(kBrowseInput);
    Click(kBrowseOutput);
    Click(kBrowseOutput);
    EXPECT_EQ(Text(kInputFolder), PathToQString(in.path()) + "/");
    EXPECT_EQ(ui.folderRequests[2].title, "Select batch output directory.");
    EXPECT_EQ(ui.folderRequests[2].initialFolder, PathToQString(out / "gone") + "/");
    Click(kStart);
    ui.folderAnswers = {{kFolderOk, "/"}};
    Click(kBrowseOutput);
    EXPECT_EQ(Text(kOutputFolder), "/");
    Click(kBuildProjects);  // ticked without a builder
    Click(kStart);
    ui.openAnswers = {PathToQString(tools.path())};  // a folder is no builder
    Click(kBrowseBuilder);
    Click(kStart);
    // The message, then the first bad path and why.
    const auto invalid = [](const QString& reason) {
        return ShownMessage{kApplicationName,
                            "Invalid batch configuration.\n\nPlease verify all path names before continuing.\n"
                                + reason,
                            MessageIcon::None};
    };
    EXPECT_EQ(ui.messages,
              (std::vector<ShownMessage>{
                  invalid("Input folder: none chosen"),
                  invalid("Output folder: " + PathToQString(out / "gone") + "/: No such file or directory"),
                  invalid("Builder: none chosen"),
                  invalid("Builder: " + PathToQString(tools.path()) + ": Is a directory"),
              }));
    EXPECT_TRUE(ui.dialogsRun.empty());
    EXPECT_TRUE(ui.explored.empty());

    Click(kBuildProjects);  // unticked, no builder is needed
    Click(kStart);
    EXPECT_EQ(ui.dialogsRun, std::vector<QString>{"Batch Project Generation - 0%"});
    EXPECT_EQ(progressResult, QDialog::Accepted);
}

TEST_F(BatchDlgTest, ARunShowsItsLogAndASecondRunAddsToIt)
{
    Prepare();
    WriteBytes(in / "broken.kcw", "<not a save file");
    Click(kStart);
    // Each step reaches the view whole, line ends as single breaks.
    const QString a = "Generating Project: a.kcw\nOutput Folder: " + PathToQString(out / "a") + "/\nSucceeded\n\n";
    const QString broken = "Generating Project: broken.kcw\nOutput Folder: " + PathToQString(out / "broken")
                           + "/\nFailed to load settings from:\n" + PathToQString(in / "broken.kcw");
    ASSERT_TRUE(WaitForLog(a) && WaitForLog(broken) && WaitForLog("b.kcw")) << Log().toStdString();
    EXPECT_TRUE(std::filesystem::exists(out / "b" / "KR761x_Main.c"));
    EXPECT_FALSE(std::filesystem::exists(out / "broken"));  // it did not load

    const QString first = Log();
    Click(kStart);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return Log().count(broken) == 2 && Log().count(a) == 2 && Log().count("b.kcw") == 2; }));
    EXPECT_TRUE(Log().startsWith(first));
    Click(kClear);
    EXPECT_EQ(Log(), "");
}

// A path crosses into Qt and back unchanged, bytes that are not UTF-8
// included: an output folder so named, chosen and held in its box as text,
// reaches the batch as its bytes, and a save file so named is generated and
// named in the log with U+FFFD.
TEST_F(BatchDlgTest, PathsThatAreNotUtf8SurviveTheBoxesAndAreGenerated)
{
    const std::filesystem::path output = out / "\xFF";
    std::filesystem::create_directory(output);
    EXPECT_EQ(QStringToPath(PathToQString(output)), output);
    std::u16string error;
    ASSERT_TRUE(SaveSettings(in / "caf\xE9.kcw", {}, error));
    ui.folderAnswers = {{kFolderOk, PathToQString(in.path())}, {kFolderOk, PathToQString(output)}};
    Click(kBrowseInput);
    Click(kBrowseOutput);
    EXPECT_EQ(QStringToPath(Text(kOutputFolder)), output.native() + "/");
    Click(kStart);
    const QString project = PathToQString(out.path()) + ToQString(u"/\uFFFD/caf\uFFFD/");
    ASSERT_TRUE(
        WaitForLog(ToQString(u"Generating Project: caf\uFFFD.kcw\nOutput Folder: ") + project + "\nSucceeded\n\n"))
        << Log().toStdString();
    EXPECT_TRUE(std::filesystem::exists(output / "caf\xE9" / "KR761x_Main.c"));
}

TEST_F(BatchDlgTest, ClearAndCancelDuringARunWhichEndsAfterTheCurrentBuilds)
{
    const auto gate = tools / "gate";
    Prepare("touch \"$1.started\"; while [ ! -e '" + gate.string()
            + "' ]; do sleep 0.01; done; "
              "printf 'step 1\\rstep 2\\r\\n'; echo built");
    std::u16string error;
    ASSERT_TRUE(SaveSettings((in / "c.kcw").u16string(), {}, error));
    dialog->SetJobs(2);
    // The builds of a and b wait for the gate while a's generation shows.
    QString stopping;
    duringRun = [&](QDialog& progress) {
        if (!Log().contains("Succeeded") || !std::filesystem::exists(out / "b/KR761x_Keil.wsp.started"))
            return false;
        Click(kClear);
        Click(progress_id::kCancel, &progress);
        // The progress dialog stays while the builds run, and says so.
        EXPECT_TRUE(progress.isVisible());
        EXPECT_TRUE(FindControl(&progress, progress_id::kStopNow)->isVisible());
        EXPECT_FALSE(FindControl(&progress, progress_id::kCancel)->isEnabled());
        stopping = qobject_cast<QLabel*>(FindControl(&progress, progress_id::kStopping))->text();
        WriteBytes(gate, "");
        return true;
    };
    Click(kStart);
    EXPECT_EQ(progressResult, QDialog::Rejected);
    EXPECT_EQ(stopping, "Stopping after the current builds...");
    // Both builds finished with their output, a CR the builder printed
    // inside a line breaking it; lines after Clear still showed.
    ASSERT_TRUE(WaitForLog("step 1\nstep 2\nbuilt\nSucceeded\n\nGenerating Project: b.kcw")) << Log().toStdString();
    EXPECT_FALSE(Log().contains("c.kcw"));  // no third file
    // The log ends with how the batch ended.
    const QString summary = "Summary: 3 save files: 2 generated, 2 built, 0 failed, 1 not started.\n";
    ASSERT_TRUE(WaitForLog(summary));
    EXPECT_TRUE(Log().endsWith(summary));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out.path()), {}), 2);
}

TEST_F(BatchDlgTest, StopNowEndsTheBuildAtOnceAndLogsItAsStopped)
{
    Prepare("echo started; sleep 60");
    dialog->SetJobs(1);
    duringRun = [&](QDialog& progress) {
        if (!Log().contains("started"))
            return false;
        Click(progress_id::kCancel, &progress);
        Click(progress_id::kStopNow, &progress);
        return true;
    };
    Click(kStart);
    EXPECT_EQ(progressResult, QDialog::Rejected);
    ASSERT_TRUE(WaitForLog("started\nBuild stopped on request\nFailed\n\n")) << Log().toStdString();
    EXPECT_FALSE(Log().contains("b.kcw"));
}

TEST_F(BatchDlgTest, OffersTheProjectsOwnBuilderAndShowsItsOutput)
{
    WriteBytes(tools / "kr761x-build", "#!/bin/sh\necho \"kr761x-build $1\"\n");
    ::chmod((tools / "kr761x-build").c_str(), 0755);
    dialog = Open(tools.path().string());
    dialog->show();
    const QString builder = PathToQString(tools / "kr761x-build");
    EXPECT_EQ(Text(kBuilderPath), builder);

    Prepare();
    Click(kBuildProjects);
    Click(kStart);
    ASSERT_TRUE(
        WaitForLog("KR761x_Keil.wsp\nkr761x-build " + PathToQString(out / "b") + "/KR761x_Keil.wsp\nSucceeded\n\n"))
        << Log().toStdString();

    // Another can still be chosen; every file shows first, the chooser starts at the current one.
    ui.openAnswers = {PathToQString(tools / "other")};
    Click(kBrowseBuilder);
    ASSERT_EQ(ui.openRequests.size(), 1u);
    EXPECT_TRUE(ui.openRequests[0].filter.startsWith("All Files (*);;"));
    EXPECT_EQ(ui.openRequests[0].initialName, builder);
    EXPECT_EQ(Text(kBuilderPath), PathToQString(tools / "other"));
}

TEST_F(BatchDlgTest, RemembersItsFoldersAndBuilderAndShowsThemReadOnly)
{
    Prepare("exit 0");
    ui.exploreWorks = false;
    Click(kOpenOutput);
    EXPECT_EQ(ui.messages, (std::vector<ShownMessage>{{"Open Folder",
                                                       "The folder " + PathToQString(out.path())
                                                           + "/ cannot be shown: no file "
                                                             "manager could be started to show it.",
                                                       MessageIcon::Warning}}));
    dialog = Open();
    for (const auto& [id, path] : {std::pair{kInputFolder, PathToQString(in.path()) + "/"},
                                   {kOutputFolder, PathToQString(out.path()) + "/"},
                                   {kBuilderPath, PathToQString(tools / "builder.sh")}}) {
        EXPECT_EQ(Text(id), path);
        EXPECT_TRUE(Box(id)->isReadOnly());
        EXPECT_EQ(Box(id)->palette().color(QPalette::Base), Box(id)->palette().color(QPalette::Window));
    }
}

TEST_F(BatchDlgTest, EnterClosesTheDialogWhateverHasTheFocus)
{
    for (const int id : {kBrowseInput, kOpenOutput, kBrowseBuilder, kStart, kBuildProjects, kLog, kClear}) {
        dialog = Open();
        dialog->show();
        QWidget* focus = FindControl(dialog.get(), id);
        focus->setFocus();
        QTest::keyClick(focus, Qt::Key_Return);
        EXPECT_FALSE(dialog->isVisible()) << id;
        EXPECT_EQ(dialog->result(), QDialog::Accepted) << id;
    }
    EXPECT_TRUE(ui.folderRequests.empty());
    EXPECT_TRUE(ui.openRequests.empty());
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(ui.dialogsRun.empty());
}

TEST_F(BatchDlgTest, BatchGenerateOpensAFreshDialogWithTheFoldersLastChosen)
{
    CKR761x_ConfigWizardDlg window;
    QStringList inputs;
    ui.runModal = [&](QDialog& batch) {
        inputs << qobject_cast<QLineEdit*>(FindControl(&batch, kInputFolder))->text();
        ui.folderAnswers = {{kFolderOk, PathToQString(in.path())}};
        Click(kBrowseInput, &batch);
        return int(QDialog::Rejected);
    };
    FindAction(&window, wizard_id::kBatchGenerate)->trigger();
    FindAction(&window, wizard_id::kBatchGenerate)->trigger();
    EXPECT_EQ(ui.dialogsRun, std::vector<QString>(2, "Batch Project Generator"));
    EXPECT_EQ(inputs, QStringList({"", PathToQString(in.path()) + "/"}));
}

}  // namespace
}  // namespace kr::test
