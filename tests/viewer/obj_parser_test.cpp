#include "viewer/obj_parser.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace nimbrel {
namespace {

using Triangles = std::vector<std::uint32_t>;

// Four corners of a unit square, used by most cases below.
const std::string kSquare = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n";

TEST(ObjParser, EveryFaceFormGivesTheSameTriangles) {
    struct Case {
        const char* faces;
        Triangles triangles;
    };
    const Case cases[] = {
        {"f 1 2 3\n", {0, 1, 2}},
        {"f 1/1 2/2 3/3\n", {0, 1, 2}},
        {"f 1/1/1 2/2/2 3/3/3\n", {0, 1, 2}},
        {"f 1//1 2//2 3//3\n", {0, 1, 2}},
        {"f -4 -3 -2\n", {0, 1, 2}},                  // relative to the 4 vertices so far
        {"f -1/-1 -2/-2 -3/-3\n", {3, 2, 1}},
        {"f 1 2 3 4\n", {0, 1, 2, 0, 2, 3}},           // a quad fans from its first corner
        {"f 1 2 3 \n", {0, 1, 2}},                    // the tool's trailing blank
        {"f\t1\t2\t3\n", {0, 1, 2}},
        {"f 1 2 3# a comment\n", {0, 1, 2}},
        {"f 1 2 3 4 1 2\n", {0, 1, 2, 0, 2, 3, 0, 3, 0, 0, 0, 1}},  // six corners: four triangles
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.faces);
        const ObjMesh mesh = parseObj(kSquare + c.faces);
        EXPECT_EQ(mesh.triangles, c.triangles);
        EXPECT_EQ(mesh.faceCount, 1u);
        EXPECT_EQ(mesh.skippedCount, 0u);
    }
}

TEST(ObjParser, ReadsWhatTheToolWrites) {
    // A test.obj header, a group line, faces with the trailing blank, and a UV layout line
    // whose z is followed directly by the "# UV?" mark.
    const std::string text =
        "# 0x1a0: verts= 3\r\n"
        "v 1.000000 2.000000 3.000000 \r\n"
        "v -1.5 0.25 0.000000\r\n"
        "v  0.500000 0.500000 0# UV?\r\n"
        "vt 0.5 0.5 # UV?\r\n"
        "\r\n"
        "g submesh_0\r\n"
        "f 1/1 2/2 3/3 \r\n";
    const ObjMesh mesh = parseObj(text);
    EXPECT_EQ(mesh.positions, (std::vector<float>{1, 2, 3, -1.5f, 0.25f, 0, 0.5f, 0.5f, 0}));
    EXPECT_EQ(mesh.triangles, (Triangles{0, 1, 2}));
    EXPECT_EQ(mesh.uvCount, 1u);
    EXPECT_EQ(mesh.faceCount, 1u);
    EXPECT_EQ(mesh.skippedCount, 0u);
    ASSERT_TRUE(mesh.hasBounds);
    EXPECT_EQ(std::vector<float>(mesh.boundsMin, mesh.boundsMin + 3), (std::vector<float>{-1.5f, 0.25f, 0}));
    EXPECT_EQ(std::vector<float>(mesh.boundsMax, mesh.boundsMax + 3), (std::vector<float>{1, 2, 3}));
}

TEST(ObjParser, SkipsAndCountsWhatItCannotUse) {
    struct Case {
        std::string line;
        const char* why;
    };
    const Case cases[] = {
        {"f 1 2\n", "two corners"},
        {"f 1 2 5\n", "index past the vertices"},
        {"f 0 1 2\n", "index 0"},
        {"f -5 1 2\n", "relative index before the first vertex"},
        {"f 1 2 99999999999999999999999999999\n", "index too large for any integer"},
        {"f 1 2 18446744073709551617\n", "index just past 64 bits"},
        {"f 1 2 3x\n", "junk glued to an index"},
        {"f 1/ 2/ 3/\n", "slash with nothing after it"},
        {"f 1/2/ 2/3/ 3/4/\n", "second slash with nothing after it"},
        {"f a b c\n", "words"},
        {"f 1 2 -\n", "lone sign"},
        {"vt\n", "texture line without numbers"},
        {"vt 0.5 x\n", "texture line with a word"},
        {"frobnicate 1 2 3\n", "unknown statement"},
        {"\x01\x02\x03\n", "binary bytes"},
        {std::string("f 1 2\0 3\n", 9), "NUL inside a face"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        const ObjMesh mesh = parseObj(kSquare + c.line + "f 1 2 3\n");
        EXPECT_EQ(mesh.skippedCount, 1u);
        EXPECT_EQ(mesh.firstSkippedLine, 5u);
        EXPECT_EQ(mesh.faceCount, 1u);  // the good face after it is still read
        EXPECT_EQ(mesh.triangles, (Triangles{0, 1, 2}));
    }
}

TEST(ObjParser, BrokenVertexKeepsItsSlotAndItsFacesAreSkipped) {
    const char* broken[] = {
        "v 1 2\n",       "v 1 2 3 zz\n", "v 1e999 0 0\n", "v nan 0 0\n",
        "v inf 0 0\n",   "v 1..2 0 0\n", "v 1 2 3x\n",   "v - 0 0\n",
    };
    for (const char* line : broken) {
        SCOPED_TRACE(line);
        // Vertex 2 is broken: faces naming it are dropped, vertex 3 is still number 3.
        const std::string text = std::string("v 0 0 0\n") + line + "v 4 5 6\nv 7 8 9\n"
                                 "f 1 2 3\nf 1 3 4\n";
        const ObjMesh mesh = parseObj(text);
        EXPECT_EQ(mesh.vertexCount(), 4u);
        EXPECT_TRUE(std::isnan(mesh.positions[3]));
        EXPECT_EQ(mesh.positions[6], 4.0f);
        EXPECT_EQ(mesh.triangles, (Triangles{0, 2, 3}));
        EXPECT_EQ(mesh.faceCount, 1u);
        EXPECT_EQ(mesh.skippedCount, 2u);  // the vertex line and the face naming it
        EXPECT_EQ(mesh.firstSkippedLine, 2u);
        EXPECT_EQ(mesh.boundsMin[0], 0.0f);
        EXPECT_EQ(mesh.boundsMax[2], 9.0f);
    }
}

TEST(ObjParser, AcceptsNumberSpellingsAndExtraVertexNumbers) {
    const ObjMesh mesh = parseObj("v +1.5 -2e2 .25\nv 1 2 3 1.0\nv 1 2 3 0.5 0.5 0.5\n");
    EXPECT_EQ(mesh.skippedCount, 0u);
    ASSERT_EQ(mesh.vertexCount(), 3u);
    EXPECT_EQ(mesh.positions[0], 1.5f);
    EXPECT_EQ(mesh.positions[1], -200.0f);
    EXPECT_EQ(mesh.positions[2], 0.25f);
}

TEST(ObjParser, IgnoresKnownStatementsCommentsAndBlankLines) {
    const std::string text = "# header\n\n   \n\t\r\nmtllib a.mtl\no thing\ng\ng part one\ns off\n"
                             "usemtl red\nvn 0 0 1\nl 1 2\n" + kSquare + "f 1//1 2//1 3//1\n";
    const ObjMesh mesh = parseObj(text);
    EXPECT_EQ(mesh.skippedCount, 0u);
    EXPECT_EQ(mesh.firstSkippedLine, 0u);
    EXPECT_EQ(mesh.vertexCount(), 4u);
    EXPECT_EQ(mesh.faceCount, 1u);
}

TEST(ObjParser, PointCloudAndEmptyInput) {
    const ObjMesh cloud = parseObj("v 1 1 1\nv 2 2 2");  // no newline at the end
    EXPECT_EQ(cloud.vertexCount(), 2u);
    EXPECT_TRUE(cloud.triangles.empty());
    EXPECT_EQ(cloud.boundsMax[1], 2.0f);

    const ObjMesh empty = parseObj("");
    EXPECT_EQ(empty.vertexCount(), 0u);
    EXPECT_FALSE(empty.hasBounds);
    EXPECT_EQ(empty.skippedCount, 0u);
}

TEST(ObjParser, LineNumbersCountCrLfAndLfAlike) {
    const ObjMesh mesh = parseObj("v 0 0 0\r\nv 1 0 0\nv 0 1 0\r\nbad\r\nf 1 2 3\r\n");
    EXPECT_EQ(mesh.firstSkippedLine, 4u);
    EXPECT_EQ(mesh.faceCount, 1u);
}

TEST(ObjParser, SurvivesEveryByteValueAndHugeLines) {
    std::string noise;
    for (int round = 0; round < 64; ++round) {
        for (int b = 0; b < 256; ++b) noise += static_cast<char>((b * 31 + round * 7) & 0xff);
        noise += "f -0 -99999999999999999999 1/-1/-1 v 1 2 3\nf ";
    }
    noise += std::string(100000, '9');  // one giant index on the last line
    const ObjMesh mesh = parseObj(kSquare + noise);
    EXPECT_EQ(mesh.vertexCount(), 4u);
    EXPECT_EQ(mesh.faceCount, 0u);
    EXPECT_GT(mesh.skippedCount, 0u);
}

} // namespace
} // namespace nimbrel
