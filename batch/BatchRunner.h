// SPDX-License-Identifier: MIT
#pragma once
// Runs one batch on a worker thread of its own. Whoever starts it may wait
// for the end with a time limit and, when the limit passes, cut the run off:
// the worker is asked to stop, a running builder is ended, and the thread is
// left to finish on its own. The worker keeps the job alive through its own
// shared reference, so nothing it touches is freed under it.
//
// When the system cannot start the thread, there is no run: the job's log
// says so with the system's reason, one failure is counted and the job is
// finished at once, so every front end reports it as it reports a run.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "batch/BatchJob.h"

namespace kr {

class BatchRunner {
public:
    // Starts a thread for the body; throws std::system_error when the system
    // cannot (as std::thread does).
    using ThreadStarter = std::function<std::thread(std::function<void()> body)>;

    explicit BatchRunner(std::shared_ptr<BatchJob> job, const ThreadStarter& start = StartThread);
    // Cuts the run off when the worker is still running.
    ~BatchRunner();
    BatchRunner(const BatchRunner&) = delete;
    BatchRunner& operator=(const BatchRunner&) = delete;

    // True when the worker has ended within the limit.
    bool WaitForEnd(std::chrono::milliseconds limit);
    // Waits without a limit.
    void WaitForEnd();
    bool HasEnded() const;
    // After the end: whether the worker processed every file.
    bool AllFilesProcessed() const;
    // False when no worker could be started; the job's log says why.
    bool Started() const { return started_; }

    // Asks the worker to stop between files, ends a running builder and
    // stops waiting for the thread.
    void CutOff();

    static std::thread StartThread(std::function<void()> body) { return std::thread(std::move(body)); }

private:
    struct Shared {
        std::mutex mutex;
        std::condition_variable ended;
        bool hasEnded = false;
        bool allFilesProcessed = false;
    };
    std::shared_ptr<BatchJob> job_;
    std::shared_ptr<Shared> shared_;
    std::thread thread_;
    bool started_ = false;
};

}  // namespace kr
