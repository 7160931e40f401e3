#include "platform/process.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <thread>

extern char** environ;

namespace nimbrel::platform {

bool launchAndWait(const std::string& program, const std::string& argument, int timeoutMs) {
    std::string arg0 = program;
    std::string arg1 = argument;
    char* argv[] = {arg0.data(), arg1.data(), nullptr};
    // Text the caller printed must come out before anything the program prints.
    std::fflush(stdout);
    // The program gets the standard streams and nothing else: no open model, output file
    // or socket of ours.
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    pid_t pid = 0;
    int spawnError = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
    ::posix_spawn_file_actions_destroy(&actions);
    if (spawnError != 0) {
        std::fputs("\n launch failed!\n\n", stdout);
        std::fflush(stdout);
        return false;
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    bool ended = false;
    for (;;) {
        int status = 0;
        pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid || (r < 0 && errno != EINTR)) {
            ended = true;
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (!ended) std::thread([pid] { ::waitpid(pid, nullptr, 0); }).detach();
    std::printf("\n %s finished.\n\n", program.c_str());
    std::fflush(stdout);
    return true;
}

}  // namespace nimbrel::platform
