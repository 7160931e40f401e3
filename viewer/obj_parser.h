#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace nimbrel {

/// What the viewer keeps of a Wavefront OBJ text: positions, faces as triangles, counts.
struct ObjMesh {
    /// x, y, z per `v` line, in file order. A `v` line that does not hold three finite
    /// numbers keeps its slot (so later indices stay right) as NaN, and faces using it are
    /// skipped.
    std::vector<float> positions;
    /// Three 0-based vertex numbers per triangle; polygons are fanned from their first corner.
    std::vector<std::uint32_t> triangles;
    std::uint64_t faceCount = 0;       ///< `f` lines kept
    std::uint64_t uvCount = 0;         ///< `vt` lines
    std::uint64_t skippedCount = 0;    ///< malformed or unknown lines, faces out of range
    std::uint64_t firstSkippedLine = 0; ///< 1-based line number of the first one; 0 when none
    /// Box around the valid vertices; hasBounds is false (and the box zero) when none is.
    bool hasBounds = false;
    float boundsMin[3] = {0, 0, 0};
    float boundsMax[3] = {0, 0, 0};

    std::size_t vertexCount() const { return positions.size() / 3; }
};

/// Reads OBJ text of any bytes: `v`, `vt`, `f` (i, i/j, i/j/k, i//k, negative indices),
/// `g` and the other known statements, `#` comments anywhere on a line, blank lines,
/// LF or CR LF ends. Never fails; what it cannot use is counted in skippedCount. A face
/// index must name a vertex defined on an earlier line, as OBJ requires.
ObjMesh parseObj(std::string_view text);

} // namespace nimbrel
