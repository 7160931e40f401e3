#pragma once

#include <optional>
#include <vector>

#include "app/context.h"
#include "mesh/gltf_file.h"

namespace nimbrel {

/// The loaded parameter file's part of a glTF chain: the export's checks, then its mesh
/// named after the file. Nothing when the checks stopped it or glTF cannot hold it (a
/// results line says so).
std::optional<NamedMesh> gltfChainMember(Context& ctx);

/// Writes the chain's meshes to MODEL_chain.glb, or the first free MODEL_chain_N.glb, and
/// names it in the results list. False, after its message, when nothing was written.
bool writeGltfChain(Context& ctx, const std::vector<NamedMesh>& meshes);

}  // namespace nimbrel
