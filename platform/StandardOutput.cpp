// SPDX-License-Identifier: MIT
#include "platform/StandardOutput.h"

#include <cerrno>
#include <unistd.h>

#include "platform/FileFailure.h"

namespace kr::platform {

CStandardOutputBuffer::CStandardOutputBuffer()
{
    setp(buffer_.data(), buffer_.data() + buffer_.size());
}

CStandardOutputBuffer::~CStandardOutputBuffer()
{
    WriteBuffered();
}

bool CStandardOutputBuffer::WriteBuffered()
{
    const char* at = pbase();
    std::size_t left = static_cast<std::size_t>(pptr() - pbase());
    while (left > 0 && error_ == 0) {
        const ssize_t n = ::write(STDOUT_FILENO, at, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error_ = errno;
            break;
        }
        at += n;
        left -= static_cast<std::size_t>(n);
    }
    // After a failure the rest is dropped: nothing more can be written in
    // order.
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    return error_ == 0;
}

CStandardOutputBuffer::int_type CStandardOutputBuffer::overflow(int_type c)
{
    if (!WriteBuffered())
        return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

int CStandardOutputBuffer::sync()
{
    return WriteBuffered() ? 0 : -1;
}

bool CStandardOutputBuffer::Finish(std::string& reason)
{
    if (WriteBuffered())
        return true;
    reason = SystemReason(error_);
    return false;
}

}  // namespace kr::platform
