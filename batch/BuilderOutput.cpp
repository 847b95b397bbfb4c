// SPDX-License-Identifier: MIT
#include "batch/BuilderOutput.h"

#include <algorithm>

#include "platform/NumberText.h"
#include "platform/Utf.h"

namespace kr {
namespace {

// A raw line as a log line: without the builder's line end (LF, CR LF, or a
// CR the output ended with); a cut line has none.
std::u16string LogLine(std::string_view raw, bool cut)
{
    if (!cut) {
        if (raw.ends_with('\n'))
            raw.remove_suffix(1);
        if (raw.ends_with('\r'))
            raw.remove_suffix(1);
    }
    return platform::FromUtf8(raw) + u"\n";
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
    : headBytes_(headBytes), tailBytes_(tailBytes), holding_(headBytes == 0)
{
}

void BuilderOutput::Line(std::string_view raw, bool cut, std::u16string& lines)
{
    if (!holding_) {
        lines += LogLine(raw, cut);
        passed_ += raw.size();
        holding_ = passed_ >= headBytes_;
        return;
    }
    tail_.append(raw);
    if (cut)
        cuts_.push_back(tail_.size());
    // Trimmed in steps of a quarter, so each byte is moved a bounded number
    // of times.
    if (tail_.size() > tailBytes_ + tailBytes_ / 4)
        Trim(tailBytes_);
}

void BuilderOutput::Trim(std::size_t limit)
{
    if (tail_.size() <= limit)
        return;
    // The first line start at or after the bytes that must go: after a line
    // end, or where a long line was cut.
    const std::size_t must = tail_.size() - limit;
    std::size_t drop = tail_.find('\n', must - 1);
    drop = drop == std::string::npos ? tail_.size() : drop + 1;
    while (!cuts_.empty() && cuts_.front() < must)
        cuts_.pop_front();
    if (!cuts_.empty())
        drop = std::min(drop, cuts_.front());
    // The last line stays whole, however long: it is the builder's last word.
    std::size_t lastStart = tail_.size() < 2 ? 0 : tail_.rfind('\n', tail_.size() - 2);
    lastStart = lastStart == std::string::npos ? 0 : lastStart + 1;
    for (auto cut = cuts_.rbegin(); cut != cuts_.rend(); ++cut) {
        if (*cut < tail_.size()) {
            lastStart = std::max(lastStart, *cut);
            break;
        }
    }
    drop = std::min(drop, lastStart);
    if (drop == 0)
        return;
    tail_.erase(0, drop);
    leftOut_ += drop;
    for (std::size_t& cut : cuts_)
        cut -= drop;
    while (!cuts_.empty() && cuts_.front() == 0)
        cuts_.pop_front();
}

void BuilderOutput::Split(std::string_view text, std::u16string& lines)
{
    for (;;) {
        const std::size_t end = text.find('\n');
        const std::size_t room = kMaxLineBytes - partial_.size();
        if (end == std::string_view::npos && text.size() <= room)
            break;
        if (end == std::string_view::npos || end > room) {
            // A line too long for one log line: its first part is a line.
            partial_.append(text.substr(0, room));
            text.remove_prefix(room);
            const std::size_t cut = CutAt(partial_, kMaxLineBytes - 1);
            Line(std::string_view(partial_).substr(0, cut), true, lines);
            partial_.erase(0, cut);
            continue;
        }
        if (partial_.empty()) {
            Line(text.substr(0, end + 1), false, lines);
        } else {
            partial_.append(text.substr(0, end + 1));
            Line(partial_, false, lines);
            partial_.clear();
        }
        text.remove_prefix(end + 1);
    }
    partial_.append(text);
}

std::u16string BuilderOutput::Add(std::string_view text)
{
    std::u16string lines;
    Split(text, lines);
    return lines;
}

std::u16string BuilderOutput::Finish()
{
    std::u16string all;
    Finish([&](const std::u16string& lines) { all += lines; });
    return all;
}

void BuilderOutput::Finish(const std::function<void(const std::u16string&)>& emit)
{
    std::u16string lines;
    if (!partial_.empty())
        Line(partial_, false, lines);
    partial_.clear();
    Trim(tailBytes_);
    if (leftOut_ > 0)
        lines += u"[" + platform::FormatDecimal(static_cast<std::int64_t>(leftOut_))
                 + u" bytes of builder output left out]\n";
    const std::string_view tail(tail_);
    for (std::size_t at = 0; at < tail.size();) {
        std::size_t end = tail.find('\n', at);
        end = end == std::string_view::npos ? tail.size() : end + 1;
        bool cut = false;
        if (!cuts_.empty() && cuts_.front() <= end) {
            cut = true;
            end = cuts_.front();
            cuts_.pop_front();
        }
        lines += LogLine(tail.substr(at, end - at), cut);
        at = end;
        if (lines.size() >= kMaxLineBytes) {
            emit(lines);
            lines.clear();
        }
    }
    if (!lines.empty())
        emit(lines);
    tail_.clear();
    cuts_.clear();
    leftOut_ = 0;
}

}  // namespace kr
