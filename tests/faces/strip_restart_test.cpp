#include "faces/strip_restart.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/face_branch.h"
#include "face_test_support.h"
#include "support/recording_window.h"

namespace nimbrel {
namespace {

using testing::RecordingWindow;
using testing::TestModel;
using testing::words;
using testing::writtenBy;
using Lines = std::vector<std::string>;
using Triangles = std::vector<unsigned short>;

constexpr std::uint32_t M = kRestartMarker;

Triangles held(const StripScratch& scratch) {
    return Triangles(scratch.indices.get(), scratch.indices.get() + scratch.stripIndexCount);
}

struct Conversion {
    Workspace ws;
    RecordingWindow panel;

    StripConversion run(const std::vector<std::uint8_t>& bytes, std::uint32_t start, std::uint32_t count) {
        TestModel model(bytes);
        const RestartStripResult r = convertRestartStrips(model.buffer, start, count, ws.bigEndian != 0,
                                                          ws.stripScratch, kRestartMarker, panel);
        if (r.outcome == StripConversion::PastEnd) showFaceBlockPastEnd(panel, r.indicesThatFit);
        return r.outcome;
    }
    StripConversion run(const std::vector<std::uint8_t>& bytes) {
        return run(bytes, 0, static_cast<std::uint32_t>(bytes.size() / 2));
    }
};

TEST(StripRestart, MarkerStartsNewStripWithFreshParity) {
    struct Row {
        const char* name;
        std::vector<std::uint8_t> bytes;
        Triangles triangles;
    } rows[] = {
        {"no marker", words({0, 1, 2, 3}), {0, 1, 2, 1, 3, 2}},
        {"parity restarts", words({0, 1, 2, M, 3, 4, 5, 6}), {0, 1, 2, 3, 4, 5, 4, 6, 5}},
        {"marker at the end", words({0, 1, 2, M}), {0, 1, 2}},
        {"exactly three", words({7, 8, 9}), {7, 8, 9}},
        {"repeated indices stay", words({1, 1, 2, 3}), {1, 1, 2, 1, 3, 2}},
        {"long strip", words({0, 1, 2, 3, 4, 5}), {0, 1, 2, 1, 3, 2, 2, 3, 4, 3, 5, 4}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Conversion c;
        EXPECT_EQ(c.run(row.bytes), StripConversion::Converted);
        EXPECT_EQ(held(c.ws.stripScratch), row.triangles);
        EXPECT_EQ(c.ws.stripScratch.stripTriangleCount, row.triangles.size() / 3);
        EXPECT_EQ(c.ws.stripScratch.stripValuesConsumed, row.bytes.size() / 2);
        EXPECT_TRUE(c.panel.results.empty());
    }
}

TEST(StripRestart, ValuesConvertInTheChosenByteOrder) {
    const auto bytes = words({5, 256, 7}, true);
    Conversion big;
    big.ws.bigEndian = 1;
    EXPECT_EQ(big.run(bytes), StripConversion::Converted);
    EXPECT_EQ(held(big.ws.stripScratch), (Triangles{5, 256, 7}));
    Conversion little;
    EXPECT_EQ(little.run(bytes), StripConversion::Converted);
    EXPECT_EQ(held(little.ws.stripScratch), (Triangles{1280, 1, 1792}));
}

TEST(StripRestart, ShortStripIsReportedAndKeepsThePreviousTriangles) {
    struct Row {
        const char* name;
        std::vector<std::uint8_t> bytes;
        std::uint32_t count;
        Lines report;
    } rows[] = {
        {"two values before a marker", words({0, 1, M, 2, 3, 4}), 6,
         {"TriStrips error at index 0 (65535-0)", "0: 0", "1: 1", "2: 65535", "3: 2", "4: 3", "5: 4", "----------"}},
        {"marker first", words({M, 0, 1, 2}), 4,
         {"TriStrips error at index 0 (65535-65535)", "0: 65535", "1: 0", "2: 1", "3: 2", "----------"}},
        {"two markers in a row", words({0, 1, 2, M, M, 3, 4, 5}), 8,
         {"TriStrips error at index 3 (65535-65535)", "0: 0", "1: 1", "2: 2", "3: 65535", "4: 65535", "5: 3", "6: 4",
          "7: 5", "----------"}},
        {"two markers at the end", words({0, 1, 2, 3, M, M}), 6,
         {"TriStrips error at index 6 (65535-65535)", "0: 0", "1: 1", "2: 2", "3: 3", "4: 65535", "5: 65535",
          "----------"}},
        // The last strip ends at the block end: its end word is the one just after it.
        {"short last strip", words({0, 1, 2, 3, M, 5, 6, 0x1234}), 7,
         {"TriStrips error at index 6 (4660-5)"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Conversion c;
        ASSERT_EQ(c.run(words({9, 8, 7})), StripConversion::Converted);
        EXPECT_EQ(c.run(row.bytes, 0, row.count), StripConversion::Rejected);
        EXPECT_EQ(c.panel.results, row.report);
        EXPECT_EQ(held(c.ws.stripScratch), (Triangles{9, 8, 7}));
        EXPECT_EQ(c.ws.stripScratch.stripValuesConsumed, 3u);
        EXPECT_TRUE(c.panel.messages.empty());
    }
}

TEST(StripRestart, DiagnosticsShowWordsAsStored) {
    Conversion c;
    c.ws.bigEndian = 1;
    EXPECT_EQ(c.run(words({5, 6, M, 7, 8, 9}, true)), StripConversion::Rejected);
    EXPECT_EQ(c.panel.results, (Lines{"TriStrips error at index 0 (65535-1280)", "0: 1280", "1: 1536", "2: 65535",
                                      "3: 1792", "4: 2048", "5: 2304", "----------"}));
}

TEST(StripRestart, ShortLastStripAtTheModelEndReadsNothingPastIt) {
    Conversion c;
    EXPECT_EQ(c.run(words({0, 1, 2, M, 5, 6})), StripConversion::Rejected);
    EXPECT_EQ(c.panel.results, (Lines{"TriStrips error at index 3 (0-5)"}));
}

TEST(StripRestart, FewerThanThreeValuesFailSilently) {
    for (std::uint32_t count : {0u, 1u, 2u}) {
        SCOPED_TRACE(count);
        Conversion c;
        EXPECT_EQ(c.run(words({0, 1, 2}), 0, count), StripConversion::Rejected);
        EXPECT_TRUE(c.panel.results.empty());
        EXPECT_TRUE(c.panel.messages.empty());
        EXPECT_FALSE(c.ws.stripScratch.indices);
    }
}

TEST(StripRestart, BlockPastTheModelEndIsNotConverted) {
    Conversion c;
    ASSERT_EQ(c.run(words({9, 8, 7})), StripConversion::Converted);
    // 0x10 + 2 * 6 = 0x1c > 0x18: four values fit.
    std::vector<std::uint8_t> bytes(0x18, 0);
    EXPECT_EQ(c.run(bytes, 0x10, 6), StripConversion::PastEnd);
    EXPECT_EQ(c.panel.messages, (Lines{"EOF met!\nfaceIndexCnt reduced"}));
    EXPECT_EQ(c.panel.text(field::kFaceIndexCnt), "3");
    EXPECT_EQ(held(c.ws.stripScratch), (Triangles{9, 8, 7}));
}

TEST(StripFaces, ListsFacesWithPositionsAndSummary) {
    Conversion c;
    std::vector<std::uint8_t> bytes(0x1000, 0xEE);
    for (std::uint8_t b : words({0, 1, 2, 3, M, 4, 5, 6, 7, 8, M, 9})) bytes.push_back(b);
    c.ws.faceIndexStart = 0x1000;
    ASSERT_EQ(c.run(bytes, 0x1000, 11), StripConversion::Converted);
    keepFaceRange(c.ws,
                  writeStripFaces(c.ws, nullptr, c.ws.stripScratch.stripIndexCount, FaceMode::List, false, c.panel));
    EXPECT_EQ(c.panel.results, (Lines{"0: f  1 2 3 ", "3: f  2 4 3 ", "6: f  5 6 7 ", "9: f  6 8 7 ",
                                      "12: f  7 8 9 ", "1016 (end of FI list)", " ----------", "min face index: 1",
                                      "max face index: 9 (== vertex count?)"}));
    EXPECT_EQ(c.ws.minFaceIndex, 1u);
    EXPECT_EQ(c.ws.maxFaceIndex, 9u);
}

TEST(StripFaces, LargestStoredIndexPrintsAs65535) {
    Conversion c;
    ASSERT_EQ(c.run(words({0xFFFE, 0xFFFD, 0})), StripConversion::Converted);
    keepFaceRange(c.ws,
                  writeStripFaces(c.ws, nullptr, c.ws.stripScratch.stripIndexCount, FaceMode::List, false, c.panel));
    EXPECT_EQ(c.panel.results, (Lines{"0: f  65535 65534 1 ", "6 (end of FI list)", " ----------",
                                      "min face index: 1", "max face index: 65535 (== vertex count?)"}));
}

TEST(StripFaces, WritesHeaderGroupsAndSlashForm) {
    Conversion c;
    ASSERT_EQ(c.run(words({0, 1, 2, 3})), StripConversion::Converted);
    std::string text = writtenBy([&](TextOut& out) {
        keepFaceRange(c.ws,
                      writeStripFaces(c.ws, &out, c.ws.stripScratch.stripIndexCount, FaceMode::Write, true, c.panel));
    });
    EXPECT_EQ(text, "# faceIndexCnt: 6, triangles: 2\ng submesh_0\nf 1/1 2/2 3/3 \nf 2/2 4/4 3/3 \n");
    text = writtenBy([&](TextOut& out) {
        keepFaceRange(c.ws,
                      writeStripFaces(c.ws, &out, c.ws.stripScratch.stripIndexCount, FaceMode::Write, false, c.panel));
    });
    EXPECT_EQ(text, "# faceIndexCnt: 6, triangles: 2\ng submesh_0\nf 1 2 3 \nf 2 4 3 \n");
    EXPECT_TRUE(c.panel.results.empty());
}

TEST(StripFaces, GroupLineEveryThousandFacesNumberedByPosition) {
    std::vector<std::uint8_t> bytes;
    for (std::uint32_t i = 0; i < 2003; ++i) {
        bytes.push_back(i % 250);
        bytes.push_back(0);
    }
    Conversion c;
    ASSERT_EQ(c.run(bytes), StripConversion::Converted);
    ASSERT_EQ(c.ws.stripScratch.stripTriangleCount, 2001u);
    std::string text = writtenBy([&](TextOut& out) {
        keepFaceRange(c.ws,
                      writeStripFaces(c.ws, &out, c.ws.stripScratch.stripIndexCount, FaceMode::Write, false, c.panel));
    });
    const std::size_t g3 = text.find("g submesh_3\n");
    const std::size_t g6 = text.find("g submesh_6\n");
    ASSERT_NE(g3, std::string::npos);
    ASSERT_NE(g6, std::string::npos);
    // Header, group 0, then 1000 faces before group 3 and 1000 more before group 6.
    EXPECT_EQ(std::count(text.begin(), text.begin() + g3, '\n'), 2 + 1000);
    EXPECT_EQ(std::count(text.begin() + g3, text.begin() + g6, '\n'), 1 + 1000);
    EXPECT_EQ(text.find("g submesh_", g6 + 1), std::string::npos);
}

TEST(StripFaces, ScanMeasuresAndNeverReadsPastTheArray) {
    Conversion c;
    ASSERT_EQ(c.run(words({4, 9, 6, 5})), StripConversion::Converted);
    keepFaceRange(c.ws, writeStripFaces(c.ws, nullptr, 1000, FaceMode::Scan, false, c.panel));
    EXPECT_TRUE(c.panel.results.empty());
    EXPECT_EQ(c.ws.minFaceIndex, 5u);
    EXPECT_EQ(c.ws.maxFaceIndex, 10u);

    Workspace empty;
    keepFaceRange(empty, writeStripFaces(empty, nullptr, 30, FaceMode::Scan, false, c.panel));
    EXPECT_EQ(empty.minFaceIndex, 65535u);
    EXPECT_EQ(empty.maxFaceIndex, 1u);
}

}  // namespace
}  // namespace nimbrel
