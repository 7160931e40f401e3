#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/control_table.h"
#include "support/session.h"
#include "support/temp_dir.h"

namespace nimbrel {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::Session;
using testing::TempDir;
using Starts = std::vector<std::pair<std::string, std::string>>;

void loadModel(Session& s, std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i);
    s.model.assign(bytes.data(), bytes.size());
    s.ws.modelPath = "/models/ship.bin";
}

TEST(TableCommand, WritesTheLogAndOpensItInTheWordProcessor) {
    TempDir dir;
    Session s;
    loadModel(s, 0x400);
    s.window.setText(field::kFaceIndexStart, "10");
    s.window.setText(field::kFvfSize, "4");
    s.ws.indexSize = 2;
    s.send(cmd::kTable);
    EXPECT_TRUE(s.window.messages().empty());
    EXPECT_EQ(s.ws.faceIndexStart, 0x10u);
    EXPECT_EQ(s.ws.fvfSize, 4);
    // Bytes 10 11 12 13: the words 0x1110 and 0x1312.
    const std::string head =
        "Word log from /models/ship.bin\n\n( one line represents 4 bytes in the model file )\n"
        "Values are shown in decimal notation.\nstartaddress taken from go1 editbox\naddress 0x10:\n"
        " 4368  4882 \n";
    std::string log = readFile("table_log.txt");
    EXPECT_EQ(log.substr(0, head.size()), head);
    EXPECT_EQ(s.launcher.starts, (Starts{{"./wordpad", "table_log.txt"}}));
}

TEST(TableCommand, TestModeOpensTestObjInTheEditorOrTheWordProcessor) {
    TempDir dir;
    Session s;
    s.click(cmd::kTableTest);
    s.send(cmd::kTable);
    EXPECT_EQ(s.launcher.starts, (Starts{{"./notepad", "test.obj"}}));
    EXPECT_TRUE(s.window.lines(field::kResultsList).empty());

    s.ws.notepadMissing = 1;
    s.send(cmd::kTable);
    EXPECT_EQ(s.launcher.starts.back(), (std::pair<std::string, std::string>{"./wordpad", "test.obj"}));
    EXPECT_EQ(s.window.lines(field::kResultsList), (std::vector<std::string>{"notepad is missing in AppDir!"}));
    EXPECT_FALSE(fs::exists("table_log.txt"));
    EXPECT_TRUE(s.window.messages().empty());
}

TEST(TableCommand, FailuresStartNothing) {
    TempDir dir;
    {
        SCOPED_TRACE("log cannot be created");
        Session s;
        loadModel(s, 0x100);
        fs::create_directory("table_log.txt");
        s.send(cmd::kTable);
        EXPECT_EQ(s.window.messages(), (std::vector<std::string>{" Table logfile could not be opened!\n"}));
        EXPECT_TRUE(s.launcher.starts.empty());
        fs::remove("table_log.txt");
    }
    {
        SCOPED_TRACE("start past the model");
        Session s;
        loadModel(s, 0x100);
        testing::writeFile("table_log.txt", "old log");
        s.window.setText(field::kFaceIndexStart, "101");
        s.send(cmd::kTable);
        EXPECT_EQ(s.window.messages(), (std::vector<std::string>{"table start error!\n address greater than filesize"}));
        EXPECT_TRUE(s.launcher.starts.empty());
        EXPECT_EQ(readFile("table_log.txt"), "");
    }
    {
        SCOPED_TRACE("disk full");
        Session s;
        loadModel(s, 0x100);
        fs::remove("table_log.txt");
        // A link, so that removing the unfinished log removes the link, not the device.
        fs::create_symlink("/dev/full", "table_log.txt");
        s.window.setText(field::kFvfSize, "8");
        s.send(cmd::kTable);
        EXPECT_EQ(s.window.messages(), (std::vector<std::string>{"table_log.txt could not be written!\n(Is the disk full?)"}));
        EXPECT_TRUE(s.launcher.starts.empty());
        EXPECT_FALSE(fs::exists(fs::symlink_status("table_log.txt")));
        EXPECT_TRUE(fs::exists("/dev/full"));
    }
}

TEST(TutorialCommand, ReturnsToTheProgramFolderFirst) {
    TempDir dir;
    fs::create_directories("app dir");
    fs::create_directories("models");
    Session s;
    s.ws.appDir = (dir.path() / "app dir").string();
    s.ws.wordpadPath = s.ws.appDir + "/wordpad";
    fs::current_path("models");
    s.send(cmd::kTutorial);
    EXPECT_EQ(fs::current_path(), dir.path() / "app dir");
    EXPECT_EQ(s.launcher.starts, (Starts{{s.ws.wordpadPath, "korvath_tut.rtf"}}));
}

}  // namespace
}  // namespace nimbrel
