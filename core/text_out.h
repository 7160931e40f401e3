#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
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
    /// Writes the text of items [first, last) at out and returns its end, at most the
    /// maxItemText given to putInBlocks per item.
    using BlockFormatter = std::function<char*(std::uint64_t first, std::uint64_t last, char* out)>;
    /// Writes the text of count items, formatted in blocks of bounded size, in item order.
    /// With anyThread the blocks are formatted on every core at once (format must then
    /// depend on nothing but its items); otherwise one after another on this thread, so
    /// format may carry state from block to block. The file is still written front to
    /// back, and a failed write ends the work early and stays sticky as for put().
    void putInBlocks(std::uint64_t count, std::size_t maxItemText, bool anyThread, const BlockFormatter& format);
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
    void writeAll(const char* p, std::size_t n);

    int fd_ = -1;
    bool failed_ = false;
    bool ownsFile_ = false;
    std::string path_;
    std::string buffer_;
};

}  // namespace nimbrel
