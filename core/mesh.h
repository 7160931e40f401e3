#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace nimbrel {

/// A decoded polygon mesh: what a layout gives, independent of any output format.
struct Mesh {
    std::vector<std::array<float, 3>> positions;
    /// Empty when the layout has no UVs; otherwise one pair per position, as decoded.
    std::vector<std::array<float, 2>> uvs;
    /// 0-based indices into positions. A triangle may name a vertex past the block when
    /// the layout is wrong; such indices are counted below, never clamped.
    std::vector<std::array<std::uint32_t, 3>> triangles;

    // What the decoding met.
    std::uint64_t indicesPastVertexBlock = 0;
    std::uint64_t nonFinitePositions = 0;
    std::uint64_t nonFiniteUvs = 0;
    std::uint64_t restartMarkers = 0;
};

}  // namespace nimbrel
