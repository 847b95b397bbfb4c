// SPDX-License-Identifier: MIT
#include "batch/BatchRunner.h"

#include <system_error>

#include "batch/BatchWorker.h"
#include "platform/Utf.h"

namespace kr {

BatchRunner::BatchRunner(std::shared_ptr<BatchJob> job, const ThreadStarter& start)
    : job_(std::move(job)), shared_(std::make_shared<Shared>())
{
    try {
        thread_ = start([job = job_, shared = shared_] {
            const bool all = RunBatch(*job);
            std::lock_guard<std::mutex> guard(shared->mutex);
            shared->allFilesProcessed = all;
            shared->hasEnded = true;
            shared->ended.notify_all();
        });
        started_ = true;
    } catch (const std::system_error& e) {
        // Nothing ran: the run ends here, failed, with the system's reason.
        job_->log->Append(u"Error: Could not start the batch: " + platform::FromUtf8(e.code().message()) + u"\n\n");
        job_->CountFailure();
        job_->MarkFinished();
        std::lock_guard<std::mutex> guard(shared_->mutex);
        shared_->hasEnded = true;
    }
}

BatchRunner::~BatchRunner()
{
    if (thread_.joinable()) {
        if (HasEnded())
            thread_.join();
        else
            CutOff();
    }
}

bool BatchRunner::WaitForEnd(std::chrono::milliseconds limit)
{
    std::unique_lock<std::mutex> lock(shared_->mutex);
    if (!shared_->ended.wait_for(lock, limit, [this] { return shared_->hasEnded; }))
        return false;
    lock.unlock();
    if (thread_.joinable())
        thread_.join();
    return true;
}

void BatchRunner::WaitForEnd()
{
    {
        std::unique_lock<std::mutex> lock(shared_->mutex);
        shared_->ended.wait(lock, [this] { return shared_->hasEnded; });
    }
    if (thread_.joinable())
        thread_.join();
}

bool BatchRunner::HasEnded() const
{
    std::lock_guard<std::mutex> guard(shared_->mutex);
    return shared_->hasEnded;
}

bool BatchRunner::AllFilesProcessed() const
{
    std::lock_guard<std::mutex> guard(shared_->mutex);
    return shared_->hasEnded && shared_->allFilesProcessed;
}

void BatchRunner::CutOff()
{
    job_->StopNow();
    if (thread_.joinable())
        thread_.detach();
}

}  // namespace kr
