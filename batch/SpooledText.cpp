// SPDX-License-Identifier: MIT
#include "batch/SpooledText.h"

#include <algorithm>

#include "platform/Utf.h"

namespace kr {
namespace {

// The length of text without a character cut short at its end.
std::size_t WholeCharacters(std::string_view text)
{
    std::size_t at = text.size();
    for (int back = 0; back < 4 && at > 0; ++back, --at) {
        const auto c = static_cast<unsigned char>(text[at - 1]);
        if ((c & 0xC0) == 0x80)
            continue;
        const std::size_t need = (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 1;
        return text.size() - (at - 1) >= need ? text.size() : at - 1;
    }
    return text.size();
}

}  // namespace

std::size_t CTextSpool::InMemory() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return inMemory_;
}

std::uint64_t CTextSpool::Spooled() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return spooled_;
}

SpooledText::~SpooledText()
{
    std::size_t memory = 0;
    for (const Piece& piece : pieces_)
        memory += piece.memory.size();
    std::lock_guard<std::mutex> guard(spool_->mutex_);
    spool_->inMemory_ -= memory;
}

void SpooledText::Append(std::u16string_view text)
{
    if (text.empty())
        return;
    const std::string bytes = platform::ToUtf8(text);
    CTextSpool& spool = *spool_;
    std::lock_guard<std::mutex> guard(spool.mutex_);
    if (spool.inMemory_ + bytes.size() > spool.memoryLimit_ && !spool.fileFailed_) {
        std::uint64_t offset = 0;
        std::string reason;
        if (spool.file_.Append(bytes, offset, reason)) {
            spool.spooled_ += bytes.size();
            if (!pieces_.empty() && pieces_.back().spooled && pieces_.back().offset + pieces_.back().length == offset)
                pieces_.back().length += bytes.size();
            else
                pieces_.push_back({.memory = {}, .offset = offset, .length = bytes.size(), .spooled = true});
            return;
        }
        // No room for the file either: the text stays in memory.
        spool.fileFailed_ = true;
    }
    spool.inMemory_ += bytes.size();
    // Pieces of moderate size, so no large block of memory is moved or left
    // behind when one is taken.
    if (!pieces_.empty() && !pieces_.back().spooled && pieces_.back().memory.size() < kPieceBytes)
        pieces_.back().memory += bytes;
    else
        pieces_.push_back({.memory = bytes});
}

void SpooledText::Splice(SpooledText& other)
{
    for (Piece& piece : other.pieces_)
        pieces_.push_back(std::move(piece));
    other.pieces_.clear();
}

std::u16string SpooledText::Take(std::size_t maxBytes)
{
    maxBytes = std::max<std::size_t>(maxBytes, 4);
    std::string bytes;
    while (!pieces_.empty() && bytes.size() < maxBytes) {
        Piece& piece = pieces_.front();
        if (!piece.spooled) {
            std::size_t length = std::min(piece.memory.size(), maxBytes - bytes.size());
            if (length < piece.memory.size()) {
                length = WholeCharacters(std::string_view(piece.memory).substr(0, length));
                if (length == 0)
                    break;
            }
            bytes.append(piece.memory, 0, length);
            piece.memory.erase(0, length);
            {
                std::lock_guard<std::mutex> guard(spool_->mutex_);
                spool_->inMemory_ -= length;
            }
            if (piece.memory.empty())
                pieces_.pop_front();
            continue;
        }
        const std::size_t start = bytes.size();
        std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(piece.length, maxBytes - start));
        std::string reason;
        bool read;
        {
            std::lock_guard<std::mutex> guard(spool_->mutex_);
            read = spool_->file_.Read(piece.offset, length, bytes, reason);
        }
        if (!read) {
            bytes += "[" + std::to_string(piece.length) + " bytes of the log could not be read back: " + reason + "]\n";
            pieces_.pop_front();
            continue;
        }
        if (length < piece.length) {
            // Cut at the start of a character; the rest stays for later.
            bytes.resize(start + WholeCharacters(std::string_view(bytes).substr(start)));
            length = bytes.size() - start;
            if (length == 0)
                break;
        }
        piece.offset += length;
        piece.length -= length;
        if (piece.length == 0)
            pieces_.pop_front();
    }
    return platform::FromUtf8(bytes);
}

}  // namespace kr
