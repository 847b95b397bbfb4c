// SPDX-License-Identifier: MIT
#include "generator/GeneratedFile.h"

#include <cerrno>

#include "generator/UserCodeRegions.h"
#include "platform/ExistingFile.h"
#include "platform/PathText.h"
#include "platform/Windows1252.h"

namespace kr {
namespace {

std::string FileNameOf(const std::filesystem::path& path)
{
    const std::string& bytes = path.native();
    const auto slash = bytes.find_last_of('/');
    return slash == std::string::npos ? bytes : bytes.substr(slash + 1);
}

}  // namespace

std::filesystem::path KeptFileName(const std::filesystem::path& path)
{
    const std::string base = path.native() + ".previous";
    std::string name = base;
    for (int n = 2; !platform::IsFreeName(name); ++n) {
        if (n > 9999)
            return {};
        name = base + "-" + std::to_string(n);
    }
    return name;
}

bool PlanGeneratedFile(const std::filesystem::path& path, std::string_view bytes, GeneratedFilePlan& plan,
                       platform::FileFailure& failure, platform::TargetState known)
{
    plan = {};
    if (known == platform::TargetState::Absent) {
        plan.change = FileChange::Create;
        plan.target = known;
        plan.bytes = bytes;
        return true;
    }
    const std::string& target = path.native();
    std::string existing;
    const platform::ExistingFile found = platform::ReadExistingFile(target, existing, &failure.reason);
    if (found == platform::ExistingFile::Failed) {
        failure.path = target;
        return false;
    }
    if (found == platform::ExistingFile::Absent || found == platform::ExistingFile::NotAFile) {
        plan.change = FileChange::Create;
        plan.target =
            found == platform::ExistingFile::Absent ? platform::TargetState::Absent : platform::TargetState::Unknown;
        plan.bytes = bytes;
        return true;
    }

    UserCodeCarry carry = CarryUserCode(existing, bytes);
    if (carry.KeepExisting()) {
        plan.kept = {path, KeptFileName(path), {}, {}, carry.unpaired};
        for (const std::string& name : carry.orphaned)
            plan.kept.regions.push_back(platform::DecodeWindows1252(name));
        for (const std::string& name : carry.broken)
            plan.kept.broken.push_back(platform::DecodeWindows1252(name));
        plan.existing = std::move(existing);
        plan.change = FileChange::Change;
    } else {
        plan.change = carry.bytes == existing ? FileChange::None : FileChange::Change;
    }
    plan.bytes = std::move(carry.bytes);
    return true;
}

bool StageGeneratedFile(const std::filesystem::path& path, const GeneratedFilePlan& plan,
                        platform::CStagedFiles& keptCopies, platform::CStagedFiles& files, GenerationReport& report,
                        platform::FileFailure& failure)
{
    if (plan.change == FileChange::None) {
        report.unchanged.push_back(path);
        return true;
    }
    if (!plan.kept.path.empty()) {
        // The copy reaches the disk before the file it copies is replaced.
        if (plan.kept.keptPath.empty()) {
            failure = {path.native() + ".previous", platform::SystemReason(EEXIST)};
            return false;
        }
        if (!keptCopies.Stage(plan.kept.keptPath.native(), plan.existing, platform::Durability::FlushToDisk, failure))
            return false;
    }
    // The file that holds the user's code reaches the disk before it
    // replaces the one there: that code cannot be generated again.
    const bool userCode = plan.bytes.find(kUserCodeBegin) != std::string::npos;
    const auto durability = userCode ? platform::Durability::FlushToDisk : platform::Durability::InOnePiece;
    if (!files.Stage(path.native(), plan.bytes, durability, failure, plan.target))
        return false;
    report.written.push_back(path);
    if (plan.change == FileChange::Create)
        report.created.push_back(path);
    if (!plan.kept.path.empty())
        report.kept.push_back(plan.kept);
    return true;
}

std::u16string KeptFileNotice(const KeptFile& kept)
{
    std::u16string text = u"The previous " + platform::ShownPath(FileNameOf(kept.path)) + u" is kept as "
                          + platform::ShownPath(kept.keptPath) + u": ";
    if (kept.unpaired)
        return text + u"the new file's user code markers do not pair up, so none of the user code was carried over.";
    auto names = [](const std::vector<std::u16string>& list) {
        std::u16string joined;
        for (std::size_t i = 0; i < list.size(); ++i)
            joined += (i ? u", \"" : u"\"") + list[i] + u"\"";
        return joined;
    };
    // Each intact region was carried; only the broken ones and those the new
    // file lacks are named.
    std::u16string reasons;
    if (!kept.broken.empty())
        reasons += kept.broken.size() == 1 ? u"the markers of user code region " + names(kept.broken)
                                                 + u" do not pair up, so its code was not carried over"
                                           : u"the markers of user code regions " + names(kept.broken)
                                                 + u" do not pair up, so their code was not carried over";
    if (!kept.regions.empty()) {
        if (!reasons.empty())
            reasons += u"; ";
        reasons += (kept.regions.size() == 1 ? u"the new file has no user code region "
                                             : u"the new file has no user code regions ")
                   + names(kept.regions);
    }
    return text + reasons + u".";
}

}  // namespace kr
