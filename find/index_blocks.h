#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "find/layout_finder.h"

namespace nimbrel {

/// A stretch of one index stream (width, byte order, first byte) whose values look like
/// face indices: small, close together, not all equal. Element offsets count from first.
struct IndexRun {
    std::uint8_t indexSize = 2;
    bool bigEndian = false;
    std::uint64_t first = 0;  ///< byte offset of element 0 of the stream
    std::uint64_t begin = 0;  ///< first element of the run
    std::uint64_t end = 0;    ///< one past its last element
};

/// One face-index block as the tool reads it, with its triangles 0-based.
struct IndexBlock {
    std::uint32_t start = 0;
    std::uint32_t count = 0;  ///< faceIndexCnt: values read
    std::uint8_t indexSize = 2;
    bool bigEndian = false;
    std::uint8_t faceGap = 0;
    std::uint8_t faceVertexCount = 3;
    IndexTopology topology = IndexTopology::List;
    std::uint32_t minIndex = 0;
    std::uint32_t maxIndex = 0;
    std::vector<std::array<std::uint32_t, 3>> triangles;
    CandidateMeasures measures;  ///< the index part filled
    /// A small block's stretch of small values around it (other data of the mesh, such as
    /// points and lines), beside which its vertices lie; empty for other blocks.
    std::pair<std::uint64_t, std::uint64_t> amid{};
    std::uint64_t byteEnd() const;
    bool small() const { return amid.second > amid.first; }
};

/// The runs of every index stream that begin in [from, to); runs may reach past to.
std::vector<IndexRun> scanIndexRuns(std::span<const std::uint8_t> model, std::uint64_t from, std::uint64_t to,
                                    const std::atomic<bool>* cancel);

/// Joins runs of one stream that touch (found by neighbouring scan parts).
std::vector<IndexRun> joinRuns(std::vector<IndexRun> runs);

/// The blocks a run holds: its ends refined, split where numbering starts again, each
/// read as the face layout its triangles fit best. Blocks under minTriangles are dropped.
std::vector<IndexBlock> resolveRun(std::span<const std::uint8_t> model, const IndexRun& run,
                                   std::uint64_t minTriangles);

/// Blocks of face records in [from, to): the corners of each face followed by other bytes
/// of a fixed size (a PLY count byte and per-face properties, flags, a face normal).
/// No block starts inside the skip ranges (disjoint, in file order): plain lists found before.
/// stream is one of the kRecordStreams: 16-bit little, big endian, 32-bit little, big.
constexpr int kRecordStreams = 4;
std::vector<IndexBlock> scanFaceRecords(std::span<const std::uint8_t> model, std::uint64_t from, std::uint64_t to,
                                        std::uint64_t minTriangles,
                                        std::span<const std::pair<std::uint64_t, std::uint64_t>> skip,
                                        const std::atomic<bool>* cancel, int stream);

/// Blocks of fewer than kSmallBlockFaces faces that the stream scan misses: shorter than
/// its chunks, or among other small values (a mesh's points and lines). Each is the longest
/// stretch from its start whose faces hold together as one surface. Headers and small
/// integers hold many such stretches, so they are sought only for meshes that small.
/// No block starts inside skip (disjoint, in file order); stream as for scanFaceRecords.
constexpr std::uint64_t kSmallBlockFaces = 8;
std::vector<IndexBlock> scanSmallBlocks(std::span<const std::uint8_t> model, std::uint64_t from, std::uint64_t to,
                                        std::uint64_t minTriangles,
                                        std::span<const std::pair<std::uint64_t, std::uint64_t>> skip,
                                        const std::atomic<bool>* cancel, int stream);

}  // namespace nimbrel
