// SPDX-License-Identifier: MIT
#pragma once
// The batch worker: for every save file of the input folder, a project folder
// under the output folder, the project generated into it and, when asked, the
// external builder run on its workspace. Every step is logged; no failure of
// one file stops the run.

#include <filesystem>
#include <memory>
#include <string>

#include "batch/BatchJob.h"

namespace kr {

// Thread entry: processes every save file, up to job.jobs of them side by
// side (this thread and job.jobs - 1 more), then marks the job finished (its
// log is complete then, also after a stop). Files start in list order; a stop request keeps further files
// from starting, the running ones finish. The log is what a run of one file
// at a time writes: block by block in list order, the earliest unfinished
// file's block as it is written, a later one once every file before it is
// done. A save file whose project folder would be that of an earlier one
// (their names differ only in case) is refused, whatever the timing. The log
// ends with the summary line ("Summary: M save files: ..."). An output folder
// in use by another batch is refused as a whole: nothing is processed and one
// failure is counted. True unless the run stopped on request before every
// file was started.
bool RunBatch(BatchJob& job);

// Each step fills stepLog with its lines or, when live is given, appends
// every line to live instead as soon as it is written, so the log shows a
// step while it runs: its first lines when it starts, a builder's output as
// it comes.

// Loads savePath over the defaults and generates it into projectFolder
// (created, one level, unless it exists, once the file has loaded). A folder
// name that would not be a folder of its own inside the output folder
// (IsProjectFolderName), or an existing link in its place, is refused.
bool GenerateOne(std::u16string& stepLog, const std::filesystem::path& savePath,
                 const std::filesystem::path& projectFolder, LogSink* live = nullptr);

// Runs the builder on the one workspace of projectFolder and waits for it;
// what the builder prints goes into the step's lines before its verdict.
// builderPath names the program itself (no search). control, when given,
// lets another thread end the builder; one ended that way is logged as
// stopped on request.
bool BuildOne(std::u16string& stepLog, const std::filesystem::path& builderPath,
              const std::filesystem::path& projectFolder, LogSink* live = nullptr,
              platform::ProcessControl* control = nullptr);

}  // namespace kr
