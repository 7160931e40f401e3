#include "platform/locked_append.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

namespace nimbrel::platform {

namespace {

constexpr std::size_t kChunk = 4096;

bool setLock(int fd, short type, off_t start, std::size_t n) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = start;
    lock.l_len = static_cast<off_t>(n);
    int rc;
    do {
        rc = ::fcntl(fd, F_SETLKW, &lock);
    } while (rc != 0 && errno == EINTR);
    return rc == 0;
}

class FileHandle {
public:
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

bool appendLocked(int fd, const void* bytes, std::size_t n) {
    if (n == 0) return true;
    const off_t end = ::lseek(fd, 0, SEEK_END);
    if (end < 0) return false;
    const bool locked = setLock(fd, F_WRLCK, end, n);
    const char* p = static_cast<const char*>(bytes);
    std::size_t left = n;
    while (left > 0) {
        const ssize_t written = ::write(fd, p, left);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) break;
        p += written;
        left -= static_cast<std::size_t>(written);
    }
    if (locked) setLock(fd, F_UNLCK, end, n);
    return left == 0;
}

FileAppend appendFileLocked(const std::string& sourcePath, int fd) {
    FileHandle source(::open(sourcePath.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    struct stat info {};
    // A folder or a pipe under that name is no file of faces; O_NONBLOCK keeps a FIFO
    // from blocking the open.
    if (source.get() < 0 || ::fstat(source.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return FileAppend::SourceMissing;
    char chunk[kChunk];
    // The output itself, through a link: only the bytes it held at the start, or the copy
    // would read what it appends until the disk is full.
    struct stat out {};
    const bool self = ::fstat(fd, &out) == 0 && out.st_dev == info.st_dev && out.st_ino == info.st_ino;
    std::uint64_t left = self ? static_cast<std::uint64_t>(info.st_size) : UINT64_MAX;
    while (left > 0) {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(left, sizeof chunk));
        const ssize_t got = ::read(source.get(), chunk, want);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return FileAppend::ReadFailed;
        if (got == 0) break;
        if (!appendLocked(fd, chunk, static_cast<std::size_t>(got))) return FileAppend::WriteFailed;
        left -= static_cast<std::uint64_t>(got);
    }
    return FileAppend::Copied;
}

}  // namespace nimbrel::platform
