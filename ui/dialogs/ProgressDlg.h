#pragma once
// The progress of a batch run: a bar and a caption that follow the job every
// 100 ms, and Cancel, which asks the worker to stop before its next file.
// RunWithProgress runs the worker on its own thread under this dialog and
// then waits for it, for a limited time only.

#include <chrono>
#include <memory>

#include <QDialog>
#include <QString>

class QProgressBar;
class QTimer;

namespace kr {

class BatchJob;

namespace progress_id {
inline constexpr int kBar = 1001;
inline constexpr int kCancel = 2;
}  // namespace progress_id

// How long the starter waits for a worker after the progress dialog closed.
inline constexpr std::chrono::milliseconds kWorkerWaitLimit{30000};

class CProgressDlg : public QDialog {
    Q_OBJECT
public:
    // titlePrefix is the caption before the percentage.
    CProgressDlg(std::shared_ptr<BatchJob> job, QString titlePrefix, QWidget* parent = nullptr);

    // Closes with Accepted once the job's stop flag is set (the worker has
    // finished, or a stop was asked for); else shows the job's progress.
    void OnTimer();

    // Cancel, Escape and the window manager's close all ask the worker to
    // stop before the dialog closes with Rejected.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void ShowProgress();

    std::shared_ptr<BatchJob> job_;
    QString titlePrefix_;
    QProgressBar* bar_ = nullptr;
    QTimer* timer_ = nullptr;
};

// Starts the batch worker on job, runs the progress dialog modally over it
// and, once the dialog has closed, waits for the worker at most waitLimit.
// A worker still running then is cut off: told to stop, its builder ended,
// and left to end on its own; the job stays alive for it. Returns the
// progress dialog's result (Accepted: the run finished; Rejected: cancelled).
int RunWithProgress(const std::shared_ptr<BatchJob>& job, const QString& titlePrefix, QWidget* owner = nullptr,
                    std::chrono::milliseconds waitLimit = kWorkerWaitLimit);

}  // namespace kr
