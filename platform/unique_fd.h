#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>

namespace nimbrel::platform {

/// A file descriptor this object owns: closed when it goes, handed on by moving.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) noexcept : fd_(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    /// Gives the descriptor up without closing it.
    int release() noexcept {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    /// Closes the descriptor held, if any, and takes fd.
    void reset(int fd = -1) noexcept;
    /// Closes now; false when the close reports an error (a write the kernel deferred
    /// may fail only here). Nothing is held afterwards either way.
    bool close() noexcept;

private:
    int fd_ = -1;
};

/// How far a read-all or write-all got: bytes moved, and errno when it stopped on an error.
struct IoResult {
    std::size_t bytes = 0;
    int error = 0;

    bool failed() const { return error != 0; }
};

/// Reads until size bytes are in dest or the file ends, taking short reads and EINTR in
/// stride. Fewer bytes without an error mean the end of the file.
IoResult readAll(int fd, void* dest, std::size_t size);
/// One read of up to size bytes, EINTR taken in stride: for a reader that stops early, a
/// short file costs one call instead of a second one that finds the end.
IoResult readSome(int fd, void* dest, std::size_t size);
/// The same as readAll from offset, leaving the file position alone (pread).
IoResult readAllAt(int fd, void* dest, std::size_t size, off_t offset);
/// Writes all size bytes, taking short writes and EINTR in stride; a write that moves
/// nothing counts as an error (EIO).
IoResult writeAll(int fd, const void* src, std::size_t size);

/// Opens path for reading when it names a regular file, without blocking on a FIFO and
/// without opening devices; nothing is held otherwise.
UniqueFd openRegularFile(const std::string& path);

}  // namespace nimbrel::platform
