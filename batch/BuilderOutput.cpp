// SPDX-License-Identifier: MIT
#include "batch/BuilderOutput.h"

#include "platform/NumberText.h"
#include "platform/Utf.h"

namespace kr {
namespace {

// One line without its line end (LF, or CR LF) as a log line.
std::u16string LogLine(std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return platform::FromUtf8(line) + u"\n";
}

// Where to cut text of more than max bytes: at max, moved back to the start
// of a UTF-8 character.
std::size_t CutAt(std::string_view text, std::size_t max)
{
    std::size_t at = max;
    for (int back = 0; back < 3 && at > 0 && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80; ++back)
        --at;
    return at == 0 ? max : at;
}

}  // namespace

BuilderOutput::BuilderOutput(std::size_t headBytes, std::size_t tailBytes)
    : headBytes_(headBytes), tailBytes_(tailBytes)
{
}

void BuilderOutput::AddLines(std::string_view text, std::u16string& lines)
{
    for (;;) {
        const std::size_t end = text.find('\n');
        const std::size_t room = kMaxLineBytes - partial_.size();
        if (end == std::string_view::npos && text.size() <= room)
            break;
        if (end == std::string_view::npos || end > room) {
            // A line too long for one log line: its first part goes now.
            partial_.append(text.substr(0, room));
            const std::size_t cut = CutAt(partial_, kMaxLineBytes - 1);
            lines += platform::FromUtf8(std::string_view(partial_).substr(0, cut)) + u"\n";
            partial_.erase(0, cut);
            text.remove_prefix(room);
            continue;
        }
        if (partial_.empty()) {
            lines += LogLine(text.substr(0, end));
        } else {
            partial_.append(text.substr(0, end));
            lines += LogLine(partial_);
            partial_.clear();
        }
        text.remove_prefix(end + 1);
    }
    partial_.append(text);
}

std::u16string BuilderOutput::Add(std::string_view text)
{
    std::u16string lines;
    if (!holding_) {
        const std::size_t take = std::min(text.size(), headBytes_ - passed_);
        AddLines(text.substr(0, take), lines);
        passed_ += take;
        text.remove_prefix(take);
        if (passed_ < headBytes_)
            return lines;
        // The head is spent; a line begun in it goes on in the tail.
        holding_ = true;
        tail_.swap(partial_);
        partial_.clear();
    }
    tail_.append(text);
    if (tail_.size() > 2 * tailBytes_) {
        // Dropped in large steps, so each byte is moved a bounded number of
        // times.
        const std::size_t drop = tail_.size() - tailBytes_;
        tailAtLineStart_ = tail_[drop - 1] == '\n';
        tail_.erase(0, drop);
        leftOut_ += drop;
    }
    return lines;
}

std::u16string BuilderOutput::Finish()
{
    std::u16string lines;
    if (holding_) {
        std::string_view kept(tail_);
        std::uint64_t leftOut = leftOut_;
        bool atLineStart = tailAtLineStart_;
        if (kept.size() > tailBytes_) {
            const std::size_t drop = kept.size() - tailBytes_;
            leftOut += drop;
            atLineStart = kept[drop - 1] == '\n';
            kept.remove_prefix(drop);
        }
        if (leftOut > 0) {
            // The kept end starts at a line start when it holds one.
            if (const std::size_t newline = kept.find('\n'); !atLineStart && newline != std::string_view::npos) {
                leftOut += newline + 1;
                kept.remove_prefix(newline + 1);
            }
            lines += u"[" + platform::FormatDecimal(static_cast<std::int64_t>(leftOut))
                     + u" bytes of builder output left out]\n";
        }
        AddLines(kept, lines);
        tail_.clear();
        leftOut_ = 0;
    }
    if (!partial_.empty())
        lines += LogLine(partial_);
    partial_.clear();
    return lines;
}

}  // namespace kr
