#include "core/text_out.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace nimbrel {

TextOut::~TextOut() {
    if (fd_ >= 0) close();
}

bool TextOut::open(const std::string& path, Mode mode) {
    if (fd_ >= 0) close();
    int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (mode == Mode::CreateNew ? O_EXCL : O_TRUNC);
    fd_ = ::open(path.c_str(), flags, 0666);
    path_ = path;
    failed_ = fd_ < 0;
    ownsFile_ = fd_ >= 0;
    buffer_.clear();
    if (fd_ >= 0) buffer_.reserve(kBlock + kMaxNumberText * 8);
    return fd_ >= 0;
}

void TextOut::flushBuffer() {
    if (failed_ || fd_ < 0) {
        buffer_.clear();
        failed_ = true;
        return;
    }
    const char* p = buffer_.data();
    std::size_t left = buffer_.size();
    while (left > 0) {
        ssize_t n = ::write(fd_, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            failed_ = true;
            break;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    buffer_.clear();
}

bool TextOut::flush() {
    if (!buffer_.empty()) flushBuffer();
    return !failed_;
}

bool TextOut::close() {
    if (fd_ < 0) return !failed_;
    flush();
    if (::close(fd_) != 0) failed_ = true;
    fd_ = -1;
    return !failed_;
}

void TextOut::discard() {
    if (fd_ >= 0) {
        buffer_.clear();
        ::close(fd_);
        fd_ = -1;
    }
    // Only a file this writer created or truncated; never one it failed to open.
    if (ownsFile_) std::remove(path_.c_str());
    ownsFile_ = false;
}

}  // namespace nimbrel
