// SPDX-License-Identifier: MIT
#include "generator/GeneratedFile.h"

#include "generator/UserCodeRegions.h"
#include "platform/AtomicFile.h"
#include "platform/ExistingFile.h"
#include "platform/NumberText.h"
#include "platform/Utf.h"
#include "platform/Windows1252.h"

namespace kr {
namespace {

std::u16string FileNameOf(const std::u16string& path)
{
    const auto slash = path.find_last_of(u'/');
    return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::u16string KeptFileName(const std::u16string& path)
{
    const std::u16string base = path + u".previous";
    std::u16string name = base;
    for (int n = 2; !platform::IsFreeName(platform::ToUtf8(name)); ++n) {
        if (n > 9999)
            return {};
        name = base + u"-" + platform::FormatDecimal(n);
    }
    return name;
}

bool WriteGeneratedFile(const std::u16string& path, std::string_view bytes, GenerationReport& report)
{
    const std::string target = platform::ToUtf8(path);
    std::string existing;
    const platform::ExistingFile found = platform::ReadExistingFile(target, existing);
    if (found == platform::ExistingFile::Failed)
        return false;
    if (found == platform::ExistingFile::None) {
        if (!platform::WriteFileAtomically(target, bytes, platform::Durability::InOnePiece))
            return false;
        report.written.push_back(path);
        return true;
    }

    UserCodeCarry carry = CarryUserCode(existing, bytes);
    KeptFile kept;
    if (carry.KeepExisting()) {
        // The copy is on the disk before the file it copies is replaced.
        kept = {path, KeptFileName(path), {}, {}, carry.unpaired};
        if (kept.keptPath.empty()
            || !platform::WriteFileAtomically(platform::ToUtf8(kept.keptPath), existing, platform::Durability::FlushToDisk))
            return false;
        for (const std::string& name : carry.orphaned)
            kept.regions.push_back(platform::DecodeWindows1252(name));
        for (const std::string& name : carry.broken)
            kept.broken.push_back(platform::DecodeWindows1252(name));
    }
    if (!platform::WriteFileAtomically(target, carry.bytes, platform::Durability::InOnePiece)) {
        if (!kept.keptPath.empty())
            platform::RemoveFile(platform::ToUtf8(kept.keptPath));
        return false;
    }
    report.written.push_back(path);
    if (!kept.keptPath.empty())
        report.kept.push_back(std::move(kept));
    return true;
}

std::u16string KeptFileNotice(const KeptFile& kept)
{
    std::u16string text = u"The previous " + FileNameOf(kept.path) + u" is kept as " + kept.keptPath + u": ";
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
        reasons += kept.broken.size() == 1
                       ? u"the markers of user code region " + names(kept.broken) + u" do not pair up, so its code was not carried over"
                       : u"the markers of user code regions " + names(kept.broken) + u" do not pair up, so their code was not carried over";
    if (!kept.regions.empty()) {
        if (!reasons.empty())
            reasons += u"; ";
        reasons += (kept.regions.size() == 1 ? u"the new file has no user code region " : u"the new file has no user code regions ")
                   + names(kept.regions);
    }
    return text + reasons + u".";
}

}  // namespace kr
