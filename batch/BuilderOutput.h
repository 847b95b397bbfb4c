// SPDX-License-Identifier: MIT
#pragma once
// Turns what a builder prints into lines of the batch log: UTF-8 text cut
// into whole lines, each ending with LF as every log line does. A builder's
// own line end, LF or CR LF, is dropped; any other CR is the builder's text
// and stays in its line (the batch dialog breaks the line there, a terminal
// goes back to the line's start). Pieces
// arrive as the builder writes them, so a line (or a character) may come in
// parts; only whole lines leave, the rest waits for the next piece or the end.
//
// However much a builder prints, the log gets a bounded share of it: the
// first headBytes pass as they come, of the rest only the last tailBytes
// (from a line start) follow at the end, after a line saying how much was
// left out. A line longer than kMaxLineBytes is cut into several. Memory and
// time stay proportional to those bounds and to the output's length.

#include <cstdint>
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
    // What is left: the kept end of the output, after the line that says
    // how much was left out, and a last line without line end, ended.
    std::u16string Finish();

private:
    void AddLines(std::string_view text, std::u16string& lines);

    std::size_t headBytes_;
    std::size_t tailBytes_;
    std::size_t passed_ = 0;  // bytes of the output passed on as they came
    std::string partial_;  // a line not yet complete
    bool holding_ = false;  // the head is spent: the end is kept in tail_
    std::string tail_;  // the latest output, raw, at most about twice tailBytes
    std::uint64_t leftOut_ = 0;  // bytes dropped from the front of tail_
    bool tailAtLineStart_ = true;  // tail_ starts where a line starts
};

}  // namespace kr
