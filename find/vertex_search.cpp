#include "find/vertex_search.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <tuple>

#include "find/byte_lanes.h"
#include "find/mesh_measures.h"
#include "find/span_bytes.h"
#include "vertices/record_layout.h"

namespace nimbrel {

namespace {

constexpr std::uint64_t kRegionChunk = 64;
constexpr unsigned kFloatyWords = 10;        // of the 16 words of a chunk at one alignment
constexpr unsigned kOddRecordWords = 48;     // of the 256 words of four chunks at all alignments
constexpr std::size_t kSampleTriangles = 64;
constexpr std::size_t kRoughTriangles = 12;  // triangles of the first, rough check
constexpr std::size_t kUvSampleTriangles = 1500;
constexpr std::size_t kStrideChoices = 10;
constexpr std::size_t kFirstStrides = 4;  // of a region's, tried in every region before the rest
constexpr std::size_t kFullChecks = 256;     // full decodes per block
constexpr std::size_t kQuickChecks = 20000;  // sampled decodes per block
constexpr std::size_t kScanChecks = 16384;   // of those, starts tried one by one
constexpr std::uint64_t kScanWindow = 1024;  // bytes of starts each stride tries in turn
constexpr double kClearForScan = 0.75;       // index and vertex scores that earn the scans start by start
constexpr double kAnchoredShare = 0.5;       // of the sampled decodes, for the float regions' anchors
constexpr std::size_t kShortlist = 12;       // full decodes per region and stride
constexpr std::uint64_t kCheapDecode = 1024;  // vertices of a part below which more are decoded
constexpr double kQuickLimit = 5.0;          // sampled edge ratio a candidate must beat
constexpr double kLongQuickLimit = 24.0;     // the same where no sampled neighbours fold
constexpr double kTypicalRatio = 1.5;        // that ratio on real meshes
constexpr double kQuickNeedle = 0.05;        // triangle quality below which a sampled one is bad
constexpr double kGoodEnough = 0.9;
constexpr double kSureAtBoundary = 0.6;
constexpr std::uint64_t kNeighbourhood = 1u << 16;
constexpr std::uint64_t kNearStretch = 1024;         // bytes of a large region beside the block
constexpr std::uint64_t kNearStretchPerVertex = 12;  // more for a block of many vertices
constexpr std::size_t kNearStrides = 4;              // its strides put before the region's
constexpr std::uint64_t kBesideBytes = 2048;  // apart from the index block, for halves and shorts
constexpr std::size_t kBesideStrides = 3;
constexpr std::uint64_t kUvBesideBytes = 512;  // padding or a header between the streams
constexpr double kUvAccept = 0.5;
constexpr std::size_t kBesideUvStrides = 4;  // pair strides tried start by start beside the streams
constexpr std::size_t kAnchorUvStrides = 6;  // and at the anchors
constexpr float kUvMagnitude = 1024;  // beyond which no pair is a UV
constexpr float kTinyUv = 1e-20f;      // nor below which, but 0
constexpr std::size_t kQuickPairs = 32;      // neighbour pairs of the sampled fold check
constexpr std::size_t kUvScanChecks = 1u << 16;  // UV block starts tried one by one
constexpr std::size_t kUvRegions = 8;        // regions nearest the positions searched for UVs
// A reading a few bytes off takes its first or last record from the bytes beside the
// block: that record's edges run this many times longer than its neighbours' edge, and
// the reading loses this share of its score to the one that starts right.
constexpr double kStrayRatio = 3.0;
constexpr double kStrayEnd = 0.97;
constexpr double kOnSurfaceEdges = 3.0;  // how near a vertex a record beside the block must lie
constexpr int kGoesOnBefore = 1;
constexpr int kGoesOnAfter = 2;
constexpr std::size_t kFollowSteps = 64;  // records a reading is moved along its block
constexpr double kFollowSlack = 0.02;
constexpr double kFlatUnitSquare = 0.8;  // share of its score a reading that looks like UVs keeps
constexpr double kHalfHolds = 0.5;         // score of a half reading that shows the bytes are halves
constexpr double kSubnormalScale = 1e-3;   // largest coordinate below which halves are small shorts
constexpr double kBelowScale = 1e-7;       // of a mesh's size: a coordinate this small is no mesh's own
constexpr double kNoiseShare = 0.1;        // of the positions: more such coordinates are no rounding noise
constexpr double kFarther = 1e-3;          // of a reading's score lost each time its distance doubles
constexpr double kCounted = 1.04;          // for each block whose record count stands right before it
constexpr std::uint64_t kSmallPart = 256;  // vertices
constexpr std::uint64_t kSmallGap = 16;              // bytes between a small block's streams
constexpr double kFoldedBack = 0.9;  // fold cosine of neighbouring faces, one back on the other
constexpr double kAlike = 0.03;            // of a vertex score

// Whether v is a nonzero value far below size: an integer or noise, never a coordinate of
// a mesh that large.
bool belowScale(float v, double size) { return v != 0 && std::fabs(v) < kBelowScale * size; }
bool anyBelowScale(const std::array<float, 3>& q, double size) {
    return belowScale(q[0], size) || belowScale(q[1], size) || belowScale(q[2], size);
}

// The values are bounded where this is called, so the plain sum of squares neither
// overflows nor needs std::hypot's care, which costs several times as much.
double norm3(double x, double y, double z) { return std::sqrt(x * x + y * y + z * z); }

// The bytes of [begin, end) that lie in the ranges. Ranges apart end in order too: the
// first that ends past begin is found by a search, and the searches ask this of every
// start they try.
std::uint64_t bytesInside(std::span<const std::pair<std::uint64_t, std::uint64_t>> ranges, bool apart,
                          std::uint64_t begin, std::uint64_t end) {
    auto from = ranges.begin();
    if (apart)
        from = std::partition_point(ranges.begin(), ranges.end(), [&](const auto& r) { return r.second <= begin; });
    std::uint64_t inside = 0;
    for (auto it = from; it != ranges.end() && (!apart || it->first < end); ++it)
        if (it->first < end && begin < it->second) inside += std::min(it->second, end) - std::max(it->first, begin);
    return inside;
}

constexpr std::uint32_t kPlausibleExponents[2] = {127 - 30, 127 + 20};  // about 1e-9 to 1e6

bool plausibleFloatBits(std::uint32_t bits) {
    if ((bits & 0x7FFFFFFF) == 0) return true;
    const std::uint32_t exponent = bits >> 23 & 0xFF;
    return exponent >= kPlausibleExponents[0] && exponent <= kPlausibleExponents[1];
}

// How a decoded position reads. Coordinates may hold rounding noise near zero (1e-15, or
// 1e-33 where a CAD tool meant 0), so a record is judged more leniently than the region
// scan judges words, and the tiniest values, a few per mesh, mark it near zero rather
// than wrong. Subnormals are what small integers (a count, an offset) read as.
enum class Reading : std::uint8_t { Sane, NearZero, Wrong };

Reading readingOf(const Vec3& p, PositionKind kind) {
    if (kind != PositionKind::Float)
        return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z) ? Reading::Sane : Reading::Wrong;
    Reading reading = Reading::Sane;
    for (float c : {p.x, p.y, p.z}) {
        const std::uint32_t bits = std::bit_cast<std::uint32_t>(c);
        const std::uint32_t exponent = bits >> 23 & 0xFF;
        if ((bits & 0x7FFFFFFF) == 0 || (exponent >= 127 - 64 && exponent <= 127 + 20)) continue;
        if (exponent == 0 || exponent > 127 + 20) return Reading::Wrong;
        reading = Reading::NearZero;
    }
    return reading;
}

std::array<float, 3> arr(const Vec3& p) { return {p.x, p.y, p.z}; }

// The smallest and largest value of each axis.
using Box = std::pair<std::array<float, 3>, std::array<float, 3>>;
Box boxOf(std::span<const std::array<float, 3>> points) {
    std::array<float, 3> lo{INFINITY, INFINITY, INFINITY}, hi{-INFINITY, -INFINITY, -INFINITY};
    for (const auto& q : points)
        for (int a = 0; a < 3; ++a) {
            lo[a] = std::min(lo[a], q[a]);
            hi[a] = std::max(hi[a], q[a]);
        }
    return {lo, hi};
}

double diagonalOf(const Box& box) {
    const auto& [lo, hi] = box;
    return norm3(double{hi[0]} - lo[0], double{hi[1]} - lo[1], double{hi[2]} - lo[2]);
}

struct PositionChoice {
    PositionKind kind = PositionKind::Float;
    std::uint32_t stride = 12;
    std::uint64_t first = 0;  ///< position of the block's smallest index
    double vertexScore = 0;
    int goesOn = 0;  ///< kGoesOnBefore and kGoesOnAfter: records beside the block read as its vertices
    CandidateMeasures measures;
    std::vector<std::array<float, 3>> positions;  ///< indexed by index - minIndex
};

struct UvChoice {
    UvLocation location = UvLocation::None;
    VertexFormat format = VertexFormat::Float;
    std::uint32_t uvPos = kNoUvInRecord;
    std::uint64_t blockStart = 0;  ///< separate block: pair of the smallest index
    std::uint32_t blockStride = 0;  ///< separate block: bytes from pair to pair, 0 where packed
    float divisor = 65536.0f;
    double score = 0;
    bool counted = false;  ///< separate block: its record count stands right before it
};

// Vectors of UV values at consecutive starts, one start to a lane.
template <int lanes>
struct UvLanes;
template <>
struct UvLanes<2> {
    using Pair = double __attribute__((vector_size(16)));
    using Mask = std::int64_t __attribute__((vector_size(16)));
    using Words = float __attribute__((vector_size(8)));
};
template <>
struct UvLanes<4> {
    using Pair = double __attribute__((vector_size(32)));
    using Mask = std::int64_t __attribute__((vector_size(32)));
    using Words = float __attribute__((vector_size(16)));
};

// The words of a stretch as floats, for a start-by-start scan of packed float UV blocks:
// the pairs of four neighbouring starts lie side by side there, so the first neighbour
// pairs of the quick UV check are judged for four starts in one go.
class UvWords {
public:
    UvWords() = default;
    UvWords(std::vector<float> words) : words_(std::move(words)) {}
    bool empty() const { return words_.empty(); }

    // Marks which of starts k..k+3 the first neighbour pairs alone rule out as the quick
    // check would: a non-finite cross product, or more folds than it allows. Where the
    // processor has 256-bit vectors all four starts go in one; the doubles are the same.
    void ruleOut(std::span<const NeighbourPair> pairs, std::uint64_t k) {
        static const bool wide = __builtin_cpu_supports("avx2");
        if (wide)
            ruleOutWide(pairs, k);
        else
            ruleOutInHalves(pairs, k);
        first_ = k;
    }
    bool ruledOut(std::uint64_t k) const { return !words_.empty() && k - first_ < 4 && out_[k - first_]; }

private:
    // Starts k + lane for lane in [lane0, lane0 + lanes), one to a lane of Pair.
    template <int lanes>
    __attribute__((always_inline)) void ruleOutLanes(std::span<const NeighbourPair> pairs, std::uint64_t k,
                                                     std::uint64_t lane0) {
        using Pair = typename UvLanes<lanes>::Pair;
        using Mask = typename UvLanes<lanes>::Mask;
        using Words = typename UvLanes<lanes>::Words;
        const std::size_t step = std::max<std::size_t>(1, pairs.size() / kQuickPairs);
        const float* base = words_.data() + k + lane0;
        // Filled through a reference: a 256-bit vector passed by value would take another
        // calling convention in code built without 256-bit vectors.
        const auto load = [&](Pair& to, std::uint32_t vertex, int component) {
            Words w;
            std::memcpy(&w, base + 2 * std::uint64_t{vertex} + component, sizeof w);
            to = __builtin_convertvector(w, Pair);
        };
        Mask folded{}, broken{};
        for (std::size_t i = 0, taken = 0; i < pairs.size() && taken < kQuickPairs / 2; i += step, ++taken) {
            const NeighbourPair& n = pairs[i];
            Pair pu, pv, qu, qv, au, av, bu, bv;
            load(pu, n.p, 0), load(pv, n.p, 1), load(qu, n.q, 0), load(qv, n.q, 1);
            load(au, n.a, 0), load(av, n.a, 1), load(bu, n.b, 0), load(bv, n.b, 1);
            const Pair eu = qu - pu, ev = qv - pv;
            const Pair ca = eu * (av - pv) - ev * (au - pu);
            const Pair cb = eu * (bv - pv) - ev * (bu - pu);
            // x - x is 0 only where x is finite; masks are -1 where they hold.
            broken -= (ca - ca != 0) | (cb - cb != 0);
            folded -= ((ca > 1e-12) | (ca < -1e-12)) & ((cb > 1e-12) | (cb < -1e-12)) & ((ca > 0) == (cb > 0));
        }
        for (int lane = 0; lane < lanes; ++lane)
            out_[lane0 + lane] = broken[lane] > 0 || folded[lane] > static_cast<std::int64_t>(kQuickPairs / 8);
    }

    void ruleOutInHalves(std::span<const NeighbourPair> pairs, std::uint64_t k) {
        for (std::uint64_t half = 0; half < 2; ++half) ruleOutLanes<2>(pairs, k, 2 * half);
    }

    // Mere 256-bit forms of the same operations: no fused multiply-add, which would round
    // differently.
    __attribute__((target("avx2"))) void ruleOutWide(std::span<const NeighbourPair> pairs, std::uint64_t k) {
        ruleOutLanes<4>(pairs, k, 0);
    }

    std::vector<float> words_;
    std::uint64_t first_ = 0;
    std::array<bool, 4> out_{};
};

class BlockSearch {
public:
    BlockSearch(std::span<const std::uint8_t> model, const IndexBlock& block,
                std::span<const std::pair<std::uint64_t, std::uint64_t>> indexBytes, const std::atomic<bool>* cancel)
        : model_(model), block_(block), indexBytes_(indexBytes), cancel_(cancel), bytes_{model, block.bigEndian} {
        used_ = std::uint64_t{block.maxIndex} - block.minIndex + 1;
        const std::size_t step = std::max<std::size_t>(1, block.triangles.size() / kSampleTriangles);
        std::vector<std::uint32_t> ids;
        for (std::size_t t = 0; t < block.triangles.size(); t += step) {
            const auto& tri = block.triangles[t];
            if (hasRepeatedCorner(tri)) continue;
            sample_.push_back(tri);
            for (std::uint32_t v : tri) ids.push_back(v - block.minIndex);
        }
        ids.push_back(0);
        ids.push_back(static_cast<std::uint32_t>(used_ - 1));
        ids.push_back(static_cast<std::uint32_t>(used_ / 2));
        std::sort(ids.begin(), ids.end());
        ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
        // The ends and the middle first: they reject most wrong starts at once.
        sampleIds_ = {0, static_cast<std::uint32_t>(used_ - 1), static_cast<std::uint32_t>(used_ / 2)};
        for (std::uint32_t id : ids)
            if (id != 0 && id != used_ - 1 && id != used_ / 2) sampleIds_.push_back(id);
    }

    // Blocks start near a region's ends, or a whole block of the same count away from
    // them (positions, normals and colours back to back). Every start near those anchors
    // is judged on a few sampled triangles; the best few are decoded in full.
    // Only the region's strides [firstStride, lastStride) in its order are tried.
    void searchRegion(const VertexRegion& region, std::initializer_list<PositionKind> kinds, std::size_t firstStride = 0,
                      std::size_t lastStride = SIZE_MAX) {
        const std::uint64_t begin = region.begin;
        const std::uint64_t end = region.end;
        const std::size_t last = std::min(lastStride, region.strides.size());
        for (PositionKind kind : kinds)
            for (std::size_t k = firstStride; k < last; ++k) {
                const std::uint32_t stride = region.strides[k];
                if (stride < positionSize(kind)) continue;
                const std::uint64_t span = (used_ - 1) * stride + positionSize(kind);
                // A region starts at the first whole chunk of its kind, and zero words (a
                // vertex at the origin) do not count: the block may start before it.
                const std::uint64_t lo = begin > 2 * kRegionChunk ? begin - 2 * kRegionChunk : 0;
                if (end < lo || end - lo < span) continue;
                std::vector<std::uint64_t> anchors;
                for (std::uint64_t j = 0; j < 4; ++j) {
                    const std::uint64_t a = begin + j * used_ * stride;
                    if (a + span <= end + kRegionChunk) anchors.push_back(a);
                }
                for (std::uint64_t j = 0; j < 3; ++j) {
                    const std::uint64_t back = (j + 1) * used_ * stride;
                    if (end - lo >= back) anchors.push_back(end - back);
                }
                const std::int64_t reach = std::int64_t(2 * kRegionChunk + stride);
                std::vector<std::uint64_t> starts;
                for (std::uint64_t a : anchors)
                    for (std::int64_t shift = -reach; shift < reach; ++shift)
                        if (std::int64_t(a) + shift >= 0) starts.push_back(std::uint64_t(std::int64_t(a) + shift));
                // A block begins or ends right where a block of normals does.
                for (const auto& normals : region.normalBlocks)
                    for (std::uint64_t b : {normals.first, normals.second}) {
                        if (b + span <= end + kRegionChunk) starts.push_back(b);
                        if (b >= lo + used_ * stride) starts.push_back(b - used_ * stride);
                    }
                std::sort(starts.begin(), starts.end());
                starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
                judgeStarts(kind, stride, starts);
                if (stopped() || goodEnough()) return;
            }
    }

    // Half and short blocks a little apart from the index block, with other data between
    // (a header, the UVs): every start whose block ends within reach before the index
    // block or begins within reach after it, nearest first, at the strides of each side.
    void scanBeside(std::uint64_t reach) {
        std::vector<std::uint64_t> starts;
        for (bool after : {false, true}) {
            VertexRegion side{after ? block_.byteEnd() : (block_.start > kNeighbourhood / 4 ? block_.start - kNeighbourhood / 4 : 0),
                              after ? std::min<std::uint64_t>(model_.size(), block_.byteEnd() + kNeighbourhood / 4) : block_.start,
                              {}, {}};
            estimateStrides(model_, side);
            for (PositionKind kind : {PositionKind::Half, PositionKind::Short})
                for (std::size_t k = 1; k < std::min(side.strides.size(), kBesideStrides + 1); ++k) {
                    const std::uint64_t bytes = used_ * side.strides[k];
                    starts.clear();
                    for (std::uint64_t d = 0; d < reach; d += 2) {
                        if (!after && block_.start < bytes + d) break;
                        starts.push_back(after ? block_.byteEnd() + d : block_.start - bytes - d);
                    }
                    judgeStarts(kind, side.strides[k], starts);
                    if (stopped() || goodEnough()) return;
                }
        }
    }

    // Packed positions right where a block of normals begins or ends, in every region:
    // exact anchors, so they go before the wider search near each region's ends.
    void searchBoundaries(std::span<const VertexRegion> regions) {
        constexpr std::uint32_t kPacked = 12;
        std::vector<std::uint64_t> starts;
        for (const VertexRegion& r : regions)
            for (const auto& normals : r.normalBlocks)
                for (std::uint64_t b : {normals.first, normals.second}) {
                    starts.push_back(b);
                    if (b >= used_ * kPacked) starts.push_back(b - used_ * kPacked);
                }
        std::sort(starts.begin(), starts.end());
        starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
        boundaryStarts_ = starts;
        judgeStarts(PositionKind::Float, kPacked, starts);
    }

    // Every start of a region in turn, where its blocks lie between other float data
    // that no anchor marks: floats at the region's word alignment, records a whole
    // number of words long, for as many starts as the budget leaves.
    void scanRegion(const VertexRegion& region) {
        if (scanChecks_ >= kScanChecks) return;
        const std::uint64_t end = std::min<std::uint64_t>(region.end, model_.size());
        if (end < region.begin + 16) return;
        const std::uint64_t phase = wordPhase(region.begin, end);
        const std::uint64_t from = region.begin + (phase + 4 - region.begin % 4) % 4;
        std::vector<std::uint64_t> starts;
        // The strides take turns a window at a time, nearest the region's start first:
        // a large region would spend the budget on its likeliest stride alone.
        for (std::uint64_t window = from;; window += kScanWindow) {
            bool any = false;
            for (std::uint8_t stride : region.strides) {
                if (stride % 4 != 0) continue;
                const std::uint64_t span = (used_ - 1) * stride + 12;
                starts.clear();
                for (std::uint64_t first = window; first < window + kScanWindow && first + span <= end &&
                                                   starts.size() < kScanChecks - scanChecks_;
                     first += 4)
                    starts.push_back(first);
                if (starts.empty()) continue;
                any = true;
                scanChecks_ += starts.size();
                judgeStarts(PositionKind::Float, stride, starts);
                if (stopped() || goodEnough() || scanChecks_ >= kScanChecks) return;
            }
            if (!any) return;
        }
    }

    // The alignment at which the most words of [begin, end) read as plausible floats.
    std::uint64_t wordPhase(std::uint64_t begin, std::uint64_t end) const {
        std::array<std::size_t, 4> plausibleWords{};
        const std::uint64_t step = std::max<std::uint64_t>(4, (end - begin) / 4096 / 4 * 4);
        for (std::uint64_t at = begin; at + 8 <= end; at += step)
            for (std::uint64_t a = 0; a < 4; ++a) {
                const std::uint32_t bits = bytes_.u32(at + a);
                plausibleWords[(at + a) % 4] += (bits & 0x7FFFFFFF) != 0 && plausibleFloatBits(bits);
            }
        return static_cast<std::uint64_t>(std::max_element(plausibleWords.begin(), plausibleWords.end()) -
                                          plausibleWords.begin());
    }

    // Judges the starts on sampled triangles and decodes the best few in full.
    void judgeStarts(PositionKind kind, std::uint32_t stride, std::span<const std::uint64_t> starts) {
        const std::uint64_t span = (used_ - 1) * stride + positionSize(kind);
        shortlist_.clear();
        for (std::uint64_t first : starts) {
            if (first + span > model_.size()) continue;
            // Records never share bytes with the indices that name them.
            if (first < block_.byteEnd() && block_.start < first + span) continue;
            if (mostlyIndices(first, first + span)) continue;
            if (stopped()) break;
            ++quickChecks_;
            if (!roughlyPlausible(kind, stride, first)) continue;
            double bad = 1;
            const double r = quickRatio(kind, stride, first, sample_.size(), &bad);
            // Fewest bad triangles first; among equals, the edge ratio nearest what real
            // meshes have (far shorter edges come from a sample mixing blocks). Thin parts
            // of a real mesh make needles too, but never fold neighbouring faces onto each
            // other.
            // Long thin faces (a tessellated cylinder) pass where no neighbours fold.
            if (!(r <= kLongQuickLimit)) continue;
            const double folded = quickFolded(kind, stride, first);
            if (r <= kQuickLimit || (folded == 0 && neighbours().size() >= kQuickPairs))
                shortlist_.push_back({bad + 2 * folded + 0.02 * std::fabs(std::log(r / kTypicalRatio)), first});
        }
        std::sort(shortlist_.begin(), shortlist_.end());
        // A small part's full decode costs little, and the sampled check misjudges its few
        // triangles (CAD parts are thin ones): more of its starts are decoded.
        const std::size_t keep = kShortlist * cheapness();
        if (shortlist_.size() > keep) shortlist_.resize(keep);
        for (const auto& [key, first] : shortlist_) tryStart(kind, stride, first);
    }

    void setNormalBlocks(std::span<const VertexRegion> regions) {
        for (const VertexRegion& r : regions)
            normalBlocks_.insert(normalBlocks_.end(), r.normalBlocks.begin(), r.normalBlocks.end());
        // In file order, a block's end never past the next one's start: the regions of one
        // byte order are apart and each finds its blocks in order.
        std::sort(normalBlocks_.begin(), normalBlocks_.end());
        normalsApart_ = std::adjacent_find(normalBlocks_.begin(), normalBlocks_.end(), [](const auto& a, const auto& b) {
                            return a.second > b.first;
                        }) == normalBlocks_.end();
    }

    // How many times a full decode of a small part the budgets allow: one costs little.
    std::size_t cheapness() const { return static_cast<std::size_t>(std::clamp<std::uint64_t>(kCheapDecode / used_, 1, 4)); }

    bool stopped() const {
        return fullChecks_ >= kFullChecks * cheapness() || quickChecks_ >= quickLimit_ ||
               (cancel_ && cancel_->load(std::memory_order_relaxed));
    }
    // A reading right at a normal block's end that folds no neighbours is as sure as a
    // high score: CAD parts with thin faces never reach one.
    bool goodEnough() const {
        if (choices_.empty()) return false;
        const PositionChoice& c = choices_.front();
        if (c.vertexScore >= kGoodEnough) return true;
        return c.vertexScore >= kSureAtBoundary && c.measures.neighbourPairs >= kQuickPairs &&
               c.measures.foldedShare == 0 && std::binary_search(boundaryStarts_.begin(), boundaryStarts_.end(), c.first);
    }
    std::uint64_t used() const { return used_; }
    // The sampled decodes the searches until the next call may take in all.
    void limitQuickChecks(std::size_t limit) { quickLimit_ = limit; }

    // A small block's few faces fit some reading of almost any float data, so its vertex
    // block must show it is one: packed whole floats beside the small values around the
    // block (a writer puts a small mesh's streams together, maybe with its normals or UVs
    // between), and exactly as many as the block names, with no float right before them,
    // nor right after but for as many normals. A zero coordinate next to those values
    // reads as one of them: the block may reach a record into them.
    void scanSmall() {
        constexpr std::uint64_t kPacked = 12;
        const auto [begin, end] = block_.amid;
        const std::uint64_t vertices = std::uint64_t{block_.maxIndex} + 1;
        const std::uint64_t below = std::uint64_t{block_.minIndex} * kPacked;
        const std::uint64_t bytes = vertices * kPacked;
        const std::uint64_t slack = kPacked + kSmallGap;
        std::vector<std::uint64_t> starts;
        // Vertex 0 from lo to hi.
        const auto add = [&](std::uint64_t lo, std::uint64_t hi) {
            for (std::uint64_t at = lo; at <= hi; ++at)
                if (at + bytes <= model_.size() && exactBlock(at, bytes)) starts.push_back(at + below);
        };
        // Blocks that end about apart before where the values begin, and blocks that
        // start about apart after where they end.
        for (std::uint64_t apart : {std::uint64_t{0}, 8 * vertices, 12 * vertices, 20 * vertices}) {
            if (begin + slack >= bytes + apart)
                add(begin > bytes + apart + slack ? begin - bytes - apart - slack : 0, begin + slack - bytes - apart);
            add(end + apart > slack ? end + apart - slack : 0, end + apart + slack);
        }
        std::sort(starts.begin(), starts.end());
        starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
        judgeStarts(PositionKind::Float, kPacked, starts);
    }

    bool exactBlock(std::uint64_t at, std::uint64_t bytes) const {
        for (std::uint64_t o = at; o < at + bytes; o += 4) {
            const std::uint32_t bits = bytes_.u32(o);
            if ((bits & 0x7FFFFFFF) != 0 && !plausibleFloatBits(bits)) return false;
        }
        return !floatsGoOn(at - 4, -4) && (unitVectorsAt(at + bytes, bytes / 12) || !floatsGoOn(at + bytes, 4));
    }

    // Whether float data goes on from the word at o the way step goes: zeros of up to a
    // record are its coordinates too where a float comes after them.
    bool floatsGoOn(std::uint64_t o, int step) const {
        for (int k = 0; k < 3; ++k, o += static_cast<std::uint64_t>(static_cast<std::int64_t>(step))) {
            if (model_.size() < 4 || o > model_.size() - 4) return false;
            const std::uint32_t bits = bytes_.u32(o);
            if ((bits & 0x7FFFFFFF) != 0) return plausibleFloatBits(bits);
        }
        return false;
    }

    // Whether count normals start at at.
    bool unitVectorsAt(std::uint64_t at, std::uint64_t count) const {
        if (at + 12 * count > model_.size()) return false;
        for (std::uint64_t i = 0; i < count; ++i) {
            const Vec3 v = positionAt(bytes_, at + 12 * i, PositionKind::Float, true);
            if (!(std::fabs(norm3(v.x, v.y, v.z) - 1) < 0.01)) return false;
        }
        return true;
    }

    // How many of the block's first faces its likeliest reading lays out without folding
    // one back onto a neighbour: a small mesh never does, the values after it read on do.
    std::size_t unfoldedFaces() const {
        const auto& t = block_.triangles;
        if (choices_.empty()) return t.size();
        const auto at = [&](std::uint32_t v) { return choices_.front().positions[v - block_.minIndex]; };
        // The corner of f that g does not name.
        const auto across = [](const std::array<std::uint32_t, 3>& f, const std::array<std::uint32_t, 3>& g) {
            for (std::uint32_t v : f)
                if (g[0] != v && g[1] != v && g[2] != v) return v;
            return f[0];
        };
        for (std::size_t i = 1; i < t.size(); ++i)
            for (std::size_t j = 0; j < i; ++j) {
                if (commonCorners(t[i], t[j]) != 2) continue;
                const std::uint32_t a = across(t[i], t[j]), b = across(t[j], t[i]);
                std::array<std::uint32_t, 2> edge{};
                std::size_t n = 0;
                for (std::uint32_t v : t[i])
                    if (v != a) edge[n++] = v;
                if (foldCosine(at(edge[0]), at(edge[1]), at(a), at(b)) >= kFoldedBack) return i;
            }
        return t.size();
    }

    // A regular mesh (a grid, a ring) read a few records off scores nearly as high as the
    // true reading, which the search may never have tried: the best reading is moved a
    // record at a time the way its block goes on, while it reads about as well.
    void followBlock() {
        if (choices_.empty()) return;
        const PositionChoice& best = choices_.front();
        const PositionKind kind = best.kind;
        const std::uint32_t stride = best.stride;
        const double score = best.vertexScore;
        const int sides = best.goesOn;
        for (int side : {kGoesOnAfter, kGoesOnBefore}) {
            if (!(sides & side)) continue;
            std::uint64_t first = best.first;
            for (std::size_t step = 0; step < kFollowSteps && !stopped(); ++step) {
                if (side == kGoesOnBefore && first < stride) break;
                first = side == kGoesOnAfter ? first + stride : first - stride;
                if (tried(kind, stride, first)) continue;
                const PositionChoice next = decode(kind, stride, first);
                const bool goesOn = next.goesOn & side;
                const bool holds = next.vertexScore >= score - kFollowSlack;
                keep(next);
                if (!holds || !goesOn) break;
            }
        }
    }

    BlockLayouts candidates(std::size_t keep, std::span<const VertexRegion> regions) {
        BlockLayouts out;
        for (const PositionChoice& p : choices_) {
            if (out.found.size() >= keep) break;
            // Only the likeliest positions get the costly search start by start, and those
            // of a small part that read about as well: parts of one shape fit each other's
            // vertices, and the caller may give the best to the part it belongs to.
            const bool likeliest = &p == &choices_.front() ||
                                   (used_ <= kSmallPart && p.vertexScore >= choices_.front().vertexScore - kAlike);
            const UvChoice uv = bestUv(p, regions, likeliest);
            LayoutCandidate c;
            if (!candidateFor(p, uv, c)) continue;
            LayoutCandidate plain = c;
            if (uv.location == UvLocation::SeparateBlock && !candidateFor(p, noUvs(p.kind), plain)) continue;
            out.found.push_back(std::move(c));
            out.withoutUvBlock.push_back(std::move(plain));
        }
        return out;
    }

private:
    Vec3 positionOf(PositionKind kind, std::uint32_t stride, std::uint64_t first, std::uint64_t id) const {
        return positionAt(bytes_, first + id * stride, kind, true);
    }

    // Sampled median edge against the sampled extent, scaled as the full measure is.
    // The first few sampled triangles alone, against their own box: rejects most starts
    // at a tenth of the cost of quickRatio.
    bool roughlyPlausible(PositionKind kind, std::uint32_t stride, std::uint64_t first) const {
        // Near-zero readings are counted by quickRatio over distinct vertices; here a hub
        // vertex at the origin would be counted once for each of its triangles.
        const auto plausible = [kind](const Vec3& p) { return readingOf(p, kind) != Reading::Wrong; };
        for (std::size_t n = 0; n < 3 && n < sampleIds_.size(); ++n)
            if (!plausible(positionOf(kind, stride, first, sampleIds_[n]))) return false;
        std::array<double, 3> lo{INFINITY, INFINITY, INFINITY};
        std::array<double, 3> hi{-INFINITY, -INFINITY, -INFINITY};
        double edges[2 * kRoughTriangles];
        std::size_t count = 0;
        for (std::size_t n = 0; n < std::min(kRoughTriangles, sample_.size()); ++n) {
            Vec3 v[3];
            for (int k = 0; k < 3; ++k) {
                v[k] = positionOf(kind, stride, first, sample_[n][k] - block_.minIndex);
                if (!plausible(v[k])) return false;
                const double c[3] = {v[k].x, v[k].y, v[k].z};
                for (int a = 0; a < 3; ++a) {
                    if (!(std::fabs(c[a]) < 1e6)) return false;
                    lo[a] = std::min(lo[a], c[a]);
                    hi[a] = std::max(hi[a], c[a]);
                }
            }
            edges[count++] = norm3(double{v[0].x} - v[1].x, double{v[0].y} - v[1].y, double{v[0].z} - v[1].z);
            edges[count++] = norm3(double{v[2].x} - v[1].x, double{v[2].y} - v[1].y, double{v[2].z} - v[1].z);
        }
        if (count == 0) return false;
        const double diagonal = norm3(hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]);
        if (!(diagonal > 1e-6)) return false;
        std::nth_element(edges, edges + count / 2, edges + count);
        // The box of a few triangles is far smaller than the mesh's, so the bound is loose.
        return edges[count / 2] / diagonal * std::sqrt(static_cast<double>(block_.triangles.size())) <=
               2 * kQuickLimit * std::sqrt(static_cast<double>(block_.triangles.size()) / kRoughTriangles);
    }

    // badShare, where given, gets the share of sampled triangles that are needles or have
    // no area: misread records make them even where the edge ratio looks right.
    double quickRatio(PositionKind kind, std::uint32_t stride, std::uint64_t first, std::size_t triangles,
                      double* badShare = nullptr) const {
        // The extent between the 10th and 90th percentile of each axis: a sample half of
        // which lies in another block must not pass for a tight mesh.
        for (auto& axis : quickAxes_) axis.clear();
        // Near zero no more than CAD noise makes: words of random bytes read that small a
        // quarter of the time.
        const std::size_t nearZeroAllowed = std::max<std::size_t>(1, sampleIds_.size() / 16);
        std::size_t nearZero = 0;
        for (std::uint32_t id : sampleIds_) {
            const Vec3 p = positionOf(kind, stride, first, id);
            const Reading reading = readingOf(p, kind);
            if (reading == Reading::Wrong || (reading == Reading::NearZero && ++nearZero > nearZeroAllowed))
                return INFINITY;
            const auto a = arr(p);
            for (int k = 0; k < 3; ++k) {
                if (!(std::fabs(a[k]) < 1e6f)) return INFINITY;
                quickAxes_[k].push_back(a[k]);
            }
        }
        double range[3];
        for (int k = 0; k < 3; ++k) {
            auto& axis = quickAxes_[k];
            const auto low = axis.begin() + static_cast<std::ptrdiff_t>(axis.size() / 10);
            const auto high = axis.begin() + static_cast<std::ptrdiff_t>(axis.size() - 1 - axis.size() / 10);
            std::nth_element(axis.begin(), low, axis.end());
            const float l = *low;
            std::nth_element(axis.begin(), high, axis.end());
            range[k] = (double{*high} - l) / 0.8;
        }
        const double diagonal = norm3(range[0], range[1], range[2]);
        if (!(diagonal > 1e-6)) return INFINITY;
        std::vector<double>& edges = quickEdges_;
        edges.clear();
        std::size_t bad = 0;
        const std::size_t taken = std::min(triangles, sample_.size());
        for (std::size_t n = 0; n < taken; ++n) {
            const auto& t = sample_[n];
            const Vec3 a = positionOf(kind, stride, first, t[0] - block_.minIndex);
            const Vec3 b = positionOf(kind, stride, first, t[1] - block_.minIndex);
            const Vec3 c = positionOf(kind, stride, first, t[2] - block_.minIndex);
            const double ab[3] = {double{b.x} - a.x, double{b.y} - a.y, double{b.z} - a.z};
            const double ac[3] = {double{c.x} - a.x, double{c.y} - a.y, double{c.z} - a.z};
            const double e1 = norm3(ab[0], ab[1], ab[2]);
            const double e2 = norm3(double{c.x} - b.x, double{c.y} - b.y, double{c.z} - b.z);
            edges.push_back(e1);
            edges.push_back(e2);
            if (badShare) {
                const double e3 = norm3(ac[0], ac[1], ac[2]);
                const double area = 0.5 * norm3(ab[1] * ac[2] - ab[2] * ac[1], ab[2] * ac[0] - ab[0] * ac[2],
                                                     ab[0] * ac[1] - ab[1] * ac[0]);
                const double squares = e1 * e1 + e2 * e2 + e3 * e3;
                if (!(squares > 0) || 4 * std::sqrt(3.0) * area / squares < kQuickNeedle) ++bad;
            }
        }
        if (edges.empty()) return INFINITY;
        if (badShare) *badShare = static_cast<double>(bad) / static_cast<double>(taken);
        auto mid = edges.begin() + static_cast<std::ptrdiff_t>(edges.size() / 2);
        std::nth_element(edges.begin(), mid, edges.end());
        return *mid / diagonal * std::sqrt(static_cast<double>(block_.triangles.size()));
    }

    // The folded share of a few neighbour pairs spread over the block, as the full measure
    // takes it; 0 where the block has too few.
    double quickFolded(PositionKind kind, std::uint32_t stride, std::uint64_t first) const {
        const auto pairs = neighbours();
        if (pairs.size() < kQuickPairs / 4) return 0;
        const std::size_t step = std::max<std::size_t>(1, pairs.size() / kQuickPairs);
        const auto at = [&](std::uint32_t v) { return arr(positionOf(kind, stride, first, v)); };
        std::size_t taken = 0, compared = 0, folded = 0;
        for (std::size_t i = 0; i < pairs.size() && taken < kQuickPairs; i += step, ++taken) {
            const int fold = foldOf(at(pairs[i].p), at(pairs[i].q), at(pairs[i].a), at(pairs[i].b));
            if (fold < 0) continue;
            ++compared;
            folded += static_cast<std::size_t>(fold);
        }
        return compared ? static_cast<double>(folded) / static_cast<double>(compared) : 0;
    }

    void tryStart(PositionKind kind, std::uint32_t stride, std::uint64_t first) {
        if (tried(kind, stride, first)) return;
        PositionChoice choice = decode(kind, stride, first);
        // Halves read as shorts keep their shape within each power of two, so the short
        // reading of a half block looks right too; shorts read as halves come out as
        // infinities or a scatter. Where the half reading holds (and is no subnormal
        // scale of small shorts), the bytes are halves.
        const auto holds = [](const PositionChoice& half) {
            return half.vertexScore >= kHalfHolds && half.measures.maxMagnitude >= kSubnormalScale;
        };
        const auto capBy = [](PositionChoice& shorts, const PositionChoice& half) {
            shorts.vertexScore = std::min(shorts.vertexScore, 0.98 * half.vertexScore);
        };
        if (kind == PositionKind::Short) {
            if (const PositionChoice* half = known(PositionKind::Half, stride, first)) {
                if (holds(*half)) capBy(choice, *half);
            } else {
                PositionChoice decoded = decode(PositionKind::Half, stride, first);
                if (holds(decoded)) capBy(choice, decoded);
                keep(std::move(decoded));
            }
        } else if (kind == PositionKind::Half && holds(choice)) {
            if (PositionChoice* shorts = known(PositionKind::Short, stride, first)) capBy(*shorts, choice);
        }
        keep(std::move(choice));
    }

    PositionChoice* known(PositionKind kind, std::uint32_t stride, std::uint64_t first) {
        for (PositionChoice& c : choices_)
            if (c.kind == kind && c.stride == stride && c.first == first) return &c;
        return nullptr;
    }

    bool tried(PositionKind kind, std::uint32_t stride, std::uint64_t first) { return known(kind, stride, first) != nullptr; }

    PositionChoice decode(PositionKind kind, std::uint32_t stride, std::uint64_t first) {
        ++fullChecks_;
        PositionChoice choice{kind, stride, first, 0, 0, {}, {}};
        choice.positions.reserve(used_);
        for (std::uint64_t id = 0; id < used_; ++id) choice.positions.push_back(arr(positionOf(kind, stride, first, id)));
        choice.measures = block_.measures;
        // Most readings a search tries hold a coordinate no model has: the rest of their
        // measures would be spent on a score of 0.
        measureGeometry(choice.positions, {}, local(), choice.measures, neighbours(), true);
        choice.vertexScore = choice.measures.vertexScore;
        if (choice.vertexScore == 0) return choice;
        if (endsStrayed([&](std::uint32_t id) { return choice.positions[id]; })) choice.vertexScore *= kStrayEnd;
        const Box box = boxOf(choice.positions);
        const double diagonal = diagonalOf(box);
        if (kind == PositionKind::Float && onlyEndsNearZero(choice.positions, diagonal)) choice.vertexScore *= kStrayEnd;
        // A mesh's coordinates lie at its scale, bar some rounding noise near zero: many
        // far below it are integers or other data read as halves or floats.
        if (const double below = belowScaleShare(choice.positions, diagonal); below > kNoiseShare)
            choice.vertexScore *= 1 - below;
        if (kind == PositionKind::Float && stride == 12)
            choice.vertexScore *= std::pow(kStrayEnd, coordinatesBeside(choice));
        choice.goesOn = blockGoesOn(choice, box);
        choice.vertexScore *= std::pow(kStrayEnd, std::popcount(static_cast<unsigned>(choice.goesOn)));
        // Positions read across a normal (the last coordinates and the normal's first)
        // still make a surface, squashed: a true position never shares bytes with one.
        if (kind == PositionKind::Float)
            for (std::uint32_t o = 4; o < 12; o += 4)
                if (looksLikeNormals(choice, o)) choice.vertexScore *= 0.5;
        if (looksLikeUvs(box)) choice.vertexScore *= kFlatUnitSquare;
        return choice;
    }

    // How many of the words right before and right after packed float positions read as a
    // lone coordinate of the mesh's scale, with no float beyond it: a reading a word off
    // leaves one of its block's own there (a grid whose rows follow each other reads
    // nearly as well a word off), while other float data beside a block goes on.
    int coordinatesBeside(const PositionChoice& c) const {
        const double largest = c.measures.maxMagnitude;
        // Words past the end read as 0, which is no coordinate.
        const auto coordinate = [&](std::uint64_t at) {
            const float v = std::bit_cast<float>(bytes_.u32(at));
            return std::isfinite(v) && v != 0 && !belowScale(v, largest) && std::fabs(v) <= 2 * largest;
        };
        const auto afloat = [&](std::uint64_t at) {
            const std::uint32_t bits = bytes_.u32(at);
            return (bits & 0x7FFFFFFF) != 0 && plausibleFloatBits(bits);
        };
        const std::uint64_t after = c.first + used_ * c.stride;
        const bool before = c.first >= 4 && coordinate(c.first - 4) && !(c.first >= 8 && afloat(c.first - 8));
        return int{before} + int{coordinate(after) && !afloat(after + 4)};
    }

    // Whether the only positions read near zero, or with a coordinate far below the
    // mesh's scale, are the first or the last: rounding noise lies among the vertices, a
    // word from beside the block (an index read as a float) at its end.
    static bool onlyEndsNearZero(std::span<const std::array<float, 3>> points, double diagonal) {
        const auto nearZero = [&](std::size_t i) {
            const auto& q = points[i];
            return readingOf(Vec3{q[0], q[1], q[2]}, PositionKind::Float) == Reading::NearZero ||
                   anyBelowScale(q, diagonal);
        };
        if (points.size() < 3 || !(nearZero(0) || nearZero(points.size() - 1))) return false;
        for (std::size_t i = 1; i + 1 < points.size(); ++i)
            if (nearZero(i)) return false;
        return true;
    }

    // The share of points with a coordinate far below the mesh's scale.
    static double belowScaleShare(std::span<const std::array<float, 3>> points, double diagonal) {
        const auto below = std::count_if(points.begin(), points.end(),
                                         [&](const std::array<float, 3>& q) { return anyBelowScale(q, diagonal); });
        return points.empty() ? 0 : static_cast<double>(below) / static_cast<double>(points.size());
    }

    // Points about the unit square on two axes, the third one value: UVs in records with a
    // word beside them, whose unwrap reads as a flat mesh without a fold.
    static bool looksLikeUvs(const Box& box) {
        const auto& [lo, hi] = box;
        int square = 0, flat = 0;
        for (int a = 0; a < 3; ++a) {
            flat += lo[a] == hi[a];
            square += lo[a] >= -0.5f && hi[a] <= 1.5f && hi[a] > lo[a];
        }
        return flat == 1 && square == 2;
    }

    // How many of the records just before and just after the block read as points on the
    // mesh's surface: a reading a record or more off leaves a vertex of its own block
    // beside it, the true one the other data around the block. Inside the box is not
    // enough; other floats beside a large mesh fall in its box too, but seldom within a
    // few edges of a vertex.
    int blockGoesOn(const PositionChoice& c, const Box& box) const {
        // Not a structured binding: clang before 16 cannot capture one in the lambda below.
        const auto& lo = box.first;
        const auto& hi = box.second;
        const double diagonal = diagonalOf(box);
        const double near = kOnSurfaceEdges * c.measures.medianEdgeToDiagonal * diagonal;
        const auto inside = [&](std::uint64_t at) {
            if (at + positionSize(c.kind) > model_.size()) return false;
            const Vec3 read = positionAt(bytes_, at, c.kind, true);
            // Padding reads as the origin and small integers (the indices) as subnormals or
            // values far below the mesh's scale: none of them is a vertex, however near one
            // it falls.
            if (readingOf(read, c.kind) == Reading::Wrong || (read.x == 0 && read.y == 0 && read.z == 0)) return false;
            const auto q = arr(read);
            if (anyBelowScale(q, diagonal)) return false;
            for (int a = 0; a < 3; ++a)
                if (!(q[a] >= lo[a] && q[a] <= hi[a])) return false;
            return std::any_of(c.positions.begin(), c.positions.end(), [&](const std::array<float, 3>& v) {
                return norm3(double{v[0]} - q[0], double{v[1]} - q[1], double{v[2]} - q[2]) <= near;
            });
        };
        int on = 0;
        if (c.first >= c.stride && inside(c.first - c.stride)) on |= kGoesOnBefore;
        if (inside(c.first + used_ * c.stride)) on |= kGoesOnAfter;
        return on;
    }

    void keep(PositionChoice choice) {
        if (choice.vertexScore <= 0.05) return;
        choices_.push_back(std::move(choice));
        std::sort(choices_.begin(), choices_.end(), [this](const PositionChoice& a, const PositionChoice& b) {
            return a.vertexScore * nearness(a) > b.vertexScore * nearness(b);
        });
        if (choices_.size() > 4) choices_.resize(4);
    }

    // Formats keep the streams of one mesh together: of readings that score alike (meshes
    // of one topology and shape), the one nearest the index block is the block's own.
    double nearness(const PositionChoice& c) const {
        const std::uint64_t end = c.first + used_ * c.stride;
        const std::uint64_t apart = end <= block_.start      ? block_.start - end
                                    : c.first >= block_.byteEnd() ? c.first - block_.byteEnd()
                                                                  : 0;
        return 1 - kFarther * std::log2(1.0 + static_cast<double>(apart));
    }

    // The triangles at the block's first and last record, whose corners there are read
    // from the bytes beside the block when a reading starts a little off.
    std::span<const std::array<std::uint32_t, 3>> endTriangles() const {
        if (endTriangles_.empty())
            for (const auto& t : local())
                for (std::uint32_t v : t)
                    if (v == 0 || v == used_ - 1) {
                        endTriangles_.push_back(t);
                        break;
                    }
        return endTriangles_;
    }

    // Whether the first or last record lies away from its neighbours: its edges in most
    // of its triangles far longer than the edge across from it. point(id) gives x, y
    // and z, or u, v and 0.
    template <class Point>
    bool endsStrayed(Point&& point) const {
        for (std::uint32_t end : {std::uint32_t{0}, static_cast<std::uint32_t>(used_ - 1)}) {
            std::size_t long_ = 0, seen = 0;
            for (const auto& t : endTriangles()) {
                const int k = t[0] == end ? 0 : t[1] == end ? 1 : t[2] == end ? 2 : -1;
                if (k < 0) continue;
                const auto a = point(t[k]), b = point(t[(k + 1) % 3]), c = point(t[(k + 2) % 3]);
                const double ab = norm3(double{a[0]} - b[0], double{a[1]} - b[1], double{a[2]} - b[2]);
                const double ac = norm3(double{a[0]} - c[0], double{a[1]} - c[1], double{a[2]} - c[2]);
                const double bc = norm3(double{b[0]} - c[0], double{b[1]} - c[1], double{b[2]} - c[2]);
                if (!(bc > 0)) continue;
                ++seen;
                if (!(ab + ac <= 2 * kStrayRatio * bc)) ++long_;
            }
            if (seen > 0 && 2 * long_ > seen) return true;
        }
        return false;
    }

    // UVs read for every used vertex by reader; scored on a triangle sample.
    template <class Reader>
    double uvScoreOf(const PositionChoice& p, Reader&& reader) const {
        // The sampled vertices first: UVs are finite, small and not all one pair.
        if (!smallAndApart(reader, sampleIds_.size(), 0.01f)) return 0;
        std::vector<std::array<float, 2>> uvs(used_);
        bool tiny = false;
        for (std::uint64_t id = 0; id < used_; ++id) {
            const UvPair uv = reader(id);
            // The sample may miss the few pairs read from the bytes beside the block; other
            // bytes read as floats show there as values far too small for a texture.
            if (!(std::fabs(uv.u) <= kUvMagnitude && std::fabs(uv.v) <= kUvMagnitude)) return 0;
            tiny = tiny || (uv.u != 0 && std::fabs(uv.u) < kTinyUv) || (uv.v != 0 && std::fabs(uv.v) < kTinyUv);
            uvs[id] = {uv.u, uv.v};
        }
        // Readings below acceptance count for nothing, even with their block's count.
        CandidateMeasures m;
        measureUvs(groundOf(p), uvSample(), uvs, m, kUvAccept / kCounted);
        if (m.uvScore < kUvAccept / kCounted) return 0;
        const bool strayed = endsStrayed([&](std::uint32_t id) { return std::array<float, 3>{uvs[id][0], uvs[id][1], 0}; });
        return m.uvScore * (strayed ? kStrayEnd : 1) * (tiny ? kStrayEnd : 1) * uvOutlierTerm(uvs);
    }

    // The position side of the UV measures, for the UV readings tried with p in turn.
    const UvGround& groundOf(const PositionChoice& p) const {
        if (groundKey_ != std::tuple{p.kind, p.stride, p.first}) {
            ground_ = uvGroundOf(p.positions, uvSample(), neighbours());
            groundKey_ = {p.kind, p.stride, p.first};
        }
        return ground_;
    }

    // Pairs far outside the box nearly all the others fill are the bytes beside the block
    // read on: a UV block read from a few pairs before its start holds them.
    static double uvOutlierTerm(std::span<const std::array<float, 2>> uvs) {
        if (uvs.size() < 16) return 1;
        std::array<float, 2> lo{}, hi{};
        for (int a = 0; a < 2; ++a) {
            std::vector<float> values;
            const std::size_t step = std::max<std::size_t>(1, uvs.size() / 4096);
            for (std::size_t i = 0; i < uvs.size(); i += step) values.push_back(uvs[i][a]);
            const auto low = values.begin() + static_cast<std::ptrdiff_t>(values.size() * 2 / 100);
            const auto high = values.begin() + static_cast<std::ptrdiff_t>(values.size() * 98 / 100);
            std::nth_element(values.begin(), low, values.end());
            const float p2 = *low;
            std::nth_element(low, high, values.end());
            const float p98 = *high;
            const float margin = 2 * (p98 - p2) + 0.01f;
            lo[a] = p2 - margin;
            hi[a] = p98 + margin;
        }
        std::size_t outliers = 0;
        for (const auto& uv : uvs)
            if (!(uv[0] >= lo[0] && uv[0] <= hi[0] && uv[1] >= lo[1] && uv[1] <= hi[1])) ++outliers;
        return 1 - std::min(0.3, 0.03 * static_cast<double>(outliers));
    }

    // The block's triangles numbered from its smallest index, as the decoded records are.
    std::span<const std::array<std::uint32_t, 3>> local() const {
        if (local_.empty()) {
            local_ = block_.triangles;
            for (auto& t : local_)
                for (auto& v : t) v -= block_.minIndex;
        }
        return local_;
    }

    std::span<const NeighbourPair> neighbours() const {
        if (neighbours_.empty()) neighbours_ = neighbourPairs(local());
        return neighbours_;
    }

    std::span<const std::array<std::uint32_t, 3>> uvSample() const {
        if (uvSample_.empty()) {
            const std::size_t step = std::max<std::size_t>(1, block_.triangles.size() / kUvSampleTriangles);
            for (std::size_t t = 0; t < block_.triangles.size(); t += step) {
                auto tri = block_.triangles[t];
                for (auto& v : tri) v -= block_.minIndex;
                uvSample_.push_back(tri);
            }
        }
        return uvSample_;
    }

    // A unit vector at offset in most records: normals or tangents, not UVs.
    bool looksLikeNormals(const PositionChoice& p, std::uint64_t offset) const {
        std::uint64_t unit = 0;
        const std::uint64_t step = std::max<std::uint64_t>(1, used_ / 64);
        std::uint64_t seen = 0;
        for (std::uint64_t id = 0; id < used_; id += step, ++seen) {
            const Vec3 n = positionAt(bytes_, p.first + id * p.stride + offset, PositionKind::Float, true);
            if (std::fabs(norm3(n.x, n.y, n.z) - 1.0f) < 0.01f) ++unit;
        }
        return unit * 10 >= seen * 9;
    }

    UvChoice bestUv(const PositionChoice& p, std::span<const VertexRegion> allRegions, bool everyStart) const {
        UvChoice best;
        const std::uint32_t posSize = positionSize(p.kind);
        struct Format {
            VertexFormat format;
            UvPairKind kind;
            float divisor;
        };
        // Words in 1/8192 units read the same UVs as in 1/65536 ones, eight times smaller:
        // 8192 is tried first and keeps its place unless 65536 puts the UVs clearly
        // better inside the unit square.
        std::vector<Format> formats;
        if (p.kind == PositionKind::Float)
            formats = {{VertexFormat::Float, UvPairKind::Float, 65536.0f},
                       {VertexFormat::HF_UV, UvPairKind::Half, 65536.0f},
                       {VertexFormat::WordUV, UvPairKind::Word, 8192.0f},
                       {VertexFormat::WordUV, UvPairKind::Word, 65536.0f}};
        else if (p.kind == PositionKind::Half)
            formats = {{VertexFormat::HF_all, UvPairKind::Half, 65536.0f}};
        else
            formats = {{VertexFormat::ShortAll, UvPairKind::Word, 8192.0f},
                       {VertexFormat::ShortAll, UvPairKind::Word, 65536.0f}};

        // Bytes of a normal read as UVs give smooth pairs too: a UV pair never lies inside
        // a unit vector of the record.
        std::vector<bool> inNormal(p.stride, false);
        if (p.kind == PositionKind::Float)
            for (std::uint32_t o = 1; o + 12 <= p.stride; ++o)
                if (looksLikeNormals(p, o))
                    for (std::uint32_t k = o; k < o + 12; ++k) inNormal[k] = true;
        for (const Format& f : formats) {
            const std::uint32_t pair = pairSize(f.kind);
            const std::uint32_t vDelta = pair / 2;
            for (std::uint32_t u = posSize; u + pair <= p.stride && u <= 250; ++u) {
                if (u == kNoUvInRecord) continue;
                if (std::any_of(inNormal.begin() + u, inNormal.begin() + u + pair, [](bool b) { return b; })) continue;
                if (f.kind == UvPairKind::Float && u >= 4 && u - 4 >= posSize && looksLikeNormals(p, u - 4)) continue;
                const auto reader = [&](std::uint64_t id) {
                    return uvPairAt(bytes_, p.first + id * p.stride + u, f.kind, vDelta, f.divisor);
                };
                if (neighbours().size() >= kQuickPairs && !quickUvs(reader)) continue;
                const double score = uvScoreOf(p, reader);
                if (score >= kUvAccept && score > best.score + 0.02)
                    best = {UvLocation::InVertexRecord, f.format, u, 0, 0, f.divisor, score};
            }
        }
        // The UVs may lie in a block of their own, packed or in records of another stream,
        // in one of the regions nearest the positions that can hold it.
        if (best.score < kUvAccept) {
            std::vector<VertexRegion> regions;
            for (const VertexRegion& r : allRegions)
                if (r.end - r.begin >= uvBlockBytes(formats.front().kind, pairSize(formats.front().kind))) regions.push_back(r);
            const auto away = [&](const VertexRegion& r) {
                return r.end <= p.first ? p.first - r.end : r.begin > p.first ? r.begin - p.first : 0;
            };
            std::stable_sort(regions.begin(), regions.end(),
                             [&](const VertexRegion& a, const VertexRegion& b) { return away(a) < away(b); });
            if (regions.size() > kUvRegions) regions.resize(kUvRegions);
            const std::uint64_t recordBytes = used_ * p.stride;
            // Formats keep the streams of one mesh close together, with padding or another
            // stream between: every start a little apart from the positions or the indices,
            // first, so that a reading of other bytes at the anchors below must do better.
            if (everyStart && !neighbours().empty())
                for (const Format& f : formats)
                    for (std::uint32_t stride : uvStrides(f.kind, kBesideUvStrides)) {
                        const std::uint64_t bytes = uvBlockBytes(f.kind, stride);
                        // Every other byte: the UVs may be aligned to the file while the
                        // positions end at any even address.
                        for (const auto& [from, to] : {std::pair{p.first, p.first + recordBytes},
                                                       std::pair<std::uint64_t, std::uint64_t>{block_.start, block_.byteEnd()}})
                            for (std::uint64_t d = 0; d < kUvBesideBytes; d += 2) {
                                trySeparateUvs(p, f.format, f.kind, f.divisor, to + d, stride, best);
                                if (from >= bytes + d)
                                    trySeparateUvs(p, f.format, f.kind, f.divisor, from - bytes - d, stride, best);
                            }
                    }
            // Blocks with a few faces have too few neighbour pairs for the quick look.
            const bool quick = neighbours().size() >= kQuickPairs;
            for (const Format& f : formats)
                for (std::uint32_t stride : uvStrides(f.kind, kAnchorUvStrides)) {
                    std::vector<std::uint64_t> starts;
                    const std::uint64_t bytes = used_ * stride;
                    for (std::uint64_t j = 0; j < 4; ++j) {
                        starts.push_back(p.first + recordBytes + j * recordBytes);
                        if (p.first >= bytes + j * recordBytes) starts.push_back(p.first - bytes - j * recordBytes);
                    }
                    for (const VertexRegion& r : regions) {
                        for (std::uint64_t j = 0; j < 6; ++j) starts.push_back(r.begin + j * bytes);
                        for (std::uint64_t j = 1; j < 6; ++j)
                            if (r.end - r.begin >= j * bytes) starts.push_back(r.end - j * bytes);
                    }
                    for (std::uint64_t st : starts) trySeparateUvs(p, f.format, f.kind, f.divisor, st, stride, best, quick);
                }
            // Blocks written back to back put the UVs after any other block: every start
            // in the regions nearby, judged first on a few neighbour pairs.
            if (everyStart && best.score < kUvAccept && p.vertexScore >= kClearForScan &&
                block_.measures.indexScore >= kClearForScan) {
                const Format& f = formats.front();
                const std::uint32_t pair = pairSize(f.kind);
                const std::uint64_t bytes = uvBlockBytes(f.kind, pair);
                std::size_t checks = 0;
                for (const VertexRegion& r : regions) {
                    const std::uint64_t from = r.begin + (p.first + 4 - r.begin % 4) % 4;
                    if (from + bytes > r.end) continue;
                    // Packed float pairs are judged four starts at a time first.
                    const std::uint64_t starts =
                        std::min<std::uint64_t>((r.end - bytes - from) / 4 + 1, kUvScanChecks - checks);
                    UvWords words = f.kind == UvPairKind::Float ? uvWords(from, starts) : UvWords{};
                    for (std::uint64_t k = 0; k < starts && best.score < kGoodEnough; ++k, ++checks) {
                        const std::uint64_t st = from + 4 * k;
                        if (!words.empty() && k % 4 == 0) words.ruleOut(neighbours(), k);
                        if (!words.ruledOut(k)) trySeparateUvs(p, f.format, f.kind, f.divisor, st, pair, best);
                    }
                    if (best.score >= kGoodEnough || checks >= kUvScanChecks) break;
                }
            }
        }
        return best.score < kUvAccept ? noUvs(p.kind) : best;
    }

    // Pair strides a separate UV block is tried at: packed first, then records of a
    // stream that holds other values beside the UVs.
    static std::vector<std::uint32_t> uvStrides(UvPairKind kind, std::size_t count) {
        std::vector<std::uint32_t> strides{pairSize(kind)};
        for (std::uint32_t s : {8u, 12u, 16u, 20u, 24u, 32u})
            if (strides.size() < count && s > pairSize(kind)) strides.push_back(s);
        return strides;
    }

    // Whether most of [begin, end) lies in a block of normals, which pairs of its floats
    // would misread as UVs.
    bool insideNormals(std::uint64_t begin, std::uint64_t end) const {
        return 2 * bytesInside(normalBlocks_, normalsApart_, begin, end) > end - begin;
    }

    // Whether most of [begin, end) lies in other clear index blocks.
    bool mostlyIndices(std::uint64_t begin, std::uint64_t end) const {
        return 2 * bytesInside(indexBytes_, true, begin, end) > end - begin;
    }

    bool overlapsIndices(std::uint64_t begin, std::uint64_t end) const {
        if (begin < block_.byteEnd() && block_.start < end) return true;
        auto after = std::upper_bound(indexBytes_.begin(), indexBytes_.end(), std::pair{end, std::uint64_t{0}});
        return after != indexBytes_.begin() && std::prev(after)->second > begin;
    }

    // The pair of record id of a UV block at s, stride bytes apart.
    auto uvBlockReader(UvPairKind kind, float divisor, std::uint64_t s, std::uint32_t stride) const {
        return [this, kind, divisor, s, stride](std::uint64_t id) {
            // Float pairs, the most tried, without the reader's dispatch.
            const std::uint64_t at = s + id * stride;
            if (kind == UvPairKind::Float)
                return UvPair{std::bit_cast<float>(bytes_.u32(at)), std::bit_cast<float>(bytes_.u32(at + 4))};
            return uvPairAt(bytes_, at, kind, pairSize(kind) / 2, divisor);
        };
    }
    std::uint64_t uvBlockBytes(UvPairKind kind, std::uint32_t stride) const {
        return (used_ - 1) * stride + pairSize(kind);
    }

    // The words from `from` on as floats, as far as starts packed float pair blocks
    // four bytes apart reach, and a few lanes more.
    UvWords uvWords(std::uint64_t from, std::uint64_t starts) const {
        std::vector<float> words(starts + 2 * used_ + 8);
        for (std::size_t i = 0; i < words.size(); ++i) words[i] = std::bit_cast<float>(bytes_.u32(from + 4 * i));
        return UvWords(std::move(words));
    }

    // A block of UV pairs from s, stride bytes apart, one pair per record from the
    // smallest index on. The cheap tests go first: where the block would lie, whether it
    // could replace best at all, and (where quick) the quick look at a few pairs.
    void trySeparateUvs(const PositionChoice& p, VertexFormat format, UvPairKind kind, float divisor, std::uint64_t s,
                        std::uint32_t stride, UvChoice& best, bool quick = true) const {
        if (!fits(p, kind, s, stride)) return;
        const bool counted = countedAt(s, stride);
        // Too few neighbour pairs to see folds: any bytes read as words lie in range and
        // score as well as the UVs. The first reading taken, of the likeliest format and
        // nearest the streams, stays then, unless a later one has the count before it.
        const bool unseen = foldsUnseen() && best.score >= kUvAccept;
        if (unseen && (best.counted || !counted)) return;
        if (quick && !quickUvs(kind, divisor, s, stride)) return;
        const double score = uvScoreOf(p, uvBlockReader(kind, divisor, s, stride)) * (counted ? kCounted : 1);
        if (score < kUvAccept) return;
        const std::uint32_t blockStride = stride == pairSize(kind) ? 0 : stride;
        // A start a few pairs off reads the same UVs shifted, nearly as well: it is the
        // first found of the scans that go outward from the streams, so the other starts
        // of one reading need only do better, other readings clearly better.
        const bool sameReading = best.location == UvLocation::SeparateBlock && best.format == format &&
                                 best.divisor == divisor && best.blockStride == blockStride;
        if (unseen || score > best.score + (sameReading ? 0 : 0.02))
            best = {UvLocation::SeparateBlock, format, kNoUvInRecord, s, blockStride, divisor, score, counted};
    }

    // Formats often write a block's record count right before it, in 16 or 32 bits.
    bool countedAt(std::uint64_t first, std::uint32_t stride) const {
        const auto countBefore = [&](std::uint64_t at) {
            const auto counts = [&](std::uint64_t v) { return v == used_ || v == std::uint64_t{block_.maxIndex} + 1; };
            return (at >= 2 && counts(bytes_.u16(at - 2))) || (at >= 4 && counts(bytes_.u32(at - 4)));
        };
        const std::uint64_t before = std::uint64_t{block_.minIndex} * stride;
        return countBefore(first) || (before != 0 && first >= before && countBefore(first - before));
    }

    bool foldsUnseen() const { return neighbours().size() < kMinNeighbourPairs; }

    // Whether a UV block at s lies in the file, apart from the positions, the indices and
    // the normals.
    bool fits(const PositionChoice& p, UvPairKind kind, std::uint64_t s, std::uint32_t stride) const {
        const std::uint64_t bytes = uvBlockBytes(kind, stride);
        if (s + bytes > model_.size()) return false;
        if (s < p.first + used_ * p.stride && p.first < s + bytes) return false;
        return !overlapsIndices(s, s + bytes) && !insideNormals(s, s + bytes);
    }

    // Sampled pairs small and apart, and a few neighbour pairs not overlapping in UV space.
    bool quickUvs(UvPairKind kind, float divisor, std::uint64_t s, std::uint32_t stride) const {
        return quickUvs(uvBlockReader(kind, divisor, s, stride));
    }

    // The UVs of the first count sampled vertices: finite, small, and spread more than apart.
    template <class Reader>
    bool smallAndApart(Reader&& at, std::size_t count, float apart) const {
        float lo = INFINITY, hi = -INFINITY;
        for (std::size_t n = 0; n < count && n < sampleIds_.size(); ++n) {
            const UvPair uv = at(sampleIds_[n]);
            if (!(std::fabs(uv.u) <= 64 && std::fabs(uv.v) <= 64)) return false;
            lo = std::min({lo, uv.u, uv.v});
            hi = std::max({hi, uv.u, uv.v});
        }
        return hi - lo > apart;
    }

    template <class Reader>
    bool quickUvs(Reader&& at) const {
        if (!smallAndApart(at, 3, 1e-4f)) return false;
        const auto pairs = neighbours();
        const std::size_t step = std::max<std::size_t>(1, pairs.size() / kQuickPairs);
        std::size_t compared = 0, folded = 0;
        for (std::size_t i = 0; i < pairs.size() && compared < kQuickPairs; i += step) {
            const NeighbourPair& n = pairs[i];
            const auto uv = [&](std::uint32_t v) {
                const UvPair pair = at(v);
                return std::array<float, 2>{pair.u, pair.v};
            };
            const auto [ca, cb] = uvSides(uv(n.p), uv(n.q), uv(n.a), uv(n.b));
            if (!std::isfinite(ca) || !std::isfinite(cb)) return false;
            if (!(std::fabs(ca) > 1e-12) || !(std::fabs(cb) > 1e-12)) continue;
            ++compared;
            if ((ca > 0) == (cb > 0) && ++folded > kQuickPairs / 8) return false;
        }
        // A small mesh is judged on what pairs it has.
        return compared >= std::min(kQuickPairs / 4, std::max<std::size_t>(1, pairs.size() / 2));
    }

    static UvChoice noUvs(PositionKind kind) {
        UvChoice none;
        none.format = kind == PositionKind::Half    ? VertexFormat::HF_all
                      : kind == PositionKind::Short ? VertexFormat::ShortAll
                                                    : VertexFormat::Float;
        return none;
    }

    bool candidateFor(const PositionChoice& p, const UvChoice& uv, LayoutCandidate& c) const {
        if (!settingsFor(p, uv, c.settings)) return false;
        c.topology = block_.topology;
        c.uvLocation = uv.location;
        c.triangles = block_.triangles.size();
        c.measures = p.measures;
        c.measures.uvScore = uv.counted ? uv.score / kCounted : uv.score;
        // The index part of the measures is the block's own.
        c.measures.indexScore = block_.measures.indexScore;
        c.measures.pairedEdgeShare = block_.measures.pairedEdgeShare;
        c.measures.indexCoverage = block_.measures.indexCoverage;
        fillBox(p, c);
        c.positionBytes = {p.first, p.first + (used_ - 1) * p.stride + positionSize(p.kind)};
        c.uvBytes = {};
        if (uv.location == UvLocation::SeparateBlock) {
            const UvPairKind kind = uvPairKind(uv.format);
            const std::uint32_t stride = uv.blockStride ? uv.blockStride : pairSize(kind);
            c.uvBytes = {uv.blockStart, uv.blockStart + uvBlockBytes(kind, stride)};
        }
        const double withUv = uv.location == UvLocation::None ? 0.85 : 0.85 + 0.15 * uv.score;
        // Formats align their index blocks: of two readings of the same small values
        // (one byte apart in the other byte order) the aligned one goes first.
        // A count before the positions says more than alignment does.
        const bool counted = countedAt(p.first, p.stride);
        const double aligned = block_.start % block_.indexSize == 0 || counted ? 1.0 : 0.95;
        // The UV score has the count of its block in it already.
        c.score = std::min(1.0, std::sqrt(block_.measures.indexScore) * p.vertexScore * nearness(p) * withUv *
                                    aligned * (counted ? kCounted : 1));
        return true;
    }

    bool settingsFor(const PositionChoice& p, const UvChoice& uv, LayoutSettings& s) const {
        s.faceIndexStart = block_.start;
        s.faceIndexCnt = block_.count;
        s.faceGap = block_.faceGap;
        s.indexSize = block_.indexSize;
        s.stripMode = block_.topology != IndexTopology::List;
        s.ffffSeparator = block_.topology == IndexTopology::StripRestart;
        s.faceVertexCount = block_.faceVertexCount;
        s.bigEndian = block_.bigEndian;
        s.vertexFormat = uv.format;
        s.uvDivisor = uv.divisor;
        const std::uint64_t k = block_.minIndex;
        // Only list passes renumber faces from the smallest index; strips name records
        // counted from the vertex start.
        s.relFI = k > 0 && block_.topology == IndexTopology::List;
        std::uint64_t start = p.first;
        const std::uint32_t posSize = positionSize(p.kind);
        // Packed positions with packed UVs are the sequential layout; every other layout
        // reads records, with a UV block of its own beside them where there is one.
        const bool records = p.stride != posSize || uv.location != UvLocation::SeparateBlock || uv.blockStride != 0;
        const bool shifted = uv.format == VertexFormat::HF_all && records;
        if (!s.relFI || shifted) {
            if (start < k * p.stride) return false;
            start -= k * p.stride;
        }
        s.vertsCnt = static_cast<std::uint32_t>(s.relFI ? used_ : std::uint64_t{block_.maxIndex} + 1);
        if (start > UINT32_MAX) return false;
        s.vertexStart = static_cast<std::uint32_t>(start);
        if (uv.location == UvLocation::SeparateBlock) {
            const std::uint32_t pairStride = uv.blockStride != 0 ? uv.blockStride : pairSize(uvPairKind(uv.format));
            std::uint64_t uvStart = uv.blockStart;
            if (!s.relFI) {
                if (uvStart < k * pairStride) return false;
                uvStart -= k * pairStride;
            }
            if (uvStart > UINT32_MAX) return false;
            s.vbMode = records;
            s.fvfSize = static_cast<std::uint8_t>(p.stride);
            s.uvPos = kNoUvInRecord;
            s.uvBlockStart = static_cast<std::uint32_t>(uvStart);
            s.uvBlockSize = records ? static_cast<std::uint8_t>(pairStride) : kNoUvBlock;
        } else {
            s.vbMode = true;
            s.fvfSize = static_cast<std::uint8_t>(p.stride);
            s.uvPos = static_cast<std::uint8_t>(uv.location == UvLocation::InVertexRecord ? uv.uvPos : kNoUvInRecord);
            s.uvBlockStart = 0;
            s.uvBlockSize = kNoUvBlock;
        }
        return true;
    }

    void fillBox(const PositionChoice& p, LayoutCandidate& c) const {
        std::array<float, 3> lo{INFINITY, INFINITY, INFINITY};
        std::array<float, 3> hi{-INFINITY, -INFINITY, -INFINITY};
        for (const auto& t : block_.triangles)
            for (std::uint32_t v : t) {
                const auto& q = p.positions[v - block_.minIndex];
                for (int a = 0; a < 3; ++a) {
                    lo[a] = std::min(lo[a], q[a]);
                    hi[a] = std::max(hi[a], q[a]);
                }
            }
        c.boxMin = lo;
        c.boxMax = hi;
    }

    std::span<const std::uint8_t> model_;
    const IndexBlock& block_;
    std::span<const std::pair<std::uint64_t, std::uint64_t>> indexBytes_;  ///< disjoint, in file order
    const std::atomic<bool>* cancel_;
    SpanBytes bytes_;
    std::uint64_t used_ = 0;
    std::vector<std::array<std::uint32_t, 3>> sample_;
    std::vector<std::uint32_t> sampleIds_;
    mutable std::vector<double> quickEdges_;
    mutable std::array<std::vector<float>, 3> quickAxes_;
    mutable std::vector<std::array<std::uint32_t, 3>> uvSample_;
    std::vector<PositionChoice> choices_;
    std::vector<std::pair<double, std::uint64_t>> shortlist_;
    std::size_t fullChecks_ = 0;
    std::size_t quickChecks_ = 0;
    std::size_t quickLimit_ = kQuickChecks;
    std::size_t scanChecks_ = 0;
    mutable std::vector<std::array<std::uint32_t, 3>> local_;
    mutable std::vector<NeighbourPair> neighbours_;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> normalBlocks_;  ///< sorted
    bool normalsApart_ = true;
    std::vector<std::uint64_t> boundaryStarts_;  ///< sorted
    mutable std::vector<std::array<std::uint32_t, 3>> endTriangles_;
    mutable UvGround ground_;
    mutable std::tuple<PositionKind, std::uint32_t, std::uint64_t> groundKey_{PositionKind::Float, 0, 0};
};

std::uint64_t distance(const VertexRegion& r, const IndexBlock& b) {
    if (r.end <= b.start) return b.start - r.end;
    if (r.begin >= b.byteEnd()) return r.begin - b.byteEnd();
    return 0;
}

}  // namespace

std::vector<VertexRegion> scanFloatRegions(std::span<const std::uint8_t> model, bool bigEndian, std::uint64_t from,
                                           std::uint64_t to) {
    std::vector<VertexRegion> regions;
    const std::uint64_t first = from / kRegionChunk * kRegionChunk;
    // Per chunk and word alignment: plausible words counted twice, zero words once, and
    // the nonzero plausible ones apart.
    struct Count {
        std::uint16_t weight = 0, nonzero = 0;
        std::uint16_t typical = 0;  ///< of the nonzero ones, between 1e-3 and 1e4 in size
    };
    std::vector<std::array<Count, 4>> counts;
    for (std::uint64_t c = first; c < to && c + kRegionChunk + 4 <= model.size(); c += kRegionChunk) {
        auto& chunk = counts.emplace_back();
        for (std::uint64_t a = 0; a < 4; ++a) {
            // Zero words count only half: a zero page is no vertex block, but records hold
            // many zeros (a UV at the origin, a flat axis). Lanes count down by their masks.
            Lanes<4> zero{}, nonzero{}, typical{};
            for (std::uint64_t w = 0; w < kRegionChunk; w += 16) {
                const Lanes<4> bits = lanesAt<4>(model.data() + c + a + w, bigEndian);
                const Lanes<4> isZero = (Lanes<4>)((bits & 0x7FFFFFFFu) == 0);
                const Lanes<4> exponent = bits >> 23 & 0xFFu;
                const Lanes<4> plausible = (Lanes<4>)(exponent >= kPlausibleExponents[0]) &
                                           (Lanes<4>)(exponent <= kPlausibleExponents[1]) & ~isZero;
                zero -= isZero;
                nonzero -= plausible;
                typical -= plausible & (Lanes<4>)(exponent >= 127 - 10) & (Lanes<4>)(exponent <= 127 + 13);
            }
            for (int k = 0; k < 4; ++k) {
                chunk[a].weight += static_cast<std::uint16_t>(zero[k] + 2 * nonzero[k]);
                chunk[a].nonzero += static_cast<std::uint16_t>(nonzero[k]);
                chunk[a].typical += static_cast<std::uint16_t>(typical[k]);
            }
        }
    }
    const auto floaty = [&](std::size_t k) {
        // Records of an odd size put their floats at every alignment in turn: over four
        // chunks and all alignments, words of a coordinate's usual size stand well above
        // chance (one in eleven).
        unsigned anyAlignment = 0;
        for (std::size_t n = k > 0 ? k - 1 : 0; n < std::min(counts.size(), k + 3); ++n)
            for (const Count& c : counts[n]) anyAlignment += c.typical;
        if (anyAlignment >= kOddRecordWords) return true;
        for (std::size_t a = 0; a < 4; ++a) {
            if (counts[k][a].nonzero >= kFloatyWords / 2 && counts[k][a].weight / 2 >= kFloatyWords) return true;
            // Records that mix floats with other bytes (colours, bone numbers) fall short in
            // one chunk: over four, two words in five still stand far above chance.
            unsigned weight = 0, nonzero = 0;
            for (std::size_t n = k > 0 ? k - 1 : 0; n < std::min(counts.size(), k + 3); ++n) {
                weight += counts[n][a].weight;
                nonzero += counts[n][a].nonzero;
            }
            constexpr unsigned kWords = 4 * kRegionChunk / 4;
            if (nonzero >= kFloatyWords && weight * 5 >= 2 * 2 * kWords) return true;
        }
        return false;
    };
    bool open = false;
    VertexRegion region;
    for (std::size_t k = 0; k < counts.size(); ++k) {
        const std::uint64_t c = first + k * kRegionChunk;
        if (floaty(k)) {
            if (!open) region.begin = c;
            open = true;
            region.end = c + kRegionChunk;
        } else if (open) {
            regions.push_back(region);
            open = false;
        }
    }
    if (open) regions.push_back(region);
    return regions;
}

std::vector<VertexRegion> joinRegions(std::vector<VertexRegion> regions) {
    std::sort(regions.begin(), regions.end(),
              [](const VertexRegion& a, const VertexRegion& b) { return a.begin < b.begin; });
    std::vector<VertexRegion> joined;
    for (VertexRegion& r : regions) {
        // A few chunks that fall short (the ends of a scan part, whose window is cut, or
        // a stretch of records with fewer floats) do not split a block.
        if (!joined.empty() && r.begin <= joined.back().end + 4 * kRegionChunk) {
            joined.back().end = std::max(joined.back().end, r.end);
            continue;
        }
        joined.push_back(std::move(r));
    }
    // A block may end up to a chunk after its last whole floaty chunk.
    for (VertexRegion& r : joined) r.end += kRegionChunk;
    return joined;
}

void estimateStrides(std::span<const std::uint8_t> model, VertexRegion& region) {
    constexpr std::uint64_t kSamples = 2048;
    const std::uint64_t end = std::min<std::uint64_t>(region.end, model.size());
    std::array<std::uint32_t, 256> matches{};
    if (end > region.begin + 256) {
        const std::uint64_t room = end - region.begin - 255;
        const std::uint64_t step = std::max<std::uint64_t>(1, room / kSamples);
        // Byte counters for all 256 distances at once, a vector of sixteen at a time, moved
        // into the totals before they can overflow: a file has hundreds of small regions.
        ByteLanes counts[16] = {};
        unsigned counted = 0;
        const auto flush = [&] {
            for (unsigned j = 0; j < 16; ++j) {
                for (unsigned k = 0; k < 16; ++k) matches[16 * j + k] += counts[j][k];
                counts[j] = ByteLanes{};
            }
            counted = 0;
        };
        for (std::uint64_t p = region.begin; p + 255 < end; p += step) {
            const std::uint8_t* b = model.data() + p;
            const ByteLanes first = ByteLanes{} + b[0];
            for (unsigned j = 0; j < 16; ++j) {
                ByteLanes v;
                std::memcpy(&v, b + 16 * j, sizeof v);
                counts[j] -= (ByteLanes)(v == first);
            }
            if (++counted == 255) flush();
        }
        flush();
    }
    std::vector<std::uint8_t> order;
    for (unsigned s = 6; s < 256; ++s) order.push_back(static_cast<std::uint8_t>(s));
    // The most matches first, the shorter of equals: only the few taken need an order.
    const auto taken = order.begin() + static_cast<std::ptrdiff_t>(std::min(order.size(), kStrideChoices + 2));
    std::partial_sort(order.begin(), taken, order.end(), [&](std::uint8_t a, std::uint8_t b) {
        return matches[a] != matches[b] ? matches[a] > matches[b] : a < b;
    });
    order.erase(taken, order.end());
    region.strides = {12, 6};
    for (std::uint8_t s : order) {
        if (region.strides.size() >= kStrideChoices + 2) break;
        if (s != 12 && s != 6) region.strides.push_back(s);
    }
}

void findNormalBlocks(std::span<const std::uint8_t> model, bool bigEndian, VertexRegion& region) {
    constexpr std::uint32_t kMinRun = 16;  // unit vectors in a row
    constexpr std::size_t kMaxBlocks = 128;
    // A component of a unit vector is at most 1: its bits are at most those of 1.01.
    constexpr std::uint32_t kBelowOne = 0x3F8147AE;
    const SpanBytes bytes{model, bigEndian};
    const std::uint64_t end = std::min<std::uint64_t>(region.end, model.size());
    using Run = std::pair<std::uint64_t, std::uint64_t>;
    std::vector<Run> runs;
    const auto unit = [&](std::uint64_t o) {
        const std::uint32_t x = bytes.u32(o), y = bytes.u32(o + 4), z = bytes.u32(o + 8);
        if ((x & 0x7FFFFFFF) > kBelowOne || (y & 0x7FFFFFFF) > kBelowOne || (z & 0x7FFFFFFF) > kBelowOne) return false;
        const Vec3 v = positionAt(bytes, o, PositionKind::Float, true);
        return std::fabs(double{v.x} * v.x + double{v.y} * v.y + double{v.z} * v.z - 1) < 0.02;
    };
    // Every word of a run of unit vectors is at most 1 in size: only stretches of such
    // words, at each of the four word alignments, long enough to hold a run are walked
    // vector by vector, at each of their three vector alignments.
    const auto walk = [&](std::uint64_t from, std::uint64_t to) {
        for (std::uint64_t start = from; start < from + 12; start += 4) {
            std::uint32_t run = 0;
            std::uint64_t o = start;
            for (; o + 12 <= to; o += 12) {
                if (unit(o)) {
                    ++run;
                    continue;
                }
                if (run >= kMinRun) runs.emplace_back(o - 12 * std::uint64_t{run}, o);
                run = 0;
            }
            if (run >= kMinRun) runs.emplace_back(o - 12 * std::uint64_t{run}, o);
        }
    };
    static_assert(12 * kMinRun > 64, "a stretch long enough to walk spans more than a group of words");
    for (std::uint64_t a = 0; a < 4; ++a) {
        std::uint64_t stretch = region.begin + a;
        for (std::uint64_t w = stretch; w + 4 <= end + 4;) {
            // Sixteen words at a time, a bit each for those that are small. A stretch that
            // is long enough never lies inside one group, so only the group's first and
            // last large words matter: the first may end a stretch, the last starts one.
            if (w + 64 <= end) {
                constexpr Lanes<4> kBits[4] = {{1, 2, 4, 8}, {16, 32, 64, 128}, {256, 512, 1024, 2048},
                                               {4096, 8192, 16384, 32768}};
                Lanes<4> small{};
                for (std::uint64_t k = 0; k < 4; ++k) {
                    const Lanes<4> x = lanesAt<4>(model.data() + w + 16 * k, bigEndian);
                    small |= (Lanes<4>)((x & 0x7FFFFFFFu) <= kBelowOne) & kBits[k];
                }
                const unsigned large = ~(small[0] | small[1] | small[2] | small[3]) & 0xFFFFu;
                if (large != 0) {
                    const std::uint64_t firstLarge = w + 4 * static_cast<unsigned>(std::countr_zero(large));
                    if (firstLarge - stretch >= 12 * kMinRun) walk(stretch, firstLarge);
                    stretch = w + 4 * (31u - static_cast<unsigned>(std::countl_zero(large))) + 4;
                }
                w += 64;
                continue;
            }
            for (const std::uint64_t group = w + 64; w < group && w + 4 <= end + 4; w += 4) {
                if (w + 4 <= end && (bytes.u32(w) & 0x7FFFFFFF) <= kBelowOne) continue;
                if (w - stretch >= 12 * kMinRun) walk(stretch, w);
                stretch = w + 4;
            }
        }
    }
    // Inside a block of normals the bytes read a word or two later are often near unit
    // length too: of overlapping runs the longest stands.
    std::sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) { return a.second - a.first > b.second - b.first; });
    region.normalBlocks.clear();
    for (const Run& r : runs) {
        if (region.normalBlocks.size() >= kMaxBlocks) break;
        const bool overlaps = std::any_of(region.normalBlocks.begin(), region.normalBlocks.end(),
                                          [&](const Run& k) { return r.first < k.second && k.first < r.second; });
        if (!overlaps) region.normalBlocks.push_back(r);
    }
    std::sort(region.normalBlocks.begin(), region.normalBlocks.end());
}

BlockLayouts layoutsForBlock(std::span<const std::uint8_t> model, const IndexBlock& block,
                             std::span<const VertexRegion> floatRegions,
                             std::span<const std::pair<std::uint64_t, std::uint64_t>> indexBytes, std::size_t keep,
                             const std::atomic<bool>* cancel) {
    BlockSearch search(model, block, indexBytes, cancel);
    search.setNormalBlocks(floatRegions);
    if (block.small()) {
        search.scanSmall();
        std::size_t faces = search.unfoldedFaces();
        if (faces == block.triangles.size()) return search.candidates(keep, floatRegions);
        IndexBlock shorter = block;
        shorter.triangles.resize(faces);
        // The faces left must still make one surface.
        while (faces > 0 && !sharesAnEdge(shorter.triangles, faces - 1)) shorter.triangles.resize(--faces);
        if (faces < 2 || !eachSharesAnEdge(shorter.triangles)) return {};
        shorter.count = static_cast<std::uint32_t>(block.topology == IndexTopology::List ? 3 * faces : faces + 2);
        measureIndices(shorter.triangles, shorter.measures);
        shorter.minIndex = shorter.measures.minIndex;
        shorter.maxIndex = shorter.measures.maxIndex;
        return layoutsForBlock(model, shorter, floatRegions, indexBytes, keep, cancel);
    }
    // Float-looking stretches inside the index block are its own values: regions are cut
    // where the block lies.
    std::vector<VertexRegion> near;
    for (const VertexRegion& r : floatRegions) {
        if (r.end <= block.start || r.begin >= block.byteEnd()) {
            near.push_back(r);
            continue;
        }
        // Each side holds other records than the whole did: its strides are its own.
        if (r.begin + 64 <= block.start) {
            near.push_back({r.begin, block.start, {}, r.normalBlocks});
            estimateStrides(model, near.back());
        }
        if (block.byteEnd() + 64 <= r.end) {
            near.push_back({block.byteEnd(), r.end, {}, r.normalBlocks});
            estimateStrides(model, near.back());
        }
    }
    // A large region holds other meshes' records too, whose strides outnumber those of the
    // block's own records beside it: the strides of the stretch nearest the block go first.
    const std::uint64_t stretch = std::max<std::uint64_t>(kNearStretch, search.used() * kNearStretchPerVertex);
    for (VertexRegion& r : near) {
        if (r.end - r.begin < 2 * stretch || distance(r, block) > kNeighbourhood) continue;
        VertexRegion side = r.end <= block.start ? VertexRegion{r.end - stretch, r.end, {}, {}}
                                                 : VertexRegion{r.begin, r.begin + stretch, {}, {}};
        estimateStrides(model, side);
        std::vector<std::uint8_t> strides;
        for (std::uint8_t s : side.strides)
            if (strides.size() < kNearStrides + 2) strides.push_back(s);
        for (std::uint8_t s : r.strides)
            if (std::find(strides.begin(), strides.end(), s) == strides.end()) strides.push_back(s);
        r.strides = std::move(strides);
    }
    std::stable_sort(near.begin(), near.end(), [&](const VertexRegion& a, const VertexRegion& b) {
        return distance(a, block) < distance(b, block);
    });
    search.searchBoundaries(near);
    // A large region nearby can spend the whole budget at its anchors: a clear block keeps
    // a share of it for the searches beside it.
    const bool clear = block.measures.indexScore >= kClearForScan;
    if (clear) search.limitQuickChecks(static_cast<std::size_t>(kAnchoredShare * kQuickChecks));
    // Every region's likeliest strides before any region's others: a large region right
    // beside the block would spend the budget on its unlikely ones first.
    for (const auto& [first, last] : {std::pair<std::size_t, std::size_t>{0, kFirstStrides}, {kFirstStrides, SIZE_MAX}})
        for (const VertexRegion& r : near) {
            if (search.stopped() || search.goodEnough()) break;
            search.searchRegion(r, {PositionKind::Float}, first, last);
        }
    search.limitQuickChecks(kQuickChecks);
    // Half and short records hold no telling bit patterns: they are sought right beside
    // the index block, where formats keep them, before the scan of the float regions
    // spends the budget. Misreadings of an index block (another width or byte order)
    // name indices less cleanly, and no vertex block fits them: only clear blocks get
    // these costly scans.
    if (clear && !search.goodEnough() && !search.stopped()) search.scanBeside(kBesideBytes);
    if (clear)
        for (const VertexRegion& r : near) {
            if (search.stopped() || search.goodEnough()) break;
            search.scanRegion(r);
        }
    if (!search.goodEnough() && !search.stopped()) {
        const std::uint64_t reach = kNeighbourhood + search.used() * 64;
        VertexRegion after{block.byteEnd(), std::min<std::uint64_t>(model.size(), block.byteEnd() + reach), {}, {}};
        VertexRegion before{block.start > reach ? block.start - reach : 0, block.start, {}, {}};
        for (VertexRegion* r : {&after, &before}) {
            estimateStrides(model, *r);
            search.searchRegion(*r, {PositionKind::Half, PositionKind::Short});
        }
    }
    search.followBlock();
    return search.candidates(keep, near);
}

}  // namespace nimbrel
