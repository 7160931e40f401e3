#include "vertices/vertex_lines.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "support/recording_window.h"
#include "vertices/block_bytes.h"

namespace nimbrel {
namespace {

using testing::BlockBytes;
using testing::RecordingWindow;
using testing::writtenText;

struct Writer {
    Workspace ws;
    ModelBuffer model{1 << 20};
    RecordingWindow panel;

    std::string vertexLines(std::uint32_t start, std::uint32_t count, bool withUVs, bool uvMapMode) {
        return writtenText([&](TextOut& out) {
            showRefusal(panel, writeVertexLines(ws, model, out, start, count, withUVs, uvMapMode));
        });
    }
    std::string packedLines(std::uint32_t start, std::uint32_t count) {
        return writtenText([&](TextOut& out) { writePackedVertexLines(ws, model, out, start, count); });
    }
};

// Two Float records of 20 bytes at 0x10: position (1, -2.5, 0.25) uv (0.5, 0.75), then
// position (3, 4, 5) uv (1, 0).
void loadFloatRecords(Writer& w) {
    w.ws.vertexFormat = VertexFormat::Float;
    w.ws.fvfSize = 20;
    w.ws.uvPos = 12;
    BlockBytes b;
    b.padTo(0x10, 0xEE);
    b.f32(1).f32(-2.5f).f32(0.25f).f32(0.5f).f32(0.75f);
    b.f32(3).f32(4).f32(5).f32(1).f32(0);
    b.loadInto(w.model);
}

TEST(WriteVertexLines, FloatFormatInItsThreeUses) {
    Writer w;
    loadFloatRecords(w);
    EXPECT_EQ(w.vertexLines(0x10, 2, false, false),
              "v 1.000000 -2.500000 0.250000\n"
              "v 3.000000 4.000000 5.000000\n"
              "# 0x38\n");
    EXPECT_EQ(w.vertexLines(0x10, 2, true, false),
              "v 1.000000 -2.500000 0.250000\n"
              "vt 0.500000 0.750000  \n"
              "v 3.000000 4.000000 5.000000\n"
              "vt 1.000000 0.000000  \n"
              "# 0x38\n");
    EXPECT_EQ(w.vertexLines(0x10, 2, true, true),
              "# 1.000000 -2.500000 0.250000\n"
              "v  0.500000 0.750000 0\n"
              "# 3.000000 4.000000 5.000000\n"
              "v  1.000000 0.000000 0\n"
              "# 0x38\n");
    EXPECT_TRUE(w.panel.messages.empty());
}

TEST(WriteVertexLines, UvPos99WritesPositionsOnly) {
    Writer w;
    loadFloatRecords(w);
    w.ws.uvPos = kNoUvInRecord;
    EXPECT_EQ(w.vertexLines(0x10, 2, true, false),
              "v 1.000000 -2.500000 0.250000\n"
              "v 3.000000 4.000000 5.000000\n"
              "# 0x38\n");
    // The UV map of records without UVs holds no vertex at all.
    EXPECT_EQ(w.vertexLines(0x10, 2, true, true),
              "# 1.000000 -2.500000 0.250000\n"
              "# 3.000000 4.000000 5.000000\n"
              "# 0x38\n");
}

TEST(WriteVertexLines, UvPosInsideThePositionWritesNothing) {
    struct Row {
        VertexFormat format;
        std::uint8_t uvPos;
        bool withUVs;
        const char* message;
    };
    const Row rows[] = {
        {VertexFormat::Float, 8, false, "UVpos must be >= 12"},
        {VertexFormat::HF_UV, 11, true, "UVpos must be >= 12"},
        {VertexFormat::WordUV, 6, true, "UVpos must be >= 12"},
        {VertexFormat::HF_all, 5, false, "UVpos must be >= 6"},
        {VertexFormat::ShortAll, 0, true, "UVpos must be >= 6"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.format));
        Writer w;
    loadFloatRecords(w);
        w.ws.vertexFormat = row.format;
        w.ws.uvPos = row.uvPos;
        EXPECT_EQ(w.vertexLines(0x10, 2, row.withUVs, false), "");
        ASSERT_EQ(w.panel.messages.size(), 1u);
        EXPECT_EQ(w.panel.messages[0], row.message);
    }
    // Six-byte positions (HF_all, ShortAll) take a UV pair right after them.
    Writer w;
    loadFloatRecords(w);
    w.ws.vertexFormat = VertexFormat::HF_all;
    w.ws.uvPos = 6;
    EXPECT_NE(w.vertexLines(0x10, 1, true, false), "");
    EXPECT_TRUE(w.panel.messages.empty());
}

TEST(WriteVertexLines, HalfUvPairsWithAndWithoutGap) {
    Writer w;
    w.ws.vertexFormat = VertexFormat::HF_UV;
    w.ws.fvfSize = 20;
    w.ws.uvPos = 12;
    // u 0.5 at 12, 1.0 at 14, 0.25 at 16.
    BlockBytes b;
    b.f32(1).f32(2).f32(3).u16(0x3800).u16(0x3C00).u16(0x3400).padTo(20);
    b.loadInto(w.model);
    EXPECT_EQ(w.vertexLines(0, 1, true, false),
              "v 1.000000 2.000000 3.000000 \n"
              "vt 0.500000 1.000000  \n"
              "# 0x14\n");
    w.ws.uvGap = 1;
    EXPECT_EQ(w.vertexLines(0, 1, true, false),
              "v 1.000000 2.000000 3.000000 \n"
              "vt 0.500000 0.250000  \n"
              "# 0x14\n");
    // The OBJ lines never mark doubtful half pairs.
    w.ws.uvGap = 0;
    BlockBytes far;
    far.f32(1).f32(2).f32(3).u16(0x4000).u16(0xC000).padTo(20);
    far.loadInto(w.model);
    EXPECT_EQ(w.vertexLines(0, 1, true, true),
              "# 1.000000 2.000000 3.000000 \n"
              "v  2.000000 -2.000000 0\n"
              "# 0x14\n");
}

// HF_all records of 10 bytes: halves 1, -2, 1/3 (0x3555 = 0.333251953125) and the pair
// 0.25, 2^-15 (0x0000, which the re-biasing decoder never reads as zero).
void loadHalfRecords(Writer& w) {
    w.ws.vertexFormat = VertexFormat::HF_all;
    w.ws.fvfSize = 10;
    w.ws.uvPos = 6;
    BlockBytes b;
    for (int r = 0; r < 4; ++r) b.u16(0x3C00 + r).u16(0xC000).u16(0x3555).u16(0x3400).u16(0x0000);
    b.loadInto(w.model);
}

TEST(WriteVertexLines, HfAllAndItsRelFIShift) {
    Writer w;
    loadHalfRecords(w);
    EXPECT_EQ(w.vertexLines(0, 1, true, false),
              "v 1.000000 -2.000000 0.333252 \n"
              "vt 0.250000 0.000031  \n"
              "# 0xa\n");
    // With relFI the first record written is the one the smallest face index (4) names,
    // record 3, whose x is 0x3C03 = 1 + 3/1024 = 1.0029296875.
    w.ws.relFI = 1;
    w.ws.minFaceIndex = 4;
    EXPECT_EQ(w.vertexLines(0, 1, false, false),
              "v 1.002930 -2.000000 0.333252 \n"
              "# 0x28\n");
    // No pass yet (smallest index 0): the start stays where it is.
    w.ws.minFaceIndex = 0;
    EXPECT_EQ(w.vertexLines(0, 1, false, false),
              "v 1.000000 -2.000000 0.333252 \n"
              "# 0xa\n");
    // Other formats never shift.
    w.ws.minFaceIndex = 4;
    w.ws.vertexFormat = VertexFormat::ShortAll;
    EXPECT_EQ(w.vertexLines(0, 1, false, false).substr(0, 2), "v ");
    EXPECT_NE(w.vertexLines(0, 1, false, false).find("# 0xa\n"), std::string::npos);
}

TEST(WriteVertexLines, WordUvMarksFromFirstDoubtfulPairOn) {
    Writer w;
    w.ws.vertexFormat = VertexFormat::WordUV;
    w.ws.fvfSize = 16;
    w.ws.uvPos = 12;
    w.ws.uvDivisor = 8192.0f;
    BlockBytes b;
    for (std::uint16_t word : {4096, 16384, 4096}) b.f32(0).f32(0).f32(1).u16(word).u16(word);
    b.loadInto(w.model);
    EXPECT_EQ(w.vertexLines(0, 3, true, false),
              "v 0.000000 0.000000 1.000000 \n"
              "vt 0.500000 0.500000  \n"
              "v 0.000000 0.000000 1.000000 \n"
              "vt 2.000000 2.000000  # UV?\n"
              "v 0.000000 0.000000 1.000000 \n"
              "vt 0.500000 0.500000  # UV?\n"
              "# 0x30\n");
    EXPECT_EQ(w.vertexLines(16, 2, true, true),
              "# 0.000000 0.000000 1.000000 \n"
              "v  2.000000 2.000000 0# UV?\n"
              "# 0.000000 0.000000 1.000000 \n"
              "v  0.500000 0.500000 0# UV?\n"
              "# 0x30\n");
    // With 1/65536 no word reaches past 1.0.
    w.ws.uvDivisor = 65536.0f;
    EXPECT_EQ(w.vertexLines(16, 1, true, false).find("UV?"), std::string::npos);
}

TEST(WriteVertexLines, WordUvGapReadsVFourBytesOn) {
    Writer w;
    w.ws.vertexFormat = VertexFormat::WordUV;
    w.ws.fvfSize = 20;
    w.ws.uvPos = 12;
    w.ws.uvGap = 1;
    BlockBytes b;
    b.f32(0).f32(0).f32(0).u16(0x4000).u16(0xFFFF).u16(0xC000).padTo(20);
    b.f32(0).f32(0).f32(0).u16(0x2000).u16(0xFFFF).u16(0x1000).padTo(40);
    b.loadInto(w.model);
    EXPECT_EQ(w.vertexLines(0, 2, true, false),
              "v 0.000000 0.000000 0.000000 \n"
              "vt 0.250000 0.750000  \n"
              "v 0.000000 0.000000 0.000000 \n"
              "vt 0.125000 0.062500  \n"
              "# 0x28\n");
}

// ShortAll records of 10 bytes: x 10, 5, 7; y 0xFF00; z 0.5 (128/256); words 0x8000, 0.
void loadShortRecords(Writer& w) {
    w.ws.vertexFormat = VertexFormat::ShortAll;
    w.ws.fvfSize = 10;
    w.ws.uvPos = 6;
    BlockBytes b;
    for (std::uint16_t x : {10 * 256, 5 * 256, 7 * 256}) b.u16(x).u16(0xFF00).u16(0x0080).u16(0x8000).u16(0);
    b.loadInto(w.model);
}

TEST(WriteVertexLines, ShortAllSignRuleAndStatistics) {
    Writer w;
    loadShortRecords(w);
    EXPECT_EQ(w.vertexLines(0, 3, true, false),
              "v 10.000000 -1.000000 0.500000\n"
              "vt 0.500000 0.000000  \n"
              "v 5.000000 -1.000000 0.500000\n"
              "vt 0.500000 0.000000  \n"
              "v 7.000000 -1.000000 0.500000\n"
              "vt 0.500000 0.000000  \n"
              "# 0x1e\n"
              "# average 7.333333 -1.000000 0.500000\n"
              // The maxima start at 0, so the all-negative y axis reports 0.
              "# BBox 5.000000 10.000000, -1.000000 0.000000, 0.500000 0.500000\n");
    w.ws.signedShorts = 0;
    EXPECT_EQ(w.vertexLines(0, 1, false, false),
              "v 10.000000 255.000000 0.500000\n"
              "# 0xa\n"
              "# average 10.000000 255.000000 0.500000\n"
              "# BBox 10.000000 10.000000, 255.000000 255.000000, 0.500000 0.500000\n");
    // No records: nothing to average.
    EXPECT_EQ(w.vertexLines(0, 0, false, false), "# 0x0\n");
}

TEST(WriteVertexLines, ByteOrderToggle) {
    Writer w;
    w.ws.fvfSize = 12;
    BlockBytes b;
    b.byte(0x3F).byte(0x80).byte(0).byte(0).padTo(12);
    b.loadInto(w.model);
    EXPECT_EQ(w.vertexLines(0, 1, false, false), "v 0.000000 0.000000 0.000000\n# 0xc\n");
    w.ws.bigEndian = 1;
    EXPECT_EQ(w.vertexLines(0, 1, false, false), "v 1.000000 0.000000 0.000000\n# 0xc\n");
}

TEST(WriteVertexLines, NonFiniteFloatsPrintAsGlibcDoes) {
    Writer w;
    w.ws.fvfSize = 20;
    w.ws.uvPos = 12;
    BlockBytes b;
    b.u32(0x7FC00000).u32(0xFFC00000).u32(0x7F800000).u32(0xFF800000).u32(0x7F7FFFFF);
    b.loadInto(w.model);
    EXPECT_EQ(w.vertexLines(0, 1, true, false),
              "v nan -nan inf\n"
              "vt -inf 340282346638528859811704183484516925440.000000  \n"
              "# 0x14\n");
}

TEST(WriteVertexLines, ReadsPastTheModelAreZeroNeverStaleBytes) {
    Writer w;
    loadFloatRecords(w);
    // A larger earlier model leaves its bytes behind the new model's end.
    BlockBytes earlier;
    while (earlier.size() < 200) earlier.f32(9.0f);
    earlier.loadInto(w.model);
    BlockBytes now;
    now.f32(1).f32(2).f32(3).f32(0.5f).f32(0.25f).f32(7).f32(8);
    now.loadInto(w.model);
    // The second record's z, u and v lie past the 28-byte model.
    EXPECT_EQ(w.vertexLines(0, 2, true, false),
              "v 1.000000 2.000000 3.000000\n"
              "vt 0.500000 0.250000  \n"
              "v 7.000000 8.000000 0.000000\n"
              "vt 0.000000 0.000000  \n"
              "# 0x28\n");
    // A start near 2^32: the end offset is not wrapped and every value reads as zero.
    EXPECT_EQ(w.vertexLines(0xFFFFFFF0u, 1, false, false), "v 0.000000 0.000000 0.000000\n# 0x100000004\n");
}

TEST(WriteVertexLines, UvPairReachingIntoNextRecordIsReadThere) {
    Writer w;
    loadFloatRecords(w);
    w.ws.fvfSize = 16;
    BlockBytes b;
    b.f32(1).f32(2).f32(3).f32(0.5f);
    b.f32(0.25f).f32(6).f32(7).f32(8);
    b.loadInto(w.model);
    EXPECT_EQ(w.vertexLines(0, 2, true, false),
              "v 1.000000 2.000000 3.000000\n"
              "vt 0.500000 0.250000  \n"
              "v 0.250000 6.000000 7.000000\n"
              "vt 8.000000 0.000000  \n"
              "# 0x20\n");
}

TEST(WritePackedVertexLines, ThreePositionKinds) {
    Writer w;
    BlockBytes b;
    b.f32(1.5f).f32(-2).f32(0).f32(4).f32(5).f32(6);
    b.loadInto(w.model);
    const std::string floats = "v 1.500000 -2.000000 0.000000 \nv 4.000000 5.000000 6.000000 \n";
    for (VertexFormat format : {VertexFormat::Float, VertexFormat::HF_UV, VertexFormat::WordUV}) {
        w.ws.vertexFormat = format;
        EXPECT_EQ(w.packedLines(0, 2), floats);
    }

    BlockBytes halves;
    halves.u16(0x3C00).u16(0xC000).u16(0x3555).u16(0x7C00).u16(0x7FFF).u16(0x8000);
    halves.loadInto(w.model);
    w.ws.vertexFormat = VertexFormat::HF_all;
    EXPECT_EQ(w.packedLines(0, 2),
              "v 1.000000 -2.000000 0.333252 \n"
              "v 65536.000000 131008.000000 -0.000031 \n");

    BlockBytes shorts;
    shorts.u16(0xFF00).u16(0x0100).u16(0x8000).u16(0x7FFF).u16(0).u16(1);
    shorts.loadInto(w.model);
    w.ws.vertexFormat = VertexFormat::ShortAll;
    // Always signed, whatever the signedShorts box says; no closing line.
    for (int signedShorts : {0, 1}) {
        w.ws.signedShorts = signedShorts;
        EXPECT_EQ(w.packedLines(0, 2),
                  "v -1.000000 1.000000 -128.000000\n"
                  "v 127.996094 0.000000 0.003906\n");
    }
    EXPECT_EQ(w.packedLines(0, 0), "");
}

TEST(WritePackedVertexLines, EveryHalfPatternPrintsItsExactValue) {
    Writer w;
    w.ws.vertexFormat = VertexFormat::HF_all;
    BlockBytes b;
    for (std::uint32_t h = 0; h < 65536; ++h) b.u16(static_cast<std::uint16_t>(h));
    b.u16(0x3C00).u16(0x3C00);  // completes the last position
    b.loadInto(w.model);
    const std::string text = w.packedLines(0, 65538 / 3);

    std::string expected;
    char buf[64];
    for (std::uint32_t i = 0; i < 65538; ++i) {
        std::uint32_t h = i < 65536 ? i : 0x3C00;
        // (-1)^s * (1 + m/1024) * 2^(e-15), no exponent special.
        double value = std::ldexp(1.0 + (h & 0x3FF) / 1024.0, static_cast<int>((h >> 10) & 0x1F) - 15);
        if (h & 0x8000) value = -value;
        if (i % 3 == 0) expected += "v ";
        std::snprintf(buf, sizeof buf, "%f ", value);
        expected += buf;
        if (i % 3 == 2) expected += '\n';
    }
    EXPECT_EQ(text, expected);
}

}  // namespace
}  // namespace nimbrel
