#include "viewer_process.h"

#include <chrono>
#include <cstdlib>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace nimbrel::testing {
namespace {

std::vector<std::string> childEnvironment(const std::vector<std::string>& changes) {
    std::vector<std::string> result;
    for (char** e = environ; *e; ++e) result.emplace_back(*e);
    for (const std::string& change : changes) {
        const std::string name = change.substr(0, change.find('='));
        std::erase_if(result, [&](const std::string& entry) { return entry.rfind(name + "=", 0) == 0; });
        if (change.find('=') != std::string::npos) result.push_back(change);
    }
    return result;
}

int serial = 0;

} // namespace

ViewerProcess::ViewerProcess(const std::vector<std::string>& args, const std::vector<std::string>& env) {
    const auto base = std::filesystem::temp_directory_path() /
                      ("viewer_run_" + std::to_string(::getpid()) + "_" + std::to_string(serial++));
    outPath_ = base.string() + ".out";
    errPath_ = base.string() + ".err";

    std::vector<std::string> argv{MESH_VIEWER_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> argvPtrs;
    for (auto& a : argv) argvPtrs.push_back(a.data());
    argvPtrs.push_back(nullptr);
    std::vector<std::string> envp = childEnvironment(env);
    std::vector<char*> envPtrs;
    for (auto& e : envp) envPtrs.push_back(e.data());
    envPtrs.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    if (posix_spawn(&pid, argvPtrs[0], &actions, nullptr, argvPtrs.data(), envPtrs.data()) == 0) pid_ = pid;
    posix_spawn_file_actions_destroy(&actions);
}

ViewerProcess::~ViewerProcess() {
    if (pid_ > 0) wait(0);
    std::error_code ec;
    std::filesystem::remove(outPath_, ec);
    std::filesystem::remove(errPath_, ec);
}

ViewerRun ViewerProcess::wait(int timeoutMs) {
    ViewerRun run;
    if (pid_ <= 0) {
        run.err = "could not start " MESH_VIEWER_PATH;
        return run;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    for (;;) {
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    pid_ = -1;
    run.out = readFile(outPath_);
    run.err = readFile(errPath_);
    return run;
}

ViewerRun runViewer(const std::vector<std::string>& args, const std::vector<std::string>& env,
                    int timeoutMs) {
    ViewerProcess process(args, env);
    return process.wait(timeoutMs);
}

std::filesystem::path makeTestFolder(const std::string& name) {
    const auto folder = std::filesystem::temp_directory_path() /
                        ("nimbrel_viewer_" + name + "_" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace);
    return folder;
}

} // namespace nimbrel::testing
