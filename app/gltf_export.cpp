#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "app/gltf_export.h"

#include "app/commands.h"
#include "app/export_steps.h"
#include "core/layout_settings.h"
#include "core/text_format.h"
#include "core/text_out.h"
#include "faces/fake_faces.h"
#include "mesh/gltf_file.h"
#include "mesh/mesh_decoding.h"
#include "platform/files.h"

namespace nimbrel {

namespace {

enum PointCloudMode : std::uint8_t { kFacesFromBlock = 0, kPointCloud = 1, kFakeFaces = 2 };

std::string readFakeFaceFile() {
    // A regular file only, as the OBJ export copies it: a pipe or device would never end.
    if (!platform::fileLookup(kFakeFaceFile)) return {};
    std::ifstream in(kFakeFaceFile, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The mesh the current layout gives, with the faces the OBJ export would write.
Mesh layoutMesh(const Context& ctx) {
    const Workspace& ws = ctx.ws;
    const LayoutSettings settings = layoutSettingsOf(ws);
    if (ws.ptCldMode == kFacesFromBlock) return decodeMesh(ctx.model, settings);
    Mesh mesh = decodeVertices(ctx.model, settings);
    if (ws.ptCldMode == kFakeFaces) {
        if (platform::fileLookup(kFakeFaceFile))
            addObjFaceLines(mesh, readFakeFaceFile());
        else
            addGeneratedFaces(mesh, ws.stripMode);
        countIndicesPastVertexBlock(mesh);
    }
    return mesh;
}

std::string meshName(const Workspace& ws) {
    if (!ws.loadedParameterFile.empty()) return std::filesystem::path(ws.loadedParameterFile).stem().string();
    return format("%s_%u", platform::fileNameOf(ws.modelPathStem), ws.submeshCounter);
}

// The mesh of the layout as a glTF file can hold it, or, in refusal, why it cannot: glTF
// takes finite numbers only. Triangles naming vertices past the block are left out, with
// a results line.
std::optional<NamedMesh> gltfMesh(Context& ctx, std::string& refusal) {
    NamedMesh named{meshName(ctx.ws), layoutMesh(ctx)};
    Mesh& mesh = named.mesh;
    if (mesh.positions.empty()) {
        refusal = "the vertex block is empty.";
        return std::nullopt;
    }
    if (mesh.nonFinitePositions > 0 || mesh.nonFiniteUvs > 0) {
        refusal = format("%lu vertices and %lu UV pairs hold no finite number.\n(Check the layout: glTF takes "
                         "finite numbers only.)",
                         mesh.nonFinitePositions, mesh.nonFiniteUvs);
        return std::nullopt;
    }
    if (const std::uint64_t dropped = dropTrianglesPastVertexBlock(mesh); dropped > 0)
        ctx.window.addResult(format("%s: %lu triangles name vertices past the block: left out.", named.name, dropped));
    return named;
}

// Writes the file new, never over another; a file that could not be finished is removed.
bool writeGlbFile(Window& w, const std::string& name, const std::vector<NamedMesh>& meshes) {
    TextOut out;
    if (!out.open(name, TextOut::Mode::CreateNew)) {
        w.showMessage(" glTF outfile could not be opened!\n");
        return false;
    }
    out.put(glbBytes(meshes));
    if (!out.close()) {
        out.discard();
        w.showMessage(name + " could not be written!\n(Is the disk full?)");
        return false;
    }
    return true;
}

void addFaceModeLine(const Workspace& ws, Window& w) {
    if (ws.ptCldMode == kPointCloud) w.addResult("PtCld: no FIs were saved!");
    if (ws.ptCldMode == kFakeFaces) w.addResult("FIs were saved dependent on your choice.");
}

// MODEL_chain.glb, or the first free MODEL_chain_N.glb.
std::string chainFileName(const Workspace& ws) {
    std::string name = ws.modelPathStem + "_chain.glb";
    for (unsigned n = 1; std::filesystem::exists(name) || std::filesystem::is_symlink(name); ++n)
        name = format("%s_chain_%u.glb", ws.modelPathStem, n);
    return name;
}

}  // namespace

std::optional<std::string> exportGltf(Context& ctx) {
    Workspace& ws = ctx.ws;
    Window& w = ctx.window;
    std::optional<std::string> name = nextSubmeshFile(ctx, ".glb");
    if (!name) return std::nullopt;
    std::string refusal;
    const std::optional<NamedMesh> mesh = gltfMesh(ctx, refusal);
    if (!mesh) {
        w.showMessage(*name + " not written:\n" + refusal);
        return std::nullopt;
    }
    if (!writeGlbFile(w, *name, {*mesh})) return std::nullopt;
    ++ws.submeshCounter;
    addFaceModeLine(ws, w);
    return name;
}

std::optional<NamedMesh> gltfChainMember(Context& ctx) {
    Workspace& ws = ctx.ws;
    Window& w = ctx.window;
    // The chain file takes no count marks.
    if (!prepareSubmeshExport(ctx)) return std::nullopt;
    std::string refusal;
    std::optional<NamedMesh> mesh = gltfMesh(ctx, refusal);
    if (!mesh) {
        w.addResult(meshName(ws) + " skipped: " + refusal.substr(0, refusal.find('\n')));
        return std::nullopt;
    }
    addFaceModeLine(ws, w);
    return mesh;
}

bool writeGltfChain(Context& ctx, const std::vector<NamedMesh>& meshes) {
    Window& w = ctx.window;
    if (meshes.empty()) {
        w.showMessage("No mesh of the chain could be exported:\nno glTF file written.");
        return false;
    }
    const std::string name = chainFileName(ctx.ws);
    if (!writeGlbFile(w, name, meshes)) return false;
    w.addResult(format("%s: %zu mesh%s.", platform::fileNameOf(name), meshes.size(), meshes.size() == 1 ? "" : "es"));
    return true;
}

void runGltfChainExport(Context& ctx) {
    std::vector<NamedMesh> meshes;
    const int loaded = runParameterChain(ctx, [&] {
        if (auto mesh = gltfChainMember(ctx)) meshes.push_back(std::move(*mesh));
    });
    if (loaded > 0) writeGltfChain(ctx, meshes);
}

}  // namespace nimbrel
