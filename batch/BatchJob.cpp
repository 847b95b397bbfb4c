// SPDX-License-Identifier: MIT
#include "batch/BatchJob.h"

namespace kr {

PendingLog::PendingLog(std::shared_ptr<CTextSpool> spool) : spool_(std::move(spool)), pending_(spool_)
{
}

void PendingLog::Append(const std::u16string& text)
{
    std::lock_guard<std::mutex> guard(logLock_);
    pending_.Append(text);
}

void PendingLog::Splice(SpooledText& text)
{
    std::lock_guard<std::mutex> guard(logLock_);
    pending_.Splice(text);
}

std::u16string PendingLog::Take()
{
    std::lock_guard<std::mutex> guard(logLock_);
    return pending_.Take(kTakeBytes);
}

void BatchJob::SetProgress(int percent)
{
    std::lock_guard<std::mutex> guard(lock_);
    progress_ = percent;
}

int BatchJob::GetProgress() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return progress_;
}

void BatchJob::RequestStop()
{
    stopRequested_.store(true, std::memory_order_release);
}

bool BatchJob::StopRequested() const
{
    return stopRequested_.load(std::memory_order_acquire);
}

void BatchJob::StopNow()
{
    RequestStop();
    builder.Terminate();
}

void BatchJob::MarkFinished()
{
    // Release: whoever sees the flag also sees every log line before it.
    finished_.store(true, std::memory_order_release);
}

bool BatchJob::Finished() const
{
    return finished_.load(std::memory_order_acquire);
}

void BatchJob::CountFailure()
{
    std::lock_guard<std::mutex> guard(lock_);
    ++failures_;
}

int BatchJob::Failures() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return failures_;
}

}  // namespace kr
