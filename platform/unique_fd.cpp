#include "platform/unique_fd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace nimbrel::platform {

void UniqueFd::reset(int fd) noexcept {
    if (fd_ >= 0 && fd_ != fd) ::close(fd_);
    fd_ = fd;
}

bool UniqueFd::close() noexcept {
    if (fd_ < 0) return true;
    // Linux frees the descriptor even when close fails, so it is never retried.
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    return closed;
}

namespace {

// One loop for every flavour of transfer: step moves up to left bytes at done and
// answers like read(2).
template <typename Step>
IoResult transfer(std::size_t size, bool zeroEnds, Step step) {
    IoResult result;
    while (result.bytes < size) {
        const ssize_t n = step(result.bytes, size - result.bytes);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            result.error = errno;
            break;
        }
        if (n == 0) {
            if (!zeroEnds) result.error = EIO;
            break;
        }
        result.bytes += static_cast<std::size_t>(n);
    }
    return result;
}

}  // namespace

IoResult readAll(int fd, void* dest, std::size_t size) {
    char* bytes = static_cast<char*>(dest);
    return transfer(size, true, [&](std::size_t done, std::size_t left) { return ::read(fd, bytes + done, left); });
}

IoResult readSome(int fd, void* dest, std::size_t size) {
    IoResult result;
    ssize_t n;
    do n = ::read(fd, dest, size);
    while (n < 0 && errno == EINTR);
    if (n < 0)
        result.error = errno;
    else
        result.bytes = static_cast<std::size_t>(n);
    return result;
}

IoResult readAllAt(int fd, void* dest, std::size_t size, off_t offset) {
    char* bytes = static_cast<char*>(dest);
    return transfer(size, true, [&](std::size_t done, std::size_t left) {
        return ::pread(fd, bytes + done, left, offset + static_cast<off_t>(done));
    });
}

IoResult writeAll(int fd, const void* src, std::size_t size) {
    const char* bytes = static_cast<const char*>(src);
    return transfer(size, false, [&](std::size_t done, std::size_t left) { return ::write(fd, bytes + done, left); });
}

UniqueFd openRegularFile(const std::string& path) {
    // The stat before the open keeps devices unopened; the fstat after it catches a name
    // swapped in between.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.valid() && (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))) fd.reset();
    return fd;
}

}  // namespace nimbrel::platform
