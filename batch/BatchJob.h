// SPDX-License-Identifier: MIT
#pragma once
// The record one batch run shares between the thread that starts it, the
// worker and whoever shows its progress. Held by shared pointers, so the
// starter may stop waiting for the worker without the worker ever touching
// freed memory.

#include <atomic>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

#include "batch/SpooledText.h"
#include "platform/Process.h"

namespace kr {

// Where a step's lines go as they are written.
class LogSink {
public:
    virtual void Append(const std::u16string& text) = 0;

protected:
    ~LogSink() = default;
};

// Log text the worker appends one step at a time and the viewer takes away,
// held back in the bounded memory of its spool until then.
class PendingLog final : public LogSink {
public:
    static constexpr std::size_t kTakeBytes = 1u << 20;

    explicit PendingLog(std::shared_ptr<CTextSpool> spool = std::make_shared<CTextSpool>());
    void Append(const std::u16string& text) override;
    // Moves all of text (of this log's spool) to the end of the pending text.
    void Splice(SpooledText& text);
    // The text appended since the last call, in order: all of it, or about
    // kTakeBytes when there is more (the rest comes with the next calls).
    // Empty when nothing is pending.
    std::u16string Take();
    // The spool every text held back for this log draws on.
    const std::shared_ptr<CTextSpool>& Spool() const { return spool_; }

private:
    std::mutex logLock_;
    const std::shared_ptr<CTextSpool> spool_;
    SpooledText pending_;
};

class BatchJob {
public:
    explicit BatchJob(std::shared_ptr<PendingLog> pendingLog) : log(std::move(pendingLog)) {}

    // Written before the worker starts, only read afterwards. Folders end with '/'.
    std::filesystem::path inputFolder;
    std::filesystem::path outputFolder;
    std::filesystem::path builderPath;
    bool buildProjects = false;
    // How many save files are processed side by side, at least 1.
    unsigned jobs = 1;
    const std::shared_ptr<PendingLog> log;

    // Progress in percent of files finished.
    void SetProgress(int percent);
    int GetProgress() const;

    // Asks the worker to start no further file; the files it is on finish.
    void RequestStop();
    bool StopRequested() const;
    // Stops without waiting for the running builds: asks the worker to stop
    // and ends every running builder at once (and any the worker would still
    // start).
    void StopNow();

    // Set by the worker as its last act, whether it processed every file or
    // stopped on request: the log is complete once this is true.
    void MarkFinished();
    bool Finished() const;

    // Steps (generations and builds) that failed so far.
    void CountFailure();
    int Failures() const;

    // The builders the worker may be running; Terminate ends them (and any
    // builder started after) when the user stops at once or a cut-off is
    // needed.
    platform::ProcessControl builder;

private:
    mutable std::mutex lock_;
    int progress_ = 0;
    int failures_ = 0;
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> finished_{false};
};

}  // namespace kr
