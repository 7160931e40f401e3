#include "params/vertex_count.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

TEST(ExportVertexCount, ExpectsTheFaceRangeAndMarksBatchCorrections) {
    struct Row {
        const char* name;
        bool relFI;
        std::uint32_t min, max, typed;
        std::uint32_t expected;
        bool emptyRange, bigCorrection, correctionIsSuspect;
    } rows[] = {
        {"largest index", false, 1, 10, 10, 10, false, false, true},
        {"rVC with relFI", true, 5, 9, 5, 5, false, false, false},
        {"relFI over an empty range expects none", true, 7, 3, 0, 0, true, false, false},
        {"eight times too few", false, 1, 10, 1, 10, false, true, true},
        {"not quite eight times", false, 1, 16, 2, 16, false, false, true},
        // 0x20000000 * 8 wraps to 0 in 32 bits, so a huge typed count counts as far too small.
        {"typed count wrapping 32 bits", false, 1, 10, 0x20000000, 10, false, true, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Workspace ws;
        ws.relFI = row.relFI;
        ws.minFaceIndex = row.min;
        ws.maxFaceIndex = row.max;
        const ExportVertexCount rule = exportVertexCount(ws, row.typed);
        EXPECT_EQ(rule.expected, row.expected);
        EXPECT_EQ(rule.emptyRange, row.emptyRange);
        EXPECT_EQ(rule.bigCorrection, row.bigCorrection);
        EXPECT_EQ(rule.correctionIsSuspect, row.correctionIsSuspect);
        EXPECT_EQ(rule.correction, row.relFI ? "  Vertex count set to rVC!" : "  Vertex count set to maxFaceIndex!");
    }
}

}  // namespace
}  // namespace nimbrel
