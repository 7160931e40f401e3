#include "platform/unique_fd.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <string>
#include <thread>

#include "support/temp_dir.h"

namespace nimbrel::platform {
namespace {

using nimbrel::testing::TempDir;
using nimbrel::testing::writeFile;

bool isOpen(int fd) { return ::fcntl(fd, F_GETFD) != -1; }

struct Pipe {
    Pipe() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) == 0) {
            in.reset(fds[0]);
            out.reset(fds[1]);
        }
    }
    UniqueFd in;
    UniqueFd out;
};

TEST(UniqueFd, ClosesOnceAndHandsOnByMoving) {
    Pipe pipe;
    ASSERT_TRUE(pipe.in.valid());
    const int fd = pipe.in.get();
    {
        UniqueFd moved(std::move(pipe.in));
        EXPECT_FALSE(pipe.in.valid());
        UniqueFd assigned;
        assigned = std::move(moved);
        EXPECT_EQ(assigned.get(), fd);
        EXPECT_TRUE(isOpen(fd));
    }
    EXPECT_FALSE(isOpen(fd));

    const int kept = pipe.out.release();
    EXPECT_FALSE(pipe.out.valid());
    EXPECT_TRUE(isOpen(kept));
    UniqueFd again(kept);
    EXPECT_TRUE(again.close());
    EXPECT_FALSE(isOpen(kept));
    EXPECT_TRUE(again.close());  // nothing held: nothing to fail
}

std::atomic<int> signalsTaken{0};
void takeSignal(int) { ++signalsTaken; }

// A pipe far smaller than the text keeps both ends waiting in the kernel, where signals
// without SA_RESTART break their calls off: EINTR before any byte moved, a short count
// after some did. Every byte must still arrive, in order.
TEST(UniqueFd, ReadAllAndWriteAllSurviveSignalsAndShortTransfers) {
    struct sigaction action {};
    action.sa_handler = takeSignal;
    struct sigaction previous {};
    ASSERT_EQ(::sigaction(SIGUSR1, &action, &previous), 0);
    // A reader that gave up closes its end; the writer then fails instead of waiting.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction previousPipe {};
    ::sigaction(SIGPIPE, &ignore, &previousPipe);
    Pipe pipe;
    ::fcntl(pipe.out.get(), F_SETPIPE_SZ, 4096);

    std::string text(std::size_t{1} << 20, '\0');
    for (std::size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>(i * 131 + i / 4099);
    std::string received(text.size() + 10, '\0');
    IoResult written, read;
    std::atomic<int> running{2};
    std::thread writer([&] {
        written = writeAll(pipe.out.get(), text.data(), text.size());
        pipe.out.reset();
        --running;
    });
    std::thread reader([&] {
        read = readAll(pipe.in.get(), received.data(), received.size());
        pipe.in.reset();
        --running;
    });
    const pthread_t ends[] = {writer.native_handle(), reader.native_handle()};
    for (int round = 0; running > 0; ++round) {
        ::pthread_kill(ends[round % 2], SIGUSR1);
        std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
    writer.join();
    reader.join();
    ::sigaction(SIGUSR1, &previous, nullptr);
    ::sigaction(SIGPIPE, &previousPipe, nullptr);

    EXPECT_GT(signalsTaken.load(), 0);
    EXPECT_FALSE(written.failed()) << written.error;
    EXPECT_EQ(written.bytes, text.size());
    EXPECT_FALSE(read.failed()) << read.error;  // fewer bytes than asked: the end of the pipe
    ASSERT_EQ(read.bytes, text.size());
    EXPECT_TRUE(received.compare(0, text.size(), text) == 0);
}

TEST(UniqueFd, ReadsAtAnOffsetAndReportsErrors) {
    TempDir dir;
    writeFile("data.bin", "0123456789");
    const UniqueFd file = openRegularFile("data.bin");
    ASSERT_TRUE(file.valid());
    char bytes[8] = {};
    IoResult got = readAllAt(file.get(), bytes, sizeof bytes, 6);
    EXPECT_FALSE(got.failed());
    EXPECT_EQ(std::string(bytes, got.bytes), "6789");
    got = readAll(file.get(), bytes, 3);  // the position is where it was
    EXPECT_EQ(std::string(bytes, got.bytes), "012");

    got = writeAll(file.get(), "x", 1);
    EXPECT_EQ(got.error, EBADF);
    EXPECT_EQ(got.bytes, 0u);
}

TEST(UniqueFd, OpensOnlyRegularFiles) {
    TempDir dir;
    writeFile("plain", "x");
    std::filesystem::create_directory("folder");
    ASSERT_EQ(::mkfifo("fifo", 0600), 0);  // opening it for reading would wait for a writer
    for (const auto& [name, opens] : {std::pair{"plain", true}, {"folder", false}, {"fifo", false}, {"missing", false}}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(openRegularFile(name).valid(), opens);
    }
}

}  // namespace
}  // namespace nimbrel::platform
