#include "vertices/block_preview.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "support/recording_window.h"
#include "vertices/block_bytes.h"

namespace nimbrel {
namespace {

using testing::BlockBytes;
using testing::RecordingWindow;
using Lines = std::vector<std::string>;

struct Preview {
    Workspace ws;
    ModelBuffer model{1 << 16};
    RecordingWindow panel;

    Lines packed(std::uint32_t start, std::uint32_t count) {
        panel.results.clear();
        previewPackedBlock(ws, model, panel, start, count);
        return panel.results;
    }
    Lines interleaved(std::uint32_t start, std::uint32_t count) {
        panel.results.clear();
        showRefusal(panel, previewInterleavedBlock(ws, model, panel, start, count).refusal);
        return panel.results;
    }
    Lines uvBlock(std::uint32_t start, std::uint32_t count, bool packedBlock) {
        panel.results.clear();
        previewUVBlock(ws, model, panel, start, count, packedBlock);
        return panel.results;
    }
};

Lines repeated(const std::string& line, int n) { return Lines(static_cast<std::size_t>(n), line); }

Lines operator+(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Packed float positions (r + 2, 0.5, -1) for r = 0..11.
void loadTwelvePositions(Preview& p) {
    BlockBytes b;
    for (int r = 0; r < 12; ++r) b.f32(static_cast<float>(r + 2)).f32(0.5f).f32(-1);
    b.loadInto(p.model);
}

std::string positionLine(int r) { return std::to_string(r + 2) + ".000000 0.500000 -1.000000 "; }

TEST(PreviewPackedBlock, HeadEllipsisTailAndNextAddress) {
    Preview p;
    loadTwelvePositions(p);
    Lines expected;
    for (int r = 0; r < 10; ++r) expected.push_back(positionLine(r));
    expected.push_back("...");
    for (int r = 9; r < 12; ++r) expected.push_back(positionLine(r));  // record 9 twice
    expected.push_back("next address: 0x90");
    EXPECT_EQ(p.packed(0, 12), expected);
}

TEST(PreviewPackedBlock, SmallCountsStillShowTenHeadRecords) {
    Preview p;
    loadTwelvePositions(p);
    const std::string zeros = "0.0 0.0 0.0 ";
    // From 0x84 only record 11 lies inside the 144-byte model; the head shows zeros after it.
    EXPECT_EQ(p.packed(0x84, 1), (Lines{positionLine(11)} + repeated(zeros, 9) + Lines{"...", "next address: 0x90"}));
    EXPECT_EQ(p.packed(0x90, 0), (repeated(zeros, 10) + Lines{"...", "next address: 0x90"}));
    Lines head;
    for (int r = 0; r < 10; ++r) head.push_back(positionLine(r));
    EXPECT_EQ(p.packed(0, 2), (head + Lines{"...", "next address: 0x18"}));
    EXPECT_EQ(p.packed(0, 3),
              (head + Lines{"...", positionLine(0), positionLine(1), positionLine(2), "next address: 0x24"}));
    // The next address is not wrapped at 32 bits.
    EXPECT_EQ(p.packed(0xFFFFFFF0u, 2).back(), "next address: 0x100000008");
}

TEST(PreviewPackedBlock, NormMarksUnitLengthOnly) {
    struct Row {
        float x, y, z;
        const char* line;
    };
    const Row rows[] = {
        {0.6f, 0.8f, 0.0f, "0.600000 0.800000 0.0  NORM"},
        {0.0f, 0.0f, 1.0f, "0.0 0.0 1.000000  NORM"},
        {0.3f, 0.3f, 0.9f, "0.300000 0.300000 0.900000  NORM"},  // 0.99
        {1.0f, 1.0f, 0.0f, "1.000000 1.000000 0.0 "},            // 2
        {0.5f, 0.5f, 0.5f, "0.500000 0.500000 0.500000 "},       // 0.75
        {1.05f, 0.0f, 0.0f, "1.050000 0.0 0.0 "},                // 1.1025
        {std::nanf(""), 0.0f, 0.0f, "nan 0.0 0.0 "},
        {INFINITY, -INFINITY, 0.0f, "99999999.0 -99999999.0 0.0 "},
        {1e-10f, 0.0f, 1.0f, "0.000000 0.0 1.000000  NORM"},  // zero text only up to 2^-53
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        Preview p;
        BlockBytes b;
        b.f32(row.x).f32(row.y).f32(row.z);
        b.loadInto(p.model);
        EXPECT_EQ(p.packed(0, 1).front(), row.line);
    }
}

TEST(PreviewPackedBlock, BigEndianFloatsAndSixBytePositions) {
    Preview p;
    BlockBytes be(true);
    be.f32(0).f32(0).f32(1).f32(2).f32(3).f32(4);
    be.loadInto(p.model);
    p.ws.bigEndian = 1;
    // Big-endian floats end after their tail, without a next address.
    Lines out = p.packed(0, 3);
    ASSERT_EQ(out.size(), 14u);
    EXPECT_EQ(out[0], "0.0 0.0 1.000000  NORM");
    EXPECT_EQ(out[1], "2.000000 3.000000 4.000000 ");
    EXPECT_EQ(out[13], "0.0 0.0 0.0 ");

    p.ws.bigEndian = 0;
    p.ws.vertexFormat = VertexFormat::HF_all;
    BlockBytes halves;
    halves.u16(0x0000).u16(0x8000).u16(0x3C00).u16(0x3800).u16(0xB800).u16(0x4200);
    halves.loadInto(p.model);
    out = p.packed(0, 2);
    ASSERT_EQ(out.size(), 11u);
    // Half 0x0000 is 2^-15, not zero: formatValue shows its six decimals.
    EXPECT_EQ(out[0], "0.000031 -0.000031 1.000000  NORM");
    EXPECT_EQ(out[1], "0.500000 -0.500000 3.000000 ");

    p.ws.vertexFormat = VertexFormat::ShortAll;
    p.ws.signedShorts = 0;  // packed shorts are signed regardless
    BlockBytes shorts;
    shorts.u16(0).u16(0xFF00).u16(0).u16(0x0180).u16(0x8000).u16(1);
    shorts.loadInto(p.model);
    out = p.packed(0, 2);
    EXPECT_EQ(out[0], "0.0 -1.000000 0.0  NORM");
    EXPECT_EQ(out[1], "1.500000 -128.000000 0.003906 ");
    EXPECT_EQ(out.back(), "...");
}

TEST(PreviewInterleavedBlock, UvPosRefusalsCarryTheirOwnBlanks) {
    struct Row {
        VertexFormat format;
        std::uint8_t uvPos;
        const char* message;
    };
    const Row rows[] = {
        {VertexFormat::Float, 8, "UVpos must be >= 12 "},  {VertexFormat::HF_UV, 11, "UVpos must be >= 12 "},
        {VertexFormat::WordUV, 6, "UVpos must be >= 12 "}, {VertexFormat::HF_all, 5, "UVpos must be >= 6 "},
        {VertexFormat::ShortAll, 5, "UVpos must be >= 6"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.message);
        Preview p;
        p.ws.vertexFormat = row.format;
        p.ws.fvfSize = 16;
        p.ws.uvPos = row.uvPos;
        EXPECT_TRUE(p.interleaved(0, 5).empty());
        EXPECT_EQ(p.panel.messages, (Lines{row.message}));
    }
}

TEST(PreviewInterleavedBlock, HalfUvMarksFromFirstDoubtfulValueOn) {
    Preview p;
    p.ws.vertexFormat = VertexFormat::HF_UV;
    p.ws.fvfSize = 16;
    p.ws.uvPos = 12;
    BlockBytes b;
    b.f32(0.5f).f32(0.5f).f32(0.5f).u16(0x3800).u16(0x3C00);  // u 0.5, v 1.0: inside
    b.f32(2).f32(3).f32(4).u16(0x3800).u16(0x3E00);          // v 1.5
    b.f32(0).f32(1).f32(0).u16(0x3800).u16(0x3800);
    b.loadInto(p.model);
    Lines out = p.interleaved(0, 3);
    ASSERT_EQ(out.size(), 27u);
    EXPECT_EQ(out[0], "v 0.500000 0.500000 0.500000 ");
    EXPECT_EQ(out[1], "vt 0.500000 1.000000 ");
    EXPECT_EQ(out[2], "v 2.000000 3.000000 4.000000 ");
    EXPECT_EQ(out[3], "vt 0.500000 1.500000  UV?");
    EXPECT_EQ(out[4], "v 0.0 1.000000 0.0  NORM");
    EXPECT_EQ(out[5], "vt 0.500000 0.500000  UV?");
    // Past the 48-byte model: zero floats, and zero halves that decode to 2^-15.
    EXPECT_EQ(out[6], "v 0.0 0.0 0.0 ");
    EXPECT_EQ(out[7], "vt 0.000031 0.000031  UV?");
    EXPECT_EQ(out[20], "...");
    EXPECT_EQ(out[21], "v 0.500000 0.500000 0.500000 ");
    EXPECT_EQ(out[22], "vt 0.500000 1.000000  UV?");  // the tail keeps the call's mark
    EXPECT_EQ(out[26], "vt 0.500000 0.500000  UV?");
    EXPECT_EQ(previewInterleavedBlock(p.ws, p.model, p.panel, 0, 3).firstDoubtfulUv, std::optional<std::uint32_t>(1));

    // With the gap v lies at record offset 16: the low half of the next record's x (2.0f,
    // bytes 00 00 00 40), which is 0x0000. A new call starts unmarked.
    p.ws.uvGap = 1;
    out = p.interleaved(0, 1);
    EXPECT_EQ(out[1], "vt 0.500000 0.000031 ");
}

TEST(PreviewInterleavedBlock, WordUvAgainstPackedWordBlock) {
    // Records of 16 bytes: position (0, 0, 0.5), words w w at 12.
    Preview p;
    p.ws.vertexFormat = VertexFormat::WordUV;
    p.ws.fvfSize = 16;
    p.ws.uvPos = 12;
    p.ws.uvDivisor = 8192.0f;
    BlockBytes b;
    for (std::uint16_t w : {4096, 16384, 4096}) b.f32(0).f32(0).f32(0.5f).u16(w).u16(w);
    b.loadInto(p.model);
    Lines out = p.interleaved(0, 3);
    EXPECT_EQ(out[1], "vt 0.500000 0.500000 ");
    EXPECT_EQ(out[3], "vt 2.000000 2.000000  UV?");
    EXPECT_EQ(out[5], "vt 0.500000 0.500000  UV?");

    // The same words packed pair after pair: each line is judged by itself.
    BlockBytes pairs;
    for (std::uint16_t w : {4096, 16384, 4096}) pairs.u16(w).u16(w);
    pairs.loadInto(p.model);
    out = p.uvBlock(0, 3, true);
    EXPECT_EQ(out[0], "0.500000 0.500000 ");
    EXPECT_EQ(out[1], "2.000000 2.000000  UV?");
    EXPECT_EQ(out[2], "0.500000 0.500000 ");
    EXPECT_EQ(out[3], "0.0 0.0 ");
    EXPECT_EQ(out[10], "...");
    EXPECT_EQ(out.size(), 14u);
}

TEST(PreviewInterleavedBlock, FloatAndShortAllFormats) {
    Preview p;
    p.ws.vertexFormat = VertexFormat::Float;
    p.ws.fvfSize = 20;
    p.ws.uvPos = 12;
    BlockBytes b;
    b.f32(0).f32(0).f32(1).f32(5).f32(-3);
    b.loadInto(p.model);
    Lines out = p.interleaved(0x0, 1);
    ASSERT_EQ(out.size(), 22u);
    EXPECT_EQ(out[0], "v 0.0 0.0 1.000000  NORM");
    EXPECT_EQ(out[1], "vt 5.000000 -3.000000 ");  // Float UVs are never judged
    EXPECT_EQ(out[20], "...");
    EXPECT_EQ(out[21], "next address: 0x14");
    EXPECT_EQ(previewInterleavedBlock(p.ws, p.model, p.panel, 0, 1).firstDoubtfulUv, std::nullopt);

    p.ws.uvPos = kNoUvInRecord;
    out = p.interleaved(0, 1);
    ASSERT_EQ(out.size(), 12u);
    EXPECT_EQ(out[1], "v 0.0 0.0 0.0 ");

    p.ws.vertexFormat = VertexFormat::ShortAll;
    p.ws.fvfSize = 10;
    p.ws.uvPos = 6;
    p.ws.signedShorts = 0;  // previews read shorts signed regardless
    p.ws.uvDivisor = 8192.0f;
    BlockBytes shorts;
    shorts.u16(0).u16(0).u16(0x0100).u16(0x2000).u16(0x1000);  // (0, 0, 1): no NORM for ShortAll
    shorts.u16(0xFF00).u16(0).u16(0).u16(0x2001).u16(0);
    shorts.loadInto(p.model);
    out = p.interleaved(0, 2);
    EXPECT_EQ(out[0], "v 0.0 0.0 1.000000 ");
    EXPECT_EQ(out[1], "vt 1.000000 0.500000 ");
    EXPECT_EQ(out[2], "v -1.000000 0.0 0.0 ");
    EXPECT_EQ(out[3], "vt 1.000122 0.0  UV?");
    EXPECT_EQ(out.back(), "...");
    EXPECT_EQ(out.size(), 21u);
}

TEST(PreviewUVBlock, StridedPairsMarkInParentheses) {
    Preview p;
    p.ws.vertexFormat = VertexFormat::HF_UV;
    p.ws.uvBlockSize = 8;
    p.ws.uvGap = 1;  // never applies to a separate block
    BlockBytes b;
    b.u16(0x3800).u16(0x3400).padTo(8, 0x77);
    b.u16(0x3800).u16(0x3E00).padTo(16, 0x77);
    b.u16(0x0000).u16(0x3C00);
    b.loadInto(p.model);
    Lines out = p.uvBlock(0, 3, false);
    ASSERT_EQ(out.size(), 14u);
    EXPECT_EQ(out[0], "vt 0.500000 0.250000 ");
    EXPECT_EQ(out[1], "vt 0.500000 1.500000  (UV?)");
    EXPECT_EQ(out[2], "vt 0.000031 1.000000  (UV?)");
    EXPECT_EQ(out[10], "...");
    EXPECT_EQ(out[11], "vt 0.500000 0.250000  (UV?)");
    EXPECT_EQ(previewUVBlock(p.ws, p.model, p.panel, 0, 3, false).firstDoubtfulUv, std::optional<std::uint32_t>(1));
}

// Float pairs (r / 16, 0.5) for r = 0..19 from 0x10.
void loadTwentyFloatPairs(Preview& p) {
    p.ws.vertexFormat = VertexFormat::Float;
    BlockBytes b;
    b.padTo(0x10, 0x41);
    for (int r = 0; r < 20; ++r) b.f32(static_cast<float>(r) * 0.0625f).f32(0.5f);
    b.loadInto(p.model);
}

TEST(PreviewUVBlock, FloatPairsShowAddressAndShiftedTail) {
    Preview p;
    loadTwentyFloatPairs(p);
    const Lines head = {"0.0 0.500000 ",      "0.062500 0.500000 ", "0.125000 0.500000 ", "0.187500 0.500000 ",
                        "0.250000 0.500000 ", "0.312500 0.500000 ", "0.375000 0.500000 ", "0.437500 0.500000 ",
                        "0.500000 0.500000 ", "0.562500 0.500000 ", "..."};
    EXPECT_EQ(p.uvBlock(0x10, 20, true),
              (head + Lines{"90", "1.000000 0.500000 ", "1.062500 0.500000  UV?", "1.125000 0.500000  UV?"}));
    // Below four records there is no address line and no tail.
    for (std::uint32_t count : {0u, 1u, 2u, 3u}) EXPECT_EQ(p.uvBlock(0x10, count, true), head);
    EXPECT_EQ(p.uvBlock(0x10, 4, true), (head + Lines{"10", head[0], head[1], head[2]}));

    // Strided: records uvBlockSize apart, the address counted in strides.
    p.ws.uvBlockSize = 16;
    Lines out = p.uvBlock(0x10, 6, false);
    ASSERT_EQ(out.size(), 15u);
    EXPECT_EQ(out[1], "vt 0.125000 0.500000 ");
    EXPECT_EQ(out[10], "...");
    EXPECT_EQ(out[11], "30");
    // Head record 9 reads pair 18 (u 1.125), so the tail carries the mark.
    EXPECT_EQ(out[9], "vt 1.125000 0.500000  (UV?)");
    EXPECT_EQ(out[12], "vt 0.250000 0.500000  (UV?)");
    EXPECT_EQ(out[14], "vt 0.500000 0.500000  (UV?)");
}

TEST(PreviewUVBlock, NanIsDoubtful) {
    Preview p;
    p.ws.vertexFormat = VertexFormat::Float;
    BlockBytes b;
    b.f32(std::nanf("")).f32(0.5f);
    b.loadInto(p.model);
    EXPECT_EQ(p.uvBlock(0, 1, true).front(), "nan 0.500000  UV?");
}

}  // namespace
}  // namespace nimbrel
