#pragma once

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/mesh.h"
#include "mesh/tiny_gltf_setup.h"

namespace nimbrel::testing {

/// The meshes of a .glb as tinygltf reads them back, one per mesh, in order, with names.
struct GlbContents {
    std::vector<std::string> names;
    std::vector<Mesh> meshes;
    std::vector<std::vector<std::array<float, 3>>> normals;
    std::vector<int> indexComponentTypes;  ///< -1 for a primitive without indices
    std::vector<int> modes;
    std::string error;
};

template <class T, std::size_t N>
std::vector<std::array<T, N>> accessorValues(const tinygltf::Model& gltf, int index) {
    const tinygltf::Accessor& accessor = gltf.accessors.at(index);
    const tinygltf::BufferView& view = gltf.bufferViews.at(accessor.bufferView);
    const auto& data = gltf.buffers.at(view.buffer).data;
    std::vector<std::array<T, N>> values(accessor.count);
    if (accessor.count > 0)
        std::memcpy(values.data(), data.data() + view.byteOffset + accessor.byteOffset, accessor.count * N * sizeof(T));
    return values;
}

template <class Index>
std::vector<std::array<std::uint32_t, 3>> triangleValues(const tinygltf::Model& gltf, int index) {
    const auto flat = accessorValues<Index, 1>(gltf, index);
    std::vector<std::array<std::uint32_t, 3>> triangles;
    for (std::size_t i = 0; i + 3 <= flat.size(); i += 3) triangles.push_back({flat[i][0], flat[i + 1][0], flat[i + 2][0]});
    return triangles;
}

inline GlbContents readGlb(const std::string& path) {
    GlbContents contents;
    tinygltf::Model gltf;
    tinygltf::TinyGLTF loader;
    std::string warning;
    if (!loader.LoadBinaryFromFile(&gltf, &contents.error, &warning, path)) return contents;
    for (const auto& gltfMesh : gltf.meshes) {
        const tinygltf::Primitive& p = gltfMesh.primitives.at(0);
        Mesh mesh;
        mesh.positions = accessorValues<float, 3>(gltf, p.attributes.at("POSITION"));
        if (p.attributes.contains("TEXCOORD_0")) mesh.uvs = accessorValues<float, 2>(gltf, p.attributes.at("TEXCOORD_0"));
        contents.modes.push_back(p.mode);
        contents.indexComponentTypes.push_back(p.indices >= 0 ? gltf.accessors.at(p.indices).componentType : -1);
        if (p.indices >= 0) {
            mesh.triangles = gltf.accessors.at(p.indices).componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT
                                 ? triangleValues<std::uint16_t>(gltf, p.indices)
                                 : triangleValues<std::uint32_t>(gltf, p.indices);
        }
        contents.normals.push_back(p.attributes.contains("NORMAL")
                                       ? accessorValues<float, 3>(gltf, p.attributes.at("NORMAL"))
                                       : std::vector<std::array<float, 3>>{});
        contents.names.push_back(gltfMesh.name);
        contents.meshes.push_back(std::move(mesh));
    }
    return contents;
}

/// Copies a .glb a test wrote into NIMBREL_GLB_KEEP, when set, for the glTF Validator run.
inline void keepForValidator(const std::filesystem::path& path) {
    static int kept = 0;
    if (const char* keep = std::getenv("NIMBREL_GLB_KEEP"))
        std::filesystem::copy_file(path, std::filesystem::path(keep) / (std::to_string(kept++) + "_" +
                                                                         path.filename().string()));
}

}  // namespace nimbrel::testing
