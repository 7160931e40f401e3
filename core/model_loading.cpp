#include "core/model_loading.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/files.h"

namespace nimbrel {

std::uint32_t loadModelFile(ModelBuffer& model, const std::string& path, Panel& panel) {
    auto found = platform::fileLookup(path);
    if (!found) {
        model.clear();
        panel.showMessage("Invalid file handle!");
        return 0;
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
        panel.showMessage("error: file > 124 MB. Nicht akzeptiert...");
        return 0;
    }
    if (fd < 0 || !S_ISREG(st.st_mode)) {
        if (fd >= 0) ::close(fd);
        model.clear();
        panel.showMessage("could not open file!");
        return 0;
    }
    auto size = static_cast<std::size_t>(st.st_size);
    std::uint8_t* dest = model.storageForLoad();
    std::size_t got = 0;
    bool readFailed = false;
    while (got < size) {
        ssize_t n = ::read(fd, dest + got, size - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            readFailed = true;
            break;
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    // A file that shrank between measuring and reading is a failed read: a short model
    // padded with stale bytes would be worse than none.
    if (readFailed || got != size) {
        model.commitLoad(static_cast<std::uint32_t>(got));
        model.clear();
        panel.showMessage("Error reading file!");
        return 0;
    }
    model.commitLoad(static_cast<std::uint32_t>(size));
    return static_cast<std::uint32_t>(size);
}

std::string pathStem(const std::string& path) {
    auto dot = path.rfind('.');
    return dot == std::string::npos ? path : path.substr(0, dot);
}

bool containsVypExtension(const std::string& path) {
    return path.find(".VYP") != std::string::npos || path.find(".vyp") != std::string::npos;
}

}  // namespace nimbrel
