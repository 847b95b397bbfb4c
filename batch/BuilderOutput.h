// SPDX-License-Identifier: MIT
#pragma once
// Turns what a builder prints into lines of the batch log: UTF-8 text cut
// into whole lines, each ending with CR LF as every log line does. Pieces
// arrive as the builder writes them, so a line (or a character) may come in
// parts; only whole lines leave, the rest waits for the next piece or the end.

#include <string>
#include <string_view>

namespace kr {

class BuilderOutput {
public:
    // The whole lines the text completes, ready for the log; empty when none.
    std::u16string Add(std::string_view text);
    // What is left of a last line without line end, ended; empty when nothing is.
    std::u16string Finish();

private:
    std::string partial_;
};

}  // namespace kr
