#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

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

/// Whether a triangle names one vertex twice.
inline bool hasRepeatedCorner(const std::array<std::uint32_t, 3>& t) {
    return t[0] == t[1] || t[1] == t[2] || t[0] == t[2];
}

/// How many corners of a the face b names too.
inline int commonCorners(const std::array<std::uint32_t, 3>& a, const std::array<std::uint32_t, 3>& b) {
    int common = 0;
    for (std::uint32_t v : a) common += b[0] == v || b[1] == v || b[2] == v;
    return common;
}

/// Whether faces[i] has two corners in common with another of faces: a small mesh's faces
/// each do, where faces of other data read as indices mostly lie alone.
inline bool sharesAnEdge(std::span<const std::array<std::uint32_t, 3>> faces, std::size_t i) {
    for (std::size_t j = 0; j < faces.size(); ++j)
        if (j != i && commonCorners(faces[i], faces[j]) >= 2) return true;
    return false;
}

/// Whether every one of faces shares an edge with another: they make one surface, or
/// several.
inline bool eachSharesAnEdge(std::span<const std::array<std::uint32_t, 3>> faces) {
    for (std::size_t i = 0; i < faces.size(); ++i)
        if (!sharesAnEdge(faces, i)) return false;
    return true;
}

/// How many distinct values forEach(f) hands to f: count values in all, each in [lo, hi].
/// A bitmap where the range allows it, as it does for indices: a sort of them cost more
/// than all the rest of an index measure.
template <class ForEach>
std::uint64_t distinctValues(std::uint32_t lo, std::uint32_t hi, std::size_t count, ForEach&& forEach) {
    const std::uint64_t range = std::uint64_t{hi} - lo + 1;
    if (range <= 8 * std::uint64_t{count} + (1u << 20)) {
        std::vector<bool> seen(range);
        std::uint64_t distinct = 0;
        forEach([&](std::uint32_t v) {
            if (!seen[v - lo]) {
                seen[v - lo] = true;
                ++distinct;
            }
        });
        return distinct;
    }
    std::vector<std::uint32_t> all;
    all.reserve(count);
    forEach([&](std::uint32_t v) { all.push_back(v); });
    std::sort(all.begin(), all.end());
    return static_cast<std::uint64_t>(std::unique(all.begin(), all.end()) - all.begin());
}

/// Fewer neighbour pairs than this say nothing about folds.
inline constexpr std::uint64_t kMinNeighbourPairs = 6;

/// Two triangles sharing the edge p-q, with the corners a and b across it.
struct NeighbourPair {
    std::uint32_t p, q, a, b;
};

/// The neighbouring triangles among the first few thousand of a list: a list keeps the
/// triangles of one patch close together, so that window holds most of its neighbours.
std::vector<NeighbourPair> neighbourPairs(std::span<const std::array<std::uint32_t, 3>> triangles);

/// The cosine of the angle between the two faces of a neighbour pair (shared edge p-q,
/// corners a and b across it), seen along the edge: -1 where they lie flat, 1 where one
/// lies folded back onto the other; NaN where a face has no area.
double foldCosine(const std::array<float, 3>& p, const std::array<float, 3>& q, const std::array<float, 3>& a,
                  const std::array<float, 3>& b);

/// Whether the two faces of a neighbour pair fold onto each other: 1, or open out: 0; -1
/// where a face has no area.
int foldOf(const std::array<float, 3>& p, const std::array<float, 3>& q, const std::array<float, 3>& a,
           const std::array<float, 3>& b);

/// The sides of the edge p-q in UV space that a and b lie on, as two cross products: of
/// one sign where the UV triangles overlap across the edge.
std::array<double, 2> uvSides(const std::array<float, 2>& p, const std::array<float, 2>& q,
                              const std::array<float, 2>& a, const std::array<float, 2>& b);

/// neighbourPairs and foldedShare of m over the given pairs; withArea, where given, gets
/// the pairs both of whose faces have an area, those a UV fold is judged on.
void measureFolds(std::span<const std::array<float, 3>> positions, std::span<const NeighbourPair> neighbours,
                  CandidateMeasures& m, std::vector<NeighbourPair>* withArea = nullptr);

/// What the UV measures take from the positions of one reading: worked out once, it serves
/// every UV reading tried with those positions. neighbours are those of the caller's
/// list; folds, where given, gets neighbourPairs and foldedShare of the same pass.
struct UvGround {
    std::vector<bool> referenced;  ///< vertices the triangles name
    struct Face {
        std::uint32_t triangle;
        bool sampled;  ///< its UV edge counts towards the median
    };
    std::vector<Face> faces;            ///< triangles of three finite, distinct positions
    std::vector<NeighbourPair> pairs;  ///< neighbour pairs whose faces have an area
};
UvGround uvGroundOf(std::span<const std::array<float, 3>> positions,
                    std::span<const std::array<std::uint32_t, 3>> triangles, std::span<const NeighbourPair> neighbours,
                    CandidateMeasures* folds = nullptr);

/// uvOutsideShare, uvDegenerateShare, uvFoldedShare and uvScore of uvs, one pair per
/// position, over the triangles the ground was worked out for. Where the folds alone
/// put the score below floor, only uvFoldedShare is measured and uvScore is a bound.
void measureUvs(const UvGround& ground, std::span<const std::array<std::uint32_t, 3>> triangles,
                std::span<const std::array<float, 2>> uvs, CandidateMeasures& m, double floor = 0);

/// The position and UV measures alone, with vertexScore and uvScore: the index part of m
/// is left as it is, so a search over vertex layouts of one block measures its index once.
/// neighbours, where given, are those of the caller's whole list (triangles may be a sample
/// of it); otherwise they are taken from triangles. With stopAtZero, positions that score
/// 0 whatever their triangles (a coordinate that is no number, or past any model's size)
/// leave vertexScore 0 and the measures after those of the positions unfilled.
void measureGeometry(std::span<const std::array<float, 3>> positions, std::span<const std::array<float, 2>> uvs,
                     std::span<const std::array<std::uint32_t, 3>> triangles, CandidateMeasures& m,
                     std::span<const NeighbourPair> neighbours = {}, bool stopAtZero = false);

/// The index measures alone (coverage, repeats, paired edges) and indexScore.
void measureIndices(std::span<const std::array<std::uint32_t, 3>> triangles, CandidateMeasures& m);

/// The score of positions and triangles, from measures already filled.
double vertexScoreOf(const CandidateMeasures& m);

}  // namespace nimbrel
