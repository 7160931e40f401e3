#include "mesh/gltf_file.h"

#include <gtest/gtest.h>

#include <cmath>

namespace nimbrel {
namespace {

TEST(GltfFile, NormalsAreAreaWeightedAndOfUnitLength) {
    Mesh mesh;
    // A large triangle facing +z and a small one facing +y share vertex 0; vertex 5 is
    // touched by nothing.
    mesh.positions = {{0, 0, 0}, {2, 0, 0}, {0, 2, 0}, {0, 0, 1}, {1, 0, 0}, {9, 9, 9}};
    mesh.triangles = {{0, 1, 2}, {0, 3, 4}};
    const auto normals = vertexNormals(mesh);
    ASSERT_EQ(normals.size(), 6u);
    // Twice the areas: 4 along z, 1 along y.
    const float s = 1.0f / std::sqrt(17.0f);
    EXPECT_NEAR(normals[0][0], 0.0f, 1e-6);
    EXPECT_NEAR(normals[0][1], s, 1e-6);
    EXPECT_NEAR(normals[0][2], 4 * s, 1e-6);
    EXPECT_EQ(normals[1], (std::array<float, 3>{0, 0, 1}));
    EXPECT_EQ(normals[3], (std::array<float, 3>{0, 1, 0}));
    EXPECT_EQ(normals[5], (std::array<float, 3>{0, 0, 1}));
}

TEST(GltfFile, DropsOnlyTrianglesPastTheVertexBlock) {
    Mesh mesh;
    mesh.positions.resize(3);
    mesh.triangles = {{0, 1, 2}, {0, 1, 3}, {2, 1, 0}, {7, 0, 0}};
    EXPECT_EQ(dropTrianglesPastVertexBlock(mesh), 2u);
    EXPECT_EQ(mesh.triangles, (std::vector<std::array<std::uint32_t, 3>>{{0, 1, 2}, {2, 1, 0}}));
}

}  // namespace
}  // namespace nimbrel
