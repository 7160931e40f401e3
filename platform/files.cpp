#include "platform/files.h"

#include <fcntl.h>
#include <glob.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/unique_fd.h"

namespace nimbrel::platform {

std::optional<std::string> fileLookup(const std::string& pattern) {
    // A name that exists as typed is that file: Linux names may hold '[', '*', '?' or '\\',
    // and globbing "model[1].bin" would open model1.bin or nothing.
    struct stat literal {};
    if (::stat(pattern.c_str(), &literal) == 0 && S_ISREG(literal.st_mode)) return pattern;
    glob_t found{};
    std::optional<std::string> first;
    if (::glob(pattern.c_str(), 0, nullptr, &found) == 0) {
        for (std::size_t i = 0; i < found.gl_pathc; ++i) {
            struct stat st {};
            if (::stat(found.gl_pathv[i], &st) == 0 && S_ISREG(st.st_mode)) {
                first = found.gl_pathv[i];
                break;
            }
        }
    }
    ::globfree(&found);
    return first;
}

std::optional<std::uint64_t> fileSize(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return static_cast<std::uint64_t>(st.st_size);
}

bool fileExists(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    return UniqueFd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)).valid();
}

bool isRunnable(const std::string& path) { return fileExists(path) && ::access(path.c_str(), X_OK) == 0; }

namespace {

// Below this a second thread costs more than it saves.
constexpr std::size_t kSplitReadSize = std::size_t{8} << 20;
constexpr std::size_t kSplitAlign = std::size_t{2} << 20;

bool readRange(int fd, char* dest, std::size_t offset, std::size_t size) {
    const IoResult got = readAllAt(fd, dest + offset, size, static_cast<off_t>(offset));
    return !got.failed() && got.bytes == size;
}

}  // namespace

bool readWhole(int fd, void* dest, std::size_t size) {
    char* bytes = static_cast<char*>(dest);
    // Copying out of the page cache, and the kernel's clearing of the fresh pages it
    // copies into, are both per-core work: two halves take half the time.
    if (size < kSplitReadSize || std::thread::hardware_concurrency() < 2) return readRange(fd, bytes, 0, size);
    const std::size_t half = (size / 2 + kSplitAlign - 1) & ~(kSplitAlign - 1);
    bool tailRead = false;
    std::thread tail;
    try {
        tail = std::thread([&] { tailRead = readRange(fd, bytes, half, size - half); });
    } catch (const std::system_error&) {
        return readRange(fd, bytes, 0, size);
    }
    const bool headRead = readRange(fd, bytes, 0, half);
    tail.join();
    return headRead && tailRead;
}

std::string currentDirectory() {
    std::vector<char> buf(4096);
    while (::getcwd(buf.data(), buf.size()) == nullptr) {
        if (buf.size() > (std::size_t{1} << 20)) return ".";
        buf.resize(buf.size() * 2);
    }
    return buf.data();
}

bool changeDirectory(const std::string& path) { return ::chdir(path.c_str()) == 0; }

std::string executablePath() {
    std::vector<char> buf(4096);
    for (;;) {
        ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
        if (n < 0) return {};
        if (static_cast<std::size_t>(n) < buf.size()) return std::string(buf.data(), static_cast<std::size_t>(n));
        buf.resize(buf.size() * 2);
    }
}

std::string executableDir() { return folderOf(executablePath()); }

std::string folderOf(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string fileNameOf(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace nimbrel::platform
