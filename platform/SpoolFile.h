// SPDX-License-Identifier: MIT
#pragma once
// A temporary file no folder names: made in $TMPDIR (or /tmp) and unlinked
// at once, so it goes with the program however the program ends. Bytes are
// appended and read back by offset. Not shared between threads by itself.

#include <cstdint>
#include <string>
#include <string_view>

namespace kr::platform {

class CSpoolFile {
public:
    CSpoolFile() = default;
    ~CSpoolFile();
    CSpoolFile(const CSpoolFile&) = delete;
    CSpoolFile& operator=(const CSpoolFile&) = delete;

    // Appends bytes (the file is made on the first call) and says where they
    // start; false with the system's reason when they could not be written.
    bool Append(std::string_view bytes, std::uint64_t& offset, std::string& reason);
    // The length bytes at offset, appended to bytes; false with the system's
    // reason when they could not be read.
    bool Read(std::uint64_t offset, std::size_t length, std::string& bytes, std::string& reason);

private:
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

}  // namespace kr::platform
