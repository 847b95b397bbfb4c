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

std::string KeptFileName(const platform::CFolder& folder, const std::string& name)
{
    const std::string base = name + ".previous";
    std::string kept = base;
    for (int n = 2; !platform::IsFreeName(folder, kept); ++n) {
        if (n > 9999)
            return {};
        kept = base + "-" + std::to_string(n);
    }
    return kept;
}

bool PlanGeneratedFile(const platform::CFolder* folder, const std::string& name, std::string_view bytes,
                       GeneratedFilePlan& plan, platform::FileFailure& failure, platform::TargetState known)
{
    plan = {};
    if (known == platform::TargetState::Absent || !folder) {
        plan.change = FileChange::Create;
        plan.target = platform::TargetState::Absent;
        plan.bytes = bytes;
        return true;
    }
    const std::string target = folder->Path() + name;
    std::string existing;
    const platform::ExistingFile found =
        platform::ReadExistingFile(*folder, name, kMaxExistingFileBytes, existing, &failure.reason);
    switch (found) {
    case platform::ExistingFile::Failed:
    case platform::ExistingFile::NotAFile:  // neither read nor replaced
    case platform::ExistingFile::TooLarge:
        failure.path = target;
        return false;
    case platform::ExistingFile::Absent:
        plan.change = FileChange::Create;
        plan.target = platform::TargetState::Absent;
        plan.bytes = bytes;
        return true;
    case platform::ExistingFile::Read:
        break;
    }

    UserCodeCarry carry = CarryUserCode(existing, bytes);
    if (carry.KeepExisting()) {
        const std::string keptName = KeptFileName(*folder, name);
        plan.kept = {target, keptName.empty() ? std::string() : folder->Path() + keptName, {}, {}, carry.unpaired};
        for (const std::string& region : carry.orphaned)
            plan.kept.regions.push_back(platform::DecodeWindows1252(region));
        for (const std::string& region : carry.broken)
            plan.kept.broken.push_back(platform::DecodeWindows1252(region));
        plan.existing = std::move(existing);
        plan.change = FileChange::Change;
    } else {
        plan.change = carry.bytes == existing ? FileChange::None : FileChange::Change;
    }
    plan.bytes = std::move(carry.bytes);
    return true;
}

bool StageGeneratedFile(const platform::CFolder& folder, const std::string& name, const GeneratedFilePlan& plan,
                        platform::CStagedFiles& keptCopies, platform::CStagedFiles& files, GenerationReport& report,
                        platform::FileFailure& failure)
{
    const std::filesystem::path path = folder.Path() + name;
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
        const std::string& keptPath = plan.kept.keptPath.native();
        if (!keptCopies.Stage(folder, keptPath.substr(keptPath.find_last_of('/') + 1), plan.existing,
                              platform::Durability::FlushToDisk, failure))
            return false;
    }
    // The file that holds the user's code reaches the disk before it
    // replaces the one there: that code cannot be generated again.
    const bool userCode = plan.bytes.find(kUserCodeBegin) != std::string::npos;
    const auto durability = userCode ? platform::Durability::FlushToDisk : platform::Durability::InOnePiece;
    if (!files.Stage(folder, name, plan.bytes, durability, failure, plan.target))
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
