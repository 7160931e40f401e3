#pragma once

#include <cstdint>
#include <string_view>

#include "core/layout_settings.h"
#include "core/mesh.h"
#include "core/model_buffer.h"

namespace nimbrel {

/// The mesh the layout gives, the same numbers and faces "Save&As mesh" writes to its OBJ:
/// the vertex block (HF_all with relFI from the record the smallest face index names), the
/// UVs where the layout has them, and the face-index block as triangles, 0-based into the
/// positions (relFI lists shifted as the OBJ numbers them). Quads become the two triangles
/// an OBJ reader fans from the written face. Reads past the model read zeros; a face block
/// past the model end, or a restart strip too short, gives no triangles. The layout's
/// uvPos must have passed the step checks (not below the position size in VB mode).
Mesh decodeMesh(const ModelBuffer& model, const LayoutSettings& settings);

/// Positions and UVs only, from vertexStart without any relFI shift: the vertices of the
/// point-cloud modes.
Mesh decodeVertices(const ModelBuffer& model, const LayoutSettings& settings);

/// The faces the tool generates when no FIs.txt exists: one strip over all vertices in
/// strip mode, consecutive triples otherwise; added to mesh.triangles.
void addGeneratedFaces(Mesh& mesh, bool stripMode);

/// The "f" lines of OBJ text (a user's FIs.txt) as triangles, polygons fanned from their
/// first corner; negative indices count back from the last position. Lines that are not
/// faces, and faces naming index 0, are skipped. Returns the number of faces skipped.
std::uint64_t addObjFaceLines(Mesh& mesh, std::string_view text);

/// Counts the indices of mesh.triangles that name no position into indicesPastVertexBlock.
void countIndicesPastVertexBlock(Mesh& mesh);

}  // namespace nimbrel
