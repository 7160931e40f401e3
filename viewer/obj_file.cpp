#include "viewer/obj_file.h"

#include <cerrno>
#include <cstring>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/unique_fd.h"

namespace nimbrel {

// Read, not mapped: the tool rewrites test.obj in place, and a mapped file truncated under
// the parser would end the viewer with SIGBUS.
bool loadObjFile(const std::string& path, ObjMesh& mesh, std::string& error) {
    mesh = ObjMesh();
    // Non-blocking, so a pipe under the file's name is refused below instead of hanging
    // the viewer; for a regular file the flag changes nothing.
    const platform::UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file.valid()) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
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
        const platform::IoResult got = platform::readAll(file.get(), bytes.get() + size, capacity - size);
        if (got.failed()) {
            error = "cannot read " + path + ": " + std::strerror(got.error);
            return false;
        }
        size += got.bytes;
        if (size < capacity) break;
        std::unique_ptr<char[]> larger(new (std::nothrow) char[capacity * 2]);
        if (larger) std::memcpy(larger.get(), bytes.get(), size);
        bytes = std::move(larger);
        capacity *= 2;
    }
    mesh = parseObj(std::string_view(bytes.get(), size));
    return true;
}

} // namespace nimbrel
