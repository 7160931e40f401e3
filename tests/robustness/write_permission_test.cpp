// Output places the commands cannot write to. The tests run as root in CI, where a
// folder's mode bits stop nobody, so the cases use what blocks root too (a folder in the
// file's place, a location no one may create files in) and a child that gives up root.
#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "robust_support.h"

namespace nimbrel {
namespace {

namespace fs = std::filesystem;
using testing::Session;
using testing::TempDir;

TEST(WritePermission, AFolderInTheFilesPlaceIsReportedAndKept) {
    TempDir dir;
    testing::writeFile("model.bin", testing::quadModel());
    for (const char* name : {"test.obj", "testUVs.obj", "model_0.obj", "model_0.vyp"}) fs::create_directory(name);
    Session s;
    testing::openQuad(s, "model.bin");

    struct Case {
        int id;
        std::string message;
    };
    for (const Case& c : {Case{16, " test outfile could not be opened!\n"},
                          Case{17, " testUVs.obj could not be opened!\n"},
                          Case{9073, " obj outfile could not be opened!\n"},
                          Case{9075, " VYP-file could not be created!\n"}}) {
        SCOPED_TRACE(c.id);
        s.window.clearMessages();
        s.click(c.id);
        EXPECT_EQ(s.window.messages(), std::vector<std::string>{c.message});
    }
    for (const char* name : {"test.obj", "testUVs.obj", "model_0.obj", "model_0.vyp"})
        EXPECT_TRUE(fs::is_directory(name)) << name;
    EXPECT_EQ(s.ws.submeshCounter, 0u);
    EXPECT_TRUE(s.launcher.starts.empty());
}

TEST(WritePermission, ACurrentFolderNobodyMayWriteInStopsTheTestFiles) {
    TempDir dir;
    testing::writeFile("model.bin", testing::quadModel());
    Session s;
    testing::openQuad(s, "model.bin");
    // No process, root included, creates a file in /proc.
    ASSERT_EQ(::chdir("/proc"), 0);
    s.click(16);
    s.click(17);
    EXPECT_EQ(s.window.messages(), (std::vector<std::string>{" test outfile could not be opened!\n",
                                                            " testUVs.obj could not be opened!\n"}));
    EXPECT_TRUE(s.launcher.starts.empty());
}

// In a child that gives up root (or as an ordinary user), a folder without write
// permission beside the model.
std::string exportIntoReadOnlyFolder(const fs::path& folder) {
    if (::geteuid() == 0) {
        const gid_t nobodyGroup = 65534;
        if (::setgroups(0, nullptr) != 0 || ::setgid(nobodyGroup) != 0 || ::setuid(65534) != 0)
            return "could not drop root";
    }
    if (::access(folder.c_str(), W_OK) == 0) return "the folder is still writable";
    std::string failures;
    Session s;
    testing::openQuad(s, (folder / "model.bin").string());
    s.click(9073);
    s.click(9075);
    s.click(16);
    const std::vector<std::string> want = {" obj outfile could not be opened!\n", " VYP-file could not be created!\n",
                                           " test outfile could not be opened!\n"};
    if (s.window.messages() != want) {
        failures += "messages:";
        for (const auto& m : s.window.messages()) failures += " [" + m + "]";
        failures += "\n";
    }
    if (s.ws.submeshCounter != 0 || s.ws.parameterFileCounter != 0) failures += "a number advanced\n";
    if (!s.launcher.starts.empty()) failures += "viewer started\n";
    return failures;
}

TEST(WritePermission, AFolderWithoutWritePermissionRefusesEveryExport) {
    TempDir dir;
    testing::writeFile("model.bin", testing::quadModel());
    // The child must reach the model: the temporary folder is private to its owner.
    ::chmod(dir.path().c_str(), 0555);
    EXPECT_EQ(testing::inChild([&] { return exportIntoReadOnlyFolder(dir.path()); }), "");
    ::chmod(dir.path().c_str(), 0700);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1) << "a file was created";
}

}  // namespace
}  // namespace nimbrel
