#include "find/layout_finder.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <tuple>

#include "find/index_blocks.h"
#include "find/vertex_search.h"

namespace nimbrel {

namespace {

constexpr double kMinScore = 0.3;
constexpr std::size_t kAlternativesPerBlock = 3;
// Index blocks at least this clear are taken for indices when UVs are sought.
constexpr double kClearIndexScore = 0.6;
// And positions this clear are taken for a mesh's, which no other mesh reads as UVs.
constexpr double kClearPositions = 0.75;
// Vertex scores this close are readings alike, of which the nearer or unshared one goes first.
constexpr double kAlikePositions = 0.03;
// Index blocks at least this clear own the positions they read best. Small parts with
// seams pair few edges (a box scores about 0.5), and parts of one shape fit each
// other's vertices alike.
constexpr double kOwnsPositions = 0.5;
constexpr std::size_t kMaxBlocks = 4096;
constexpr std::uint64_t kMisreadRunLength = 4;  // times a run's length that makes a longer one hold it
constexpr std::uint64_t kPartBytes = 1u << 20;
constexpr auto kProgressInterval = std::chrono::milliseconds(20);

bool cancelled(const FindOptions& o) { return o.cancel && o.cancel->load(std::memory_order_relaxed); }

/// Runs work(i) for i in [0, count) on the worker threads while the calling thread
/// reports progress from base to base + weight.
template <class Work>
void runParallel(std::size_t count, unsigned threads, const FindOptions& options, double base, double weight,
                 Work&& work) {
    if (count == 0) return;
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> done{0};
    std::mutex mutex;
    std::condition_variable finished;
    auto worker = [&] {
        for (std::size_t i; (i = next.fetch_add(1)) < count;) {
            if (!cancelled(options)) work(i);
            if (done.fetch_add(1) + 1 == count) {
                std::lock_guard lock(mutex);
                finished.notify_all();
            }
        }
    };
    std::vector<std::thread> pool;
    const unsigned n = static_cast<unsigned>(std::min<std::size_t>(threads, count));
    for (unsigned t = 0; t < n; ++t) pool.emplace_back(worker);
    {
        std::unique_lock lock(mutex);
        while (done.load() < count) {
            finished.wait_for(lock, kProgressInterval, [&] { return done.load() >= count; });
            if (options.progress) {
                lock.unlock();
                options.progress(base + weight * static_cast<double>(done.load()) / static_cast<double>(count));
                lock.lock();
            }
        }
    }
    for (std::thread& t : pool) t.join();
}

struct IndexKey {
    std::uint32_t start, count;
    std::uint8_t size, gap, vertices;
    bool stripMode, ffff, bigEndian;
    bool operator==(const IndexKey&) const = default;
};

IndexKey keyOf(const LayoutSettings& s) {
    return {s.faceIndexStart, s.faceIndexCnt, s.indexSize, s.faceGap, s.faceVertexCount, s.stripMode, s.ffffSeparator,
            s.bigEndian};
}

std::uint64_t indexEnd(const LayoutCandidate& c) {
    const LayoutSettings& s = c.settings;
    if (s.stripMode) return std::uint64_t{s.faceIndexStart} + std::uint64_t{s.faceIndexCnt} * s.indexSize;
    const std::uint64_t faces = s.faceIndexCnt / s.faceVertexCount;
    return s.faceIndexStart + faces * (std::uint64_t{s.faceVertexCount} * s.indexSize + s.faceGap);
}

// Bytes that [aBegin, aEnd) and [bBegin, bEnd) share.
std::uint64_t overlapOf(std::uint64_t aBegin, std::uint64_t aEnd, std::uint64_t bBegin, std::uint64_t bEnd) {
    const std::uint64_t from = std::max(aBegin, bBegin), to = std::min(aEnd, bEnd);
    return to > from ? to - from : 0;
}

// Best first; a block keeps a few alternatives, and a reading of bytes another block
// already explains better is dropped.
std::vector<LayoutCandidate> rank(std::vector<LayoutCandidate> all, std::size_t maxCandidates) {
    std::stable_sort(all.begin(), all.end(),
                     [](const LayoutCandidate& a, const LayoutCandidate& b) { return a.score > b.score; });
    struct Kept {
        IndexKey key;
        std::uint64_t begin, end;
        std::size_t alternatives;
    };
    std::vector<Kept> kept;
    std::vector<LayoutCandidate> out;
    for (LayoutCandidate& c : all) {
        if (out.size() >= maxCandidates) break;
        if (c.score < kMinScore) break;
        // A reading that lost its UVs may repeat one already kept.
        if (std::any_of(out.begin(), out.end(), [&](const LayoutCandidate& o) { return o.settings == c.settings; }))
            continue;
        const IndexKey key = keyOf(c.settings);
        const std::uint64_t begin = c.settings.faceIndexStart;
        const std::uint64_t end = indexEnd(c);
        bool take = true;
        bool same = false;
        for (Kept& k : kept) {
            if (k.key == key) {
                same = true;
                take = k.alternatives < kAlternativesPerBlock;
                if (take) ++k.alternatives;
                break;
            }
        }
        if (!same)
            for (const Kept& k : kept) {
                const std::uint64_t overlap = overlapOf(begin, end, k.begin, k.end);
                if (overlap * 2 > end - begin) {
                    take = false;
                    break;
                }
            }
        if (!take) continue;
        if (!same) kept.push_back({key, begin, end, 1});
        out.push_back(std::move(c));
    }
    return out;
}

bool overlaps(const std::pair<std::uint64_t, std::uint64_t>& a, const std::pair<std::uint64_t, std::uint64_t>& b) {
    return overlapOf(a.first, a.second, b.first, b.second) > 0;
}

// Two blocks that share bytes are readings of the same indices (another width or byte
// order), not two meshes.
bool sameIndices(const IndexBlock& a, const IndexBlock& b) {
    return overlapOf(a.start, a.byteEnd(), b.start, b.byteEnd()) > 0;
}

// Byte ranges joined into disjoint ones in file order, for a binary search.
std::vector<std::pair<std::uint64_t, std::uint64_t>> joinedRanges(
    std::vector<std::pair<std::uint64_t, std::uint64_t>> ranges) {
    std::sort(ranges.begin(), ranges.end());
    std::vector<std::pair<std::uint64_t, std::uint64_t>> joined;
    for (const auto& r : ranges) {
        if (!joined.empty() && r.first <= joined.back().second)
            joined.back().second = std::max(joined.back().second, r.second);
        else
            joined.push_back(r);
    }
    return joined;
}

// The byte ranges of the clear index blocks; a small block is too unsure to rule bytes
// out for the others.
std::vector<std::pair<std::uint64_t, std::uint64_t>> clearIndexBytes(const std::vector<IndexBlock>& blocks) {
    std::vector<std::pair<std::uint64_t, std::uint64_t>> ranges;
    for (const IndexBlock& b : blocks)
        if (b.measures.indexScore >= kClearIndexScore && !b.small()) ranges.emplace_back(b.start, b.byteEnd());
    return joinedRanges(std::move(ranges));
}

// A run well inside a far longer run of the same width, read at another byte phase or in
// the other byte order, is the longer list's values misread: resolving it costs much
// and finds nothing the longer one does not explain.
std::vector<IndexRun> dropMisreadRuns(std::vector<IndexRun> runs) {
    const auto bytesOf = [](const IndexRun& r) {
        return std::pair{r.first + r.begin * r.indexSize, r.first + r.end * r.indexSize};
    };
    std::vector<std::size_t> order(runs.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return bytesOf(runs[a]) < bytesOf(runs[b]); });
    // Per stream (width, byte order, phase), the run reaching furthest of those begun so far.
    constexpr std::size_t kStreams = 2 * (2 + 4);
    const auto streamOf = [](const IndexRun& r) {
        return (r.indexSize == 2 ? 0 : 4) + 2 * static_cast<std::size_t>(r.first) + (r.bigEndian ? 1 : 0);
    };
    std::array<std::pair<std::uint64_t, std::uint64_t>, kStreams> reach{};
    std::vector<bool> misread(runs.size(), false);
    for (std::size_t i : order) {
        const IndexRun& r = runs[i];
        const auto [begin, end] = bytesOf(r);
        const std::size_t own = streamOf(r);
        for (std::size_t k = 0; k < kStreams; ++k) {
            const bool sameWidth = (k < 4) == (r.indexSize == 2);
            const auto [kBegin, kEnd] = reach[k];
            if (k != own && sameWidth && kEnd >= end && kEnd - kBegin >= kMisreadRunLength * (end - begin))
                misread[i] = true;
        }
        if (end > reach[own].second) reach[own] = {begin, end};
    }
    std::vector<IndexRun> kept;
    for (std::size_t i = 0; i < runs.size(); ++i)
        if (!misread[i]) kept.push_back(runs[i]);
    return kept;
}

// A separate UV block found for one index block may be the positions of another mesh,
// whose float pairs read as smooth UVs too. Where the best reading of a clear block puts
// its positions there, the bytes are that mesh's, and the UVs are dropped; a misreading
// of the same indices (another width or byte order) owns no bytes.
void dropUvsOfOtherMeshes(const std::vector<IndexBlock>& blocks, std::vector<BlockLayouts>& found) {
    std::vector<std::pair<std::uint64_t, std::uint64_t>> meshes;
    std::vector<std::size_t> owner;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        if (found[i].found.empty() || blocks[i].measures.indexScore < kClearIndexScore) continue;
        const LayoutCandidate& best = found[i].found.front();
        if (best.measures.vertexScore < kClearPositions) continue;
        meshes.push_back(best.positionBytes);
        owner.push_back(i);
    }
    for (std::size_t i = 0; i < found.size(); ++i)
        for (std::size_t k = 0; k < found[i].found.size(); ++k) {
            const auto [begin, end] = found[i].found[k].uvBytes;
            if (begin == end) continue;
            for (std::size_t m = 0; m < meshes.size(); ++m) {
                if (!sameIndices(blocks[i], blocks[owner[m]]) &&
                    2 * overlapOf(begin, end, meshes[m].first, meshes[m].second) > end - begin) {
                    found[i].found[k] = found[i].withoutUvBlock[k];
                    break;
                }
            }
        }
}

// Drops readings [from, to) of a block, with their forms without a UV block alongside.
void dropReadings(BlockLayouts& b, std::size_t from, std::size_t to) {
    const auto first = static_cast<std::ptrdiff_t>(from), last = static_cast<std::ptrdiff_t>(to);
    b.found.erase(b.found.begin() + first, b.found.begin() + last);
    b.withoutUvBlock.erase(b.withoutUvBlock.begin() + first, b.withoutUvBlock.begin() + last);
}

// Parts of one shape fit each other's vertices. Where an owning block's best reading takes
// the positions another owning block's best reads better, and an alternative that reads
// about as well takes positions no other block's best does, the alternative is its own.
void shareNoPositions(const std::vector<IndexBlock>& blocks, std::vector<BlockLayouts>& found) {
    const auto owns = [&](std::size_t i) {
        return !found[i].found.empty() && blocks[i].measures.indexScore >= kOwnsPositions;
    };
    const auto takenByOther = [&](std::size_t i, const LayoutCandidate& c, bool better) {
        for (std::size_t j = 0; j < found.size(); ++j) {
            if (j == i || !owns(j) || sameIndices(blocks[i], blocks[j])) continue;
            const LayoutCandidate& other = found[j].found.front();
            if (overlaps(c.positionBytes, other.positionBytes) && (!better || other.score > c.score)) return true;
        }
        return false;
    };
    for (std::size_t i = 0; i < found.size(); ++i) {
        if (!owns(i) || !takenByOther(i, found[i].found.front(), true)) continue;
        const auto& list = found[i].found;
        for (std::size_t k = 1; k < list.size(); ++k) {
            if (list[k].measures.vertexScore < list[0].measures.vertexScore - kAlikePositions) break;
            if (overlaps(list[k].positionBytes, list[0].positionBytes) || takenByOther(i, list[k], false)) continue;
            dropReadings(found[i], 0, k);
            break;
        }
    }
    // Nor does a block's other reading of such positions that scores above its first (with
    // UVs that read better): ranked on its own, it would push the block's own reading aside.
    for (std::size_t i = 0; i < found.size(); ++i) {
        if (!owns(i)) continue;
        for (std::size_t k = found[i].found.size(); k-- > 1;)
            if (found[i].found[k].score > found[i].found[0].score && takenByOther(i, found[i].found[k], true))
                dropReadings(found[i], k, k + 1);
    }
}

// A small block's folded faces are cut off once its vertices are known, so it may end
// up below the least asked for. The stretches of a small mesh's values read another way
// (a fan's list read from a face later, its points as a strip) make some of its faces
// again, over the same vertices: a block whose faces another small block's best reading
// holds too, and more, is a piece of that mesh.
void dropPiecesOfSmallMeshes(const std::vector<IndexBlock>& blocks, std::vector<BlockLayouts>& found,
                             std::uint64_t minTriangles) {
    // The best reading's faces of each small block as sorted sets of corners, by the
    // vertices they are read from.
    using Faces = std::vector<std::array<std::uint32_t, 3>>;
    std::map<std::tuple<std::uint32_t, std::uint8_t, bool>, std::vector<std::pair<std::size_t, Faces>>> byVertices;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        if (!blocks[i].small()) continue;
        for (std::size_t k = found[i].found.size(); k-- > 0;)
            if (found[i].found[k].triangles < minTriangles) dropReadings(found[i], k, k + 1);
        if (found[i].found.empty()) continue;
        const LayoutCandidate& c = found[i].found.front();
        Faces faces;
        for (auto t : blocks[i].triangles) {
            if (faces.size() == c.triangles) break;
            std::sort(t.begin(), t.end());
            faces.push_back(t);
        }
        std::sort(faces.begin(), faces.end());
        byVertices[{c.settings.vertexStart, c.settings.fvfSize, c.settings.bigEndian}].emplace_back(i, std::move(faces));
    }
    for (const auto& [key, group] : byVertices)
        for (const auto& [i, mine] : group)
            for (const auto& [j, theirs] : group) {
                const bool more = theirs.size() > mine.size() || (theirs.size() == mine.size() && j < i);
                if (more && std::includes(theirs.begin(), theirs.end(), mine.begin(), mine.end())) {
                    dropReadings(found[i], 0, found[i].found.size());
                    break;
                }
            }
}

}  // namespace

std::vector<LayoutCandidate> findLayouts(std::span<const std::uint8_t> model, const FindOptions& options) {
    unsigned threads = options.threads != 0 ? options.threads : std::thread::hardware_concurrency();
    threads = std::max(1u, threads);
    const std::size_t parts = std::max<std::size_t>(1, (model.size() + kPartBytes - 1) / kPartBytes);

    // One linear pass: index runs of every stream and float regions of both byte orders.
    std::vector<std::vector<IndexRun>> partRuns(parts);
    std::vector<std::vector<VertexRegion>> partRegions[2] = {std::vector<std::vector<VertexRegion>>(parts),
                                                             std::vector<std::vector<VertexRegion>>(parts)};
    // Three tasks a part (the index streams and the floats of each byte order), so that a
    // file of one part keeps both cores busy too.
    const auto partOf = [&](std::size_t i) {
        const std::uint64_t from = i * kPartBytes;
        return std::pair{from, std::min<std::uint64_t>(model.size(), from + kPartBytes)};
    };
    runParallel(parts * 3, threads, options, 0.0, 0.2, [&](std::size_t task) {
        const std::size_t i = task / 3;
        const auto [from, to] = partOf(i);
        if (task % 3 == 0)
            partRuns[i] = scanIndexRuns(model, from, to, options.cancel);
        else
            partRegions[task % 3 - 1][i] = scanFloatRegions(model, task % 3 == 2, from, to);
    });
    std::vector<IndexRun> runs;
    for (auto& r : partRuns) runs.insert(runs.end(), r.begin(), r.end());
    runs = dropMisreadRuns(joinRuns(std::move(runs)));
    std::vector<VertexRegion> regions[2];
    for (int e = 0; e < 2; ++e) {
        std::vector<VertexRegion> all;
        for (auto& r : partRegions[e]) all.insert(all.end(), r.begin(), r.end());
        regions[e] = joinRegions(std::move(all));
    }
    if (cancelled(options)) return {};

    std::vector<std::vector<IndexBlock>> runBlocks(runs.size());
    runParallel(runs.size(), threads, options, 0.2, 0.1,
                [&](std::size_t i) { runBlocks[i] = resolveRun(model, runs[i], options.minTriangles); });
    std::vector<IndexBlock> blocks;
    for (auto& b : runBlocks)
        for (auto& block : b) blocks.push_back(std::move(block));
    runBlocks.clear();
    const auto listBytes = clearIndexBytes(blocks);
    // A plain list read as records makes long chains of misread faces: record blocks are
    // sought outside the lists found.
    std::vector<std::vector<IndexBlock>> streamRecords(parts * kRecordStreams);
    runParallel(streamRecords.size(), threads, options, 0.3, 0.1, [&](std::size_t task) {
        const auto [from, to] = partOf(task / kRecordStreams);
        streamRecords[task] = scanFaceRecords(model, from, to, options.minTriangles, listBytes, options.cancel,
                                              static_cast<int>(task % kRecordStreams));
    });
    std::vector<std::vector<IndexBlock>> partRecords(parts);
    for (std::size_t task = 0; task < streamRecords.size(); ++task)
        for (auto& block : streamRecords[task]) partRecords[task / kRecordStreams].push_back(std::move(block));
    streamRecords.clear();
    // A record block that runs past its part is found again from inside by the next part.
    for (std::size_t i = 0; i < parts; ++i)
        for (auto& block : partRecords[i]) {
            const bool again = i > 0 && std::any_of(partRecords[i - 1].begin(), partRecords[i - 1].end(),
                                                    [&](const IndexBlock& b) {
                                                        return b.indexSize == block.indexSize &&
                                                               b.bigEndian == block.bigEndian &&
                                                               block.start < b.byteEnd() && b.start < block.byteEnd();
                                                    });
            if (!again) blocks.push_back(block);
        }
    partRecords.clear();
    // Meshes smaller than the stream scan sees, where asked for, outside the larger blocks
    // found. Of so few faces the scans read the same bytes many ways (a strip of mostly
    // repeated values, a width that halves the floats beside it): the small blocks' stricter
    // reading alone holds there.
    if (options.minTriangles < kSmallBlockFaces) {
        std::erase_if(blocks, [](const IndexBlock& b) { return b.triangles.size() < kSmallBlockFaces; });
        std::vector<std::pair<std::uint64_t, std::uint64_t>> foundBytes;
        for (const IndexBlock& b : blocks) foundBytes.emplace_back(b.start, b.byteEnd());
        foundBytes = joinedRanges(std::move(foundBytes));
        std::vector<std::vector<IndexBlock>> small(parts * kRecordStreams);
        runParallel(small.size(), threads, options, 0.4, 0.0, [&](std::size_t task) {
            const auto [from, to] = partOf(task / kRecordStreams);
            small[task] = scanSmallBlocks(model, from, to, options.minTriangles, foundBytes, options.cancel,
                                          static_cast<int>(task % kRecordStreams));
        });
        for (auto& part : small)
            for (auto& block : part) blocks.push_back(std::move(block));
    }
    // The most promising blocks first, and never more than a bounded number.
    std::stable_sort(blocks.begin(), blocks.end(), [](const IndexBlock& a, const IndexBlock& b) {
        return a.measures.indexScore * std::sqrt(double(a.triangles.size())) >
               b.measures.indexScore * std::sqrt(double(b.triangles.size()));
    });
    // A smaller block inside a better one is a misreading of its bytes (another width,
    // byte order or record size): its vertex search would cost much and find nothing true.
    std::vector<IndexBlock> kept;
    for (IndexBlock& b : blocks) {
        // Which of a few overlapping small blocks is a mesh only their vertices tell.
        const bool inside = !b.small() && std::any_of(kept.begin(), kept.end(), [&](const IndexBlock& k) {
            const std::uint64_t overlap = overlapOf(b.start, b.byteEnd(), k.start, k.byteEnd());
            // The same values read the same way are one list, however well a piece of it
            // scores on its own.
            const bool piece = overlap == b.byteEnd() - b.start && k.indexSize == b.indexSize &&
                               k.bigEndian == b.bigEndian && (b.start - k.start) % k.indexSize == 0 &&
                               k.triangles.size() > b.triangles.size();
            return piece || (5 * overlap >= 4 * (b.byteEnd() - b.start) && k.triangles.size() > b.triangles.size() &&
                             k.measures.indexScore + 0.02 >= b.measures.indexScore);
        });
        if (!inside) kept.push_back(std::move(b));
        if (kept.size() >= kMaxBlocks) break;
    }
    blocks = std::move(kept);

    std::size_t regionCount = regions[0].size() + regions[1].size();
    runParallel(regionCount, threads, options, 0.4, 0.05, [&](std::size_t i) {
        const bool big = i >= regions[0].size();
        VertexRegion& r = big ? regions[1][i - regions[0].size()] : regions[0][i];
        estimateStrides(model, r);
        findNormalBlocks(model, big, r);
    });

    const auto indexBytes = clearIndexBytes(blocks);
    std::vector<BlockLayouts> found(blocks.size());
    runParallel(blocks.size(), threads, options, 0.45, 0.55, [&](std::size_t i) {
        found[i] = layoutsForBlock(model, blocks[i], regions[blocks[i].bigEndian ? 1 : 0], indexBytes,
                                   kAlternativesPerBlock, options.cancel);
    });
    dropPiecesOfSmallMeshes(blocks, found, options.minTriangles);
    shareNoPositions(blocks, found);
    dropUvsOfOtherMeshes(blocks, found);
    std::vector<LayoutCandidate> all;
    for (auto& f : found) all.insert(all.end(), f.found.begin(), f.found.end());
    if (options.progress) options.progress(1.0);
    return rank(std::move(all), options.maxCandidates);
}

}  // namespace nimbrel
