#include "vertices/uv_lines.h"

#include <gtest/gtest.h>

#include "vertices/block_bytes.h"

namespace nimbrel {
namespace {

using testing::BlockBytes;
using testing::writtenText;

struct UvWriter {
    Workspace ws;
    ModelBuffer model{1 << 16};

    std::string uvLines(std::uint32_t start, std::uint32_t count, bool packed) {
        return writtenText([&](TextOut& out) { writeUVLines(ws, model, out, start, count, packed); });
    }
    std::string mapLines(std::uint32_t start, std::uint32_t count, std::uint8_t stride) {
        return writtenText([&](TextOut& out) { writeUVMapLines(ws, model, out, start, count, stride); });
    }
};

TEST(WriteUVLines, PackedFloatPairsFollowEachOther) {
    UvWriter w;
    w.ws.vertexFormat = VertexFormat::Float;
    w.ws.uvBlockSize = 20;  // not used by a packed block
    BlockBytes b;
    b.padTo(4, 0xAA).f32(0.5f).f32(0.25f).f32(-1).f32(3);
    b.loadInto(w.model);
    EXPECT_EQ(w.uvLines(4, 2, true), "vt 0.500000 0.250000 \nvt -1.000000 3.000000 \n");
    EXPECT_EQ(w.mapLines(4, 2, 255), "v 0.500000 0.250000 0.0\nv -1.000000 3.000000 0.0\n");
    EXPECT_EQ(w.uvLines(4, 0, true), "");
}

TEST(WriteUVLines, StridedHalfPairsLieUvBlockSizeApart) {
    UvWriter w;
    w.ws.vertexFormat = VertexFormat::HF_all;
    w.ws.uvBlockSize = 12;
    BlockBytes b;
    b.u16(0x3800).u16(0x3400).padTo(12, 0x55);   // 0.5 0.25
    b.u16(0x3C00).u16(0x4000).padTo(24, 0x55);   // 1 2
    b.u16(0x3A00).u16(0xB800);                   // 0.75 -0.5
    b.loadInto(w.model);
    EXPECT_EQ(w.uvLines(0, 3, false),
              "vt 0.500000 0.250000 \n"
              "vt 1.000000 2.000000 \n"
              "vt 0.750000 -0.500000 \n");
    EXPECT_EQ(w.mapLines(0, 3, 12),
              "v 0.500000 0.250000 0.0\n"
              "v 1.000000 2.000000 0.0\n"
              "v 0.750000 -0.500000 0.0\n");
    // Packed, the same bytes are read pair after pair: 0x5555 = (1 + 341/1024) * 2^6.
    EXPECT_EQ(w.uvLines(0, 2, true), "vt 0.500000 0.250000 \nvt 85.312500 85.312500 \n");
}

TEST(WriteUVLines, WordsMarkFromFirstPairOutsideUnitRange) {
    UvWriter w;
    w.ws.vertexFormat = VertexFormat::WordUV;
    w.ws.uvDivisor = 8192.0f;
    BlockBytes b;
    b.u16(0x2000).u16(0x1000);  // 1.0 is inside the range
    b.u16(0x4000).u16(0x1000);  // 2.0
    b.u16(0x1000).u16(0x1000);
    b.loadInto(w.model);
    EXPECT_EQ(w.uvLines(0, 3, true),
              "vt 1.000000 0.500000 \n"
              "vt 2.000000 0.500000 # UV?\n"
              "vt 0.500000 0.500000 # UV?\n");
    EXPECT_EQ(w.mapLines(0, 3, 255),
              "v 1.000000 0.500000 0.0 \n"
              "v 2.000000 0.500000 0.0 # UV?\n"
              "v 0.500000 0.500000 0.0 # UV?\n");
    // Each call starts unmarked.
    EXPECT_EQ(w.uvLines(8, 1, true), "vt 0.500000 0.500000 \n");

    w.ws.uvDivisor = 65536.0f;
    w.ws.vertexFormat = VertexFormat::ShortAll;
    BlockBytes full;
    full.u16(0x8000).u16(0xFFFF);
    full.loadInto(w.model);
    EXPECT_EQ(w.uvLines(0, 1, true), "vt 0.500000 0.999985 \n");
}

TEST(WriteUVMapLines, StrideTwoFiftyFiveMeansPacked) {
    UvWriter w;
    w.ws.vertexFormat = VertexFormat::WordUV;
    BlockBytes b;
    for (std::uint16_t i = 0; i < 20; ++i) b.u16(static_cast<std::uint16_t>(i * 0x0800));
    b.loadInto(w.model);
    // Words 0, 0x800 then 0x1000, 0x1800: 4 bytes apart.
    EXPECT_EQ(w.mapLines(0, 2, 255), "v 0.000000 0.031250 0.0 \nv 0.062500 0.093750 0.0 \n");
    // 20 bytes apart: words 10 and 11 begin the second record.
    EXPECT_EQ(w.mapLines(0, 2, 20), "v 0.000000 0.031250 0.0 \nv 0.312500 0.343750 0.0 \n");
}

TEST(WriteUVLines, BigEndianFloatPair) {
    UvWriter w;
    w.ws.vertexFormat = VertexFormat::Float;
    w.ws.bigEndian = 1;
    BlockBytes b;
    for (int x : {0x3F, 0, 0, 0, 0x3E, 0x80, 0, 0}) b.byte(static_cast<std::uint8_t>(x));
    b.loadInto(w.model);
    EXPECT_EQ(w.uvLines(0, 1, true), "vt 0.500000 0.250000 \n");
}

TEST(WriteUVLines, PairsPastTheModelReadZero) {
    UvWriter w;
    w.ws.vertexFormat = VertexFormat::Float;
    w.ws.uvBlockSize = 8;
    BlockBytes b;
    b.f32(0.5f).f32(0.25f).f32(0.125f);
    b.loadInto(w.model);
    EXPECT_EQ(w.uvLines(0, 2, false), "vt 0.500000 0.250000 \nvt 0.125000 0.000000 \n");
    EXPECT_EQ(w.uvLines(0xFFFFFFFCu, 1, false), "vt 0.000000 0.000000 \n");
}

}  // namespace
}  // namespace nimbrel
