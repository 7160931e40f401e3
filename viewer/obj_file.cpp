#include "viewer/obj_file.h"

#include <cerrno>
#include <cstring>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nimbrel {
namespace {

struct FileCloser {
    int fd;
    ~FileCloser() { ::close(fd); }
};

} // namespace

// Read, not mapped: the tool rewrites test.obj in place, and a mapped file truncated under
// the parser would end the viewer with SIGBUS.
bool loadObjFile(const std::string& path, ObjMesh& mesh, std::string& error) {
    mesh = ObjMesh();
    // Non-blocking, so a pipe under the file's name is refused below instead of hanging
    // the viewer; for a regular file the flag changes nothing.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    FileCloser closer{fd};
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        error = "cannot read " + path + ": not a regular file";
        return false;
    }
    // One spare byte tells whether the file grew since fstat; then the buffer doubles.
    std::size_t capacity = static_cast<std::size_t>(info.st_size) + 1;
    std::unique_ptr<char[]> bytes(new (std::nothrow) char[capacity]);
    std::size_t size = 0;
    for (;;) {
        if (!bytes) {
            error = "cannot read " + path + ": out of memory";
            return false;
        }
        const ssize_t n = ::read(fd, bytes.get() + size, capacity - size);
        if (n < 0) {
            if (errno == EINTR) continue;
            error = "cannot read " + path + ": " + std::strerror(errno);
            return false;
        }
        if (n == 0) break;
        size += static_cast<std::size_t>(n);
        if (size == capacity) {
            std::unique_ptr<char[]> larger(new (std::nothrow) char[capacity * 2]);
            if (larger) std::memcpy(larger.get(), bytes.get(), size);
            bytes = std::move(larger);
            capacity *= 2;
        }
    }
    mesh = parseObj(std::string_view(bytes.get(), size));
    return true;
}

} // namespace nimbrel
