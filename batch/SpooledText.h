// SPDX-License-Identifier: MIT
#pragma once
// Log text held back for later (a file's block waiting behind an earlier
// file, text no viewer has taken yet) in a bounded share of memory. Every
// text of one log draws on one CTextSpool: while all of them together hold
// less than its memory limit, text stays in memory; beyond it, it goes to an
// unnamed temporary file and is read back when taken. So the memory a batch
// holds back does not grow with the number of files side by side, only the
// file does. When the file cannot be written, text stays in memory: nothing
// of the log is lost.

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/SpoolFile.h"

namespace kr {

class CTextSpool {
public:
    static constexpr std::size_t kDefaultMemoryBytes = 8u << 20;
    explicit CTextSpool(std::size_t memoryBytes = kDefaultMemoryBytes) : memoryLimit_(memoryBytes) {}

    // Bytes (UTF-8) held in memory now, and written to the file so far.
    std::size_t InMemory() const;
    std::uint64_t Spooled() const;

private:
    friend class SpooledText;
    mutable std::mutex mutex_;
    const std::size_t memoryLimit_;
    std::size_t inMemory_ = 0;
    std::uint64_t spooled_ = 0;
    bool fileFailed_ = false;
    platform::CSpoolFile file_;
};

// One text, appended at its end and taken from its front. Not shared between
// threads by itself: its owner locks it; the spool locks itself.
class SpooledText {
public:
    explicit SpooledText(std::shared_ptr<CTextSpool> spool) : spool_(std::move(spool)) {}
    ~SpooledText();
    SpooledText(const SpooledText&) = delete;
    SpooledText& operator=(const SpooledText&) = delete;

    void Append(std::u16string_view text);
    // Moves all of other (of the same spool) to the end of this text.
    void Splice(SpooledText& other);
    // Up to about maxBytes (as UTF-8) from the front, whole characters; the
    // rest stays. Empty only when the text is.
    std::u16string Take(std::size_t maxBytes);
    bool Empty() const { return pieces_.empty(); }

private:
    static constexpr std::size_t kPieceBytes = 64u << 10;
    struct Piece {
        std::string memory;  // the text, when in memory
        std::uint64_t offset = 0;  // else where in the spool's file
        std::uint64_t length = 0;
        bool spooled = false;
    };
    std::shared_ptr<CTextSpool> spool_;
    std::deque<Piece> pieces_;
};

}  // namespace kr
