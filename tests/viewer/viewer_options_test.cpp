#include "viewer/mesh_summary.h"
#include "viewer/viewer_options.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

TEST(ViewerOptions, ReadsBothForms) {
    ViewerOptions o;
    std::string error;
    ASSERT_TRUE(parseViewerOptions({"test.obj"}, o, error));
    EXPECT_EQ(o.file, "test.obj");
    EXPECT_TRUE(o.snapshotPath.empty());

    ASSERT_TRUE(parseViewerOptions({"--snapshot", "out.png", "--size", "320x200", "m.obj"}, o, error));
    EXPECT_EQ(o.snapshotPath, "out.png");
    EXPECT_EQ(o.width, 320);
    EXPECT_EQ(o.height, 200);
    EXPECT_EQ(o.file, "m.obj");

    ASSERT_TRUE(parseViewerOptions({"--snapshot", "out.png", "m.obj"}, o, error));
    EXPECT_EQ(o.width, 800);
    EXPECT_EQ(o.height, 600);

    ASSERT_TRUE(parseViewerOptions({"--", "-odd name.obj"}, o, error));
    EXPECT_EQ(o.file, "-odd name.obj");
}

TEST(ViewerOptions, RefusesMalformedCommandLines) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"--snapshot"},
        {"--snapshot", "out.png"},
        {"--snapshot", "o.png", "--size", "0x10", "m.obj"},
        {"--snapshot", "o.png", "--size", "10x", "m.obj"},
        {"--snapshot", "o.png", "--size", "16385x10", "m.obj"},
        {"--snapshot", "o.png", "--size", "10y10", "m.obj"},
        {"--size", "10x10", "m.obj"},
        {"--bogus", "m.obj"},
        {"a.obj", "b.obj"},
    };
    for (const auto& args : bad) {
        SCOPED_TRACE(::testing::PrintToString(args));
        ViewerOptions o;
        std::string error;
        EXPECT_FALSE(parseViewerOptions(args, o, error));
        EXPECT_FALSE(error.empty());
    }
}

TEST(MeshSummary, NamesCountsFirstSkippedLineAndBox) {
    ObjMesh mesh;
    mesh.positions = {0, 0, 0, 1, 0, 0, 0, 2.5f, -1};
    mesh.faceCount = 1;
    mesh.skippedCount = 2;
    mesh.firstSkippedLine = 7;
    mesh.hasBounds = true;
    mesh.boundsMin[2] = -1;
    mesh.boundsMax[0] = 1;
    mesh.boundsMax[1] = 2.5f;
    EXPECT_EQ(describeMesh(mesh),
              "3 vertices, 1 face, 2 skipped (first: line 7), box (0 0 -1) to (1 2.5 0)");

    ObjMesh empty;
    empty.uvCount = 1;
    EXPECT_EQ(describeMesh(empty), "0 vertices, 0 faces, 1 UV, 0 skipped");
}

} // namespace
} // namespace nimbrel
