// SPDX-License-Identifier: MIT
#include "ui/dialogs/ProgressDlg.h"

#include <algorithm>
#include <mutex>
#include <utility>
#include <vector>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
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

// While it exists, what the user types or clicks anywhere in the program is
// dropped, so nothing done during a wait is acted on after it.
class DiscardUserInput : public QObject {
public:
    DiscardUserInput() { QCoreApplication::instance()->installEventFilter(this); }
    ~DiscardUserInput() override { QCoreApplication::instance()->removeEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
            return true;
        default:
            return false;
        }
    }
};

// Waits for the worker until limit has passed, then cuts it off. Meanwhile
// timers and painting go on (the batch log keeps filling); user input is
// dropped rather than kept for later.
void WaitForWorker(BatchRunner& runner, std::chrono::milliseconds limit)
{
    WaitCursor wait;
    DiscardUserInput discard;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        const auto left = std::max(
            0ms, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()));
        if (runner.WaitForEnd(std::min(left, kWaitSlice)))
            break;
        if (left == 0ms) {
            runner.CutOff();
            break;
        }
        QCoreApplication::processEvents();
    }
    // Input that arrived in the last slice is dropped too.
    QCoreApplication::processEvents();
}

// The jobs RunWithProgress runs now, for EndRunningBuilders.
std::mutex runningLock;
std::vector<std::shared_ptr<BatchJob>> runningJobs;

class RunningJob {
public:
    explicit RunningJob(const std::shared_ptr<BatchJob>& job) : job_(job)
    {
        std::lock_guard<std::mutex> guard(runningLock);
        runningJobs.push_back(job_);
    }
    ~RunningJob()
    {
        std::lock_guard<std::mutex> guard(runningLock);
        std::erase(runningJobs, job_);
    }
    RunningJob(const RunningJob&) = delete;
    RunningJob& operator=(const RunningJob&) = delete;

private:
    std::shared_ptr<BatchJob> job_;
};

}  // namespace

void EndRunningBuilders()
{
    std::lock_guard<std::mutex> guard(runningLock);
    for (const std::shared_ptr<BatchJob>& job : runningJobs)
        job->StopNow();
}

CProgressDlg::CProgressDlg(std::shared_ptr<BatchJob> job, QString titlePrefix, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), job_(std::move(job)),
      titlePrefix_(std::move(titlePrefix))
{
    MarkExchangeScope(this);
    bar_ = new QProgressBar(this);
    SetControlId(bar_, progress_id::kBar);
    bar_->setRange(0, 100);
    bar_->setTextVisible(true);
    stopping_ = new QLabel(this);
    SetControlId(stopping_, progress_id::kStopping);
    stopping_->hide();
    stopNow_ = new QPushButton(tr("Stop Now"), this);
    SetControlId(stopNow_, progress_id::kStopNow);
    stopNow_->setAutoDefault(false);  // only a deliberate press ends a build
    stopNow_->hide();
    cancel_ = new QPushButton(tr("Cancel"), this);
    SetControlId(cancel_, progress_id::kCancel);
    connect(cancel_, &QPushButton::clicked, this, &CProgressDlg::reject);
    connect(stopNow_, &QPushButton::clicked, this, &CProgressDlg::StopNow);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(stopNow_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(bar_);
    layout->addWidget(stopping_);
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

bool CProgressDlg::WorkerRunning() const
{
    return worker_ && !worker_->HasEnded();
}

void CProgressDlg::OnTimer()
{
    if (cancelled_) {
        if (!WorkerRunning()) {
            QDialog::reject();
            return;
        }
    } else if (job_->Finished()) {
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
    if (cancelled_)
        return;
    job_->RequestStop();
    if (!WorkerRunning()) {
        QDialog::reject();
        return;
    }
    // The worker finishes the files it is on; a build can take long, so the
    // wait is shown and can be cut short.
    cancelled_ = true;
    cancel_->setEnabled(false);
    // Every file already started is finished, one or several side by side.
    const bool several = job_->jobs > 1;
    stopping_->setText(
        job_->buildProjects
            ? (several ? tr("Stopping after the current builds...") : tr("Stopping after the current build..."))
            : (several ? tr("Stopping after the current projects...") : tr("Stopping after the current project...")));
    stopping_->show();
    stopNow_->setVisible(job_->buildProjects);
}

void CProgressDlg::StopNow()
{
    job_->StopNow();
    stopNow_->setEnabled(false);
}

int RunWithProgress(const std::shared_ptr<BatchJob>& job, const QString& titlePrefix, QWidget* owner,
                    std::chrono::milliseconds waitLimit)
{
    const RunningJob running(job);
    CProgressDlg dialog(job, titlePrefix, owner);
    // A worker that cannot start finishes the job at once, its reason in the
    // log, so the dialog closes on its first tick.
    BatchRunner runner(job);
    dialog.FollowWorker(&runner);
    const int result = Interaction().RunModal(dialog);
    WaitForWorker(runner, waitLimit);
    return result;
}

}  // namespace kr
