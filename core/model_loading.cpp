#include "core/model_loading.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/files.h"

namespace nimbrel {

namespace {

// True when nothing follows the size bytes read: a file that grew meanwhile has more.
bool endsAt(int fd, std::size_t size) {
    char extra;
    for (;;) {
        ssize_t n = ::pread(fd, &extra, 1, static_cast<off_t>(size));
        if (n < 0 && errno == EINTR) continue;
        return n == 0;
    }
}

// A read racing a truncation can return the measured count with the cut part zeroed, so
// the count alone proves nothing: the file must still have the size and times it was
// measured with.
bool unchangedSince(int fd, const struct stat& before) {
    struct stat after {};
    return ::fstat(fd, &after) == 0 && after.st_size == before.st_size &&
           after.st_mtim.tv_sec == before.st_mtim.tv_sec && after.st_mtim.tv_nsec == before.st_mtim.tv_nsec &&
           after.st_ctim.tv_sec == before.st_ctim.tv_sec && after.st_ctim.tv_nsec == before.st_ctim.tv_nsec;
}

}  // namespace

ModelLoad loadModelFile(ModelBuffer& model, const std::string& path) {
    auto found = platform::fileLookup(path);
    if (!found) {
        model.clear();
        return {0, "Invalid file handle!"};
    }
    // The file is opened once and measured through its descriptor, so a file replaced
    // or truncated after the lookup cannot be read with a stale size.
    int fd = ::open(found->c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    // A private buffer (tests, tools) may be smaller than the process's; the file must fit it.
    const std::uint64_t largest = std::min<std::uint64_t>(kLargestModelFile, model.capacity() > 0 ? model.capacity() - 1 : 0);
    if (fd >= 0 && ::fstat(fd, &st) == 0 && static_cast<std::uint64_t>(st.st_size) > largest) {
        ::close(fd);
        model.clear();
        return {0, "error: file > 124 MB. Nicht akzeptiert..."};
    }
    if (fd < 0 || !S_ISREG(st.st_mode)) {
        if (fd >= 0) ::close(fd);
        model.clear();
        return {0, "could not open file!"};
    }
    auto size = static_cast<std::size_t>(st.st_size);
    const bool whole = platform::readWhole(fd, model.storageForLoad(size), size) && endsAt(fd, size) &&
                       unchangedSince(fd, st);
    ::close(fd);
    // A file that changed while it was read is a failed read: a model mixed of two
    // versions, or a short one padded with zeros, would be worse than none.
    if (!whole) {
        model.clear();
        return {0, "Error reading file!"};
    }
    model.commitLoad(static_cast<std::uint32_t>(size));
    return {static_cast<std::uint32_t>(size), {}};
}

std::string pathStem(const std::string& path) {
    auto dot = path.rfind('.');
    return dot == std::string::npos ? path : path.substr(0, dot);
}

bool containsParameterFileExtension(const std::string& path) {
    return path.find(".VYP") != std::string::npos || path.find(".vyp") != std::string::npos;
}

}  // namespace nimbrel
