#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/control_table.h"
#include "app/layout_apply.h"
#include "support/session.h"
#include "support/temp_dir.h"

namespace nimbrel {
namespace {

using testing::readFile;
using testing::Session;
using testing::TempDir;

// Faces at 0 (list 0 1 2 1 3 2), 0x10 (strips 0 1 2 3 FFFF 0 2 3) and 0x30 (quad 0 1 2 3);
// four Float records of 20 bytes with a float UV pair at 12 from 0x100, the same
// positions packed at 0x600 and their UV pairs packed at 0x700.
std::string model() {
    std::vector<std::uint8_t> bytes(0x800, 0);
    auto put = [&](std::size_t at, const auto& values) { std::memcpy(bytes.data() + at, values, sizeof values); };
    const std::uint16_t list[] = {0, 1, 2, 1, 3, 2};
    const std::uint16_t strips[] = {0, 1, 2, 3, 0xFFFF, 0, 2, 3};
    const std::uint16_t quad[] = {0, 1, 2, 3};
    put(0, list);
    put(0x10, strips);
    put(0x30, quad);
    const float positions[4][3] = {{1, 2, 3}, {-1, 0.5f, 0}, {0.25f, -2, 4}, {8, 16, -0.125f}};
    const float uvs[4][2] = {{0, 0.125f}, {0.5f, 0.25f}, {0.75f, 0.5f}, {0.875f, 0}};
    for (std::size_t i = 0; i < 4; ++i) {
        put(0x100 + 20 * i, positions[i]);
        put(0x100 + 20 * i + 12, uvs[i]);
    }
    put(0x600, positions);
    put(0x700, uvs);
    return std::string(bytes.begin(), bytes.end());
}

constexpr const char* kRecordVertices =
    "# 0x100: verts= 4\n"
    "v 1.000000 2.000000 3.000000\n"
    "v -1.000000 0.500000 0.000000\n"
    "v 0.250000 -2.000000 4.000000\n"
    "v 8.000000 16.000000 -0.125000\n"
    "# 0x150\n";

// The Workspace after a command read the fields. A member the mode never reads (the UV
// block start with UVs in the records, the record fields in seq mode) keeps what came
// before, so it is taken from the layout.
LayoutSettings readBack(const Workspace& ws, const LayoutSettings& applied) {
    LayoutSettings s = layoutSettingsOf(ws);
    if (applied.vbMode && applied.uvPos != kNoUvInRecord) s.uvBlockStart = applied.uvBlockStart;
    if (!applied.vbMode) {
        s.fvfSize = applied.fvfSize;
        s.uvPos = applied.uvPos;
        s.uvBlockSize = applied.uvBlockSize;
    }
    return s;
}

struct Case {
    const char* name;
    LayoutSettings settings;
    std::vector<std::pair<int, std::string>> texts;  // fields and captions afterwards
    std::string testObj;
};

LayoutSettings recordsLayout() {
    LayoutSettings s;
    s.faceIndexCnt = 6;
    s.fvfSize = 20;
    s.uvPos = 12;
    s.vertexStart = 0x100;
    s.vertsCnt = 4;
    return s;
}

std::vector<Case> cases() {
    LayoutSettings list = recordsLayout();
    LayoutSettings seq = list;
    seq.vbMode = false;
    seq.uvBlockStart = 0x700;
    seq.vertexStart = 0x600;
    LayoutSettings restart = list;
    restart.faceIndexStart = 0x10;
    restart.faceIndexCnt = 8;
    restart.stripMode = true;
    restart.ffffSeparator = true;
    LayoutSettings quads = list;
    quads.faceIndexStart = 0x30;
    quads.faceIndexCnt = 4;
    quads.faceVertexCount = 4;
    return {
        {"records",
         list,
         {{field::kFaceIndexStart, "0"}, {field::kFaceIndexCnt, "6"}, {field::kFvfSize, "20"}, {field::kUvPos, "12"},
          {field::kVertexStart, "100"}, {field::kVertsCnt, "4"}, {cmd::kVbSeq, " VB "}, {cmd::kStrips, "noStr"}},
         std::string(kRecordVertices) + "g submesh_0\nf 1 2 3 \nf 2 4 3 \n"},
        {"packed",
         seq,
         {{field::kFvfSize, "700"}, {field::kVertexStart, "600"}, {cmd::kVbSeq, " seq "}},
         "# 0x600: verts= 4\n"
         "v 1.000000 2.000000 3.000000 \n"
         "v -1.000000 0.500000 0.000000 \n"
         "v 0.250000 -2.000000 4.000000 \n"
         "v 8.000000 16.000000 -0.125000 \n"
         "g submesh_0\nf 1 2 3 \nf 2 4 3 \n"},
        {"restart strips",
         restart,
         {{field::kFaceIndexStart, "10"}, {field::kFaceIndexCnt, "8"}, {cmd::kStrips, "Strip"},
          {cmd::kRestartMarker, "FFFF"}, {cmd::kVbSeq, " VB "}},
         std::string(kRecordVertices) +
             "# faceIndexCnt: 9, triangles: 3\ng submesh_0\nf 1/1 2/2 3/3 \nf 2/2 4/4 3/3 \nf 1/1 3/3 4/4 \n"},
        {"quads", quads, {{field::kFaceIndexStart, "30"}, {cmd::kStrips, "noStr"}, {cmd::kRestartMarker, "std"}},
         std::string(kRecordVertices) + "g submesh_0\nf 1 2 4 3\n"},
    };
}

// One session for all layouts, in order, so each apply starts from the toggles the last
// one left, as a user's window does.
TEST(ApplyLayout, FieldsTogglesAndTestObjFollowEachLayout) {
    TempDir dir;
    testing::writeFile("model.bin", model());
    Session s;
    s.open("model.bin");
    ASSERT_EQ(s.model.size(), 0x800u);
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.name);
        s.window.clearMessages();
        ASSERT_TRUE(applyLayout(s.ctx, c.settings));
        for (const auto& [id, text] : c.texts) EXPECT_EQ(s.window.text(id), text) << "control " << id;
        EXPECT_EQ(s.window.isChecked(cmd::kQuads), c.settings.faceVertexCount == 4);
        EXPECT_EQ(s.window.selectedItem(cmd::kFormatCombo), 0);
        s.click(cmd::kMesh);
        EXPECT_EQ(readFile("test.obj"), c.testObj);
        // The command read every field: the Workspace holds the layout.
        EXPECT_EQ(readBack(s.ws, c.settings), c.settings);
        if (c.settings.faceVertexCount == 4) {
            EXPECT_EQ(s.window.messages(), (std::vector<std::string>{"using quads now!"}));
        } else {
            EXPECT_TRUE(s.window.messages().empty());
        }
    }
}

// What "&Save VYP" writes after applyLayout brings the same mesh back through "Open &VYP".
TEST(ApplyLayout, SavedParameterFilesGiveTheSameMesh) {
    TempDir dir;
    testing::writeFile("model.bin", model());
    Session saver;
    saver.open("model.bin");
    std::uint32_t number = 0;
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.name);
        if (unfitForParameterFile(c.settings)) {
            EXPECT_EQ(c.settings.faceVertexCount, 4);  // only the quads are beyond the file
            continue;
        }
        ASSERT_TRUE(applyLayout(saver.ctx, c.settings));
        saver.send(cmd::kSaveParameterFile);
        const std::string parameterFile = "model_" + std::to_string(number++) + ".vyp";
        ASSERT_EQ(saver.ws.parameterFileCounter, number) << saver.window.messages().back();
        Session loader;
        loader.open("model.bin");
        loader.window.queueAnswer(parameterFile);
        loader.send(cmd::kOpenParameterFile);
        ASSERT_FALSE(loader.ws.loadedParameterFile.empty()) << loader.window.messages().back();
        loader.click(cmd::kMesh);
        EXPECT_EQ(readFile("test.obj"), c.testObj);
        EXPECT_EQ(readBack(loader.ws, c.settings), c.settings);
    }
}

TEST(ApplyLayout, CaptionsEnableStatesAndWordUvDivisor) {
    TempDir dir;
    testing::writeFile("model.bin", model());
    Session s;
    s.open("model.bin");
    LayoutSettings big = recordsLayout();
    big.bigEndian = true;
    big.indexSize = 4;
    big.vertexFormat = VertexFormat::WordUV;
    big.uvDivisor = 8192.0f;
    big.uvPos = kNoUvInRecord;
    big.uvBlockStart = 0x780;
    big.uvBlockSize = 12;
    ASSERT_TRUE(applyLayout(s.ctx, big));
    s.click(cmd::kGo1);
    s.click(cmd::kGo2);
    EXPECT_EQ(layoutSettingsOf(s.ws), big);
    EXPECT_EQ(s.window.text(cmd::kByteOrder), " bigE");
    EXPECT_EQ(s.window.text(cmd::kIndexSize), " DW ");
    EXPECT_EQ(s.window.text(cmd::kUvDivisor), "w/8k");
    EXPECT_EQ(s.window.text(cmd::kFormatCombo), "WordUV");
    EXPECT_EQ(s.window.text(field::kUvBlockStart), "780");
    EXPECT_EQ(s.window.text(field::kUvBlockSize), "12");
    EXPECT_TRUE(s.window.isEnabled(field::kUvBlockStart));
    // UVs in the records again: the UV block fields are disabled as the VB toggle leaves them.
    LayoutSettings back = recordsLayout();
    ASSERT_TRUE(applyLayout(s.ctx, back));
    s.click(cmd::kMesh);
    EXPECT_EQ(readBack(s.ws, back), back);
    EXPECT_EQ(s.window.text(cmd::kByteOrder), " litE");
    EXPECT_EQ(s.window.text(cmd::kIndexSize), "Word");
    EXPECT_EQ(s.window.text(cmd::kUvDivisor), "w/64k");
    EXPECT_FALSE(s.window.isEnabled(field::kUvBlockStart));
    EXPECT_FALSE(s.window.isEnabled(cmd::kUvDivisor));
}

TEST(ApplyLayout, RefusesWithoutModelOrUntypableSettings) {
    Session s;
    EXPECT_FALSE(applyLayout(s.ctx, recordsLayout()));
    TempDir dir;
    testing::writeFile("model.bin", model());
    s.open("model.bin");
    LayoutSettings tooMany = recordsLayout();
    tooMany.faceIndexCnt = 10'000'000;
    const std::string before = s.window.text(field::kFaceIndexCnt);
    EXPECT_FALSE(applyLayout(s.ctx, tooMany));
    EXPECT_EQ(s.window.text(field::kFaceIndexCnt), before);
    EXPECT_EQ(unfitForParameterFile(recordsLayout()), std::nullopt);
    LayoutSettings gap = recordsLayout();
    gap.faceGap = 2;
    EXPECT_EQ(unfitForParameterFile(gap), "a parameter file holds no face gap");
}

}  // namespace
}  // namespace nimbrel
