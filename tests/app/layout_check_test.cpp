#include "app/layout_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/generated_sheet.h"

namespace nimbrel {
namespace {

using testing::GeneratedModel;
using testing::sheet;

TEST(LayoutCheck, VerdictNamesTheOneWrongSetting) {
    struct Case {
        const char* name;
        GeneratedModel model;
        void (*mistake)(LayoutSettings&);
        std::string verdict;
    };
    const std::vector<Case> cases = {
        {"right list", sheet(12, 10, 2, false, false), [](LayoutSettings&) {}, "layout looks right"},
        {"right DW strip, big-endian", sheet(40, 2, 4, true, true), [](LayoutSettings&) {}, "layout looks right"},
        {"stride off", sheet(12, 10, 2, false, false), [](LayoutSettings& s) { s.fvfSize = 24; },
         "most triangles are long spikes: try FVF size 20"},
        {"face start off by 2", sheet(12, 10, 2, false, false), [](LayoutSettings& s) { s.faceIndexStart += 2; },
         "most faces repeat a vertex: try face start 0x4 (2 bytes back)"},
        {"Word for DW", sheet(12, 10, 4, false, false), [](LayoutSettings& s) { s.indexSize = 2; },
         "most faces repeat a vertex: try DW"},
        {"list for strip", sheet(40, 2, 2, true, false), [](LayoutSettings& s) { s.stripMode = false; },
         "a nearby layout decodes more of the mesh: this may be a strip, try Strip"},
        {"wrong byte order", sheet(12, 10, 2, false, true), [](LayoutSettings& s) { s.bigEndian = false; },
         "indices run past the vertex count and positions are huge, tiny or not numbers: try bigE"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ModelBuffer model(1 << 16);
        model.assign(c.model.bytes.data(), c.model.bytes.size());
        LayoutSettings typed = c.model.right;
        c.mistake(typed);
        LayoutFindings findings;
        const LayoutVerdict verdict = checkLayoutSettings(model, typed, findings);
        EXPECT_EQ(verdict.text, c.verdict);
        EXPECT_EQ(verdict.looksRight, c.verdict == "layout looks right");
        EXPECT_EQ(layoutReportLines(findings, verdict).back(), "verdict: " + c.verdict);
    }
}

TEST(LayoutCheck, ReportCountsWhatTheMeshHolds) {
    // 3 × 2 vertices, 4 triangles; one index (9) past the 6 vertices; vertex 5 used only by it.
    Mesh mesh;
    mesh.positions = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {0, 1, 0}, {1, 1, 0}, {2, 1, 0}};
    mesh.triangles = {{0, 1, 3}, {1, 4, 3}, {1, 2, 4}, {2, 9, 4}};
    mesh.indicesPastVertexBlock = 1;
    const LayoutFindings f = findingsOf(mesh);
    EXPECT_EQ(f.triangles, 4u);
    EXPECT_EQ(f.vertexCount, 6u);
    EXPECT_EQ(f.indicesPastVertexBlock, 1u);
    EXPECT_EQ(f.measures.minIndex, 0u);
    EXPECT_EQ(f.measures.maxIndex, 9u);
    const auto lines = layoutReportLines(f, judgeLayout(f, LayoutSettings{}, {}));
    const std::vector<std::string> expected = {
        "layout check:",
        "triangles: 4",
        "indices: smallest 0, largest 9, vertex count 6",
        "indices past the vertex block: 1",
        "degenerate triangles: 25.0%, needles: 0.0%",
        "vertices never used: 16.7%",
        "non-finite positions: 0",
        "bounding box: (0 0 0)..(2 1 0)",
        "median edge / box diagonal: 0.447214",
        "UVs: none",
        "verdict: indices run past the vertex count: the vertex count is probably too small: try 10",
    };
    EXPECT_EQ(lines, expected);
}

}  // namespace
}  // namespace nimbrel
