// SPDX-License-Identifier: MIT
// The progress dialog follows its job, closes when the job stops, and asks
// the worker to stop whichever way the user closes it; the wait for the
// worker afterwards drops input and ends a hanging build.

#include <QKeyEvent>
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <sys/stat.h>
#include <system_error>
#include <thread>

#include <gtest/gtest.h>

#include "ScriptedInteraction.h"
#include "batch/BatchJob.h"
#include "batch/BatchRunner.h"
#include "settings/SaveFile.h"
#include "support/TempDir.h"
#include "ui/ControlId.h"
#include "ui/dialogs/ProgressDlg.h"

namespace kr::test {
namespace {

TEST(ProgressDlg, FollowsTheJobAndStopsItWhenClosedByHand)
{
    auto job = std::make_shared<BatchJob>(std::make_shared<PendingLog>());
    CProgressDlg dialog(job, "Batch Project Generation - ");
    dialog.show();
    job->SetProgress(66);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.windowTitle() == "Batch Project Generation - 66%"; }));
    const auto* bar = qobject_cast<QProgressBar*>(FindControl(&dialog, progress_id::kBar));
    EXPECT_EQ(bar->value(), 66);
    EXPECT_TRUE(bar->isTextVisible());
    EXPECT_EQ(bar->text(), "66%");
    // A stop request alone does not close it; the end of the run does.
    job->RequestStop();
    dialog.OnTimer();
    EXPECT_TRUE(dialog.isVisible());
    job->MarkFinished();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog.isVisible(); }));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);

    // Escape closes it as Cancel does: the worker is asked to stop.
    auto cancelled = std::make_shared<BatchJob>(std::make_shared<PendingLog>());
    CProgressDlg other(cancelled, "");
    other.show();
    QTest::keyClick(&other, Qt::Key_Escape);
    EXPECT_EQ(other.result(), QDialog::Rejected);
    EXPECT_TRUE(cancelled->StopRequested());
}

// A worker the system cannot start leaves no dialog waiting at 0 %: it
// closes on its first tick, and the log says why.
TEST(ProgressDlg, AWorkerThatCannotStartClosesItWithTheReasonInTheLog)
{
    auto job = std::make_shared<BatchJob>(std::make_shared<PendingLog>());
    BatchRunner runner(job, [](std::function<void()>) -> std::thread {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    });
    CProgressDlg dialog(job, "");
    dialog.FollowWorker(&runner);
    dialog.show();
    dialog.OnTimer();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(job->log->Take(), u"Error: Could not start the batch: Resource temporarily unavailable\n\n");
    EXPECT_EQ(job->Failures(), 1);
}

TEST(ProgressDlg, InputDuringTheWaitForAWorkerIsDroppedAndAHangingBuildIsCutOff)
{
    TempDir in, out, tools;
    std::u16string error;
    ASSERT_TRUE(SaveSettings((in / "a.kcw").u16string(), {}, error));
    WriteBytes(tools / "hang.sh", "#!/bin/sh\nsleep 60\n");
    ::chmod((tools / "hang.sh").c_str(), 0755);
    auto job = std::make_shared<BatchJob>(std::make_shared<PendingLog>());
    job->inputFolder = in.folder();
    job->outputFolder = out.folder();
    job->builderPath = (tools / "hang.sh").u16string();
    job->buildProjects = true;

    // The progress dialog closes at once, so the starter waits for the
    // worker; a key typed meanwhile must not reach the field.
    ScriptedInteraction ui;
    ui.runModal = [](QDialog&) { return int(QDialog::Accepted); };
    QLineEdit field;
    field.show();
    QTimer::singleShot(50, &field, [&] {
        QCoreApplication::postEvent(&field, new QKeyEvent(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x"));
    });
    RunWithProgress(job, "", nullptr, std::chrono::milliseconds(500));
    QCoreApplication::processEvents();
    EXPECT_EQ(field.text(), "");
    const auto log = job->log;
    job.reset();
    std::u16string text;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (text += log->Take()).find(u"Failed") != std::u16string::npos; }, 20000));
    EXPECT_NE(text.find(u"Build stopped on request\n"), std::u16string::npos);
}

}  // namespace
}  // namespace kr::test
