#include "viewer_process.h"

#include "viewer/handover.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

namespace nimbrel::testing {
namespace {

// Asks the window for its status until it starts with expected. The deadline only ends a
// hang: a viewer starting on a loaded machine (software GL, a sanitizer build beside it)
// took over 10 s, so it is far beyond any real start.
std::string waitForStatus(const std::string& socketPath, const std::string& expected) {
    std::string last;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(45);
    while (std::chrono::steady_clock::now() < deadline) {
        if (auto answer = askRunningViewer(socketPath, kStatusRequest, 1000)) {
            last = *answer;
            if (last.rfind(expected, 0) == 0) return last;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return "timed out; last status: " + last;
}

const std::string kTriangle = "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
const std::string kQuad = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nf 1 2 3\nf 1 3 4\n";
const std::string kFive = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 2 2 2\nf 1 2 3 4 5\n";

TEST(Window, FollowsTheFileAndTakesOverSecondStarts) {
    const auto folder = makeTestFolder("window");
    ::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
    const auto file = folder / "test.obj";
    writeFile(file, kTriangle);
    // Two spellings of one path name one window.
    const std::string socketPath = handoverSocketPath(file.string());
    ASSERT_EQ(socketPath, handoverSocketPath((folder / "." / "test.obj").string()));

    ViewerProcess window({file.string()}, {});
    EXPECT_EQ(waitForStatus(socketPath, "loads 1 vertices 3 faces 1 skipped 0"),
              "loads 1 vertices 3 faces 1 skipped 0");

    // Replaced by a rename, as careful writers do: the watch must move to the new file.
    writeFile(folder / "test.obj.new", kQuad + "junk\n");
    std::filesystem::rename(folder / "test.obj.new", file);
    EXPECT_EQ(waitForStatus(socketPath, "loads 2 vertices 4 faces 2 skipped 1"),
              "loads 2 vertices 4 faces 2 skipped 1");

    // Truncated and rewritten in place, as the tool rewrites test.obj.
    writeFile(file, kFive);
    EXPECT_EQ(waitForStatus(socketPath, "loads 3 vertices 5 faces 1 skipped 0"),
              "loads 3 vertices 5 faces 1 skipped 0");

    // Another file in the same folder changing costs no reload.
    writeFile(folder / "testUVs.obj", kTriangle);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_EQ(waitForStatus(socketPath, "loads 3 "), "loads 3 vertices 5 faces 1 skipped 0");

    // A second start for the same file hands over and leaves; the window reloads.
    const ViewerRun second = runViewer({(folder / "." / "test.obj").string()}, {}, 5000);
    EXPECT_EQ(second.exitCode, 0) << second.err;
    EXPECT_EQ(waitForStatus(socketPath, "loads 4 "), "loads 4 vertices 5 faces 1 skipped 0");

    // A viewer for another file is a window of its own.
    writeFile(folder / "other.obj", kQuad);
    ViewerProcess other({(folder / "other.obj").string()}, {});
    EXPECT_EQ(waitForStatus(handoverSocketPath((folder / "other.obj").string()), "loads 1 vertices 4"),
              "loads 1 vertices 4 faces 2 skipped 0");

    const ViewerRun stillRunning = window.wait(0);
    EXPECT_EQ(stillRunning.exitCode, -1) << "the first window ended: " << stillRunning.err;
    other.wait(0);
    std::filesystem::remove_all(folder);
}

TEST(Window, StaleSocketOfADeadViewerIsTakenOver) {
    const auto folder = makeTestFolder("stale");
    ::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
    const auto file = folder / "m.obj";
    writeFile(file, kTriangle);
    const std::string socketPath = handoverSocketPath(file.string());
    {
        ViewerProcess first({file.string()}, {});
        ASSERT_EQ(waitForStatus(socketPath, "loads 1 "), "loads 1 vertices 3 faces 1 skipped 0");
        first.wait(0);  // killed: its socket file stays behind
    }
    ASSERT_TRUE(std::filesystem::exists(socketPath));
    ViewerProcess second({file.string()}, {});
    EXPECT_EQ(waitForStatus(socketPath, "loads 1 "), "loads 1 vertices 3 faces 1 skipped 0");
    second.wait(0);
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace nimbrel::testing
