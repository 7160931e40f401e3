#include "faces/fake_faces.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "app/face_branch.h"
#include "face_test_support.h"
#include "platform/locked_append.h"
#include "support/recording_window.h"

namespace nimbrel {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::writeFile;
using testing::RecordingWindow;
using Lines = std::vector<std::string>;

constexpr const char* kHint =
    "Could not open FIs.txt (your fake face indices).\nWill autocreate FIs now.\n\n(Feel free to create an individual "
    "FIs.txt.\n But keep max FI below/equal vertex count!)";

// Each test runs in a folder of its own, as the tool runs in the folder of the model.
class FakeFaces : public ::testing::Test {
protected:
    // What a command does: text through the buffer, flush, fake faces, close.
    std::string run(std::uint32_t vertexCount, bool slash) {
        TextOut out;
        EXPECT_TRUE(out.open("test.obj"));
        out.put("v 0 0 0\n");
        EXPECT_TRUE(out.flush());
        addFakeFaces(ws, panel, out, vertexCount, slash);
        closed = out.close();
        return readFile("test.obj");
    }

    testing::TempDir folder;
    Workspace ws;
    RecordingWindow panel;
    bool closed = false;
};

TEST_F(FakeFaces, CopiesFisTxtByteForByteAfterTheText) {
    std::string bytes;
    for (int i = 0; i < 10000; ++i) bytes.push_back(static_cast<char>(i * 7 % 256));  // three chunks, NULs, CRs
    writeFile("FIs.txt", bytes);
    EXPECT_EQ(run(5, false), "v 0 0 0\n" + bytes);
    EXPECT_TRUE(closed);
    EXPECT_TRUE(panel.messages.empty());
    EXPECT_EQ(ws.fisHintShown, 0);
}

TEST_F(FakeFaces, EmptyFisTxtAppendsNothing) {
    writeFile("FIs.txt", "");
    EXPECT_EQ(run(9, false), "v 0 0 0\n");
    EXPECT_TRUE(panel.messages.empty());
}

TEST_F(FakeFaces, GeneratesFacesWhenThereIsNoFileOfThem) {
    struct Row {
        const char* name;
        int stripMode;
        std::uint32_t vertices;
        bool slash;
        std::string faces;
    } rows[] = {
        {"strip", 1, 5, false, "\n# autocreated tristripped face indices\nf 1 2 3\nf 2 4 3\nf 3 4 5\n"},
        {"strip, slash", 1, 4, true, "\n# autocreated tristripped face indices\nf 1/1 2/2 3/3\nf 2/2 4/4 3/3\n"},
        {"strip of two", 1, 2, false, "\n# autocreated tristripped face indices\n"},
        {"linear, slash, one left over", 0, 7, true,
         "\n# autocreated linear face indices\nf 1/1 2/2 3/3 \nf 4/4 5/5 6/6 \n"},
        {"linear", 0, 6, false, "\n# autocreated linear face indices\nf 1 2 3 \nf 4 5 6 \n"},
        {"linear of none", 0, 0, false, "\n# autocreated linear face indices\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ws.stripMode = row.stripMode;
        EXPECT_EQ(run(row.vertices, row.slash), "v 0 0 0\n" + row.faces);
        EXPECT_TRUE(closed);
    }
}

TEST_F(FakeFaces, HintOnlyOncePerRun) {
    run(3, false);
    run(3, false);
    EXPECT_EQ(panel.messages, Lines{kHint});
    EXPECT_EQ(ws.fisHintShown, 1);
}

TEST_F(FakeFaces, StripPast65535VerticesCountsIn32Bits) {
    ws.stripMode = 1;
    std::string text = run(65540, false);
    std::size_t faces = 0;
    for (std::size_t at = text.find("\nf "); at != std::string::npos; at = text.find("\nf ", at + 1)) ++faces;
    EXPECT_EQ(faces, 65538u);
    const std::string tail = "f 65537 65538 65539\nf 65538 65540 65539\n";
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

TEST_F(FakeFaces, FolderNamedFisTxtCountsAsMissing) {
    fs::create_directory("FIs.txt");
    EXPECT_EQ(run(3, false), "v 0 0 0\n\n# autocreated linear face indices\nf 1 2 3 \n");
    EXPECT_EQ(panel.messages, Lines{kHint});
}

TEST_F(FakeFaces, ReadErrorStopsTheCopyWithAMessage) {
    // A regular file whose first read fails: this process's memory at address 0.
    fs::create_symlink("/proc/self/mem", "FIs.txt");
    EXPECT_EQ(run(3, false), "v 0 0 0\n");
    ASSERT_EQ(panel.messages.size(), 1u);
    EXPECT_NE(panel.messages[0].find("FIs.txt"), std::string::npos);
    EXPECT_TRUE(closed);
}

TEST_F(FakeFaces, WriteFailureMarksTheOutputFailed) {
    writeFile("FIs.txt", "f 1 2 3\n");
    TextOut out;
    ASSERT_TRUE(out.open("/dev/full"));
    addFakeFaces(ws, panel, out, 3, false);
    EXPECT_TRUE(out.failed());
    EXPECT_FALSE(out.close());
    EXPECT_TRUE(panel.messages.empty());
}

TEST(LockedAppend, WritesAtTheEndWhereverTheOffsetIs) {
    char path[] = "/tmp/nimbrel_append_XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "abcdef", 6), 6);
    ASSERT_EQ(::lseek(fd, 2, SEEK_SET), 2);
    EXPECT_TRUE(platform::appendLocked(fd, "XYZ", 3));
    EXPECT_TRUE(platform::appendLocked(fd, "", 0));
    ::close(fd);
    EXPECT_EQ(readFile(path), "abcdefXYZ");
    // A read-only descriptor cannot take the bytes.
    fd = ::open(path, O_RDONLY);
    EXPECT_FALSE(platform::appendLocked(fd, "Q", 1));
    ::close(fd);
    std::remove(path);
}

}  // namespace
}  // namespace nimbrel
