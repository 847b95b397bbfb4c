// SPDX-License-Identifier: MIT
#include "batch/BatchJob.h"

namespace kr {

void PendingLog::Append(const std::u16string& text)
{
    std::lock_guard<std::mutex> guard(logLock_);
    pendingLog_ += text;
}

std::u16string PendingLog::Take()
{
    std::lock_guard<std::mutex> guard(logLock_);
    std::u16string text;
    text.swap(pendingLog_);
    return text;
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

void BatchJob::SetStop()
{
    std::lock_guard<std::mutex> guard(lock_);
    stopFlag_ = true;
}

bool BatchJob::IsStopped() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return stopFlag_;
}

void BatchJob::StopNow()
{
    SetStop();
    builder.Terminate();
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
