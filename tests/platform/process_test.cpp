#include "platform/process.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"

namespace nimbrel::platform {
namespace {

namespace fs = std::filesystem;
using nimbrel::testing::readFile;
using nimbrel::testing::TempDir;
using Clock = std::chrono::steady_clock;

const std::string kProbe = LAUNCH_PROBE;

std::vector<std::string> recordLines() {
    std::vector<std::string> lines;
    std::istringstream in(readFile("launched.txt"));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string recordValue(const std::string& key) {
    for (const auto& line : recordLines())
        if (line.rfind(key + " ", 0) == 0 || line == key) return line.size() > key.size() ? line.substr(key.size() + 1) : "";
    return "(no " + key + ")";
}

bool processGone(const std::string& pid) { return !fs::exists("/proc/" + pid); }

// A zombie keeps its /proc entry; a reaped process loses it. Waits up to timeout for that.
bool becomesGone(const std::string& pid, std::chrono::milliseconds timeout) {
    auto end = Clock::now() + timeout;
    while (Clock::now() < end) {
        if (processGone(pid)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return processGone(pid);
}

struct EnvGuard {
    explicit EnvGuard(const char* name, const char* value) : name_(name) { ::setenv(name, value, 1); }
    ~EnvGuard() { ::unsetenv(name_); }
    const char* name_;
};

TEST(LaunchAndWait, PassesOneArgumentWithBlanksUnquoted) {
    TempDir dir;
    // Program and argument both with blanks: no shell splits them.
    fs::create_directory("tools with blanks");
    const std::string program = (dir.path() / "tools with blanks" / "mesh viewer").string();
    fs::copy_file(kProbe, program);
    ::testing::internal::CaptureStdout();
    bool started = launchAndWait(program, "my model/test file.obj");
    std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_TRUE(started);
    EXPECT_EQ(out, "\n " + program + " finished.\n\n");
    EXPECT_EQ(recordLines()[0], "argc 2");
    EXPECT_EQ(recordLines()[1], "arg [my model/test file.obj]");
    // A program that ended within the wait is reaped before the call returns.
    EXPECT_TRUE(processGone(recordValue("pid")));
}

TEST(LaunchAndWait, RunsInTheCurrentDirectoryAndEnvironment) {
    TempDir dir;
    fs::create_directory("work");
    fs::current_path("work");
    EnvGuard env("PROBE_STDOUT", "1");
    ::testing::internal::CaptureStdout();
    // Unflushed text of the caller comes before the program's own line.
    std::printf("queued ");
    launchAndWait(kProbe, "test.obj");
    std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "queued probe ran\n\n " + kProbe + " finished.\n\n");
    EXPECT_TRUE(fs::exists(dir.path() / "work" / "launched.txt"));
    fs::current_path(dir.path());
}

TEST(LaunchAndWait, ProgramInheritsOnlyTheStandardStreams) {
    TempDir dir;
    int leaked = ::open("/dev/null", O_RDONLY);  // deliberately without O_CLOEXEC
    ASSERT_GE(leaked, 3);
    ::testing::internal::CaptureStdout();
    launchAndWait(kProbe, "x");
    ::testing::internal::GetCapturedStdout();
    ::close(leaked);
    std::istringstream fds(recordValue("fds"));
    for (int fd; fds >> fd;) EXPECT_LT(fd, 3) << "descriptor " << fd << " reached the program";
}

TEST(LaunchAndWait, LongRunningProgramIsLeftRunningAndReapedLater) {
    TempDir dir;
    EnvGuard env("PROBE_SLEEP_MS", "1800");
    ::testing::internal::CaptureStdout();
    auto before = Clock::now();
    bool started = launchAndWait(kProbe, "test.obj");
    auto waited = Clock::now() - before;
    std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_TRUE(started);
    EXPECT_EQ(out, "\n " + kProbe + " finished.\n\n");
    EXPECT_GE(waited, std::chrono::milliseconds(1000));
    EXPECT_LT(waited, std::chrono::milliseconds(1700)) << "the call waited for the program's end";
    std::string pid = recordValue("pid");
    EXPECT_FALSE(processGone(pid)) << "the program was stopped instead of left running";
    EXPECT_FALSE(fs::exists("probe_done.txt"));
    // Once it ends on its own, nothing of it stays behind.
    EXPECT_TRUE(becomesGone(pid, std::chrono::milliseconds(5000))) << "process " << pid << " stayed a zombie";
    EXPECT_TRUE(fs::exists("probe_done.txt"));
}

TEST(LaunchAndWait, ProgramThatCannotStartReportsLaunchFailed) {
    TempDir dir;
    testing::writeFile("not_executable", "#!/bin/sh\nexit 0\n");
    fs::create_directory("a folder");
    const std::string cases[] = {
        (dir.path() / "no such program").string(),
        (dir.path() / "not_executable").string(),
        (dir.path() / "a folder").string(),
        "",
    };
    for (const auto& program : cases) {
        SCOPED_TRACE(program);
        ::testing::internal::CaptureStdout();
        bool started = launchAndWait(program, "test.obj");
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), "\n launch failed!\n\n");
        EXPECT_FALSE(started);
    }
    EXPECT_FALSE(fs::exists("launched.txt"));
}

}  // namespace
}  // namespace nimbrel::platform
