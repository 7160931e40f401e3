#include "faces/face_line.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "face_test_support.h"

namespace nimbrel {
namespace {

std::string printed(const char* fmt, long v) {
    char text[64];
    std::snprintf(text, sizeof text, fmt, v, v);
    return text;
}

TEST(FaceLine, VerticesReadAsPrintfWritesThem) {
    for (long v : {0L, 7L, 65536L, 16777216L, 4294967295L, 4294967296L, -1L, -2147483648L}) {
        SCOPED_TRACE(v);
        FaceLine line;
        EXPECT_EQ(line.vertex(v, false).view(), printed("%ld ", v));
        EXPECT_EQ(line.clear().vertex(v, true).view(), printed("%ld/%ld ", v));
    }
}

TEST(FaceLine, EveryNumberUpToAMillionAndSamplesBeyond) {
    FaceLine line;
    for (long v = 0; v < 1000000; ++v) {
        line.clear().number(v);
        ASSERT_EQ(line.view(), std::to_string(v)) << v;
    }
    for (long v = 1000000; v < 4294967296L; v = v * 3 + 7) {
        line.clear().number(v);
        ASSERT_EQ(line.view(), std::to_string(v)) << v;
    }
}

TEST(FaceLine, BlockHandsEveryLineToTheOutputInOrder) {
    std::string expected;
    std::string written = testing::writtenBy([&](TextOut& out) {
        out.put("head\n");
        FaceBlock faces(&out);
        for (std::uint32_t i = 0; i < 5000; ++i) {
            faces.put("f ").vertex(i, true).vertex(i + 1, false).dropLast().put('\n');
            faces.endLine();
            expected += printed("f %ld/%ld ", i) + std::to_string(i + 1) + "\n";
        }
    });
    EXPECT_EQ(written, "head\n" + expected);
}

}  // namespace
}  // namespace nimbrel
