// SPDX-License-Identifier: MIT
#pragma once
// Runs one batch on a worker thread of its own. Whoever starts it may wait
// for the end with a time limit and, when the limit passes, cut the run off:
// the worker is asked to stop, a running builder is ended, and the thread is
// left to finish on its own. The worker keeps the job alive through its own
// shared reference, so nothing it touches is freed under it.

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "batch/BatchJob.h"

namespace kr {

class BatchRunner {
public:
    explicit BatchRunner(std::shared_ptr<BatchJob> job);
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

    // Asks the worker to stop between files, ends a running builder and
    // stops waiting for the thread.
    void CutOff();

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
};

}  // namespace kr
