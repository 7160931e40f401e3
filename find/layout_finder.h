#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <utility>
#include <vector>

#include "core/layout_settings.h"

namespace nimbrel {

/// How the indices of a block make triangles.
enum class IndexTopology : std::uint8_t { List, Strip, StripRestart };

/// Where a candidate's UVs are.
enum class UvLocation : std::uint8_t { None, InVertexRecord, SeparateBlock };

/// The measures a candidate's score is made of, each as a user can read it. Shares are 0..1.
struct CandidateMeasures {
    std::uint64_t indexCount = 0;
    std::uint32_t minIndex = 0;
    std::uint32_t maxIndex = 0;
    double indexCoverage = 0;        ///< share of 0..maxIndex that some index names
    double degenerateShare = 0;      ///< triangles naming one vertex twice, or of zero area
    double repeatedCornerShare = 0;  ///< of those, the ones naming one vertex twice
    double needleShare = 0;          ///< triangles far longer than they are wide
    double unusedVertexShare = 0;
    std::uint64_t nonFinitePositions = 0;
    double medianEdgeToDiagonal = 0; ///< median edge length / bounding-box diagonal
    double uvOutsideShare = 0;       ///< UV pairs with u or v outside 0..1
    double uvDegenerateShare = 0;    ///< triangles whose UV triangle has no area
    double pairedEdgeShare = 0;      ///< directed edges whose reverse another triangle holds
    double unitLengthShare = 0;      ///< positions of length 1: normals read as positions
    double maxMagnitude = 0;         ///< largest absolute coordinate
    std::uint64_t outliers = 0;      ///< positions far beyond where the others lie
    std::uint64_t neighbourPairs = 0; ///< triangle pairs sharing an edge that were compared
    double foldedShare = 0;          ///< of those, pairs folded onto each other (sharper than 78 degrees)
    double uvFoldedShare = 0;        ///< of those, pairs whose UV triangles overlap across the edge
    double indexScore = 0;           ///< 0..1, the index block alone
    double vertexScore = 0;          ///< 0..1, the decoded positions and triangles
    double uvScore = 0;              ///< 0..1; 0 where there are no UVs
};

/// One complete submesh layout found in a model, in the tool's own settings.
struct LayoutCandidate {
    LayoutSettings settings;  ///< typed into the fields, " mesh" gives this mesh
    IndexTopology topology = IndexTopology::List;
    UvLocation uvLocation = UvLocation::None;
    std::uint64_t triangles = 0;
    std::array<float, 3> boxMin{};
    std::array<float, 3> boxMax{};
    double score = 0;  ///< 0..1, comparable across the candidates of one file
    CandidateMeasures measures;
    /// The bytes the used records' positions are read from, and those of a separate UV
    /// block (empty where there is none), [first, second).
    std::pair<std::uint64_t, std::uint64_t> positionBytes{};
    std::pair<std::uint64_t, std::uint64_t> uvBytes{};
};

struct FindOptions {
    std::size_t maxCandidates = 100;
    std::uint64_t minTriangles = 8;
    /// Worker threads; 0 takes every core.
    unsigned threads = 0;
    /// Called on the calling thread with the share of the scan done (0..1), often enough for
    /// a progress bar and rarely enough to cost nothing.
    std::function<void(double)> progress;
    /// Set from any thread to stop the scan early; findLayouts then returns what it has.
    const std::atomic<bool>* cancel = nullptr;
};

/// Scans the model bytes for face-index blocks, the vertex blocks they name and their UVs;
/// returns complete layouts, best first. Reads nothing outside model; memory stays within
/// the size of model again, whatever the bytes hold.
std::vector<LayoutCandidate> findLayouts(std::span<const std::uint8_t> model, const FindOptions& options);

}  // namespace nimbrel
