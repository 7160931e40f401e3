#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/control_table.h"
#include "support/session.h"
#include "support/temp_dir.h"

namespace nimbrel {
namespace {

using testing::readFile;
using testing::Session;
using testing::TempDir;
using testing::writeFile;

struct LoadSession : Session {
    LoadSession() {
        std::vector<std::uint8_t> bytes(0x1000, 0);
        model.assign(bytes.data(), bytes.size());
        ws.modelPathStem = "m";
    }
    void load(const std::string& path) {
        window.queueAnswer(path);
        send(cmd::kOpenParameterFile);
    }
};

TEST(OpenParameterFile, LeavesVbModeCaptionsAndEnablesAsTheFileSays) {
    TempDir dir;
    writeFile("vb.vyp", "0x10 6\nVb1\n32 24\n0x20 5\n141311\n0x0 255\n\n");
    writeFile("seq.vyp", "0x10 6\nVb0\n0x800\n0x20 -5\n020000\n0x800 255\n\n");
    LoadSession s;
    s.window.setChecked(cmd::kRelFI, true);
    s.ws.relFI = 1;
    s.load((dir.path() / "vb.vyp").string());
    EXPECT_EQ(s.ws.loadedParameterFile, (dir.path() / "vb.vyp").string());
    EXPECT_EQ(s.ws.vbMode, 1);
    EXPECT_EQ(s.window.text(cmd::kVbSeq), " VB ");
    EXPECT_EQ(s.window.labelText(Label::step2Label1), "step 2: Vertex Block");
    EXPECT_EQ(s.window.text(cmd::kByteOrder), " bigE");
    EXPECT_EQ(s.window.text(cmd::kIndexSize), " DW ");
    EXPECT_EQ(s.window.text(cmd::kStrips), "Strip");
    EXPECT_EQ(s.window.text(cmd::kRestartMarker), "FFFF");
    EXPECT_EQ(s.ws.relFI, 0);
    EXPECT_FALSE(s.window.isChecked(cmd::kRelFI));
    EXPECT_FALSE(s.window.isEnabled(cmd::kRelFI));
    EXPECT_TRUE(s.window.isEnabled(cmd::kUvDivisor));
    EXPECT_EQ(s.window.selectedItem(cmd::kFormatCombo), 3);
    EXPECT_FALSE(s.window.isEnabled(field::kUvBlockStart)) << "uvPos 24 is not 99";
    EXPECT_EQ(s.ws.fvfSize, 32);
    EXPECT_EQ(s.ws.uvPos, 24);
    EXPECT_EQ(s.ws.parameterFilePath, (dir.path() / "vb.vyp").string());

    s.window.addLine(field::kResultsList, "old");
    s.load((dir.path() / "seq.vyp").string());
    EXPECT_EQ(s.ws.vbMode, 0);
    EXPECT_EQ(s.window.text(cmd::kVbSeq), " seq ");
    EXPECT_EQ(s.window.labelText(Label::step2Label1), "step 2: start of UVs");
    EXPECT_EQ(s.window.text(cmd::kByteOrder), " litE");
    EXPECT_EQ(s.window.text(cmd::kIndexSize), "Word");
    EXPECT_EQ(s.window.text(cmd::kStrips), "noStr");
    EXPECT_TRUE(s.window.isEnabled(cmd::kRelFI));
    EXPECT_EQ(s.ws.uvBlockStart, 0x800u);
    EXPECT_EQ(s.window.text(field::kVertsCnt), "0");
    EXPECT_TRUE(s.window.lines(field::kResultsList).empty()) << "an interactive load clears the list, note included";

    // In a batch the note stays; a load that fails leaves no parameter file loaded.
    s.ws.batchMode = 1;
    s.ws.parameterFilePath = (dir.path() / "seq.vyp").string();
    s.send(cmd::kOpenParameterFile);
    EXPECT_EQ(s.window.lines(field::kResultsList), std::vector<std::string>{" cnt in VYP is negative!"});
    s.ws.parameterFilePath = (dir.path() / "missing.vyp").string();
    s.send(cmd::kOpenParameterFile);
    EXPECT_EQ(s.ws.loadedParameterFile, "");
    EXPECT_EQ(s.window.messages(), std::vector<std::string>{" The vyp file could not be opened!\n"});

    s.ws.batchMode = 0;
    s.send(cmd::kOpenParameterFile);  // no answer queued: the dialog is cancelled
    EXPECT_EQ(s.ws.loadedParameterFile, "");
    EXPECT_EQ(s.window.messages().size(), 1u);
}

TEST(SaveParameterFile, WritesTheNextNumberFromTheFields) {
    TempDir dir;
    LoadSession s;
    const std::pair<int, const char*> fields[] = {{2, "400"}, {3, "300"}, {32, "0"}, {4, "32"},  {5, "24"},
                                                  {30, "0"},  {31, "255"}, {6, "a00"}, {7, "100"}};
    for (auto [id, text] : fields) s.window.setText(id, text);
    s.send(cmd::kSaveParameterFile);
    s.send(cmd::kSaveParameterFile);
    EXPECT_EQ(readFile("m_0.vyp"), "0x400 300\nVb1\n32 24\n0xA00 100\n020000\n0x0 255\n\n");
    EXPECT_EQ(readFile("m_1.vyp"), readFile("m_0.vyp"));
    EXPECT_EQ(s.ws.parameterFileCounter, 2);
    EXPECT_TRUE(s.window.messages().empty());
}

}  // namespace
}  // namespace nimbrel
