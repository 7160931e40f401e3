#include "faces/face_index_pass.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/face_branch.h"
#include "faces/face_index.h"
#include "face_test_support.h"
#include "support/recording_window.h"

namespace nimbrel {
namespace {

using testing::RecordingWindow;
using testing::TestModel;
using testing::words;
using testing::writtenBy;
using Lines = std::vector<std::string>;

// Runs one pass over a model of exactly these bytes.
struct Pass {
    Workspace ws;
    RecordingWindow panel;
    bool ran = false;

    Lines list(const std::vector<std::uint8_t>& bytes, std::uint32_t start, std::uint32_t count) {
        TestModel model(bytes);
        ran = keepFacePass(ws, panel,
                           faceIndexPass(ws, model.buffer, nullptr, start, count, FaceMode::List, false, panel));
        return panel.results;
    }
    std::string write(const std::vector<std::uint8_t>& bytes, std::uint32_t start, std::uint32_t count,
                      bool slash = false) {
        TestModel model(bytes);
        return writtenBy([&](TextOut& out) {
            ran = keepFacePass(ws, panel,
                               faceIndexPass(ws, model.buffer, &out, start, count, FaceMode::Write, slash, panel));
        });
    }
};

TEST(ReadFaceIndex, WordAndLowThreeBytesOfDwInBothOrders) {
    struct Row {
        std::vector<std::uint8_t> bytes;
        std::uint8_t size;
        bool bigEndian;
        std::uint32_t expected;
    } rows[] = {
        {{0x01, 0x00}, 2, false, 2},
        {{0x01, 0x00}, 2, true, 257},
        {{0xFF, 0xFF}, 2, false, 65536},
        {{0x01, 0x00, 0x00, 0x80}, 4, false, 2},         // top byte ignored
        {{0x01, 0x02, 0x03, 0x04}, 4, false, 197122},    // 0x030201 + 1
        {{0x80, 0x00, 0x00, 0x01}, 4, true, 2},          // first byte ignored
        {{0x04, 0x03, 0x02, 0x01}, 4, true, 197122},
        {{0xFF, 0xFF, 0xFF, 0xFF}, 4, false, 16777216},  // 24 bits at most
        {{0x00, 0x00, 0x00, 0x00}, 4, true, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.bytes) + (row.bigEndian ? " big" : " little"));
        EXPECT_EQ(readFaceIndex(row.bytes.data(), row.size, row.bigEndian), row.expected);
        TestModel model(row.bytes);
        EXPECT_EQ(readFaceIndex(model.buffer, 0, row.size, row.bigEndian), row.expected);
    }
}

TEST(ReadFaceIndex, BytesPastTheModelReadAsZero) {
    TestModel model({0x05, 0x00, 0x07});
    EXPECT_EQ(readFaceIndex(model.buffer, 2, 2, false), 8u);  // 07, then 00 past the end
    EXPECT_EQ(readFaceIndex(model.buffer, 3, 4, false), 1u);
}

TEST(IndicesThatFit, CountsEveryByteReadGapsBetweenFacesIncluded) {
    struct Row {
        const char* name;
        std::uint64_t size, start, count;
        std::uint8_t indexSize, perFace, gap;
        std::uint64_t expected;
    } rows[] = {
        {"strip 0x100+10 words in 0x108 bytes", 0x108, 0x100, 10, 2, 1, 0, 4},
        {"fits exactly", 12, 0, 6, 2, 1, 0, 6},
        {"start at the end", 12, 12, 5, 2, 1, 0, 0},
        {"start past the end", 12, 13, 5, 2, 1, 0, 0},
        {"odd byte left", 13, 0, 7, 2, 1, 0, 6},
        {"DW", 10, 0, 3, 4, 1, 0, 2},
        {"two faces, gap between, none after", 14, 0, 6, 2, 3, 2, 6},
        {"second face misses one byte", 13, 0, 6, 2, 3, 2, 5},
        {"the gap itself is cut short", 7, 0, 6, 2, 3, 2, 3},
        {"quads with gap", 19, 0, 8, 2, 4, 4, 7},
        {"zero count", 0, 0, 0, 2, 3, 0, 0},
        {"wraps 32 bits", 100, 0xFFFFFFF0u, 0xFFFFFFFFu, 4, 3, 0, 0},
        {"huge count, face wider than the model", 100, 0, 0xFFFFFFFFu, 4, 3, 255, 3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(indicesThatFit(row.size, row.start, row.count, row.indexSize, row.perFace, row.gap), row.expected);
    }
}

TEST(FaceIndexPass, ListsTrianglesWithAddressesAndSummary) {
    // 16 bytes of padding, then the raw indices 4 5 6 | 8 7 6 | 8 1 2 at 0x10.
    std::vector<std::uint8_t> bytes(16, 0xEE);
    for (std::uint8_t b : words({4, 5, 6, 8, 7, 6, 8, 1, 2})) bytes.push_back(b);
    Pass pass;
    EXPECT_EQ(pass.list(bytes, 0x10, 9), (Lines{"10: f  5 6 7 ", "16: f  9 8 7 ", "1c: f  9 2 3 ", " ----------",
                                                "min face index: 2  (rVC: 8)", "max face index: 9 (== vertex count?)"}));
    EXPECT_TRUE(pass.ran);
    EXPECT_EQ(pass.ws.minFaceIndex, 2u);
    EXPECT_EQ(pass.ws.maxFaceIndex, 9u);
    // The last face whose first index reached the running maximum (9 again at 0x1c).
    EXPECT_EQ(pass.ws.maxFaceAddress, 0x1cu);
    EXPECT_TRUE(pass.panel.messages.empty());
}

TEST(FaceIndexPass, ListLayoutSkipsTheGapAfterEachFace) {
    // Gap bytes 0xEEEE would read as index 61167 if the pass read them.
    auto bytes = words({0, 1, 2, 0xEEEE, 3, 4, 5, 0xEEEE, 6, 7, 8});
    Pass pass;
    pass.ws.faceGap = 2;
    EXPECT_EQ(pass.list(bytes, 0, 9), (Lines{"0: f  1 2 3 ", "8: f  4 5 6 ", "10: f  7 8 9 ", " ----------",
                                             "min face index: 1", "max face index: 9 (== vertex count?)"}));
    EXPECT_EQ(pass.ws.maxFaceAddress, 0x10u);
}

TEST(FaceIndexPass, WrongCountLeavesLastFaceOpenAndHints) {
    struct Row {
        std::uint32_t count;
        std::uint8_t perFace;
        const char* hint;
    } rows[] = {{4, 3, "wrong FIcnt, use 3 or 6"}, {5, 3, "wrong FIcnt, use 3 or 6"}, {6, 4, "wrong FIcnt, use 4 or 8"},
                {7, 4, "wrong FIcnt, use 4 or 8"}, {2, 3, "wrong FIcnt, use 0 or 3"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.hint);
        Pass pass;
        pass.ws.faceVertexCount = row.perFace;
        pass.ws.quadsMode = row.perFace == 4;
        // Raw values 0..7: the unfinished face still counts in the maximum.
        Lines lines = pass.list(words({0, 1, 2, 3, 4, 5, 6, 7}), 0, row.count);
        ASSERT_GE(lines.size(), 4u);
        EXPECT_EQ(lines.size(), row.count / row.perFace + 4);
        EXPECT_EQ(lines.back(), row.hint);
        EXPECT_EQ(lines[lines.size() - 2], "max face index: " + std::to_string(row.count) + " (== vertex count?)");
    }
    Pass exact;
    Lines lines = exact.list(words({0, 1, 2}), 0, 3);
    EXPECT_EQ(lines.back(), "max face index: 3 (== vertex count?)");
}

TEST(FaceIndexPass, ZeroCountLeavesTheStartValues) {
    // Only a batch run passes a count of 0.
    Pass pass;
    pass.ws.batchMode = 1;
    TestModel model(words({5, 6, 7}));
    EXPECT_TRUE(keepFacePass(pass.ws, pass.panel,
                             faceIndexPass(pass.ws, model.buffer, nullptr, 0, 0, FaceMode::Scan, false, pass.panel)));
    EXPECT_EQ(pass.ws.minFaceIndex, 16777215u);
    EXPECT_EQ(pass.ws.maxFaceIndex, 1u);
}

TEST(FaceIndexPass, WritesTriangleAndQuadLines) {
    struct Row {
        const char* name;
        std::uint8_t perFace;
        bool slash;
        std::string expected;
    } rows[] = {
        {"triangles", 3, false, "g submesh_0\nf 1 2 3 \nf 4 5 6 \n"},
        {"triangles, slash", 3, true, "g submesh_0\nf 1/1 2/2 3/3 \nf 4/4 5/5 6/6 \n"},
        {"quads run 1 2 4 3", 4, false, "g submesh_0\nf 1 2 4 3\n"},
        {"quads, slash", 4, true, "g submesh_0\nf 1/1 2/2 4/4 3/3\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Pass pass;
        pass.ws.faceVertexCount = row.perFace;
        pass.ws.quadsMode = row.perFace == 4;
        std::uint32_t count = row.perFace == 4 ? 4 : 6;
        EXPECT_EQ(pass.write(words({0, 1, 2, 3, 4, 5}), 0, count, row.slash), row.expected);
        EXPECT_TRUE(pass.panel.results.empty());
    }
}

TEST(FaceIndexPass, RelativeNumbersStartAtOneFromThePreviousMinimum) {
    Pass pass;
    pass.ws.relFI = 1;
    pass.ws.batchMode = 1;
    pass.ws.minFaceIndex = 101;  // left by the scan before
    EXPECT_EQ(pass.write(words({100, 101, 102, 105, 104, 103}), 0, 6), "f 1 2 3 \nf 6 5 4 \n");
    EXPECT_EQ(pass.ws.minFaceIndex, 101u);
    EXPECT_EQ(pass.ws.maxFaceIndex, 106u);
}

TEST(FaceIndexPass, GroupLineEvery500IndicesOutsideBatchRuns) {
    std::vector<std::uint8_t> bytes;
    for (std::uint32_t i = 0; i < 1503; ++i) {
        bytes.push_back(i % 7);
        bytes.push_back(0);
    }
    Pass triangles;
    std::string text = triangles.write(bytes, 0, 1503);
    // Faces 0 and 500 open a group: indices 0 and 1500.
    EXPECT_EQ(text.find("g submesh_0\n"), 0u);
    const std::size_t second = text.find("g submesh_1\n");
    ASSERT_NE(second, std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.begin() + second, '\n'), 1 + 500);
    EXPECT_EQ(text.find("g submesh_2"), std::string::npos);

    Pass quads;
    quads.ws.faceVertexCount = 4;
    quads.ws.quadsMode = 1;
    text = quads.write(bytes, 0, 1000);
    // Every 125 quads: before faces 0, 125 (index 500) and nothing at 1000.
    const std::size_t g1 = text.find("g submesh_1\n");
    ASSERT_NE(g1, std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.begin() + g1, '\n'), 1 + 125);
    EXPECT_EQ(text.find("g submesh_2"), std::string::npos);

    Pass batch;
    batch.ws.batchMode = 1;
    EXPECT_EQ(batch.write(bytes, 0, 1503).find('g'), std::string::npos);
}

TEST(FaceIndexPass, ScanMeasuresOnly) {
    Pass pass;
    TestModel model(words({9, 3, 7, 4, 12, 5}));
    EXPECT_TRUE(keepFacePass(pass.ws, pass.panel,
                             faceIndexPass(pass.ws, model.buffer, nullptr, 0, 6, FaceMode::Scan, false, pass.panel)));
    EXPECT_TRUE(pass.panel.results.empty());
    EXPECT_EQ(pass.ws.minFaceIndex, 4u);
    EXPECT_EQ(pass.ws.maxFaceIndex, 13u);
}

TEST(FaceIndexPass, PlainStripAlternatesWindingAndSkipsDegenerateWindows) {
    struct Row {
        const char* name;
        std::vector<std::uint8_t> bytes;
        Lines faces;
        const char* end;
        const char* min;
        const char* max;
    } rows[] = {
        {"five", words({0, 1, 2, 3, 4}), {"f  1 2 3", "f  2 4 3", "f  3 4 5"}, "1a", "1", "5"},
        // The third window has a positive flag again: two flips by the degenerate ones.
        {"repeats", words({0, 1, 1, 2, 3}), {"f  2 3 4"}, "1a", "1", "4"},
        {"three", words({0, 1, 2}), {"f  1 2 3"}, "16", "1", "3"},
        {"two", words({6, 1}), {}, "14", "2", "7"},
        {"one", words({4}), {}, "12", "5", "5"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Pass pass;
        pass.ws.stripMode = 1;
        std::vector<std::uint8_t> bytes = row.bytes;
        bytes.insert(bytes.begin(), 0x10, 0xEE);
        Lines expected{"10:"};
        expected.insert(expected.end(), row.faces.begin(), row.faces.end());
        expected.push_back(std::string(row.end) + " (end of FI list)");
        expected.push_back(" ----------");
        expected.push_back(std::string("min face index: ") + row.min);
        expected.push_back(std::string("max face index: ") + row.max + " (== vertex count?)");
        EXPECT_EQ(pass.list(bytes, 0x10, static_cast<std::uint32_t>(row.bytes.size() / 2)), expected);
    }
}

TEST(FaceIndexPass, PlainStripWritesLinesWithoutTrailingBlank) {
    Pass plain;
    plain.ws.stripMode = 1;
    EXPECT_EQ(plain.write(words({0, 1, 2, 3, 4}), 0, 5), "f 1 2 3\nf 2 4 3\nf 3 4 5\n");
    Pass slash;
    slash.ws.stripMode = 1;
    slash.ws.bigEndian = 1;
    EXPECT_EQ(slash.write(words({0, 1, 2, 3}, true), 0, 4, true), "f 1/1 2/2 3/3\nf 2/2 4/4 3/3\n");
    EXPECT_EQ(slash.ws.maxFaceIndex, 4u);
}

TEST(FaceIndexPass, PlainStripOfZeroChangesNothing) {
    Pass pass;
    pass.ws.stripMode = 1;
    pass.ws.minFaceIndex = 7;
    pass.ws.maxFaceIndex = 0;
    EXPECT_TRUE(pass.list(words({0, 1, 2}), 2, 0).empty());
    EXPECT_TRUE(pass.ran);
    EXPECT_EQ(pass.ws.minFaceIndex, 7u);
    EXPECT_EQ(pass.ws.maxFaceIndex, 0u);
}

TEST(FaceIndexPass, StripOfDwIndicesAbove65535ReportsMinimumAs65535) {
    // Raw 70000, 70001, 70002 as DW little endian, top bytes nonzero and ignored.
    std::vector<std::uint8_t> bytes;
    for (std::uint32_t v : {70000u, 70001u, 70002u}) {
        bytes.insert(bytes.end(), {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), 0xAB});
    }
    Pass pass;
    pass.ws.stripMode = 1;
    pass.ws.indexSize = 4;
    EXPECT_EQ(pass.list(bytes, 0, 3), (Lines{"0:", "f  70001 70002 70003", "c (end of FI list)", " ----------",
                                             "min face index: 65535", "max face index: 70003 (== vertex count?)"}));
}

TEST(FaceIndexPass, EndOfFileRuleReducesFieldThreeAndReadsNothing) {
    struct Row {
        const char* name;
        std::size_t modelSize;
        std::uint32_t start, count;
        int strip;
        std::uint8_t gap;
        const char* field3;
    } rows[] = {
        {"strip 0x100 + 10 words in 0x108 bytes", 0x108, 0x100, 10, 1, 0, "3"},
        {"list 0x100 + 10 words in 0x108 bytes", 0x108, 0x100, 10, 0, 0, "3"},
        {"gap bytes between faces count", 14, 0, 7, 0, 2, "5"},
        {"start at the end", 14, 14, 3, 0, 0, "0"},
        {"one byte short of one index", 15, 14, 3, 1, 0, "0"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Pass pass;
        pass.ws.stripMode = row.strip;
        pass.ws.faceGap = row.gap;
        pass.ws.minFaceIndex = 77;
        pass.ws.maxFaceIndex = 88;
        pass.ws.maxFaceAddress = 99;
        EXPECT_TRUE(pass.list(std::vector<std::uint8_t>(row.modelSize, 1), row.start, row.count).empty());
        EXPECT_FALSE(pass.ran);
        EXPECT_EQ(pass.panel.messages, (Lines{"EOF met!\nfaceIndexCnt reduced"}));
        EXPECT_EQ(pass.panel.text(field::kFaceIndexCnt), row.field3);
        EXPECT_EQ(pass.ws.minFaceIndex, 77u);
        EXPECT_EQ(pass.ws.maxFaceIndex, 88u);
        EXPECT_EQ(pass.ws.maxFaceAddress, 99u);
    }
}

TEST(FaceIndexPass, ListEndingAtTheFileEndNeedsNoGapAfterIt) {
    Pass pass;
    pass.ws.faceGap = 2;
    auto bytes = words({0, 1, 2, 0xEEEE, 3, 4, 5});  // 14 bytes, no gap after the last face
    EXPECT_EQ(pass.write(bytes, 0, 6), "g submesh_0\nf 1 2 3 \nf 4 5 6 \n");
    EXPECT_TRUE(pass.ran);
    EXPECT_TRUE(pass.panel.messages.empty());
}

}  // namespace
}  // namespace nimbrel
