// The batch dialog over real runs on temporary folders: the path checks, the
// log in the view, Clear and Cancel during a run, and a hanging builder cut
// off after the wait limit.

#include <sys/stat.h>

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
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

QString Q(const std::filesystem::path& path)
{
    return QString::fromStdString(path.string());
}

class BatchDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dialog = std::make_unique<CBatchDlg>();
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

    QString Text(int id) const { return qobject_cast<QLineEdit*>(FindControl(dialog.get(), id))->text(); }
    QString Log() const { return qobject_cast<QPlainTextEdit*>(FindControl(dialog.get(), kLog))->toPlainText(); }
    // Also reaches the batch dialog under the modal progress dialog.
    void Click(int id, QWidget* scope = nullptr)
    {
        qobject_cast<QAbstractButton*>(FindControl(scope ? scope : dialog.get(), id))->click();
    }
    bool WaitForLog(const QString& part) { return QTest::qWaitFor([&] { return Log().contains(part); }, 20000); }

    void Prepare(const std::string& builder = {})
    {
        for (const char* name : {"a.kcw", "b.kcw"}) {
            std::u16string error;
            ASSERT_TRUE(SaveSettings((in / name).u16string(), error, {}));
        }
        ui.folderAnswers = {{kFolderOk, Q(in.path())}, {kFolderOk, Q(out.path())}};
        Click(kBrowseInput);
        Click(kBrowseOutput);
        if (!builder.empty()) {
            WriteBytes(tools / "builder.sh", "#!/bin/sh\n" + builder + "\n");
            ::chmod((tools / "builder.sh").c_str(), 0755);
            ui.openAnswers = {Q(tools / "builder.sh")};
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
    ui.folderAnswers = {{kFolderOk, Q(in.path())}, {kFolderOk, Q(out / "gone")}, {kFolderCancel, {}}};
    Click(kBrowseInput);
    Click(kBrowseOutput);
    Click(kBrowseOutput);
    EXPECT_EQ(Text(kInputFolder), Q(in.path()) + "/");
    EXPECT_EQ(ui.folderRequests[2].title, "Select batch output directory.");
    EXPECT_EQ(ui.folderRequests[2].initialFolder, Q(out / "gone") + "/");
    Click(kStart);
    ui.folderAnswers = {{kFolderOk, "/"}};
    Click(kBrowseOutput);
    EXPECT_EQ(Text(kOutputFolder), "/");
    Click(kBuildProjects);  // ticked without a builder
    Click(kStart);
    const ShownMessage invalid{kApplicationName,
                               "Invalid batch configuration.\n\nPlease verify all path names before continuing.",
                               MessageIcon::None};
    EXPECT_EQ(ui.messages, std::vector<ShownMessage>(3, invalid));
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
    const QString a = "Generating Project: a.kcw\nOutput Folder: " + Q(out / "a") + "/\nSucceeded\n\n";
    const QString broken = "Generating Project: broken.kcw\nOutput Folder: " + Q(out / "broken") +
                           "/\nFailed to load settings from:\n" + Q(in / "broken.kcw");
    ASSERT_TRUE(WaitForLog(a) && WaitForLog(broken) && WaitForLog("b.kcw")) << Log().toStdString();
    EXPECT_TRUE(std::filesystem::exists(out / "b" / "KR761x_Main.c"));

    const QString first = Log();
    Click(kStart);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return Log().count(broken) == 2 && Log().count(a) == 2 && Log().count("b.kcw") == 2; }));
    EXPECT_TRUE(Log().startsWith(first));
    Click(kClear);
    EXPECT_EQ(Log(), "");
}

TEST_F(BatchDlgTest, ClearAndCancelDuringARun)
{
    const auto gate = tools / "gate";
    Prepare("while [ ! -e '" + gate.string() + "' ]; do sleep 0.01; done");
    // The first file's build waits for the gate while its generation shows.
    duringRun = [&](QDialog& progress) {
        if (!Log().contains("Succeeded"))
            return false;
        Click(kClear);
        Click(progress_id::kCancel, &progress);
        WriteBytes(gate, "");
        return true;
    };
    Click(kStart);
    EXPECT_EQ(progressResult, QDialog::Rejected);
    ASSERT_TRUE(WaitForLog("Succeeded"));
    EXPECT_TRUE(Log().startsWith("Building Project: " + Q(out.path()) + "/")) << Log().toStdString();
    EXPECT_FALSE(Log().contains("Generating Project"));  // no second file
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out.path()), {}), 1);
}

TEST_F(BatchDlgTest, AHangingBuilderIsCutOffAndOutlivesTheDialogSafely)
{
    Prepare("sleep 60");
    dialog->SetWorkerWaitLimit(std::chrono::milliseconds(100));
    duringRun = [&](QDialog& progress) {
        const bool generated = Log().contains("Succeeded");
        if (generated)
            Click(progress_id::kCancel, &progress);
        return generated;
    };
    Click(kStart);

    // The worker may still run: the dialog goes, the pending log stays with the worker.
    std::shared_ptr<PendingLog> pending = dialog->Pending();
    dialog.reset();
    ASSERT_TRUE(QTest::qWaitFor([&] { return pending.use_count() == 1; }, 20000));
    const QString rest = ToQString(pending->Take());
    EXPECT_TRUE(rest.contains("Error: Build terminated by signal")) << rest.toStdString();
    EXPECT_FALSE(rest.contains("Generating Project"));
}

TEST_F(BatchDlgTest, BatchGenerateOpensAFreshDialogEachTime)
{
    CKR761x_ConfigWizardDlg window;
    QStringList inputs;
    ui.runModal = [&](QDialog& batch) {
        inputs << qobject_cast<QLineEdit*>(FindControl(&batch, kInputFolder))->text();
        ui.folderAnswers = {{kFolderOk, Q(in.path())}};
        Click(kBrowseInput, &batch);
        return int(QDialog::Rejected);
    };
    FindAction(&window, wizard_id::kBatchGenerate)->trigger();
    FindAction(&window, wizard_id::kBatchGenerate)->trigger();
    EXPECT_EQ(ui.dialogsRun, std::vector<QString>(2, "Batch Project Generator"));
    EXPECT_EQ(inputs, QStringList({"", ""}));
}

}  // namespace
}  // namespace kr::test
