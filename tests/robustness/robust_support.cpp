#include "robust_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>

namespace nimbrel::testing {

std::string quadModel() {
    std::string bytes;
    for (std::uint16_t index : {0, 1, 2, 0, 2, 3}) bytes.append(reinterpret_cast<const char*>(&index), 2);
    bytes.append(4, '\0');
    const float records[4][5] = {{0, 0, 0, 0, 0}, {1, 0, 0, 1, 0}, {1, 1, 0, 1, 1}, {0, 1, 0, 0, 1}};
    bytes.append(reinterpret_cast<const char*>(records), sizeof records);
    return bytes;
}

void openQuad(Session& s, const std::string& path) {
    s.open(path);
    for (auto [id, text] : {std::pair{2, "0"}, {3, "6"}, {4, "20"}, {5, "12"}, {6, "10"}, {7, "4"}})
        s.window.setText(id, text);
}

std::string inChild(const std::function<std::string()>& body) {
    int fds[2];
    if (::pipe(fds) != 0) return "no pipe";
    pid_t pid = ::fork();
    if (pid < 0) return "no fork";
    if (pid == 0) {
        ::close(fds[0]);
        std::string report = body();
        if (::write(fds[1], report.data(), report.size()) < 0) ::_exit(3);
        ::_exit(report.empty() ? 0 : 1);
    }
    ::close(fds[1]);
    std::string report;
    char buf[512];
    for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;) report.append(buf, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (WIFSIGNALED(status)) report += "child died of signal " + std::to_string(WTERMSIG(status));
    else if (WEXITSTATUS(status) != 0 && report.empty()) report = "child exit " + std::to_string(WEXITSTATUS(status));
    return report;
}

}  // namespace nimbrel::testing
