#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "core/mesh.h"
#include "find/layout_finder.h"

namespace nimbrel {

/// The measures of a decoded mesh and its index, vertex and UV scores, as the finder ranks
/// its candidates. Every field of CandidateMeasures is filled; uvScore is 0 without UVs.
CandidateMeasures measureMesh(const Mesh& mesh);

/// The same over spans; uvs empty or one pair per position. The finder calls this on
/// sampled triangles while it searches, and on all of them for the candidates it keeps.
CandidateMeasures measureTriangles(std::span<const std::array<float, 3>> positions,
                                   std::span<const std::array<float, 2>> uvs,
                                   std::span<const std::array<std::uint32_t, 3>> triangles);

/// The position and UV measures alone, with vertexScore and uvScore: the index part of m
/// is left as it is, so a search over vertex layouts of one block measures its index once.
void measureGeometry(std::span<const std::array<float, 3>> positions, std::span<const std::array<float, 2>> uvs,
                     std::span<const std::array<std::uint32_t, 3>> triangles, CandidateMeasures& m);

/// The index measures alone (coverage, repeats, paired edges) and indexScore.
void measureIndices(std::span<const std::array<std::uint32_t, 3>> triangles, CandidateMeasures& m);

/// The score of positions and triangles, from measures already filled.
double vertexScoreOf(const CandidateMeasures& m);

}  // namespace nimbrel
