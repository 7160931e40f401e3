#include "params/parameter_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/window_reports.h"
#include "support/recording_window.h"
#include "support/temp_dir.h"

namespace nimbrel {
namespace {

using testing::readFile;
using testing::RecordingWindow;
using testing::TempDir;
using testing::writeFile;

struct Fixture {
    Workspace ws;
    ModelBuffer model{0x1000};
    RecordingWindow panel;

    Fixture() {
        std::vector<std::uint8_t> bytes(0x1000, 0);
        model.assign(bytes.data(), bytes.size());
        // The example setup: 300 list indices at 0x400, 100 Float records of 32 bytes with
        // UVs at byte 24 from 0xA00.
        panel.fields = {{2, "400"}, {3, "300"}, {32, "0"}, {4, "32"},  {5, "24"},
                        {30, "0"},  {31, "255"}, {6, "a00"}, {7, "100"}, {33, "0"}};
    }
    bool save(bool vbMode) { return saveParameterFile(ws, model, panel, "car", vbMode); }
};

TEST(ParameterFile, SavesTheSixLinesOfEitherForm) {
    TempDir dir;
    Fixture f;
    ASSERT_TRUE(f.save(true));
    EXPECT_EQ(readFile("car_0.vyp"), "0x400 300\nVb1\n32 24\n0xA00 100\n020000\n0x0 255\n\n");

    // seq: field 4 is the UV start, written on line 3 and again on line 6.
    f.panel.fields[4] = "6f0";
    f.ws.bigEndian = 1;
    f.ws.indexSize = 4;
    f.ws.stripMode = 1;
    f.ws.vertexFormat = VertexFormat::HF_all;
    f.ws.ffffSeparator = 1;
    f.ws.reservedCodeFlag = 1;
    ASSERT_TRUE(f.save(false));
    EXPECT_EQ(readFile("car_1.vyp"), "0x400 300\nVb0\n0x6F0\n0xA00 100\n141211\n0x6F0 255\n\n");
    EXPECT_EQ(f.ws.parameterFileCounter, 2);
    EXPECT_TRUE(f.panel.messages.empty());
}

TEST(ParameterFile, NamesFollowTheCounterUpTo2999) {
    TempDir dir;
    EXPECT_EQ(parameterFileName("/m/car", 0), "/m/car_0.vyp");
    EXPECT_EQ(parameterFileName("/m/car.v2", 2999), "/m/car.v2_2999.vyp");
    Fixture f;
    f.ws.parameterFileCounter = 2999;
    ASSERT_TRUE(f.save(true));
    EXPECT_TRUE(std::filesystem::exists("car_2999.vyp"));
    EXPECT_FALSE(f.save(true));
    EXPECT_EQ(f.panel.messages, std::vector<std::string>{"more than 2999 VYP files not allowed!"});
    EXPECT_FALSE(std::filesystem::exists("car_3000.vyp"));
    EXPECT_EQ(f.ws.parameterFileCounter, 3000);
}

TEST(ParameterFile, NeverReplacesAFileAndLeavesNoEmptyOne) {
    TempDir dir;
    Fixture f;
    writeFile("car_0.vyp", "the user's own text");
    EXPECT_FALSE(f.save(true));
    EXPECT_EQ(f.panel.messages, std::vector<std::string>{"car_0.vyp\n exists!"});
    EXPECT_EQ(readFile("car_0.vyp"), "the user's own text");
    EXPECT_EQ(f.ws.parameterFileCounter, 0);

    // A refused field check creates nothing, so the corrected save can use the number.
    f.panel.messages.clear();
    f.ws.parameterFileCounter = 1;
    f.panel.fields[2] = "";
    EXPECT_FALSE(f.save(true));
    EXPECT_FALSE(std::filesystem::exists("car_1.vyp"));
    f.panel.fields[2] = "400";
    f.panel.fields[6] = "1001";  // past the 0x1000-byte model
    EXPECT_FALSE(f.save(true));
    EXPECT_FALSE(std::filesystem::exists("car_1.vyp"));
    EXPECT_EQ(f.panel.messages, (std::vector<std::string>{"go1: all editboxes must contain a value!",
                                                          "go3: error!\n v address greater than filesize"}));
    f.panel.fields[6] = "a00";
    EXPECT_TRUE(f.save(true));
    EXPECT_EQ(f.ws.parameterFileCounter, 2);

    f.panel.messages.clear();
    f.ws.parameterFileCounter = 0;
    EXPECT_FALSE(saveParameterFile(f.ws, f.model, f.panel, "no-such-folder/car", true));
    EXPECT_EQ(f.panel.messages, std::vector<std::string>{" VYP-file could not be created!\n"});
}

TEST(ParameterFile, EveryToggleCombinationSurvivesSaveAndLoad) {
    TempDir dir;
    int number = 0;
    for (int vb = 0; vb < 2; ++vb)
        for (int code = 0; code < 2 * 2 * 2 * 5 * 2 * 2; ++code) {
            Fixture f;
            int c = code;
            f.ws.bigEndian = c % 2, c /= 2;
            f.ws.indexSize = c % 2 ? 4 : 2, c /= 2;
            f.ws.stripMode = c % 2, c /= 2;
            f.ws.vertexFormat = static_cast<VertexFormat>(c % 5), c /= 5;
            f.ws.ffffSeparator = c % 2, c /= 2;
            f.ws.reservedCodeFlag = c % 2;
            f.ws.parameterFileCounter = static_cast<std::uint16_t>(number);
            f.panel.fields[4] = vb ? "40" : "fe0";
            f.panel.fields[5] = vb ? "99" : "24";
            f.panel.fields[30] = "c00";
            f.panel.fields[31] = "8";
            SCOPED_TRACE(::testing::Message() << "vb " << vb << " code " << code);
            ASSERT_TRUE(f.save(vb));
            const std::string name = parameterFileName("car", static_cast<std::uint32_t>(number++));

            Fixture g;
            g.panel.fields.clear();
            g.ws.vbMode = !vb;
            g.ws.indexSize = 2;
            ASSERT_TRUE(loadParameterFile(g.ws, g.panel, name));
            EXPECT_EQ(g.ws.vbMode, vb);
            EXPECT_EQ(g.ws.bigEndian, f.ws.bigEndian);
            EXPECT_EQ(g.ws.indexSize, f.ws.indexSize);
            EXPECT_EQ(g.ws.stripMode, f.ws.stripMode);
            EXPECT_EQ(g.ws.vertexFormat, f.ws.vertexFormat);
            EXPECT_EQ(g.ws.ffffSeparator, f.ws.ffffSeparator);
            EXPECT_EQ(g.ws.reservedCodeFlag, f.ws.reservedCodeFlag);
            std::map<int, std::string> want = {{2, "400"}, {3, "300"}, {4, vb ? "40" : "fe0"}, {6, "a00"},
                                               {7, "100"}, {30, vb ? "c00" : "fe0"}, {31, vb ? "8" : "255"}};
            if (vb) want[5] = "99";
            EXPECT_EQ(g.panel.fields, want);

            // Saving what was loaded gives the same bytes again.
            g.panel.fields[32] = "0";
            if (!vb) g.panel.fields[5] = "24";
            g.ws.parameterFileCounter = 0;
            ASSERT_TRUE(saveParameterFile(g.ws, g.model, g.panel, "again", vb));
            EXPECT_EQ(readFile("again_0.vyp"), readFile(name));
            std::filesystem::remove("again_0.vyp");
        }
}

struct LoadCase {
    const char* name;
    std::string text;
    std::vector<std::string> messages;
    std::map<int, std::string> fields;  // every field after the load; the rest hold "keep"
    bool ok = false;
};

std::map<int, std::string> keptFields(std::map<int, std::string> changed) {
    std::map<int, std::string> all;
    for (int id : {2, 3, 4, 5, 6, 7, 30, 31}) all[id] = "keep";
    for (auto& [id, text] : changed) all[id] = text;
    return all;
}

TEST(ParameterFile, MalformedFilesStopAtTheirFirstFault) {
    TempDir dir;
    const std::string longToken(100000, 'A');
    const std::string path = (dir.path() / "m_0.vyp").string();
    const std::vector<LoadCase> cases = {
        {"second token not V", "0x10 3\nXb1\n32 24\n0x20 5\n020000\n0x0 255\n",
         {"The 2nd line of a VYP dataset\n   must be 'Vb' or 'VB'"}, {{2, "10"}, {3, "3"}}},
        {"third character not 0/1", "0x10 3\nVb2\n32 24\n0x20 5\n020000\n0x0 255\n",
         {"The 2nd line of a VYP dataset\n must be 'VB0' or 'VB1'"}, {{2, "10"}, {3, "3"}}},
        {"second token too short", "0x10 3 V", {"The 2nd line of a VYP dataset\n must be 'VB0' or 'VB1'"},
         {{2, "10"}, {3, "3"}}},
        {"codestring missing", "0x10 3\nVb1\n32 24\n0x20 5\n", {"Error: codestring in VYP-file is empty!"},
         {{2, "10"}, {3, "3"}, {4, "32"}, {5, "24"}, {6, "20"}, {7, "5"}}},
        {"five numerals in the short form", "0x10 3\nVB1\n32 24\n0x20 5\n14000\n",
         {"Error: more than 4 numerals\n in VYP's codestring!"},
         {{2, "10"}, {3, "3"}, {4, "32"}, {5, "24"}, {6, "20"}, {7, "5"}}},
        {"three numerals", "0x10 3\nVb0\n0x30\n0x20 5\n020\n0x0 255\n",
         {"Error: less than 4 numerals\n in VYP's codestring!"},
         {{2, "10"}, {3, "3"}, {4, "30"}, {6, "20"}, {7, "5"}, {30, "0"}, {31, "255"}}},
        {"index size 3", "0x10 3\nVB1\n32 24\n0x20 5\n0300\n", {"Error in VYP:\n codestring's  2. numeral != {2 or 4}"},
         {{2, "10"}, {3, "3"}, {4, "32"}, {5, "24"}, {6, "20"}, {7, "5"}}},
        {"format 5", "0x10 3\nVB1\n32 24\n0x20 5\n0205\n", {"Error in VYP:\n codestring's 3. numeral != {0..4}"},
         {{2, "10"}, {3, "3"}, {4, "32"}, {5, "24"}, {6, "20"}, {7, "5"}}},
        {"empty file", "", {"The 2nd line of a VYP dataset\n   must be 'Vb' or 'VB'"}, {}},
        {"cut after line 1", "0x10 3\n", {"The 2nd line of a VYP dataset\n   must be 'Vb' or 'VB'"},
         {{2, "10"}, {3, "3"}}},
        {"cut before line 6", "0x10 3\nVb1\n32 24\n0x20 5\n020000\n",
         {"Error in VYP:\n " + path + "\n ends before the UV block size (line 6)"},
         {{2, "10"}, {3, "3"}, {4, "32"}, {5, "24"}, {6, "20"}, {7, "5"}}},
        {"cut inside line 6", "0x10 3\nVb1\n32 24\n0x20 5\n020000\n0x40",
         {"Error in VYP:\n " + path + "\n ends before the UV block size (line 6)"},
         {{2, "10"}, {3, "3"}, {4, "32"}, {5, "24"}, {6, "20"}, {7, "5"}, {30, "40"}}},
        {"garbage start", "0xZZ 3\nVb1\n", {"Error in VYP:\n " + path + "\n '0xZZ' is not a hexadecimal number\n (face index start)"},
         {}},
        {"garbage count", "0x10 3x\nVb1\n",
         {"Error in VYP:\n " + path + "\n '3x' is not a decimal number\n (face index count)"}, {{2, "10"}}},
        {"count past 32 bits", "0x10 99999999999\nVb1\n",
         {"Error in VYP:\n " + path + "\n '99999999999' is not a decimal number\n (face index count)"}, {{2, "10"}}},
        {"start past 32 bits", "0x100000000 3\nVb1\n",
         {"Error in VYP:\n " + path + "\n '0x100000000' is not a hexadecimal number\n (face index start)"}, {}},
        {"garbage UV pos", "0x10 3\nVb1\n32 x24\n0x20 5\n020000\n0x0 255\n",
         {"Error in VYP:\n " + path + "\n 'x24' is not a decimal number\n (UV pos)"}, {{2, "10"}, {3, "3"}, {4, "32"}}},
        {"missing UV pos shifts the tokens", "0x10 3\nVb1\n32\n0x20 5\n020000\n0x0 255\n",
         {"Error in VYP:\n " + path + "\n '0x20' is not a decimal number\n (UV pos)"}, {{2, "10"}, {3, "3"}, {4, "32"}}},
        {"garbage UV block size", "0x10 3\nVb1\n32 24\n0x20 5\n020000\n0x0 big\n",
         {"Error in VYP:\n " + path + "\n 'big' is not a decimal number\n (UV block size)"},
         {{2, "10"}, {3, "3"}, {4, "32"}, {5, "24"}, {6, "20"}, {7, "5"}, {30, "0"}}},
        {"very long first line", longToken + " 3\nVb1\n",
         {"Error in VYP:\n " + path + "\n '" + std::string(32, 'A') + "...' is not a hexadecimal number\n (face index start)"},
         {}},
        {"very long codestring in the short form", "0x10 3\nVB1\n32 24\n0x20 5\n14" + longToken + "\n",
         {"Error: more than 4 numerals\n in VYP's codestring!"},
         {{2, "10"}, {3, "3"}, {4, "32"}, {5, "24"}, {6, "20"}, {7, "5"}}},
        {"non-ASCII form letter", "0x10 3\nV\xc3\xbc" "1\n", {"The 2nd line of a VYP dataset\n must be 'VB0' or 'VB1'"},
         {{2, "10"}, {3, "3"}}},
        {"non-ASCII digit", "0x10 3\nVb1\n32 24\n0x2\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4"
                            "\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4 5\n",
         {"Error in VYP:\n " + path + "\n '0x2\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4"
                                      "\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4...' is not a hexadecimal number\n (vertex start)"},
         {{2, "10"}, {3, "3"}, {4, "32"}, {5, "24"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(path, c.text);
        Workspace ws;
        RecordingWindow panel;
        panel.fields = keptFields({});
        ws.vbMode = 1;
        EXPECT_EQ(loadParameterFile(ws, panel, path), c.ok);
        EXPECT_EQ(panel.messages, c.messages);
        EXPECT_EQ(panel.fields, keptFields(c.fields));
        EXPECT_EQ(ws.vbMode, 1) << "a failed load leaves vbMode as the caption shows it";
        EXPECT_TRUE(panel.results.empty());
    }
}

TEST(ParameterFile, UnreadablePathsAreRefused) {
    TempDir dir;
    std::filesystem::create_directory("folder.vyp");
    for (const char* path : {"missing.vyp", "folder.vyp", ""}) {
        SCOPED_TRACE(path);
        Workspace ws;
        RecordingWindow panel;
        EXPECT_FALSE(loadParameterFile(ws, panel, path));
        EXPECT_EQ(panel.messages, std::vector<std::string>{" The vyp file could not be opened!\n"});
        EXPECT_TRUE(panel.fields.empty());
    }
}

TEST(ParameterFile, ShortFormLeavesTheSixNumeralSettings) {
    TempDir dir;
    writeFile("short.vyp", "0x10 3\r\nVB1\r\n32 24\r\n0x20 5\r\n1400\r\n");
    Workspace ws;
    ws.ffffSeparator = 1;
    ws.reservedCodeFlag = 1;
    ws.stripMode = 1;
    ws.vertexFormat = VertexFormat::ShortAll;
    RecordingWindow panel;
    panel.fields = keptFields({});
    ASSERT_TRUE(loadParameterFile(ws, panel, "short.vyp"));
    EXPECT_EQ(ws.bigEndian, 1);
    EXPECT_EQ(ws.indexSize, 4);
    EXPECT_EQ(ws.stripMode, 0);
    EXPECT_EQ(ws.vertexFormat, VertexFormat::Float);
    EXPECT_EQ(ws.ffffSeparator, 1);
    EXPECT_EQ(ws.reservedCodeFlag, 1);
    EXPECT_EQ(ws.vbMode, 1);
    EXPECT_EQ(panel.fields, keptFields({{2, "10"}, {3, "3"}, {4, "32"}, {5, "24"}, {6, "20"}, {7, "5"}}));

    // Four numerals in the six-numeral form clear the two it does not carry; characters
    // after the sixth are ignored; hex digits in either case, with or without 0x.
    writeFile("six.vyp", "ABC 3 Vb0 0XaBc 0xabc 5 0200 Fe 9");
    ASSERT_TRUE(loadParameterFile(ws, panel, "six.vyp"));
    EXPECT_EQ(ws.ffffSeparator, 0);
    EXPECT_EQ(ws.reservedCodeFlag, 0);
    EXPECT_EQ(ws.bigEndian, 0);
    EXPECT_EQ(ws.indexSize, 2);
    EXPECT_EQ(ws.vbMode, 0);
    EXPECT_EQ(panel.fields, keptFields({{2, "abc"}, {3, "3"}, {4, "abc"}, {5, "24"}, {6, "abc"}, {7, "5"}, {30, "fe"}, {31, "9"}}));
    writeFile("long.vyp", "0 3 Vb1 32 24 0 5 020000" + std::string(5000, '1') + " 0 255");
    ASSERT_TRUE(loadParameterFile(ws, panel, "long.vyp"));
    EXPECT_EQ(ws.ffffSeparator, 0);
    EXPECT_EQ(ws.reservedCodeFlag, 0);
    writeFile("long.vyp", "0 3 Vb1 32 24 0 5 02001" + std::string(5000, '1') + " 0 255");
    ASSERT_TRUE(loadParameterFile(ws, panel, "long.vyp"));
    EXPECT_EQ(ws.ffffSeparator, 1);
    EXPECT_EQ(ws.reservedCodeFlag, 1);
    EXPECT_TRUE(panel.messages.empty());
}

TEST(ParameterFile, NegativeCountsBecomeZeroWithOneNote) {
    TempDir dir;
    writeFile("neg.vyp", "0x10 -5\nVb1\n32 24\n0x20 -7\n020000\n0x0 255\n\n");
    Workspace ws;
    RecordingWindow panel;
    ASSERT_TRUE(loadParameterFile(ws, panel, "neg.vyp"));
    EXPECT_EQ(panel.results, std::vector<std::string>{" cnt in VYP is negative!"});
    EXPECT_EQ(panel.fields[3], "0");
    EXPECT_EQ(panel.fields[7], "0");
}

TEST(ParameterFile, RejectedNumeralKeepsTheSettingsBeforeIt) {
    Workspace ws;
    RecordingWindow panel;
    ws.bigEndian = 1;
    ws.stripMode = 1;
    EXPECT_FALSE(parseCodestring(ws, panel, "0300", false));
    EXPECT_EQ(ws.bigEndian, 0);
    EXPECT_EQ(ws.stripMode, 1);
    EXPECT_FALSE(parseCodestring(ws, panel, "1217", true));
    EXPECT_EQ(ws.bigEndian, 1);
    EXPECT_EQ(ws.indexSize, 2);
    EXPECT_EQ(ws.stripMode, 1);
    EXPECT_FALSE(parseCodestring(ws, panel, "", true));
    EXPECT_TRUE(parseCodestring(ws, panel, "x4x3", false));
    EXPECT_EQ(ws.bigEndian, 0);
    EXPECT_EQ(ws.stripMode, 0);
    EXPECT_EQ(ws.vertexFormat, VertexFormat::WordUV);
    EXPECT_EQ(panel.messages,
              (std::vector<std::string>{"Error in VYP:\n codestring's  2. numeral != {2 or 4}",
                                        "Error in VYP:\n codestring's 3. numeral != {0..4}",
                                        "Error: codestring in VYP-file is empty!"}));
}

}  // namespace
}  // namespace nimbrel
