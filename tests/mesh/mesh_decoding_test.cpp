#include "mesh/mesh_decoding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace nimbrel {
namespace {

using Triangles = std::vector<std::array<std::uint32_t, 3>>;

struct Bytes {
    std::vector<std::uint8_t> data;
    Bytes& u16(std::uint16_t v) {
        data.push_back(static_cast<std::uint8_t>(v));
        data.push_back(static_cast<std::uint8_t>(v >> 8));
        return *this;
    }
    Bytes& f32(float v) {
        std::uint8_t b[4];
        std::memcpy(b, &v, 4);
        data.insert(data.end(), b, b + 4);
        return *this;
    }
};

Mesh decode(const Bytes& bytes, const LayoutSettings& s) {
    ModelBuffer model(1 << 12);
    model.assign(bytes.data.data(), bytes.data.size());
    return decodeMesh(model, s);
}

TEST(MeshDecoding, FaceLayoutsBecomeTheTrianglesTheObjFans) {
    struct Case {
        const char* name;
        std::vector<std::uint16_t> indices;  // 0-based as stored
        LayoutSettings settings;
        Triangles expected;
        std::uint64_t markers;
    };
    LayoutSettings list;
    list.faceIndexCnt = 7;  // two triangles and an unfinished face
    LayoutSettings gap = list;
    gap.faceIndexCnt = 6;
    gap.faceGap = 2;  // the word after each face is skipped
    LayoutSettings quads;
    quads.faceIndexCnt = 4;
    quads.faceVertexCount = 4;
    LayoutSettings rel = list;
    rel.faceIndexCnt = 3;
    rel.relFI = true;
    LayoutSettings strip;
    strip.faceIndexCnt = 6;
    strip.stripMode = true;
    LayoutSettings restart = strip;
    restart.faceIndexCnt = 8;
    restart.ffffSeparator = true;
    const std::vector<Case> cases = {
        {"list", {0, 1, 2, 2, 1, 3, 9}, list, {{0, 1, 2}, {2, 1, 3}}, 0},
        {"gap", {0, 1, 2, 77, 3, 4, 5, 77}, gap, {{0, 1, 2}, {3, 4, 5}}, 0},
        // Stored as two strip-ordered pairs: a b / c d is the quad a b d c.
        {"quad", {0, 1, 2, 3}, quads, {{0, 1, 3}, {0, 3, 2}}, 0},
        {"relFI", {5, 6, 7}, rel, {{0, 1, 2}}, 0},
        // 0 1 2 forward; two degenerate windows still turn; 2 3 4 backward.
        {"strip", {0, 1, 2, 2, 3, 4}, strip, {{0, 1, 2}, {2, 4, 3}}, 0},
        // Each strip starts forward after a marker.
        {"restart", {0, 1, 2, 3, 0xFFFF, 4, 5, 6}, restart, {{0, 1, 2}, {1, 3, 2}, {4, 5, 6}}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes bytes;
        for (auto v : c.indices) bytes.u16(v);
        LayoutSettings s = c.settings;
        s.vertexStart = static_cast<std::uint32_t>(bytes.data.size());
        s.vertsCnt = 8;
        for (int i = 0; i < 8 * 3; ++i) bytes.f32(static_cast<float>(i));
        const Mesh mesh = decode(bytes, s);
        EXPECT_EQ(mesh.triangles, c.expected);
        EXPECT_EQ(mesh.restartMarkers, c.markers);
        EXPECT_EQ(mesh.positions.size(), 8u);
        EXPECT_TRUE(mesh.uvs.empty());
    }
}

TEST(MeshDecoding, UvsFromRecordsSeparateBlocksAndPackedBlocks) {
    // Two records of position + float UV at 12, then a separate block of word pairs.
    Bytes bytes;
    bytes.f32(1).f32(2).f32(3).f32(0.25f).f32(0.5f);
    bytes.f32(4).f32(5).f32(6).f32(0.75f).f32(1.0f);
    bytes.u16(16384).u16(32768).u16(0).u16(65535);  // at 40
    LayoutSettings inRecord;
    inRecord.fvfSize = 20;
    inRecord.uvPos = 12;
    inRecord.vertsCnt = 2;
    Mesh mesh = decode(bytes, inRecord);
    EXPECT_EQ(mesh.positions, (std::vector<std::array<float, 3>>{{1, 2, 3}, {4, 5, 6}}));
    EXPECT_EQ(mesh.uvs, (std::vector<std::array<float, 2>>{{0.25f, 0.5f}, {0.75f, 1.0f}}));

    LayoutSettings block = inRecord;
    block.uvPos = kNoUvInRecord;
    block.uvBlockStart = 40;
    block.uvBlockSize = 4;
    block.vertexFormat = VertexFormat::WordUV;
    mesh = decode(bytes, block);
    EXPECT_EQ(mesh.uvs, (std::vector<std::array<float, 2>>{{0.25f, 0.5f}, {0.0f, 65535.0f / 65536.0f}}));

    // seq: packed positions, the UV block packed pair by pair; floats here.
    LayoutSettings seq;
    seq.vbMode = false;
    seq.vertsCnt = 1;
    seq.uvBlockStart = 12;
    mesh = decode(bytes, seq);
    EXPECT_EQ(mesh.positions, (std::vector<std::array<float, 3>>{{1, 2, 3}}));
    EXPECT_EQ(mesh.uvs, (std::vector<std::array<float, 2>>{{0.25f, 0.5f}}));
}

TEST(MeshDecoding, ReportsWhatALayoutCannotHold) {
    Bytes bytes;
    bytes.u16(0).u16(1).u16(5);  // index 5 names no record
    bytes.f32(NAN).f32(0).f32(0).f32(1).f32(1).f32(1);
    LayoutSettings s;
    s.faceIndexCnt = 3;
    s.vertexStart = 6;
    s.vertsCnt = 2;
    Mesh mesh = decode(bytes, s);
    EXPECT_EQ(mesh.triangles, (Triangles{{0, 1, 5}}));
    EXPECT_EQ(mesh.indicesPastVertexBlock, 1u);
    EXPECT_EQ(mesh.nonFinitePositions, 1u);

    // A block past the model end gives no faces at all, as the OBJ export stops there.
    s.faceIndexCnt = 30;
    EXPECT_TRUE(decode(bytes, s).triangles.empty());
}

TEST(MeshDecoding, HalfRecordsWithRelFIStartAtTheSmallestIndex) {
    // Indices 1..3 stored; records of 6 halves: the mesh starts at the second record.
    Bytes bytes;
    bytes.u16(1).u16(2).u16(3);
    const std::uint16_t halves[] = {0x3C00, 0x4000, 0x4200};  // 1, 2, 3
    for (int r = 0; r < 4; ++r) bytes.u16(halves[r % 3]).u16(0).u16(0);
    LayoutSettings s;
    s.faceIndexCnt = 3;
    s.relFI = true;
    s.vertexFormat = VertexFormat::HF_all;
    s.fvfSize = 6;
    s.vertexStart = 6;
    s.vertsCnt = 3;
    const Mesh mesh = decode(bytes, s);
    EXPECT_EQ(mesh.triangles, (Triangles{{0, 1, 2}}));
    ASSERT_EQ(mesh.positions.size(), 3u);
    EXPECT_EQ(mesh.positions[0][0], 2.0f);
}

TEST(MeshDecoding, FakeFacesAsTheObjHoldsThem) {
    Mesh mesh;
    mesh.positions.resize(5);
    addGeneratedFaces(mesh, true);
    EXPECT_EQ(mesh.triangles, (Triangles{{0, 1, 2}, {1, 3, 2}, {2, 3, 4}}));
    mesh.triangles.clear();
    addGeneratedFaces(mesh, false);
    EXPECT_EQ(mesh.triangles, (Triangles{{0, 1, 2}}));
    mesh.triangles.clear();
    EXPECT_EQ(addObjFaceLines(mesh, "# mine\nf 1/1 2/2 3/3 4/4\nf -1 -2 -3\nf 0 1 2\nvt 1 2\n"), 1u);
    EXPECT_EQ(mesh.triangles, (Triangles{{0, 1, 2}, {0, 2, 3}, {4, 3, 2}}));
}

}  // namespace
}  // namespace nimbrel
