#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/text_format.h"

namespace nimbrel {

/// A buffered text file writer whose print() produces exactly the bytes C printf would,
/// written in blocks of about 1 MiB. Errors are sticky: once a write fails nothing more
/// is written and close() reports false, so a caller checks once at the end.
class TextOut {
public:
    enum class Mode { Replace, CreateNew };

    TextOut() = default;
    ~TextOut();
    TextOut(const TextOut&) = delete;
    TextOut& operator=(const TextOut&) = delete;

    /// Opens path for writing. Replace truncates an existing file; CreateNew fails when
    /// the file exists, so a user's file is never overwritten. False when it cannot open.
    bool open(const std::string& path, Mode mode = Mode::Replace);
    bool isOpen() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }
    int fd() const { return fd_; }

    template <class... Args>
    void print(std::string_view fmt, const Args&... args) {
        appendFormat(buffer_, fmt, args...);
        if (buffer_.size() >= kBlock) flushBuffer();
    }
    void put(std::string_view text) {
        buffer_.append(text);
        if (buffer_.size() >= kBlock) flushBuffer();
    }
    void put(char c) { buffer_.push_back(c); }
    /// printf("%f") of x.
    void putFixed6(double x) {
        char tmp[kMaxNumberText];
        buffer_.append(tmp, writeFixed6(tmp, x));
    }
    void putSigned(std::int64_t v) {
        char tmp[24];
        buffer_.append(tmp, writeSigned(tmp, v));
    }
    /// Writes out the buffered text; false once any write has failed.
    bool flush();
    /// Flushes and closes; false when any write or the close failed.
    bool close();
    /// Closes and deletes the file: for output that must not be left half written.
    void discard();
    bool failed() const { return failed_; }
    /// Marks the output failed, for writes made around the buffer on fd().
    void markFailed() { failed_ = true; }

private:
    static constexpr std::size_t kBlock = std::size_t{1} << 20;
    void flushBuffer();

    int fd_ = -1;
    bool failed_ = false;
    bool ownsFile_ = false;
    std::string path_;
    std::string buffer_;
};

}  // namespace nimbrel
