// The progress dialog follows its job, closes when the job stops, and asks
// the worker to stop whichever way the user closes it.

#include <QProgressBar>
#include <QTest>

#include <gtest/gtest.h>

#include "batch/BatchJob.h"
#include "ui/ControlId.h"
#include "ui/ProgressDlg.h"

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
    job->SetStop();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog.isVisible(); }));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);

    // Escape closes it as Cancel does: the worker is asked to stop.
    auto cancelled = std::make_shared<BatchJob>(std::make_shared<PendingLog>());
    CProgressDlg other(cancelled, "");
    other.show();
    QTest::keyClick(&other, Qt::Key_Escape);
    EXPECT_EQ(other.result(), QDialog::Rejected);
    EXPECT_TRUE(cancelled->IsStopped());
}

}  // namespace
}  // namespace kr::test
