#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "app/control_table.h"
#include "app/script_runner.h"
#include "support/session.h"
#include "support/temp_dir.h"

namespace nimbrel {
namespace {

using testing::Session;
using testing::TempDir;
using testing::writeFile;

TEST(Dispatcher, ToggleCaptionsCycle) {
    Session s;
    struct Step {
        int id;
        const char* caption;
    };
    const Step steps[] = {
        {cmd::kByteOrder, " bigE"}, {cmd::kByteOrder, " litE"}, {cmd::kIndexSize, " DW "}, {cmd::kIndexSize, "Word"},
        {cmd::kRestartMarker, "FFFF"}, {cmd::kRestartMarker, "std"}, {cmd::kPointCloud, "PtCld"},
        {cmd::kPointCloud, "Fake"}, {cmd::kPointCloud, "noPtC"}, {cmd::kUvDivisor, "w/8k"}, {cmd::kUvDivisor, "w/64k"},
    };
    EXPECT_EQ(s.window.text(cmd::kByteOrder), "litE");
    for (const auto& step : steps) {
        s.send(step.id);
        EXPECT_EQ(s.window.text(step.id), step.caption);
    }
    EXPECT_EQ(s.ws.bigEndian, 0);
    EXPECT_EQ(s.ws.indexSize, 2);
    EXPECT_EQ(s.ws.uvDivisor, 65536.0f);
    s.send(cmd::kPointCloud);
    EXPECT_FALSE(s.window.isEnabled(field::kFaceIndexCnt));
    s.send(cmd::kPointCloud);
    s.send(cmd::kPointCloud);
    EXPECT_TRUE(s.window.isEnabled(field::kFaceIndexCnt));
    EXPECT_TRUE(s.window.messages().empty());
}

TEST(Dispatcher, CheckBoxesFlipMembersAndHint) {
    Session s;
    s.click(cmd::kQuads);
    EXPECT_EQ(s.ws.faceVertexCount, 4);
    EXPECT_EQ(s.ws.quadsMode, 1);
    s.click(cmd::kQuads);
    EXPECT_EQ(s.ws.faceVertexCount, 3);
    s.click(cmd::kTableTest);
    EXPECT_EQ(s.ws.tableLogPath, "test.obj");
    EXPECT_EQ(s.window.text(cmd::kTable), "test");
    s.click(cmd::kUnsignedShorts);
    EXPECT_EQ(s.ws.signedShorts, 0);
    s.click(cmd::kUvGap);
    s.click(cmd::kRelFI);
    EXPECT_EQ(s.window.messages(),
              (std::vector<std::string>{
                  "using quads now!",
                  "Vertices treated as unsigned shorts now.\n(Floats & HF not affected)",
                  "Two bytes offset between tx, ty.\n(not for 'Float')",
                  "relative faceindices (RelFI) choosen\nFor HF_all ONLY! ('Ride')\n\n(takes no effect if "
                  "minFaceIndex==1)",
              }));
}

TEST(Dispatcher, StripModeClearsRelFI) {
    Session s;
    s.click(cmd::kRelFI);
    ASSERT_EQ(s.ws.relFI, 1);
    s.click(cmd::kStrips);
    EXPECT_EQ(s.ws.relFI, 0);
    EXPECT_FALSE(s.window.isChecked(cmd::kRelFI));
    EXPECT_FALSE(s.window.isEnabled(cmd::kRelFI));
    EXPECT_EQ(s.window.text(cmd::kStrips), "Strip");
    s.click(cmd::kStrips);
    EXPECT_EQ(s.ws.relFI, 0);
    EXPECT_TRUE(s.window.isEnabled(cmd::kRelFI));
    EXPECT_EQ(s.window.text(cmd::kStrips), "noStr");
}

TEST(Dispatcher, VbSeqToggleRelabelsStepTwo) {
    Session s;
    s.window.setText(field::kUvPos, "24");
    s.send(cmd::kVbSeq);
    EXPECT_EQ(s.ws.vbMode, 0);
    EXPECT_EQ(s.window.text(cmd::kVbSeq), " seq ");
    EXPECT_EQ(s.window.labelText(Label::step2Label1), "step 2: start of UVs");
    EXPECT_EQ(s.window.labelText(Label::step2Label2), "startaddr 0x");
    EXPECT_FALSE(s.window.isEnabled(field::kUvPos));
    EXPECT_TRUE(s.window.isEnabled(cmd::kGo3));
    EXPECT_TRUE(s.window.isEnabled(cmd::kUVs));
    EXPECT_EQ(s.window.selectedItem(cmd::kFormatCombo), 0);

    s.send(cmd::kVbSeq);
    EXPECT_EQ(s.window.text(cmd::kVbSeq), " VB ");
    EXPECT_EQ(s.ws.uvPos, 24);
    EXPECT_FALSE(s.window.isEnabled(cmd::kGo3));
    EXPECT_FALSE(s.window.isEnabled(field::kUvBlockStart));

    // A UVB size of 3 or less stops the toggle after the labels changed.
    s.send(cmd::kVbSeq);
    s.window.setText(field::kUvBlockSize, "3");
    s.send(cmd::kVbSeq);
    EXPECT_EQ(s.window.messages(), std::vector<std::string>{"error with UVsize!"});
    EXPECT_EQ(s.ws.vbMode, 1);
    EXPECT_EQ(s.window.labelText(Label::step2Label1), "step 2: Vertex Block");
    EXPECT_TRUE(s.window.isEnabled(cmd::kGo3)) << "go3 stays as it was";
}

TEST(Dispatcher, ComboboxRunsOnlyOnSelectionChange) {
    Session s;
    s.window.selectItem(cmd::kFormatCombo, 3);
    s.send(cmd::kFormatCombo);  // an edit notification
    EXPECT_EQ(s.ws.vertexFormat, VertexFormat::Float);
    s.send(cmd::kFormatCombo | 1u << 16);
    EXPECT_EQ(s.ws.vertexFormat, VertexFormat::WordUV);
    EXPECT_TRUE(s.window.isEnabled(cmd::kUvDivisor));
    s.window.selectItem(cmd::kFormatCombo, 0);
    s.send(cmd::kFormatCombo | 1u << 16);
    EXPECT_EQ(s.ws.vertexFormat, VertexFormat::Float);
    EXPECT_FALSE(s.window.isEnabled(cmd::kUvDivisor));
}

TEST(Dispatcher, OpenEnablesStepsAndShowsTheFirstByte) {
    TempDir dir;
    Session s;
    writeFile("model.bin", std::string("\xAB\x01\x02", 3));
    s.click(cmd::kGo1);
    EXPECT_FALSE(s.window.isEnabled(cmd::kGo1));
    s.open("model.bin");
    EXPECT_TRUE(s.window.messages().empty());
    for (int id : {cmd::kGo1, cmd::kGo2, cmd::kGo3, cmd::kVbSeq, cmd::kTable, cmd::kMesh, cmd::kUVs, cmd::kPlus,
                   cmd::kMinus, cmd::kSubmeshExport, cmd::kChainExport, cmd::kSaveParameterFile})
        EXPECT_TRUE(s.window.isEnabled(id)) << id;
    EXPECT_FALSE(s.window.isEnabled(cmd::kCF));
    EXPECT_EQ(s.window.labelText(Label::firstByteLabel), "0xab");
    EXPECT_EQ(s.ws.modelPathStem, (dir.path() / "model").string());
    EXPECT_EQ(s.model.size(), 3u);
}

TEST(Dispatcher, OpenFailuresKeepTheirMessages) {
    TempDir dir;
    Session s;
    s.send(cmd::kOpen);  // no answer: cancelled
    EXPECT_EQ(s.ws.modelPath, "unknown");
    EXPECT_TRUE(s.window.messages().empty());

    writeFile("mesh.vyp.bin", "xyz");
    s.open("mesh.vyp.bin");
    EXPECT_EQ(s.window.messages(), std::vector<std::string>{".VYP is not a model file!"});

    s.window.clearMessages();
    writeFile("empty.bin", "");
    s.open("empty.bin");
    EXPECT_EQ(s.window.messages(), std::vector<std::string>{"the file is empty!"});
    EXPECT_FALSE(s.window.isEnabled(cmd::kGo1));

    s.window.clearMessages();
    writeFile("m.bin", "abc");
    s.ws.batchMode = 1;
    s.ws.modelPath = "gone.bin";
    s.send(cmd::kOpen);
    EXPECT_EQ(s.window.messages(), (std::vector<std::string>{"Invalid file handle!", "the file is empty!"}));
}

TEST(Dispatcher, StartupChecksNameMissingToolsOnce) {
    TempDir dir;
    Session missing(dir.path().string());
    EXPECT_EQ(missing.window.messages(), (std::vector<std::string>{
                                             "wordpad is missing!",
                                             "mesh_viewer not found!\n\nobjs can't be displayed.",
                                         }));
    EXPECT_EQ(missing.ws.viewerMissing, 1);
    EXPECT_EQ(missing.ws.notepadMissing, 1);
    EXPECT_FALSE(missing.window.isEnabled(cmd::kTutorial));
    writeFile("model.bin", "abc");
    missing.open("model.bin");
    EXPECT_FALSE(missing.window.isEnabled(cmd::kMesh));
    EXPECT_TRUE(missing.window.isEnabled(cmd::kGo1));

    // Present but not executable still counts as missing.
    for (const char* tool : {"mesh_viewer", "notepad", "wordpad"}) writeFile(tool, "#!/bin/sh\n");
    Session unrunnable(dir.path().string());
    EXPECT_EQ(unrunnable.window.messages().size(), 2u);
    for (const char* tool : {"mesh_viewer", "notepad", "wordpad"}) std::filesystem::permissions(tool, std::filesystem::perms::owner_all);
    Session present(dir.path().string());
    EXPECT_TRUE(present.window.messages().empty());
    EXPECT_TRUE(present.window.isEnabled(cmd::kTutorial));
    EXPECT_EQ(present.ws.notepadMissing, 0);
    EXPECT_EQ(present.ws.meshViewerPath, (dir.path() / "mesh_viewer").string());
    EXPECT_EQ(present.window.lines(field::kInfoList).size(), 21u);
    EXPECT_EQ(present.window.lines(field::kResultsList).size(), 8u);
}

TEST(Dispatcher, ARelativeAppDirBecomesAbsolute) {
    TempDir dir;
    std::filesystem::create_directory("tools");
    Session s("tools");
    EXPECT_EQ(s.ws.appDir, (dir.path() / "tools").string());
    EXPECT_EQ(s.ws.meshViewerPath, (dir.path() / "tools" / "mesh_viewer").string());
}

TEST(Dispatcher, MenuInfoCommandsAndExit) {
    Session s;
    s.ws.maxFaceAddress = 0x1A0;
    s.send(cmd::kFIri);
    EXPECT_EQ(s.window.lines(field::kInfoList).back(), "1a0");
    s.send(cmd::kCF);
    s.send(field::kVertsCnt | 0x300u << 16);
    EXPECT_TRUE(s.window.messages().empty());
    EXPECT_FALSE(s.window.closeRequested());
    s.send(cmd::kExit);
    EXPECT_TRUE(s.window.closeRequested());
}

TEST(Geometry, FollowsTheDialogBaseUnits) {
    auto at = [](int id) { return geometryOf(*findControl(id), 8, 16, 17); };
    Geometry info = at(1), results = at(29), cf = at(cmd::kCF), quads = at(cmd::kQuads);
    EXPECT_EQ((std::vector<int>{info.x, info.y, info.width, info.height}), (std::vector<int>{8, 16, 289, 128}));
    EXPECT_EQ((std::vector<int>{results.x, results.y, results.width, results.height}),
              (std::vector<int>{8, 136, 289, 160}));
    EXPECT_EQ((std::vector<int>{cf.x, cf.y, cf.width, cf.height}), (std::vector<int>{396, 246, 24, 20}));
    EXPECT_EQ(quads.x, 644);
    Geometry overwrite = geometryOf(findLabel(Label::overwriteLabel), 8, 16, 17);
    EXPECT_EQ(overwrite.y, 14 * 16 + 63);
}

TEST(ScriptRunner, MalformedLinesStopWithTheirNumber) {
    struct Row {
        const char* script;
        int status;
        const char* errorStart;
    };
    const Row rows[] = {
        {"echo hi\nclick 9999x\n", 2, "script line 2:"},
        {"# comment\n\nclick 4242\n", 2, "script line 3:"},
        {"click 8\n", 2, "script line 1:"},
        {"select 8 5\n", 2, "script line 1:"},
        {"cd /no/such/folder/anywhere\n", 2, "script line 1:"},
        {"frobnicate 9\n", 2, "script line 1:"},
        {"select 8 4\nprint 8\nset 2\nprint 2\n", 0, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.script);
        std::istringstream in(row.script);
        std::ostringstream out, err;
        ModelBuffer model(64);
        EXPECT_EQ(runScript(in, out, err, model, "/nonexistent-app-dir", false), row.status);
        EXPECT_EQ(err.str().substr(0, std::string(row.errorStart).size()), row.errorStart);
    }
}

}  // namespace
}  // namespace nimbrel
