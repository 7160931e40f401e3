// "Save as glTF" and the glTF chain, driven as a user drives them, read back with tinygltf.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <vector>

#include "app/cli_export.h"
#include "app/script_runner.h"
#include "support/file_size_limit.h"
#include "support/glb_reading.h"
#include "support/obj_text.h"
#include "support/temp_dir.h"

namespace nimbrel {
namespace {

namespace fs = std::filesystem;
using testing::readGlb;

// The tool folder of a run: no programs in it, which only adds start-up messages.
std::string appDir() {
    fs::create_directories("app");
    return fs::absolute("app").string();
}

std::string runLines(const std::string& script) {
    std::istringstream in(script);
    std::ostringstream out;
    std::ostringstream err;
    runScript(in, out, err, ModelBuffer::process(), appDir(), false);
    return out.str() + err.str();
}

void putFloats(std::string& bytes, std::initializer_list<float> values) {
    for (float v : values) bytes.append(reinterpret_cast<const char*>(&v), 4);
}

void putWords(std::string& bytes, std::initializer_list<std::uint16_t> values) {
    for (std::uint16_t v : values) bytes.append(reinterpret_cast<const char*>(&v), 2);
}

// Three float records at 0, a triangle of word indices at 0x24.
std::string triangleModel(float firstX) {
    std::string bytes;
    putFloats(bytes, {firstX, 0, 0, 1, 0, 0, 0, 1, 0});
    putWords(bytes, {0, 1, 2});
    return bytes;
}

constexpr const char* kTriangleFields = "open model.bin\nset 2 24\nset 3 3\nset 4 12\nset 5 99\nset 6 0\nset 7 3\n";

TEST(GltfExport, IndicesPastShortRangeTakeUnsignedInts) {
    testing::TempDir tmp;
    // 65536 vertices: index 65535 is glTF's restart value for shorts, so ints it must be.
    std::string bytes;
    for (int i = 0; i < 65536; ++i) putFloats(bytes, {float(i), float(i % 2), 0});
    putWords(bytes, {0, 1, 0xFFFF, 0xFFFE, 0xFFFD, 0xFFFF});
    testing::writeFile("model.bin", bytes);
    runLines("open model.bin\nset 2 C0000\nset 3 6\nset 4 12\nset 5 99\nset 6 0\nset 7 65536\nclick 9082\n");
    const auto glb = readGlb("model_0.glb");
    ASSERT_EQ(glb.meshes.size(), 1u) << glb.error;
    EXPECT_EQ(glb.indexComponentTypes[0], TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT);
    EXPECT_EQ(glb.meshes[0].triangles, (std::vector<std::array<std::uint32_t, 3>>{{0, 1, 65535}, {65534, 65533, 65535}}));
    ASSERT_EQ(glb.meshes[0].positions.size(), 65536u);
    EXPECT_EQ(glb.meshes[0].positions[65535], (std::array<float, 3>{65535, 1, 0}));
    EXPECT_TRUE(glb.meshes[0].uvs.empty());
    EXPECT_EQ(glb.names[0], "model_0");
    testing::keepForValidator("model_0.glb");
}

TEST(GltfExport, RestartStripsWithWordUvsOfTheirOwnBlock) {
    testing::TempDir tmp;
    std::string bytes;
    putFloats(bytes, {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0});
    putWords(bytes, {0, 0, 16384, 0, 0, 32768, 49152, 65535});  // UV pairs at 0x30
    putWords(bytes, {0, 1, 2, 3, 0xFFFF, 1, 2, 3});               // strips at 0x40
    testing::writeFile("model.bin", bytes);
    runLines("open model.bin\nselect 8 3\nclick 18\nclick 19\nset 2 40\nset 3 8\nset 4 12\nset 5 99\nset 6 0\n"
             "set 7 4\nset 30 30\nset 31 4\nclick 9082\n");
    const auto glb = readGlb("model_0.glb");
    ASSERT_EQ(glb.meshes.size(), 1u) << glb.error;
    // Each strip turns every other triangle, from its own start.
    EXPECT_EQ(glb.meshes[0].triangles, (std::vector<std::array<std::uint32_t, 3>>{{0, 1, 2}, {1, 3, 2}, {1, 2, 3}}));
    EXPECT_EQ(glb.meshes[0].uvs,
              (std::vector<std::array<float, 2>>{{0, 0}, {0.25f, 0}, {0, 0.5f}, {0.75f, 65535.0f / 65536.0f}}));
    testing::keepForValidator("model_0.glb");
}

TEST(GltfExport, FacesOfThePointCloudModes) {
    testing::TempDir tmp;
    testing::writeFile("model.bin", triangleModel(0));
    // Fake faces from FIs.txt: the second names a vertex past the block and is left out.
    testing::writeFile("FIs.txt", "f 1 2 3\nf 1 2 9\n");
    std::string out = runLines(std::string(kTriangleFields) + "click 21\nclick 21\nclick 9082\nprint 29\n");
    EXPECT_NE(out.find("model_0: 1 triangles name vertices past the block: left out."), std::string::npos) << out;
    EXPECT_NE(out.find("FIs were saved dependent on your choice."), std::string::npos) << out;
    auto glb = readGlb("model_0.glb");
    ASSERT_EQ(glb.meshes.size(), 1u) << glb.error;
    EXPECT_EQ(glb.meshes[0].triangles, (std::vector<std::array<std::uint32_t, 3>>{{0, 1, 2}}));
    EXPECT_EQ(glb.indexComponentTypes[0], TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT);
    testing::keepForValidator("model_0.glb");

    // A point cloud is a point primitive: no indices, no normals.
    fs::remove("model_0.glb");
    out = runLines(std::string(kTriangleFields) + "click 21\nclick 9082\nprint 29\n");
    EXPECT_NE(out.find("PtCld: no FIs were saved!"), std::string::npos) << out;
    glb = readGlb("model_0.glb");
    ASSERT_EQ(glb.meshes.size(), 1u) << glb.error;
    EXPECT_EQ(glb.modes[0], TINYGLTF_MODE_POINTS);
    EXPECT_EQ(glb.indexComponentTypes[0], -1);
    EXPECT_TRUE(glb.normals[0].empty());
    testing::keepForValidator("model_0.glb");
}

TEST(GltfExport, RefusesWhatItMustNotWriteAndKeepsUsersFiles) {
    testing::TempDir tmp;
    testing::writeFile("model.bin", triangleModel(NAN));
    std::string out = runLines(std::string(kTriangleFields) + "click 9082\n");
    EXPECT_NE(out.find("model_0.glb not written:\\n1 vertices and 0 UV pairs hold no finite number."),
              std::string::npos)
        << out;
    EXPECT_FALSE(fs::exists("model_0.glb"));
    // In a chain the file is skipped, and a chain of nothing writes nothing.
    runLines(std::string(kTriangleFields) + "click 9075\n");
    std::ostringstream chainOut;
    EXPECT_EQ(exportSubmeshes(chainOut, ModelBuffer::process(), appDir(), "model.bin", {"model_0.vyp"},
                              ExportKind::GlbChain),
              1);
    EXPECT_NE(chainOut.str().find("model_0 skipped: 1 vertices and 0 UV pairs hold no finite number.\n"),
              std::string::npos)
        << chainOut.str();
    EXPECT_NE(chainOut.str().find("No mesh of the chain could be exported"), std::string::npos) << chainOut.str();
    EXPECT_FALSE(fs::exists("model_chain.glb"));

    testing::writeFile("model.bin", triangleModel(0));
    testing::writeFile("model_1.glb", "mine");
    out = runLines(std::string(kTriangleFields) + "click 9082\nclick 9082\n");
    EXPECT_TRUE(fs::exists("model_0.glb"));
    EXPECT_NE(out.find("model_1.glb\\n exists!"), std::string::npos) << out;
    EXPECT_EQ(testing::readFile("model_1.glb"), "mine");

    // A write cut short leaves no file and says so.
    fs::remove("model_0.glb");
    {
        testing::FileSizeLimit limit(100);
        out = runLines(std::string(kTriangleFields) + "click 9082\n");
    }
    EXPECT_NE(out.find("model_0.glb could not be written!"), std::string::npos) << out;
    EXPECT_FALSE(fs::exists("model_0.glb"));
}

TEST(GltfExport, ChainHoldsOneMeshPerLoadedParameterFileAsItsObj) {
    testing::TempDir tmp;
    const fs::path samples = fs::path(NIMBREL_SOURCE_DIR) / "samples";
    std::vector<std::string> parameterFiles;
    for (int k = 0; k < 4; ++k) {
        const std::string name = "nimbrel_sample_" + std::to_string(k) + ".vyp";
        fs::copy_file(samples / name, name);
        parameterFiles.push_back(name);
    }
    fs::copy_file(samples / "nimbrel_sample.bin", "nimbrel_sample.bin");
    std::ostringstream out;
    ASSERT_EQ(exportSubmeshes(out, ModelBuffer::process(), appDir(), "nimbrel_sample.bin", parameterFiles), 0)
        << out.str();
    // A parameter file that does not load is skipped, and the run says it failed.
    testing::writeFile("broken_0.vyp", "not a parameter file");
    std::vector<std::string> withBroken = parameterFiles;
    withBroken.insert(withBroken.begin() + 1, "broken_0.vyp");
    EXPECT_EQ(exportSubmeshes(out, ModelBuffer::process(), appDir(), "nimbrel_sample.bin", withBroken, ExportKind::GlbChain),
              1);
    const auto glb = readGlb("nimbrel_sample_chain.glb");
    ASSERT_EQ(glb.meshes.size(), 4u) << glb.error;
    for (int k = 0; k < 4; ++k) {
        SCOPED_TRACE(k);
        const auto obj = testing::parseObj(testing::readFile("nimbrel_sample_" + std::to_string(k) + ".obj"));
        EXPECT_EQ(glb.names[k], "nimbrel_sample_" + std::to_string(k));
        EXPECT_EQ(testing::printedPositions(glb.meshes[k]), obj.positions);
        EXPECT_EQ(testing::printedUvs(glb.meshes[k]), obj.uvs);
        EXPECT_EQ(glb.meshes[k].triangles, obj.triangles);
        for (const auto& n : glb.normals[k]) EXPECT_NEAR(std::hypot(n[0], n[1], n[2]), 1.0, 1e-6);
    }
    testing::keepForValidator("nimbrel_sample_chain.glb");
    // A second run takes the next free name.
    exportSubmeshes(out, ModelBuffer::process(), appDir(), "nimbrel_sample.bin", parameterFiles,
                    ExportKind::GlbChain);
    EXPECT_TRUE(fs::exists("nimbrel_sample_chain_1.glb"));
}

}  // namespace
}  // namespace nimbrel
