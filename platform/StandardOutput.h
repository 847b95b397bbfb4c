// SPDX-License-Identifier: MIT
#pragma once
// The program's standard output as a stream buffer that remembers the first
// write that failed, so a command whose output could not be written (a full
// disk, /dev/full) ends as a failure and can say why.

#include <array>
#include <streambuf>
#include <string>

namespace kr::platform {

class CStandardOutputBuffer : public std::streambuf {
public:
    CStandardOutputBuffer();
    ~CStandardOutputBuffer() override;
    CStandardOutputBuffer(const CStandardOutputBuffer&) = delete;
    CStandardOutputBuffer& operator=(const CStandardOutputBuffer&) = delete;

    // Writes what is buffered; true when every write so far succeeded,
    // else false with reason set to the system's text for the first failure.
    bool Finish(std::string& reason);

protected:
    int_type overflow(int_type c) override;
    int sync() override;

private:
    bool WriteBuffered();
    std::array<char, 8192> buffer_;
    int error_ = 0;
};

}  // namespace kr::platform
