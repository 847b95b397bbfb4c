#include "ui/dialogs/ProgressDlg.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "batch/BatchJob.h"
#include "batch/BatchRunner.h"
#include "ui/ControlId.h"
#include "ui/Interaction.h"
#include "ui/WaitCursor.h"

namespace kr {
namespace {

using namespace std::chrono_literals;

// How often the wait for the worker lets the windows repaint.
constexpr std::chrono::milliseconds kWaitSlice = 50ms;

// Waits for the worker until limit has passed, then cuts it off. Meanwhile
// timers and painting go on (the batch log keeps filling), but user input
// waits until the end.
void WaitForWorker(BatchRunner& runner, std::chrono::milliseconds limit)
{
    WaitCursor wait;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        const auto left = std::max(
            0ms, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()));
        if (runner.WaitForEnd(std::min(left, kWaitSlice)))
            return;
        if (left == 0ms) {
            runner.CutOff();
            return;
        }
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}

}  // namespace

CProgressDlg::CProgressDlg(std::shared_ptr<BatchJob> job, QString titlePrefix, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      job_(std::move(job)),
      titlePrefix_(std::move(titlePrefix))
{
    MarkExchangeScope(this);
    bar_ = new QProgressBar(this);
    SetControlId(bar_, progress_id::kBar);
    bar_->setRange(0, 100);
    bar_->setTextVisible(false);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    SetControlId(cancel, progress_id::kCancel);
    connect(cancel, &QPushButton::clicked, this, &CProgressDlg::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(bar_);
    layout->addLayout(buttons);
    setMinimumWidth(320);

    timer_ = new QTimer(this);
    timer_->setInterval(100);
    connect(timer_, &QTimer::timeout, this, &CProgressDlg::OnTimer);
    ShowProgress();
}

void CProgressDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    timer_->start();
}

void CProgressDlg::hideEvent(QHideEvent* event)
{
    timer_->stop();
    QDialog::hideEvent(event);
}

void CProgressDlg::OnTimer()
{
    if (job_->IsStopped()) {
        accept();
        return;
    }
    ShowProgress();
}

void CProgressDlg::ShowProgress()
{
    const int percent = job_->GetProgress();
    bar_->setValue(percent);
    setWindowTitle(titlePrefix_ + QString::number(percent) + QLatin1Char('%'));
}

void CProgressDlg::reject()
{
    job_->SetStop();
    QDialog::reject();
}

int RunWithProgress(const std::shared_ptr<BatchJob>& job, const QString& titlePrefix, QWidget* owner,
                    std::chrono::milliseconds waitLimit)
{
    CProgressDlg dialog(job, titlePrefix, owner);
    std::unique_ptr<BatchRunner> runner;
    try {
        runner = std::make_unique<BatchRunner>(job);
    } catch (const std::system_error&) {
        // No worker: the dialog still shows, at 0% until the user cancels.
    }
    const int result = Interaction().RunModal(dialog);
    if (runner)
        WaitForWorker(*runner, waitLimit);
    return result;
}

}  // namespace kr
