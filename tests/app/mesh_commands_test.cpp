#include <gtest/gtest.h>

#include <cstring>
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

// Faces 0 1 2 at 0, then three Float records of 12 bytes at 0x10 (packed, seq mode) and
// their float UV pairs at 0x40.
void loadTriangle(Session& s) {
    std::vector<std::uint8_t> bytes(0x60, 0);
    const std::uint16_t faces[] = {0, 1, 2};
    std::memcpy(bytes.data(), faces, sizeof faces);
    const float positions[] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    std::memcpy(bytes.data() + 0x10, positions, sizeof positions);
    const float uvs[] = {0.5f, 0.25f, 1, 0, 0, 1};
    std::memcpy(bytes.data() + 0x40, uvs, sizeof uvs);
    s.model.assign(bytes.data(), bytes.size());
    s.ws.vbMode = 0;
    s.window.setText(field::kFaceIndexStart, "0");
    s.window.setText(field::kFaceIndexCnt, "3");
    s.window.setText(field::kFvfSize, "40");
    s.window.setText(field::kVertexStart, "10");
    s.window.setText(field::kVertsCnt, "3");
}

TEST(MeshCommand, AShiftedRunStopsAtStepOneBeforeMovingTheStart) {
    TempDir dir;
    Session s;
    loadTriangle(s);
    s.window.setText(field::kFaceIndexStart, "");
    runMesh(s.ctx, VertexShift::Up);
    EXPECT_EQ(s.window.text(field::kVertexStart), "10");
    EXPECT_EQ(s.window.messages(), (std::vector<std::string>{"go1: all editboxes must contain a value!"}));
    EXPECT_FALSE(fs::exists("test.obj"));
    EXPECT_TRUE(s.launcher.starts.empty());
}

TEST(MeshCommand, RestartStripsPastTheEndStopBeforeAnyFile) {
    TempDir dir;
    testing::writeFile("test.obj", "kept");
    Session s;
    loadTriangle(s);
    s.ws.stripMode = 1;
    s.ws.ffffSeparator = 1;
    s.window.setText(field::kFaceIndexStart, "5a");
    s.window.setText(field::kFaceIndexCnt, "4");  // 0x5a + 8 > 0x60
    runMesh(s.ctx, VertexShift::None);
    EXPECT_EQ(s.window.messages().size(), 1u);
    EXPECT_EQ(readFile("test.obj"), "kept");
    EXPECT_TRUE(s.launcher.starts.empty());
}

TEST(UVsCommand, PointCloudWritesUVsOnlyAndChecksNoCount) {
    TempDir dir;
    Session s;
    loadTriangle(s);
    s.window.setText(field::kFvfSize, "40");  // seq mode: the UV start
    s.window.setText(field::kVertsCnt, "2");  // the faces would need 3
    s.ws.ptCldMode = 1;
    runUVs(s.ctx);
    EXPECT_TRUE(s.window.messages().empty());
    EXPECT_EQ(readFile("testUVs.obj"), "v 0.500000 0.250000 0.0\nv 1.000000 0.000000 0.0\n");
    EXPECT_EQ(s.launcher.starts,
              (std::vector<std::pair<std::string, std::string>>{{"./mesh_viewer", "testUVs.obj"}}));
}

TEST(MeshCommand, SeqModeFloatTriangleWholeFile) {
    TempDir dir;
    Session s;
    loadTriangle(s);
    runMesh(s.ctx, VertexShift::None);
    EXPECT_TRUE(s.window.messages().empty());
    EXPECT_EQ(readFile("test.obj"),
              "# 0x10: verts= 3\n"
              "v 1.000000 0.000000 0.000000 \n"
              "v 0.000000 1.000000 0.000000 \n"
              "v 0.000000 0.000000 1.000000 \n"
              "g submesh_0\n"
              "f 1 2 3 \n");
    EXPECT_EQ(s.launcher.starts,
              (std::vector<std::pair<std::string, std::string>>{{"./mesh_viewer", "test.obj"}}));
}

}  // namespace
}  // namespace nimbrel
