#pragma once

#include <atomic>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "find/index_blocks.h"
#include "find/layout_finder.h"

namespace nimbrel {

/// A stretch of bytes that may hold vertex records, with the record strides its bytes
/// repeat at, likeliest first.
struct VertexRegion {
    std::uint64_t begin = 0;
    std::uint64_t end = 0;
    std::vector<std::uint8_t> strides;
    /// Packed blocks of unit vectors (normals), [begin, end) in file order: formats
    /// write their blocks back to back, so the next block starts where one ends.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> normalBlocks;
};

/// Stretches where 4-byte words in the given byte order read as plausible floats, in
/// [from, to); neighbouring parts' regions are joined by joinRegions.
std::vector<VertexRegion> scanFloatRegions(std::span<const std::uint8_t> model, bool bigEndian, std::uint64_t from,
                                           std::uint64_t to);
std::vector<VertexRegion> joinRegions(std::vector<VertexRegion> regions);
/// Fills a region's strides from how its bytes repeat.
void estimateStrides(std::span<const std::uint8_t> model, VertexRegion& region);

/// Fills a region's normalBlocks.
void findNormalBlocks(std::span<const std::uint8_t> model, bool bigEndian, VertexRegion& region);

/// Complete layouts for one index block: the vertex records it names and their UVs,
/// at most keep of them, best first, in found. Each has its twin in withoutUvBlock: the
/// same reading without its separate UV block (itself where it has none), for a caller
/// that learns those bytes are another mesh's positions.
/// indexBytes are the byte ranges of the file's clear index blocks, which hold no UVs.
struct BlockLayouts {
    std::vector<LayoutCandidate> found;
    std::vector<LayoutCandidate> withoutUvBlock;
};
BlockLayouts layoutsForBlock(std::span<const std::uint8_t> model, const IndexBlock& block,
                             std::span<const VertexRegion> floatRegions,
                             std::span<const std::pair<std::uint64_t, std::uint64_t>> indexBytes, std::size_t keep,
                             const std::atomic<bool>* cancel);

}  // namespace nimbrel
