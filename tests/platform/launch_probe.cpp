// A program for the launcher tests: records how it was started into launched.txt in its
// current directory, optionally prints a line, sleeps, and marks its end in probe_done.txt.
#include <dirent.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

int main(int argc, char** argv) {
    {
        std::ofstream record("launched.txt");
        record << "argc " << argc << '\n';
        for (int i = 1; i < argc; ++i) record << "arg [" << argv[i] << "]\n";
        record << "pid " << ::getpid() << '\n';
        record << "fds";
        if (DIR* dir = ::opendir("/proc/self/fd")) {
            int own = ::dirfd(dir);
            while (dirent* entry = ::readdir(dir)) {
                std::string name = entry->d_name;
                if (name == "." || name == ".." || std::stoi(name) == own) continue;
                // The record file itself is ours too.
                std::string target(256, '\0');
                ssize_t n = ::readlink(("/proc/self/fd/" + name).c_str(), target.data(), target.size());
                if (n > 0 && target.substr(0, static_cast<std::size_t>(n)).ends_with("/launched.txt")) continue;
                record << ' ' << name;
            }
            ::closedir(dir);
        }
        record << '\n';
    }
    if (std::getenv("PROBE_STDOUT")) {
        std::fputs("probe ran\n", stdout);
        std::fflush(stdout);
    }
    if (const char* ms = std::getenv("PROBE_SLEEP_MS")) std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(ms)));
    std::ofstream("probe_done.txt") << "done\n";
    return 0;
}
