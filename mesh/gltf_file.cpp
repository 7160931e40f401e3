#define TINYGLTF_IMPLEMENTATION
#include "mesh/gltf_file.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>
#include <limits>
#include <sstream>

#include "mesh/tiny_gltf_setup.h"

namespace nimbrel {

namespace {

constexpr std::uint32_t kLargestShortIndex = 65534;  // 65535 is the restart value

// Appends bytes to the one buffer as a view of its own, 4-aligned, and returns the view.
int addView(tinygltf::Model& gltf, const void* bytes, std::size_t size, int target) {
    auto& data = gltf.buffers[0].data;
    data.resize((data.size() + 3) / 4 * 4);
    tinygltf::BufferView view;
    view.buffer = 0;
    view.byteOffset = data.size();
    view.byteLength = size;
    view.target = target;
    const auto* p = static_cast<const unsigned char*>(bytes);
    data.insert(data.end(), p, p + size);
    gltf.bufferViews.push_back(view);
    return static_cast<int>(gltf.bufferViews.size() - 1);
}

template <class T>
int addAccessor(tinygltf::Model& gltf, const std::vector<T>& values, int componentType, int type, int target) {
    tinygltf::Accessor accessor;
    accessor.bufferView = addView(gltf, values.data(), values.size() * sizeof(T), target);
    accessor.componentType = componentType;
    accessor.type = type;
    accessor.count = values.size();
    gltf.accessors.push_back(accessor);
    return static_cast<int>(gltf.accessors.size() - 1);
}

int addPositions(tinygltf::Model& gltf, const Mesh& mesh) {
    const int index = addAccessor(gltf, mesh.positions, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3,
                                  TINYGLTF_TARGET_ARRAY_BUFFER);
    auto& accessor = gltf.accessors[index];
    accessor.minValues.assign(3, std::numeric_limits<double>::infinity());
    accessor.maxValues.assign(3, -std::numeric_limits<double>::infinity());
    for (const auto& p : mesh.positions)
        for (int axis = 0; axis < 3; ++axis) {
            accessor.minValues[axis] = std::min<double>(accessor.minValues[axis], p[axis]);
            accessor.maxValues[axis] = std::max<double>(accessor.maxValues[axis], p[axis]);
        }
    return index;
}

template <class Index>
int addIndices(tinygltf::Model& gltf, const Mesh& mesh, int componentType) {
    std::vector<Index> indices;
    indices.reserve(3 * mesh.triangles.size());
    for (const auto& t : mesh.triangles)
        for (std::uint32_t v : t) indices.push_back(static_cast<Index>(v));
    return addAccessor(gltf, indices, componentType, TINYGLTF_TYPE_SCALAR, TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
}

void addMesh(tinygltf::Model& gltf, const NamedMesh& named) {
    const Mesh& mesh = named.mesh;
    assert(!mesh.positions.empty());
    tinygltf::Primitive primitive;
    primitive.attributes["POSITION"] = addPositions(gltf, mesh);
    if (!mesh.uvs.empty())
        primitive.attributes["TEXCOORD_0"] = addAccessor(gltf, mesh.uvs, TINYGLTF_COMPONENT_TYPE_FLOAT,
                                                         TINYGLTF_TYPE_VEC2, TINYGLTF_TARGET_ARRAY_BUFFER);
    if (mesh.triangles.empty()) {
        primitive.mode = TINYGLTF_MODE_POINTS;
    } else {
        primitive.mode = TINYGLTF_MODE_TRIANGLES;
        primitive.attributes["NORMAL"] = addAccessor(gltf, vertexNormals(mesh), TINYGLTF_COMPONENT_TYPE_FLOAT,
                                                     TINYGLTF_TYPE_VEC3, TINYGLTF_TARGET_ARRAY_BUFFER);
        std::uint32_t largest = 0;
        for (const auto& t : mesh.triangles) largest = std::max({largest, t[0], t[1], t[2]});
        primitive.indices = largest <= kLargestShortIndex
                                ? addIndices<std::uint16_t>(gltf, mesh, TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT)
                                : addIndices<std::uint32_t>(gltf, mesh, TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT);
    }
    tinygltf::Mesh gltfMesh;
    gltfMesh.name = named.name;
    gltfMesh.primitives.push_back(primitive);
    gltf.meshes.push_back(gltfMesh);
    tinygltf::Node node;
    node.name = named.name;
    node.mesh = static_cast<int>(gltf.meshes.size() - 1);
    gltf.nodes.push_back(node);
    gltf.scenes[0].nodes.push_back(static_cast<int>(gltf.nodes.size() - 1));
}

}  // namespace

std::vector<std::array<float, 3>> vertexNormals(const Mesh& mesh) {
    std::vector<std::array<double, 3>> sums(mesh.positions.size(), {0.0, 0.0, 0.0});
    for (const auto& t : mesh.triangles) {
        const auto& a = mesh.positions[t[0]];
        const auto& b = mesh.positions[t[1]];
        const auto& c = mesh.positions[t[2]];
        const double u[3] = {double(b[0]) - a[0], double(b[1]) - a[1], double(b[2]) - a[2]};
        const double v[3] = {double(c[0]) - a[0], double(c[1]) - a[1], double(c[2]) - a[2]};
        // The cross product's length is twice the area: the weighting comes with it.
        const double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
        for (std::uint32_t corner : t)
            for (int axis = 0; axis < 3; ++axis) sums[corner][axis] += n[axis];
    }
    std::vector<std::array<float, 3>> normals;
    normals.reserve(sums.size());
    for (const auto& s : sums) {
        const double length = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
        if (length > 0.0 && std::isfinite(length))
            normals.push_back({float(s[0] / length), float(s[1] / length), float(s[2] / length)});
        else
            normals.push_back({0.0f, 0.0f, 1.0f});
    }
    return normals;
}

std::uint64_t dropTrianglesPastVertexBlock(Mesh& mesh) {
    const std::size_t n = mesh.positions.size();
    const auto before = mesh.triangles.size();
    std::erase_if(mesh.triangles, [n](const auto& t) { return t[0] >= n || t[1] >= n || t[2] >= n; });
    return before - mesh.triangles.size();
}

std::string glbBytes(const std::vector<NamedMesh>& meshes) {
    tinygltf::Model gltf;
    gltf.asset.version = "2.0";
    gltf.asset.generator = "Nimbrel";
    gltf.buffers.emplace_back();
    gltf.scenes.emplace_back();
    gltf.defaultScene = 0;
    for (const auto& named : meshes) addMesh(gltf, named);
    std::ostringstream out;
    tinygltf::TinyGLTF writer;
    writer.WriteGltfSceneToStream(&gltf, out, false, true);
    return std::move(out).str();
}

}  // namespace nimbrel
