#include "viewer/handover.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include "platform/unique_fd.h"

namespace nimbrel {
namespace {

// A fixed hash, the same in every build, so any two viewers agree on the name.
std::uint64_t fnv1a(std::string_view text) {
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

std::int64_t nowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t{ts.tv_sec} * 1000 + ts.tv_nsec / 1000000;
}

} // namespace

std::string handoverSocketPath(const std::string& file) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path path = fs::weakly_canonical(fs::absolute(file, ec), ec);
    if (ec) path = fs::absolute(file, ec);
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(fnv1a(path.string())));

    const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
    struct stat info {};
    std::string dir = "/tmp";
    // The name must fit a socket address (108 bytes), so a deep runtime folder is passed over.
    if (runtimeDir && *runtimeDir && std::strlen(runtimeDir) < 64 && ::stat(runtimeDir, &info) == 0 &&
        S_ISDIR(info.st_mode)) {
        dir = runtimeDir;
    }
    return dir + "/nimbrel-mesh_viewer-" + std::to_string(::getuid()) + "-" + hash;
}

std::optional<std::string> askRunningViewer(const std::string& socketPath,
                                            std::string_view request, int timeoutMs) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof address.sun_path) return std::nullopt;
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);

    const platform::UniqueFd socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!socket.valid()) return std::nullopt;
    const int fd = socket.get();
    // A socket file left by a viewer that died refuses the connection: nobody listens.
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        return std::nullopt;
    }
    std::string line(request);
    line += '\n';
    std::size_t sent = 0;
    while (sent < line.size()) {
        const ssize_t n = ::send(fd, line.data() + sent, line.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return std::nullopt;
        sent += static_cast<std::size_t>(n);
    }

    std::string answer;
    const std::int64_t deadline = nowMs() + timeoutMs;
    for (;;) {
        const std::int64_t left = deadline - nowMs();
        if (left <= 0) return std::string();
        pollfd waiting{fd, POLLIN, 0};
        const int ready = ::poll(&waiting, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return std::string();
        char chunk[256];
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return answer;
        answer.append(chunk, static_cast<std::size_t>(n));
        const auto newline = answer.find('\n');
        if (newline != std::string::npos) return answer.substr(0, newline);
    }
}

} // namespace nimbrel
