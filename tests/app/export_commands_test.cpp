#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/control_table.h"
#include "app/export_steps.h"
#include "app/file_search.h"
#include "support/file_size_limit.h"
#include "support/session.h"
#include "support/temp_dir.h"

namespace nimbrel {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::Session;
using testing::TempDir;
using testing::writeFile;

void putFloat(std::vector<std::uint8_t>& b, std::size_t at, float v) { std::memcpy(&b[at], &v, 4); }
void putU16(std::vector<std::uint8_t>& b, std::size_t at, std::uint16_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

// A quad of two triangles in every layout the export reads:
//   0x00 Word indices 0 1 2 2 1 3         0x10 four Float records of 20 bytes, UV at 12
//   0x60 float UV pairs, 8 bytes apart     0x80 packed float positions
//   0xB0 packed half UV pairs
std::vector<std::uint8_t> quadModel() {
    std::vector<std::uint8_t> b(0xC0, 0);
    const std::uint16_t idx[] = {0, 1, 2, 2, 1, 3};
    for (int i = 0; i < 6; ++i) putU16(b, 2 * i, idx[i]);
    const float pos[4][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0.5f}};
    const float uv[4][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    const float uvBlock[4][2] = {{0.25f, 0.5f}, {0.75f, 0.5f}, {0.25f, 1}, {0.75f, 1}};
    const std::uint16_t halves[4][2] = {{0x3800, 0x3400}, {0x3C00, 0x3400}, {0x3800, 0x3A00}, {0x3C00, 0x3A00}};
    for (int v = 0; v < 4; ++v) {
        for (int c = 0; c < 3; ++c) putFloat(b, 0x10 + 20 * v + 4 * c, pos[v][c]);
        for (int c = 0; c < 2; ++c) putFloat(b, 0x10 + 20 * v + 12 + 4 * c, uv[v][c]);
        for (int c = 0; c < 2; ++c) putFloat(b, 0x60 + 8 * v + 4 * c, uvBlock[v][c]);
        for (int c = 0; c < 3; ++c) putFloat(b, 0x80 + 12 * v + 4 * c, pos[v][c]);
        for (int c = 0; c < 2; ++c) putU16(b, 0xB0 + 4 * v + 2 * c, halves[v][c]);
    }
    return b;
}

constexpr const char* kPositions =
    "v 0.000000 0.000000 0.000000\n"
    "v 1.000000 0.000000 0.000000\n"
    "v 0.000000 1.000000 0.000000\n"
    "v 1.000000 1.000000 0.500000\n";
constexpr const char* kFaces = "f 1/1 2/2 3/3 \nf 3/3 2/2 4/4 \n";

struct ExportSession : Session {
    explicit ExportSession(const std::vector<std::uint8_t>& bytes = quadModel()) {
        model.assign(bytes.data(), bytes.size());
        ws.modelPathStem = "m";
        ws.parameterFilePath = "/p/m_0.vyp";
        const std::pair<int, const char*> fields[] = {{2, "0"},  {3, "6"},   {32, "0"}, {4, "20"},
                                                      {5, "12"}, {30, "0"}, {31, "255"}, {6, "10"}, {7, "4"}};
        for (auto [id, text] : fields) window.setText(id, text);
    }
};

TEST(SubmeshExport, WritesHeaderVerticesUvsAndSlashFacesInEveryLayout) {
    TempDir dir;
    ExportSession s;
    s.window.addLine(field::kResultsList, "earlier");
    s.send(cmd::kSubmeshExport);
    EXPECT_EQ(readFile("m_0.obj"),
              std::string("# VYP parameter file: /p/m_0.vyp      (H_Float: 0)\n# 0x10: verts= 4\n") +
                  "v 0.000000 0.000000 0.000000\nvt 0.000000 0.000000  \n"
                  "v 1.000000 0.000000 0.000000\nvt 1.000000 0.000000  \n"
                  "v 0.000000 1.000000 0.000000\nvt 0.000000 1.000000  \n"
                  "v 1.000000 1.000000 0.500000\nvt 1.000000 1.000000  \n"
                  "# 0x60\n\n# 0x0: faceIndices= 6, triangles= 2\ng submesh_0\n" + kFaces);
    EXPECT_TRUE(s.window.lines(field::kResultsList).empty()) << "an interactive export clears the list";
    EXPECT_EQ(s.ws.submeshCounter, 1);
    EXPECT_TRUE(s.launcher.starts.empty());

    // VB with a separate UV block (mixed mode), in a batch run: no group line.
    s.ws.batchMode = 1;
    s.window.setText(5, "99");
    s.window.setText(30, "60");
    s.window.setText(31, "8");
    s.send(cmd::kSubmeshExport);
    EXPECT_EQ(readFile("m_1.obj"), std::string("# VYP parameter file: /p/m_0.vyp      (H_Float: 0)\n# 0x10: verts= 4\n") +
                                       kPositions + "# 0x60\n# 0x60 (UVBlockSize= 8)\n"
                                       "vt 0.250000 0.500000 \nvt 0.750000 0.500000 \n"
                                       "vt 0.250000 1.000000 \nvt 0.750000 1.000000 \n"
                                       "\n# 0x0: faceIndices= 6, triangles= 2\n" + kFaces);

    // seq with HF_UV: packed float positions, then packed half UVs.
    s.ws.vbMode = 0;
    s.ws.vertexFormat = VertexFormat::HF_UV;
    s.window.setText(4, "b0");
    s.window.setText(6, "80");
    s.send(cmd::kSubmeshExport);
    EXPECT_EQ(readFile("m_2.obj"),
              "# VYP parameter file: /p/m_0.vyp      (H_Float: 1)\n# 0x80: verts= 4\n"
              "v 0.000000 0.000000 0.000000 \nv 1.000000 0.000000 0.000000 \n"
              "v 0.000000 1.000000 0.000000 \nv 1.000000 1.000000 0.500000 \n"
              "vt 0.500000 0.250000 \nvt 1.000000 0.250000 \nvt 0.500000 0.750000 \nvt 1.000000 0.750000 \n"
              "\n# 0x0: faceIndices= 6, triangles= 2\n" + std::string(kFaces));

    // Point cloud: no face section, a note instead.
    s.ws.ptCldMode = 1;
    s.send(cmd::kSubmeshExport);
    std::string text = readFile("m_3.obj");
    EXPECT_EQ(text.find("faceIndices"), std::string::npos);
    EXPECT_EQ(s.window.lines(field::kResultsList).back(), "PtCld: no FIs were saved!");

    // Fake faces without FIs.txt: generated, in slash form, after one hint.
    s.ws.ptCldMode = 2;
    s.send(cmd::kSubmeshExport);
    text = readFile("m_4.obj");
    EXPECT_TRUE(text.ends_with("vt 1.000000 0.750000 \n\n# autocreated linear face indices\nf 1/1 2/2 3/3 \n"));
    EXPECT_EQ(s.window.lines(field::kResultsList).back(), "FIs were saved dependent on your choice.");
    EXPECT_EQ(s.window.messages().size(), 1u);
    EXPECT_EQ(s.ws.submeshCounter, 5);
}

TEST(SubmeshExport, NeverOverwritesAndGivesTheNumberBackOnFailure) {
    TempDir dir;
    ExportSession s;
    writeFile("m_0.obj", "mine");
    s.send(cmd::kSubmeshExport);
    EXPECT_EQ(readFile("m_0.obj"), "mine");
    EXPECT_EQ(s.window.messages(), std::vector<std::string>{"m_0.obj\n exists!"});
    EXPECT_EQ(s.ws.submeshCounter, 0);

    // Also in a batch run, and also for a name taken by a folder.
    s.window.clearMessages();
    s.ws.batchMode = 1;
    fs::remove("m_0.obj");
    fs::create_directory("m_0.obj");
    s.send(cmd::kSubmeshExport);
    EXPECT_EQ(s.window.messages(), std::vector<std::string>{" obj outfile could not be opened!\n"});
    EXPECT_EQ(s.ws.submeshCounter, 0);
    fs::remove("m_0.obj");

    // A write that fails half way: message naming the file, no file left, number free.
    s.window.clearMessages();
    {
        testing::FileSizeLimit small(100);
        s.send(cmd::kSubmeshExport);
    }
    EXPECT_EQ(s.window.messages(), std::vector<std::string>{"m_0.obj could not be written!\n(Is the disk full?)"});
    EXPECT_FALSE(fs::exists("m_0.obj"));
    EXPECT_EQ(s.ws.submeshCounter, 0);
    s.send(cmd::kSubmeshExport);
    EXPECT_TRUE(fs::exists("m_0.obj"));
    EXPECT_EQ(s.ws.submeshCounter, 1);
}

TEST(SubmeshExport, VertexCountRuleStopsOrCorrectsAndMarks) {
    TempDir dir;
    // Indices 0 1 899: a largest face index of 900, with 900 zero records of 12 bytes.
    std::vector<std::uint8_t> bytes(0x10 + 900 * 12, 0);
    putU16(bytes, 4, 899);
    putU16(bytes, 2, 1);
    ExportSession s(bytes);
    const std::pair<int, const char*> fields[] = {{3, "3"}, {4, "12"}, {5, "99"}, {7, "100"}};
    for (auto [id, text] : fields) s.window.setText(id, text);
    s.send(cmd::kSubmeshExport);
    EXPECT_EQ(s.window.messages(),
              std::vector<std::string>{"Vertex count must be set to maxFaceIndex!\n\nCheck/use value in lower left "
                                       "listbox.\n\n(Did you start with go1? - if 'no': read the tut!)"});
    EXPECT_TRUE(fs::is_empty(dir.path()));

    // Batch: 100 × 8 < 900 gives "_%_", a count set from the faces gives "x".
    s.window.clearMessages();
    s.ws.batchMode = 1;
    s.send(cmd::kSubmeshExport);
    EXPECT_TRUE(s.window.messages().empty());
    EXPECT_EQ(s.window.lines(field::kResultsList).back(), "  Vertex count set to maxFaceIndex!");
    const std::string text = readFile("m_0_%_.objx");
    EXPECT_EQ(text.find("# 0x10: verts= 900\n"), text.find('\n') + 1);
    std::size_t vertexLines = 0;
    for (std::size_t at = text.find("\nv "); at != std::string::npos; at = text.find("\nv ", at + 1)) ++vertexLines;
    EXPECT_EQ(vertexLines, 900u);
    // The marks belong to the file they named: a right count after it is judged unmarked.
    s.window.setText(7, "900");
    const std::optional<CountMarks> marks = prepareSubmeshExport(s.ctx);
    ASSERT_TRUE(marks);
    EXPECT_FALSE(marks->big);
    EXPECT_FALSE(marks->suspect);

    // 113 × 8 = 904 is not below 900: only the "x".
    s.window.setText(7, "113");
    s.send(cmd::kSubmeshExport);
    EXPECT_TRUE(fs::exists("m_1.objx"));

    // With relFI the count becomes rVC, 900 - 1 + 1, and no "x" follows.
    s.ws.relFI = 1;
    s.send(cmd::kSubmeshExport);
    EXPECT_EQ(s.window.lines(field::kResultsList).back(), "  Vertex count set to rVC!");
    EXPECT_TRUE(fs::exists("m_2.obj"));

    // The corrected count must fit too: 901 records do not.
    s.ws.relFI = 0;
    bytes.resize(bytes.size() - 12);
    s.model.assign(bytes.data(), bytes.size());
    s.window.setText(7, "899");
    s.send(cmd::kSubmeshExport);
    EXPECT_EQ(s.window.messages(), std::vector<std::string>{"EOF met!\nVertsCnt reduced"});
    EXPECT_EQ(s.window.text(7), "898");
    EXPECT_FALSE(fs::exists("m_3.objx"));
}

void writeParameterFile(const std::string& name, const std::string& uvPos = "12") {
    writeFile(name, "0x0 6\nVb1\n20 " + uvPos + "\n0x10 4\n020000\n0x0 255\n\n");
}

TEST(ChainExport, ExportsEveryMatchInNaturalOrderAndCountsTheLoaded) {
    TempDir dir;
    ExportSession s;
    for (const char* name : {"m_0.vyp", "m_1.vyp", "m_2.VYP", "m_10.vyp"}) writeParameterFile(name);
    writeFile("m_3.vyp", "0x0 6\nXb1\n");
    writeFile("other_0.vyp", "");
    s.window.queueAnswer((dir.path() / "m_2.VYP").string());
    s.send(cmd::kChainExport);
    EXPECT_EQ(s.window.lines(field::kResultsList),
              (std::vector<std::string>{"0: m_0.vyp", "1: m_1.vyp", "2: m_2.VYP", "3: m_10.vyp",
                                        "4 VYP files processed."}));
    ASSERT_EQ(s.window.messages().size(), 2u);
    EXPECT_EQ(s.window.messages()[1], "The 2nd line of a VYP dataset\n   must be 'Vb' or 'VB'");
    for (int n = 0; n < 4; ++n) EXPECT_TRUE(fs::exists("m_" + std::to_string(n) + ".obj")) << n;
    const std::string last = readFile("m_3.obj");
    EXPECT_EQ(last.substr(0, last.find('\n')),
              "# VYP parameter file: " + (dir.path() / "m_10.vyp").string() + "      (H_Float: 0)");
    EXPECT_EQ(s.ws.batchMode, 0);
    EXPECT_EQ(s.ws.chainHintShown, 1);

    // A second run finds every file there: each export stops, nothing is replaced; the
    // run still counts the four files that loaded.
    s.window.clearMessages();
    s.window.queueAnswer((dir.path() / "m_0.vyp").string());
    EXPECT_EQ(runChainExport(s.ctx), 4);
    const std::string exists = "m_0.obj\n exists!";
    EXPECT_EQ(s.window.messages(), (std::vector<std::string>{exists, exists, exists,
                                                             "The 2nd line of a VYP dataset\n   must be 'Vb' or 'VB'",
                                                             exists}))
        << "no second hint";
    EXPECT_EQ(s.ws.submeshCounter, 0);

    // A chosen name without "_" searches for itself followed by "*.VYP".
    s.window.clearMessages();
    writeParameterFile("plain.vyp");
    s.window.queueAnswer((dir.path() / "plain.vyp").string());
    EXPECT_EQ(runChainExport(s.ctx), 0);
    EXPECT_EQ(s.window.messages(), std::vector<std::string>{"no VYP file found!"});
    EXPECT_EQ(s.ws.batchMode, 0);
}

TEST(FileListRun, LoadsEachListedModelAndSkipsWhatItCannotUse) {
    TempDir dir;
    ExportSession s;
    s.send(cmd::kFileList);
    EXPECT_EQ(s.window.messages(), std::vector<std::string>{" Filelist not found!"});

    const auto bytes = quadModel();
    fs::create_directories("a");
    fs::create_directories("b");
    writeFile("a/m", std::string(bytes.begin(), bytes.end()));
    writeFile("b/car.bin", std::string(bytes.begin(), bytes.end()));
    writeParameterFile("a/m_0.vyp");
    writeParameterFile("a/m_1.vyp");
    writeParameterFile("b/car_0.vyp");
    const std::string root = dir.path().string();
    writeFile("CAD_ATSV_16_VYP.txt",
              root + "/a/m_0.vyp\n" + root + "/a/m_1.vyp loose.vyp\r\n" + root + "/nowhere/x_0.vyp " + root +
                  "/b/car_0.vyp\n");
    s.window.clearMessages();
    s.send(cmd::kFileList);
    EXPECT_EQ(s.window.messages(),
              (std::vector<std::string>{"loose.vyp\n is no full path of a VYP file: skipped.",
                                        root + "/nowhere\n could not be entered: " + root + "/nowhere/x_0.vyp skipped."}));
    EXPECT_TRUE(fs::exists(dir.path() / "a/m_0.obj"));
    EXPECT_TRUE(fs::exists(dir.path() / "a/m_1.obj")) << "two entries of one model keep counting";
    EXPECT_TRUE(fs::exists(dir.path() / "b/car_0.obj")) << "a model with an extension is found";
    const std::string car = readFile(dir.path() / "b/car_0.obj");
    EXPECT_EQ(car.substr(0, car.find('\n')), "# VYP parameter file: car_0.vyp      (H_Float: 0)");
    EXPECT_EQ(s.ws.batchMode, 0);
}

TEST(FileSearch, MatchesLikeWindowsAndSortsNaturally) {
    EXPECT_TRUE(wildcardMatch("car*.VYP", "car_0.vyp"));
    EXPECT_TRUE(wildcardMatch("car*.VYP", "CAR.vyp"));
    EXPECT_TRUE(wildcardMatch("c?r*", "cur_1"));
    EXPECT_TRUE(wildcardMatch("[a]*.vyp", "[A]_0.vyp")) << "brackets are plain characters";
    EXPECT_FALSE(wildcardMatch("[a]*.vyp", "a_0.vyp"));
    EXPECT_FALSE(wildcardMatch("car*.VYP", "car_0.vyp.bak"));
    EXPECT_FALSE(wildcardMatch("car*.VYP", "boat_0.vyp"));
    EXPECT_TRUE(wildcardMatch("*a*a*a*b", std::string(200, 'a') + "b"));
    EXPECT_FALSE(wildcardMatch("*a*a*a*b", std::string(200, 'a')));
    const std::vector<std::pair<const char*, const char*>> ordered = {
        {"car_2.vyp", "car_10.vyp"}, {"car_02.vyp", "car_3.vyp"}, {"Car_1.vyp", "car_2.vyp"},
        {"car_1.vyp", "car_1_x.vyp"}, {"car.vyp", "car_0.vyp"}, {"car_9.vyp", "car_9a.vyp"}};
    for (auto [a, b] : ordered) {
        SCOPED_TRACE(std::string(a) + " < " + b);
        EXPECT_TRUE(naturalLess(a, b));
        EXPECT_FALSE(naturalLess(b, a));
    }
}

}  // namespace
}  // namespace nimbrel
