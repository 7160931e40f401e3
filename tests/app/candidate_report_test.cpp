#include <gtest/gtest.h>

#include "app/candidate_report.h"

namespace nimbrel {
namespace {

// The small grid of the find e2e case, but big-endian half positions with word UVs in a
// separate block: every caption and block member that differs from the defaults.
LayoutCandidate halfCandidate() {
    LayoutCandidate c;
    LayoutSettings& s = c.settings;
    s.faceIndexStart = 0x10;
    s.faceIndexCnt = 54;
    s.faceGap = 2;
    s.indexSize = 4;
    s.bigEndian = true;
    s.vertexFormat = VertexFormat::ShortAll;
    s.uvDivisor = 8192.0f;
    s.fvfSize = 10;
    s.uvBlockStart = 0x200;
    s.uvBlockSize = 8;
    s.vertexStart = 0x80;
    s.vertsCnt = 16;
    c.uvLocation = UvLocation::SeparateBlock;
    c.triangles = 18;
    c.boxMax = {3, 3, 0.5f};
    c.score = 0.875;
    return c;
}

TEST(CandidateReport, LineNamesEveryToggleByCaption) {
    LayoutCandidate c = halfCandidate();
    EXPECT_EQ(candidateLine(c, 2),
              "2. score 0.875  faces 0x10 54 DW noStr std gap 2  VB FVF 10 UV pos 99 UVB 0x200 8  vertices 0x80 16  "
              "ShortAll bigE w/8k  18 triangles  box (0 0 0)..(3 3 0.5)");
    c.settings.vbMode = false;
    c.settings.stripMode = true;
    c.settings.ffffSeparator = true;
    c.settings.vertexFormat = VertexFormat::HF_all;
    EXPECT_EQ(candidateLine(c, 1),
              "1. score 0.875  faces 0x10 54 DW Strip FFFF gap 2  seq UVs 0x200  vertices 0x80 16  HF_all bigE  "
              "18 triangles  box (0 0 0)..(3 3 0.5)");
}

TEST(CandidateReport, JsonBlocksFollowTheMode) {
    LayoutCandidate c = halfCandidate();
    c.topology = IndexTopology::List;
    json j = candidateJson(c, 3);
    EXPECT_EQ(j["rank"], 3);
    EXPECT_EQ(j["byte_order"], "big");
    EXPECT_EQ(j["index_block"].dump(), R"({"offset":16,"count":54,"index_size":4,"topology":"list","face_gap":2})");
    EXPECT_EQ(j["vertex_block"].dump(), R"({"offset":128,"count":16,"stride":10,"format":"int16x3"})");
    EXPECT_EQ(j["uv_block"].dump(),
              R"({"location":"separate_block","offset":512,"stride":8,"format":"uint16x2","divisor":8192})");
    EXPECT_EQ(j["settings"].size(), 20u);
    EXPECT_EQ(j["settings"]["vertexFormat"], "ShortAll");

    // seq: packed positions and UV pairs, whatever the record size says.
    c.settings.vbMode = false;
    c.settings.vertexFormat = VertexFormat::HF_all;
    c.topology = IndexTopology::StripRestart;
    j = candidateJson(c, 1);
    EXPECT_EQ(j["index_block"]["topology"], "strip_restart");
    EXPECT_EQ(j["vertex_block"]["stride"], 6);
    EXPECT_EQ(j["vertex_block"]["format"], "float16x3");
    EXPECT_EQ(j["uv_block"].dump(), R"({"location":"separate_block","offset":512,"stride":4,"format":"float16x2"})");

    c.settings.vertexFormat = VertexFormat::Float;
    c.settings.vbMode = true;
    c.settings.fvfSize = 20;
    c.settings.uvPos = 12;
    c.uvLocation = UvLocation::InVertexRecord;
    j = candidateJson(c, 1);
    EXPECT_EQ(j["vertex_block"]["stride"], 20);
    EXPECT_EQ(j["uv_block"].dump(), R"({"location":"in_vertex_record","uv_pos":12,"format":"float32x2"})");
    c.uvLocation = UvLocation::None;
    EXPECT_TRUE(candidateJson(c, 1)["uv_block"].is_null());
}

}  // namespace
}  // namespace nimbrel
