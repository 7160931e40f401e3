#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/mesh.h"

namespace nimbrel {

/// A mesh with the name its node and mesh take in a glTF file.
struct NamedMesh {
    std::string name;
    Mesh mesh;
};

/// Smooth vertex normals: each triangle's face normal, weighted by its area, summed at its
/// corners and made unit length. A vertex no triangle with an area touches gets 0 0 1, as
/// glTF wants every normal of unit length.
std::vector<std::array<float, 3>> vertexNormals(const Mesh& mesh);

/// Removes the triangles naming a position past the vertex block; returns how many.
std::uint64_t dropTrianglesPastVertexBlock(Mesh& mesh);

/// The binary glTF (.glb) of these meshes: one node and one mesh each, in order, in one
/// scene. POSITION with its bounds, NORMAL from the triangles, TEXCOORD_0 when the mesh has
/// UVs, indices as unsigned shorts when every one is below 65535, else unsigned ints; a
/// mesh without triangles is a point primitive. Every mesh must have positions, all finite
/// (UVs too), and no index past them.
std::string glbBytes(const std::vector<NamedMesh>& meshes);

}  // namespace nimbrel
