// Input files that change under the reader or are not files at all.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <thread>

#include "app/window_reports.h"
#include "core/model_loading.h"
#include "params/parameter_file.h"
#include "robust_support.h"
#include "support/recording_window.h"

namespace nimbrel {
namespace {

namespace fs = std::filesystem;
using testing::RecordingWindow;
using testing::Session;
using testing::TempDir;

// What happens to the model file at the loader's first read of it, for the tests below.
// Every read of the loader goes through pread; this one stands in for the C library's in
// this test program and acts out a change at exactly that moment, so each race is met on
// every run instead of now and then.
enum class Change { None, CutWithZeroedTail, CutBefore, GrownAfter, RewrittenAfter };
std::atomic<Change> changeAtRead{Change::None};

ssize_t readAndChange(int fd, void* buf, std::size_t count, off_t offset) {
    const Change change = changeAtRead.exchange(Change::None);
    auto realRead = [&] { return static_cast<ssize_t>(::syscall(SYS_pread64, fd, buf, count, offset)); };
    switch (change) {
    case Change::None:
        return realRead();
    case Change::CutWithZeroedTail: {
        // The kernel's side of the race: the count was taken before the cut, the cut part
        // of the page reads as zeros.
        ssize_t n = realRead();
        if (n <= 0) return n;
        EXPECT_EQ(::truncate("model.bin", 300), 0);
        std::memset(static_cast<char*>(buf) + 300, 0, static_cast<std::size_t>(n) - 300);
        return n;
    }
    case Change::CutBefore:
        EXPECT_EQ(::truncate("model.bin", 300), 0);
        return realRead();
    case Change::GrownAfter: {
        ssize_t n = realRead();
        const int w = ::open("model.bin", O_WRONLY | O_APPEND);
        EXPECT_EQ(::write(w, "AAAA", 4), 4);
        ::close(w);
        return n;
    }
    case Change::RewrittenAfter: {
        // Same size, other bytes, a later modification time.
        ssize_t n = realRead();
        const int w = ::open("model.bin", O_WRONLY);
        EXPECT_EQ(::pwrite(w, "BBBB", 4, 0), 4);
        struct stat st {};
        ::fstat(w, &st);
        const struct timespec times[2] = {st.st_atim, {st.st_mtim.tv_sec + 1, st.st_mtim.tv_nsec}};
        EXPECT_EQ(::futimens(w, times), 0);
        ::close(w);
        return n;
    }
    }
    return -1;
}

}  // namespace
}  // namespace nimbrel

extern "C" ssize_t pread(int fd, void* buf, std::size_t count, off_t offset) {
    return nimbrel::readAndChange(fd, buf, count, offset);
}
extern "C" ssize_t pread64(int fd, void* buf, std::size_t count, off64_t offset) {
    return nimbrel::readAndChange(fd, buf, count, offset);
}

namespace nimbrel {
namespace {

// Whatever the file does while it is read, the loader has it whole as it stood when
// measured, or reports a failure and holds no model; never a mix of two versions nor a
// short file padded with zeros or with the bytes of an earlier, larger load.
TEST(ChangingModel, ALoadSeesTheWholeFileOrFailsCleanly) {
    TempDir dir;
    ModelBuffer model(4096);
    const std::string earlier(4096, 'Z');
    struct Case {
        const char* name;
        Change change;
    };
    for (Case c : {Case{"cut while read, zeros in place of the cut part", Change::CutWithZeroedTail},
                   Case{"cut before the read", Change::CutBefore}, Case{"grown after the read", Change::GrownAfter},
                   Case{"rewritten in place after the read", Change::RewrittenAfter}}) {
        SCOPED_TRACE(c.name);
        testing::writeFile("model.bin", std::string(1000, 'A'));
        model.assign(earlier.data(), earlier.size());
        RecordingWindow panel;
        changeAtRead = c.change;
        EXPECT_EQ(loadModelFile(model, "model.bin", panel), 0u);
        EXPECT_EQ(changeAtRead.load(), Change::None) << "the loader never read";
        EXPECT_EQ(panel.messages, std::vector<std::string>{"Error reading file!"});
        EXPECT_EQ(model.size(), 0u);
        EXPECT_EQ(model.byteAt(0), 0u);

        // The file as it now stands loads, and nothing of the earlier models shows past it.
        RecordingWindow again;
        const std::uint32_t n = loadModelFile(model, "model.bin", again);
        EXPECT_TRUE(again.messages.empty());
        EXPECT_EQ(n, fs::file_size("model.bin"));
        EXPECT_EQ(model.size(), n);
        std::string loaded(n, '\0');
        model.copyOut(0, n, reinterpret_cast<std::uint8_t*>(loaded.data()));
        EXPECT_EQ(loaded, testing::readFile("model.bin"));
        for (std::uint32_t i = n; i < 4096; ++i) ASSERT_EQ(model.data()[i], 0) << "stale byte " << i;
    }
}

// Stops and joins the writer thread on every way out of the test, a failed ASSERT
// included: a thread still joinable when the test returns would end the whole program.
class BackgroundWriter {
public:
    template <class Body>
    explicit BackgroundWriter(Body body) : thread_([this, body] { while (!stop_) body(stop_); }) {}
    ~BackgroundWriter() {
        stop_ = true;
        thread_.join();
    }
    BackgroundWriter(const BackgroundWriter&) = delete;
    BackgroundWriter& operator=(const BackgroundWriter&) = delete;

private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// The same against a real writer, whatever moment the loader happens to hit: the model is
// removed, created empty, grown in steps of 100 bytes and cut back, again and again.
TEST(ChangingModel, ALoadRacingAWriterSeesAWholeFileOrFails) {
    TempDir dir;
    BackgroundWriter writer([](const std::atomic<bool>& stop) {
        const std::string chunk(100, 'A');
        ::unlink("model.bin");
        int fd = ::open("model.bin", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0) return;
        for (int i = 0; i < 10 && !stop; ++i)
            if (::write(fd, chunk.data(), chunk.size()) < 0) break;
        EXPECT_EQ(::ftruncate(fd, 300), 0);
        ::close(fd);
    });
    ModelBuffer model(4096);
    const std::string fullModel(4096, 'Z');
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (std::chrono::steady_clock::now() < deadline) {
        model.assign(fullModel.data(), fullModel.size());
        RecordingWindow panel;
        const std::uint32_t n = loadModelFile(model, "model.bin", panel);
        ASSERT_EQ(n, model.size());
        ASSERT_LE(panel.messages.size(), 1u);
        if (n == 0) {
            if (!panel.messages.empty()) {
                const std::string& m = panel.messages[0];
                ASSERT_TRUE(m == "Invalid file handle!" || m == "could not open file!" || m == "Error reading file!") << m;
            }
            continue;
        }
        ASSERT_TRUE(panel.messages.empty());
        ASSERT_EQ(n % 100, 0u) << "a size the file never had";
        for (std::uint32_t i = 0; i < n; ++i) ASSERT_EQ(model.byteAt(i), 'A') << "byte " << i << " of " << n;
    }
}

// A sysfs file claims 4096 bytes and holds a few: exactly a file cut short between being
// measured and being read, every time. The earlier, larger model must not stay loaded.
TEST(ChangingModel, AFileShorterThanMeasuredIsAFailedRead) {
    const char* path = "/sys/kernel/profiling";
    struct stat st {};
    if (::stat(path, &st) != 0 || st.st_size != 4096) GTEST_SKIP() << "no sysfs file of the usual size";
    ModelBuffer model(8192);
    const std::string earlier(8000, 'Z');
    model.assign(earlier.data(), earlier.size());
    RecordingWindow panel;
    EXPECT_EQ(loadModelFile(model, path, panel), 0u);
    EXPECT_EQ(panel.messages, std::vector<std::string>{"Error reading file!"});
    EXPECT_EQ(model.size(), 0u);
}

TEST(ChangingModel, ANamedPipeIsRefusedWithoutWaitingForAWriter) {
    TempDir dir;
    ASSERT_EQ(::mkfifo("pipe.bin", 0644), 0);
    ModelBuffer model(64);
    RecordingWindow panel;
    EXPECT_EQ(loadModelFile(model, "pipe.bin", panel), 0u);
    EXPECT_EQ(panel.messages.size(), 1u);
}

// Found by the session harness: a private buffer took any file below the process limit
// and the read ran past its end.
TEST(ModelNames, AFileLargerThanItsBufferIsRefused) {
    TempDir dir;
    testing::writeFile("fits.bin", std::string(15, 'F'));
    testing::writeFile("large.bin", std::string(16, 'L'));
    ModelBuffer model(16);
    RecordingWindow panel;
    EXPECT_EQ(loadModelFile(model, "fits.bin", panel), 15u);
    EXPECT_TRUE(panel.messages.empty());
    EXPECT_EQ(loadModelFile(model, "large.bin", panel), 0u);
    EXPECT_EQ(panel.messages, std::vector<std::string>{"error: file > 124 MB. Nicht akzeptiert..."});
    EXPECT_EQ(model.size(), 0u);
}

// Linux names may hold the characters a lookup pattern treats as wildcards.
TEST(ModelNames, ANameWithPatternCharactersOpensThatFile) {
    TempDir dir;
    testing::writeFile("model[1].bin", "AB");
    testing::writeFile("model1.bin", "XYZ");
    testing::writeFile("star*.bin", "S");
    testing::writeFile("back\\slash.bin", "BS");
    ModelBuffer model(64);
    RecordingWindow panel;
    struct Case {
        const char* path;
        std::uint32_t size;
        char first;
    };
    for (Case c : {Case{"model[1].bin", 2, 'A'}, Case{"star*.bin", 1, 'S'}, Case{"back\\slash.bin", 2, 'B'},
                   Case{"mod*1.bin", 3, 'X'}}) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(loadModelFile(model, c.path, panel), c.size);
        EXPECT_EQ(model.byteAt(0), c.first);
    }
    EXPECT_TRUE(panel.messages.empty());
}

// FIs.txt linked to the file being written: the copy reads what it appends. It must end
// with one copy of what was there, not grow until the disk is full. The child's file-size
// limit and alarm keep a regression from filling this disk or hanging the run.
std::string fakeFacesFromTheOutputItself() {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{1 << 20, 1 << 20};
    setrlimit(RLIMIT_FSIZE, &limit);
    ::alarm(30);
    Session s;
    testing::openQuad(s, "model.bin");
    s.click(21);
    s.click(21);  // "Fake": faces from FIs.txt
    s.click(16);
    if (!s.window.messages().empty()) return "message: " + s.window.messages()[0];
    const std::string obj = testing::readFile("test.obj");
    const std::size_t half = obj.size() / 2;
    if (obj.size() % 2 != 0 || obj.substr(0, half) != obj.substr(half))
        return "test.obj is not its first part twice: " + std::to_string(obj.size()) + " bytes";
    return "";
}

TEST(FakeFaces, AFaceFileLinkedToTheOutputIsCopiedOnce) {
    TempDir dir;
    testing::writeFile("model.bin", testing::quadModel());
    fs::create_symlink("test.obj", "FIs.txt");
    EXPECT_EQ(testing::inChild(fakeFacesFromTheOutputItself), "");
}

// Found by the session harness: the file list linked to /dev/full was read as one endless
// word until memory ran out; a named pipe would block the run. The alarm ends a regression.
std::string fileListThatIsNoFile() {
    ::alarm(30);
    std::string failures;
    for (const char* kind : {"device", "pipe"}) {
        fs::remove("CAD_ATSV_16_VYP.txt");
        if (std::string(kind) == "device") fs::create_symlink("/dev/full", "CAD_ATSV_16_VYP.txt");
        else if (::mkfifo("CAD_ATSV_16_VYP.txt", 0644) != 0) return "no fifo";
        Session s;
        s.send(9999);
        if (s.window.messages() != std::vector<std::string>{" Filelist not found!"})
            failures += std::string(kind) + ": not refused\n";
    }
    return failures;
}

TEST(FileList, ADeviceOrAPipeIsNoFileList) {
    TempDir dir;
    EXPECT_EQ(testing::inChild(fileListThatIsNoFile), "");
}

TEST(ParameterFileFolder, AFolderNamedLikeAParameterFileIsReportedAndSkipped) {
    TempDir dir;
    testing::writeFile("model.bin", testing::quadModel());
    const std::string parameterFile = "0x0 6\nVb1\n20 12\n0x10 4\n020000\n0x0 255\n\n";
    testing::writeFile("model_0.vyp", parameterFile);
    fs::create_directory("model_1.vyp");
    testing::writeFile("model_2.vyp", parameterFile);

    {
        SCOPED_TRACE("the loader itself");
        Workspace ws;
        RecordingWindow panel;
        EXPECT_FALSE(loadParameterFile(ws, panel, "model_1.vyp"));
        EXPECT_EQ(panel.messages, std::vector<std::string>{" The vyp file could not be opened!\n"});
    }
    {
        SCOPED_TRACE("a chain with a folder in the middle exports the two files");
        Session s;
        s.open("model.bin");
        s.window.queueAnswer("model_0.vyp");
        s.window.clearMessages();
        s.send(9072);
        EXPECT_TRUE(fs::exists("model_0.obj"));
        EXPECT_TRUE(fs::exists("model_1.obj"));
        EXPECT_FALSE(fs::exists("model_2.obj"));
        ASSERT_FALSE(s.window.lines(29).empty());
        EXPECT_EQ(s.window.lines(29).back(), "2 VYP files processed.");
        for (std::size_t i = 1; i < s.window.messages().size(); ++i)
            EXPECT_EQ(s.window.messages()[i], " The vyp file could not be opened!\n");
    }
    {
        SCOPED_TRACE("a file list naming the folder");
        fs::remove("model_0.obj");
        fs::remove("model_1.obj");
        testing::writeFile("CAD_ATSV_16_VYP.txt", (dir.path() / "model_1.vyp").string() + "\n");
        Session s;
        s.send(9999);
        EXPECT_EQ(s.window.messages(), std::vector<std::string>{" The vyp file could not be opened!\n"});
        EXPECT_FALSE(fs::exists("model_0.obj"));
    }
    {
        SCOPED_TRACE("the file list itself a folder");
        fs::remove("CAD_ATSV_16_VYP.txt");
        fs::create_directory("CAD_ATSV_16_VYP.txt");
        Session s;
        s.send(9999);
        EXPECT_EQ(s.window.messages(), std::vector<std::string>{" Filelist not found!"});
    }
}

}  // namespace
}  // namespace nimbrel
