// SPDX-License-Identifier: MIT
#include "batch/CheckBatchPaths.h"

#include "platform/Folders.h"

namespace kr {

bool CheckBatchPaths(const BatchJob& job, std::u16string& errorText)
{
    // A file where a folder belongs would only fail later, file by file, and
    // a folder given as the builder would fail every build; refusing them
    // here reports the mistake once, before anything is written.
    const bool valid = platform::IsExistingFolder(job.inputFolder) && platform::IsExistingFolder(job.outputFolder)
                       && (!job.buildProjects || platform::IsExistingFile(job.builderPath));
    if (!valid)
        errorText = kMsgInvalidBatchConfiguration;
    return valid;
}

}  // namespace kr
