// A disk that fills while a file is written: each command names the file, claims no
// success, starts no viewer and leaves no cut-off file behind.
#include <gtest/gtest.h>

#include <filesystem>

#include "robust_support.h"
#include "support/file_size_limit.h"

namespace nimbrel {
namespace {

namespace fs = std::filesystem;
using testing::Session;
using testing::TempDir;

// True when path exists, a dangling link included.
bool present(const fs::path& path) { return fs::symlink_status(path).type() != fs::file_type::not_found; }

TEST(FullDisk, TestFilesOnDevFullAreReportedAndRemoved) {
    TempDir dir;
    testing::writeFile("model.bin", testing::quadModel());
    for (const char* name : {"test.obj", "testUVs.obj", "table_log.txt"}) fs::create_symlink("/dev/full", name);
    Session s;
    testing::openQuad(s, "model.bin");

    struct Case {
        int id;
        const char* file;
    };
    for (Case c : {Case{16, "test.obj"}, Case{17, "testUVs.obj"}, Case{24, "table_log.txt"}}) {
        SCOPED_TRACE(c.file);
        if (c.id == 24 && !s.ws.tableLogMode) s.click(35);
        s.window.clearMessages();
        s.click(c.id);
        ASSERT_EQ(s.window.messages().size(), 1u);
        EXPECT_EQ(s.window.messages()[0], std::string(c.file) + " could not be written!\n(Is the disk full?)");
        EXPECT_FALSE(present(c.file)) << "the unfinished file stays behind";
    }
    EXPECT_TRUE(s.launcher.starts.empty()) << "a viewer was started on a failed file";
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

// The file-size limit makes a write fail part-way exactly as a full disk does (EFBIG for
// ENOSPC), for files the command creates itself.
std::string exportOnFillingDisk(const fs::path& folder) {
    std::string failures;
    auto check = [&](bool ok, const std::string& what) {
        if (!ok) failures += what + "\n";
    };
    testing::FileSizeLimit small(16);

    Session s;
    testing::openQuad(s, (folder / "model.bin").string());
    const std::string obj = (folder / "model_0.obj").string();
    const std::string parameterFile = (folder / "model_0.vyp").string();
    s.click(9073);
    check(s.window.messages() == std::vector<std::string>{obj + " could not be written!\n(Is the disk full?)"},
          "export message: " + (s.window.messages().empty() ? std::string("none") : s.window.messages().back()));
    check(!fs::exists(obj), "cut-off submesh file left");
    check(s.ws.submeshCounter == 0, "submesh number not given back");
    s.window.clearMessages();
    s.click(9075);
    check(s.window.messages() ==
              std::vector<std::string>{parameterFile + " could not be written!\n(Is the disk full?)"},
          "save message");
    check(!fs::exists(parameterFile), "cut-off parameter file left");
    check(s.ws.parameterFileCounter == 0, "parameter file number advanced");
    s.window.clearMessages();
    s.click(16);
    check(s.window.messages() == std::vector<std::string>{"test.obj could not be written!\n(Is the disk full?)"},
          "mesh message");
    check(!fs::exists(folder / "test.obj"), "cut-off test.obj left");
    check(s.launcher.starts.empty(), "viewer started");

    // Room again: the same numbers are taken, nothing blocks them.
    small.lift();
    s.window.clearMessages();
    s.click(9073);
    s.click(9075);
    check(s.window.messages().empty(), "exports after the disk was freed failed");
    check(fs::file_size(obj) > 16 && fs::file_size(parameterFile) > 16, "numbers 0 not reused");
    return failures;
}

TEST(FullDisk, ExportsOnAFillingDiskLeaveNoFileAndKeepTheirNumbers) {
    TempDir dir;
    testing::writeFile("model.bin", testing::quadModel());
    EXPECT_EQ(testing::inChild([&] { return exportOnFillingDisk(dir.path()); }), "");
}

}  // namespace
}  // namespace nimbrel
