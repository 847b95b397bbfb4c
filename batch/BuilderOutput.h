// SPDX-License-Identifier: MIT
#pragma once
// Turns what a builder prints into lines of the batch log: UTF-8 text cut
// into whole lines, each ending with LF as every log line does. A builder's
// own line end, LF or CR LF, is dropped; any other CR is the builder's text
// and stays in its line (the batch dialog breaks the line there, a terminal
// goes back to the line's start). Pieces arrive as the builder writes them,
// so a line (or a character) may come in parts; only whole lines leave, the
// rest waits for the next piece or the end. A line longer than kMaxLineBytes
// is cut into several log lines, each cut at a character's start.
//
// However much a builder prints, the log gets a bounded share of it, always
// in whole log lines: the lines that start within the first headBytes pass
// as they come; of the rest, the last lines that fit in tailBytes follow at
// the end, after a line saying exactly how many bytes were left out between
// the two. The last line a builder prints is always among them, whatever the
// size, its line ends or its pieces. Memory stays within about 1.25 times
// tailBytes plus two lines, time proportional to the output's length.

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>

namespace kr {

class BuilderOutput {
public:
    static constexpr std::size_t kDefaultHeadBytes = 1u << 20;
    static constexpr std::size_t kDefaultTailBytes = 1u << 20;
    static constexpr std::size_t kMaxLineBytes = 64u << 10;

    explicit BuilderOutput(std::size_t headBytes = kDefaultHeadBytes, std::size_t tailBytes = kDefaultTailBytes);

    // The whole lines the text completes, ready for the log; empty when none.
    std::u16string Add(std::string_view text);
    // What is left: the line that says how much was left out, the kept end of
    // the output, and a last line without line end, ended.
    std::u16string Finish();
    // The same, handed to emit in pieces of whole lines (about 64 KiB each),
    // so the kept end is never held twice.
    void Finish(const std::function<void(const std::u16string&)>& emit);

private:
    void Split(std::string_view text, std::u16string& lines);
    // One whole log line, raw: with the builder's line end, or none when cut.
    void Line(std::string_view raw, bool cut, std::u16string& lines);
    // Drops whole lines from the front of the tail until it holds at most
    // limit bytes, or only its last line.
    void Trim(std::size_t limit);

    std::size_t headBytes_;
    std::size_t tailBytes_;
    std::uint64_t passed_ = 0;  // bytes of the output passed on as they came
    std::string partial_;  // a line not yet complete
    bool holding_ = false;  // the head is spent: whole lines are kept in tail_
    std::string tail_;  // the latest whole lines, raw
    std::deque<std::size_t> cuts_;  // where in tail_ a cut line ends
    std::uint64_t leftOut_ = 0;  // bytes dropped from the front of tail_
};

}  // namespace kr
