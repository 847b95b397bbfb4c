// SPDX-License-Identifier: MIT
#include "batch/CheckBatchPaths.h"

#include "platform/Folders.h"
#include "platform/PathText.h"
#include "platform/Utf.h"

namespace kr {
namespace {

// The line naming the first bad path and what is wrong with it.
std::u16string BadPathLine(const char16_t* what, const std::filesystem::path& path, bool wantFolder)
{
    if (path.empty())
        return std::u16string(what) + u": none chosen";
    std::string reason;
    if (!platform::IsExistingFolder(path) && !platform::IsExistingFile(path))
        reason = platform::PathProblem(path);
    else
        reason = wantFolder ? "Not a directory" : "Is a directory";
    return std::u16string(what) + u": " + platform::ShownPath(path) + u": " + platform::FromUtf8(reason);
}

}  // namespace

bool CheckBatchPaths(const BatchJob& job, std::u16string& errorText)
{
    // A file where a folder belongs would only fail later, file by file, and
    // a folder given as the builder would fail every build; refusing them
    // here reports the mistake once, before anything is written.
    std::u16string bad;
    if (!platform::IsExistingFolder(job.inputFolder))
        bad = BadPathLine(u"Input folder", job.inputFolder, true);
    else if (!platform::IsExistingFolder(job.outputFolder))
        bad = BadPathLine(u"Output folder", job.outputFolder, true);
    else if (job.buildProjects && !platform::IsExistingFile(job.builderPath))
        bad = BadPathLine(u"Builder", job.builderPath, false);
    if (!bad.empty())
        errorText = std::u16string(kMsgInvalidBatchConfiguration) + u"\n" + bad;
    return bad.empty();
}

}  // namespace kr
