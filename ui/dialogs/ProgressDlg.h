// SPDX-License-Identifier: MIT
#pragma once
// The progress of a batch run: a bar with its percentage and a caption that
// follow the job every 100 ms, and Cancel, which asks the worker to stop
// before its next file. When the worker is still busy after Cancel (a build
// runs), the dialog stays, says it is stopping after the current build (or
// builds, when files run side by side) and offers Stop Now, which ends every
// running builder at once; it closes when the worker has ended.
// RunWithProgress runs the worker on its own thread under this dialog and
// then waits for it, for a limited time only.

#include <chrono>
#include <memory>

#include <QDialog>
#include <QString>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace kr {

class BatchJob;
class BatchRunner;

namespace progress_id {
inline constexpr int kBar = 1001;
inline constexpr int kCancel = 2;
inline constexpr int kStopNow = 1002;
inline constexpr int kStopping = 1003;
}  // namespace progress_id

// How long the starter waits for a worker after the progress dialog closed.
inline constexpr std::chrono::milliseconds kWorkerWaitLimit{30000};

class CProgressDlg : public QDialog {
    Q_OBJECT
public:
    // titlePrefix is the caption before the percentage.
    CProgressDlg(std::shared_ptr<BatchJob> job, QString titlePrefix, QWidget* parent = nullptr);

    // The worker running the job. Without one, Cancel closes the dialog at
    // once.
    void FollowWorker(const BatchRunner* worker) { worker_ = worker; }

    // Closes with Accepted once the job is finished (the worker has ended
    // and its log is complete); after Cancel, closes with Rejected once the worker has
    // ended; else shows the job's progress.
    void OnTimer();

    // Cancel, Escape and the window manager's close all ask the worker to
    // stop. The dialog closes with Rejected at once when no worker runs any
    // more, else when it has ended; asking again meanwhile changes nothing.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    bool WorkerRunning() const;
    void ShowProgress();
    void StopNow();

    std::shared_ptr<BatchJob> job_;
    const BatchRunner* worker_ = nullptr;
    QString titlePrefix_;
    QProgressBar* bar_ = nullptr;
    QLabel* stopping_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* stopNow_ = nullptr;
    QTimer* timer_ = nullptr;
    bool cancelled_ = false;
};

// Starts the batch worker on job, runs the progress dialog modally over it
// and, once the dialog has closed, waits for the worker at most waitLimit;
// user input made during that wait is discarded. A worker still running
// then is cut off: told to stop, its builder ended, and left to end on its
// own; the job stays alive for it. Returns the progress dialog's result
// (Accepted: the run finished; Rejected: cancelled).
int RunWithProgress(const std::shared_ptr<BatchJob>& job, const QString& titlePrefix, QWidget* owner = nullptr,
                    std::chrono::milliseconds waitLimit = kWorkerWaitLimit);

// Ends every builder of the batches RunWithProgress runs now, at once, and
// any they would still start: the wizard is closing. Safe on any thread.
void EndRunningBuilders();

}  // namespace kr
