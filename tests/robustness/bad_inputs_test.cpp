// Input files that change under the reader or are not files at all.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

#include "core/model_loading.h"
#include "params/parameter_file.h"
#include "robust_support.h"
#include "support/recording_panel.h"

namespace nimbrel {
namespace {

namespace fs = std::filesystem;
using testing::RecordingPanel;
using testing::Session;
using testing::TempDir;

// A writer recreates the model again and again: removed, created empty, grown in steps
// of 100 bytes. Whatever moment the loader hits, it has the file whole as it stood when
// measured, or reports a failure and holds no model; never a short file padded with the
// bytes of an earlier, larger load.
TEST(ChangingModel, ALoadSeesTheWholeFileOrFailsCleanly) {
    TempDir dir;
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        const std::string chunk(100, 'A');
        while (!stop) {
            ::unlink("model.bin");
            int fd = ::open("model.bin", O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0) continue;
            for (int i = 0; i < 10 && !stop; ++i)
                if (::write(fd, chunk.data(), chunk.size()) < 0) break;
            ::ftruncate(fd, 300);  // and cut back before the next round
            ::close(fd);
        }
    });
    ModelBuffer model(4096);
    const std::string fullModel(4096, 'Z');
    int loads = 0;
    int failures = 0;
    // Until both outcomes were seen often, however the two threads happen to be scheduled.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while ((loads < 200 || failures < 200) && std::chrono::steady_clock::now() < deadline) {
        // A larger earlier model whose bytes must never show through.
        model.assign(fullModel.data(), fullModel.size());
        RecordingPanel panel;
        const std::uint32_t n = loadModelFile(model, "model.bin", panel);
        ASSERT_EQ(n, model.size());
        ASSERT_LE(panel.messages.size(), 1u);
        if (n == 0) {
            ++failures;
            if (!panel.messages.empty()) {
                const std::string& m = panel.messages[0];
                ASSERT_TRUE(m == "Invalid file handle!" || m == "could not open file!" || m == "Error reading file!") << m;
            }
            continue;
        }
        ++loads;
        ASSERT_TRUE(panel.messages.empty());
        ASSERT_EQ(n % 100, 0u) << "a size the file never had";
        for (std::uint32_t i = 0; i < n; ++i) ASSERT_EQ(model.byteAt(i), 'A') << "byte " << i << " of " << n;
    }
    stop = true;
    writer.join();
    EXPECT_GT(loads, 0) << failures << " failed loads";
    EXPECT_GT(failures, 0) << loads << " loads";
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
    RecordingPanel panel;
    EXPECT_EQ(loadModelFile(model, path, panel), 0u);
    EXPECT_EQ(panel.messages, std::vector<std::string>{"Error reading file!"});
    EXPECT_EQ(model.size(), 0u);
}

TEST(ChangingModel, ANamedPipeIsRefusedWithoutWaitingForAWriter) {
    TempDir dir;
    ASSERT_EQ(::mkfifo("pipe.bin", 0644), 0);
    ModelBuffer model(64);
    RecordingPanel panel;
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
    RecordingPanel panel;
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
    RecordingPanel panel;
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

TEST(VypFolder, AFolderNamedLikeAParameterFileIsReportedAndSkipped) {
    TempDir dir;
    testing::writeFile("model.bin", testing::quadModel());
    const std::string vyp = "0x0 6\nVb1\n20 12\n0x10 4\n020000\n0x0 255\n\n";
    testing::writeFile("model_0.vyp", vyp);
    fs::create_directory("model_1.vyp");
    testing::writeFile("model_2.vyp", vyp);

    {
        SCOPED_TRACE("the loader itself");
        Workspace ws;
        RecordingPanel panel;
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
