#include "platform/locked_append.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "platform/unique_fd.h"

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

}  // namespace

bool appendLocked(int fd, const void* bytes, std::size_t n) {
    if (n == 0) return true;
    const off_t end = ::lseek(fd, 0, SEEK_END);
    if (end < 0) return false;
    const bool locked = setLock(fd, F_WRLCK, end, n);
    const IoResult written = writeAll(fd, bytes, n);
    if (locked) setLock(fd, F_UNLCK, end, n);
    return !written.failed();
}

FileAppend appendFileLocked(const std::string& sourcePath, int fd) {
    // A folder or a pipe under that name is no file of faces.
    const UniqueFd source = openRegularFile(sourcePath);
    struct stat info {};
    if (!source.valid() || ::fstat(source.get(), &info) != 0) return FileAppend::SourceMissing;
    char chunk[kChunk];
    // The output itself, through a link: only the bytes it held at the start, or the copy
    // would read what it appends until the disk is full.
    struct stat out {};
    const bool self = ::fstat(fd, &out) == 0 && out.st_dev == info.st_dev && out.st_ino == info.st_ino;
    std::uint64_t left = self ? static_cast<std::uint64_t>(info.st_size) : UINT64_MAX;
    while (left > 0) {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(left, sizeof chunk));
        const IoResult got = readAll(source.get(), chunk, want);
        // What came before an error is the source's too.
        if (!appendLocked(fd, chunk, got.bytes)) return FileAppend::WriteFailed;
        if (got.failed()) return FileAppend::ReadFailed;
        if (got.bytes < want) break;
        left -= got.bytes;
    }
    return FileAppend::Copied;
}

}  // namespace nimbrel::platform
