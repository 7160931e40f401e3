#include "find/mesh_measures.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <unordered_map>
#include <vector>

namespace nimbrel {

namespace {

// Edge lengths are taken from at most this many triangles, evenly spread: the median of
// a sample that size moves by less than a per cent.
constexpr std::size_t kEdgeSampleTriangles = 20000;
// A triangle whose area is this share of an equilateral one of the same edges is a needle.
constexpr double kNeedleQuality = 0.02;
constexpr std::size_t kSmallMesh = 256;  // triangles
// The window neighbourPairs looks for shared edges in.
constexpr std::size_t kNeighbourWindow = 4096;
// Neighbours meeting at a sharper angle than about 78 degrees are folded: rare on a real
// surface, 44 % of pairs for scattered points.
constexpr double kFoldedCosine = 0.2;
constexpr double kFoldsOfASurface = 0.02;
constexpr double kSliver = 1e-3;  // height to edge below which a face has no side
constexpr std::uint64_t kCleanPairs = 24;  // neighbour pairs that show a surface without folds
constexpr double kLongEdges = 24.0;

double clamp01(double x) { return std::clamp(x, 0.0, 1.0); }

double length(const std::array<double, 3>& d) { return std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]); }

std::array<double, 3> minus(const std::array<float, 3>& a, const std::array<float, 3>& b) {
    return {double{a[0]} - b[0], double{a[1]} - b[1], double{a[2]} - b[2]};
}

bool finite3(const std::array<float, 3>& p) {
    return std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]);
}

// Median edge length against the bounding-box diagonal, scaled by the square root of the
// triangle count: a surface cut into T triangles has edges of about diagonal / sqrt(T),
// so a real mesh lands near 1 to 3 at any size while scattered points land far above.
// Tessellated CAD parts break that rule (a cylinder's sides are triangles as long as the
// part): where many neighbouring faces were compared and none fold, long edges are
// allowed up to longEdges.
double edgeTermOf(double edgeToDiagonal, std::uint64_t triangles, bool clean) {
    if (triangles == 0 || !(edgeToDiagonal > 0)) return 0;
    const double r = edgeToDiagonal * std::sqrt(static_cast<double>(triangles));
    const double limit = clean ? kLongEdges : 6.5;
    // The small slope below 3 keeps the tighter of two good readings ahead, e.g. packed
    // positions read from their true start rather than one float later.
    return clamp01((limit - r) / (limit - 3)) * (1 - 0.01 * std::min(r, 3.0));
}

// 1 up to 1e5, falling to 0 at 1e7 on a log scale.
double magnitudeTermOf(double magnitude) {
    if (!(magnitude < 1e7)) return 0;
    if (magnitude <= 1e5) return 1;
    return clamp01(1 - std::log10(magnitude / 1e5) / 2);
}

// 3.5 times the median distance from the componentwise median: about the diagonal of a
// box the points fill evenly, and unmoved by a few points far out.
double robustExtent(std::span<const std::array<float, 3>> positions, const std::vector<bool>& referenced,
                    std::uint64_t& outliers) {
    outliers = 0;
    std::vector<std::array<float, 3>> points;
    const std::size_t step = std::max<std::size_t>(1, positions.size() / 4096);
    for (std::size_t i = 0; i < positions.size(); i += step)
        if (referenced[i] && finite3(positions[i])) points.push_back(positions[i]);
    if (points.empty()) return 0;
    std::array<float, 3> middle{};
    std::vector<float> axis(points.size());
    for (int a = 0; a < 3; ++a) {
        for (std::size_t i = 0; i < points.size(); ++i) axis[i] = points[i][a];
        std::nth_element(axis.begin(), axis.begin() + static_cast<std::ptrdiff_t>(axis.size() / 2), axis.end());
        middle[a] = axis[axis.size() / 2];
    }
    std::vector<double> distances;
    for (const auto& p : points) distances.push_back(length(minus(p, middle)));
    std::nth_element(distances.begin(), distances.begin() + static_cast<std::ptrdiff_t>(distances.size() / 2),
                     distances.end());
    const double extent = 3.5 * distances[distances.size() / 2];
    // Points far beyond where the rest lie: a record read from bytes before or after
    // the block. Counted over every position, not the sample.
    for (std::size_t i = 0; i < positions.size(); ++i)
        if (referenced[i] && finite3(positions[i]) && length(minus(positions[i], middle)) > 3 * extent) ++outliers;
    return extent;
}

// Scattered points fold two neighbours of five onto each other; a surface almost none
// (a real mesh seldom one in a hundred, at a crease or a thin fin).
double foldTermOf(const CandidateMeasures& m) {
    if (m.neighbourPairs < kMinNeighbourPairs) return 1;
    return clamp01(1 - 3 * std::max(0.0, m.foldedShare - kFoldsOfASurface));
}

std::size_t edgeSampleStep(std::size_t triangles) { return std::max<std::size_t>(1, triangles / kEdgeSampleTriangles); }

// Whether a triangle names three vertices of the block, each read as a finite position.
bool readable(std::span<const std::array<float, 3>> positions, const std::array<std::uint32_t, 3>& t) {
    const std::size_t n = positions.size();
    if (hasRepeatedCorner(t) || t[0] >= n || t[1] >= n || t[2] >= n) return false;
    return finite3(positions[t[0]]) && finite3(positions[t[1]]) && finite3(positions[t[2]]);
}

// The needles of a small mesh that are half of a long, thin parallelogram (the side of a
// board or a wall, the sides of a CAD part's cylinder), with the other half across their
// longest edge: a small part is often one board. In a large mesh they count, since a
// regular grid misread one axis at a time keeps its quads. Vertices split at seams still
// share their positions.
std::size_t halvesOfFlatQuads(std::span<const std::array<float, 3>> positions,
                              std::span<const std::array<std::uint32_t, 3>> triangles,
                              std::span<const std::uint32_t> needles, double diagonal) {
    if (needles.empty() || triangles.size() > kSmallMesh) return 0;
    using Point = std::array<float, 3>;
    struct Edge {
        Point a, b;
        bool operator==(const Edge&) const = default;
    };
    struct EdgeHash {
        std::size_t operator()(const Edge& e) const {
            std::uint32_t bits[6];
            std::memcpy(bits, e.a.data(), 12);
            std::memcpy(bits + 3, e.b.data(), 12);
            std::size_t h = 0;
            for (std::uint32_t v : bits) h = h * 0x9E3779B97F4A7C15ull + v;
            return h;
        }
    };
    const auto edgeOf = [&](std::uint32_t u, std::uint32_t v) {
        const Point& a = positions[u];
        const Point& b = positions[v];
        return a < b ? Edge{a, b} : Edge{b, a};
    };
    const auto squared = [&](std::uint32_t u, std::uint32_t v) {
        const auto d = minus(positions[v], positions[u]);
        return d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    };
    // Each needle by its longest edge, with the corner across it.
    std::unordered_map<Edge, std::vector<std::pair<std::uint32_t, std::uint32_t>>, EdgeHash> byEdge;
    for (std::uint32_t i : needles) {
        const auto& t = triangles[i];
        int k = 0;
        for (int e = 1; e < 3; ++e)
            if (squared(t[e], t[(e + 1) % 3]) > squared(t[k], t[(k + 1) % 3])) k = e;
        byEdge[edgeOf(t[k], t[(k + 1) % 3])].push_back({i, t[(k + 2) % 3]});
    }
    std::vector<bool> paired(triangles.size(), false);
    const double tolerance = 1e-5 * diagonal;
    for (std::size_t i = 0; i < triangles.size(); ++i) {
        const auto& t = triangles[i];
        if (!readable(positions, t)) continue;
        for (int e = 0; e < 3; ++e) {
            const auto found = byEdge.find(edgeOf(t[e], t[(e + 1) % 3]));
            if (found == byEdge.end()) continue;
            const Point& p = positions[t[e]];
            const Point& q = positions[t[(e + 1) % 3]];
            const Point& w = positions[t[(e + 2) % 3]];
            for (const auto& [needle, corner] : found->second) {
                if (needle == i) continue;
                // The diagonals of a parallelogram halve each other.
                const Point& a = positions[corner];
                double off = 0;
                for (int c = 0; c < 3; ++c) off = std::max(off, std::fabs(double{a[c]} + w[c] - p[c] - q[c]));
                if (off <= tolerance) paired[needle] = true;
            }
        }
    }
    return static_cast<std::size_t>(std::count(paired.begin(), paired.end(), true));
}

// Sorts keys below 2^keyBits: a byte at a time from the lowest where the list is long,
// several times faster than comparisons on the edge lists of a large block.
void sortKeys(std::vector<std::uint64_t>& keys, int keyBits, std::vector<std::uint64_t>& other) {
    if (keys.size() < 1024) {
        std::sort(keys.begin(), keys.end());
        return;
    }
    other.resize(keys.size());
    for (int shift = 0; shift < keyBits; shift += 8) {
        std::array<std::size_t, 257> at{};
        for (std::uint64_t k : keys) ++at[((k >> shift) & 0xFF) + 1];
        for (int d = 0; d < 256; ++d) at[d + 1] += at[d];
        for (std::uint64_t k : keys) other[at[(k >> shift) & 0xFF]++] = k;
        keys.swap(other);
    }
}

// The key lists of a large block run to megabytes: kept per thread, their pages are
// cleared by the kernel once, not at each measure.
struct KeyLists {
    std::vector<std::uint64_t> rising, falling, sets, spare;
};

KeyLists& keyLists() {
    thread_local KeyLists lists;
    return lists;
}

}  // namespace

std::vector<NeighbourPair> neighbourPairs(std::span<const std::array<std::uint32_t, 3>> triangles) {
    struct Side {
        std::uint64_t edge;
        std::uint32_t across;
    };
    std::vector<Side> sides;
    const std::size_t window = std::min(triangles.size(), kNeighbourWindow);
    sides.reserve(3 * window);
    for (std::size_t i = 0; i < window; ++i) {
        const auto& t = triangles[i];
        if (hasRepeatedCorner(t)) continue;
        for (int k = 0; k < 3; ++k) {
            const std::uint32_t p = std::min(t[k], t[(k + 1) % 3]);
            const std::uint32_t q = std::max(t[k], t[(k + 1) % 3]);
            sides.push_back({std::uint64_t{p} << 32 | q, t[(k + 2) % 3]});
        }
    }
    std::sort(sides.begin(), sides.end(), [](const Side& x, const Side& y) { return x.edge < y.edge; });
    std::vector<NeighbourPair> pairs;
    for (std::size_t i = 0; i + 1 < sides.size();) {
        std::size_t j = i + 1;
        while (j < sides.size() && sides[j].edge == sides[i].edge) ++j;
        // An edge of more than two triangles has no one pair of neighbours.
        if (j == i + 2 && sides[i].across != sides[i + 1].across)
            pairs.push_back({static_cast<std::uint32_t>(sides[i].edge >> 32), static_cast<std::uint32_t>(sides[i].edge),
                             sides[i].across, sides[i + 1].across});
        i = j;
    }
    return pairs;
}

double foldCosine(const std::array<float, 3>& p, const std::array<float, 3>& q, const std::array<float, 3>& a,
                  const std::array<float, 3>& b) {
    const auto e = minus(q, p);
    auto sa = minus(a, p);
    auto sb = minus(b, p);
    const double ee = e[0] * e[0] + e[1] * e[1] + e[2] * e[2];
    if (!(ee > 0) || !std::isfinite(ee)) return NAN;
    // The parts of the two corners square to the edge: the faces' directions from it.
    const double ka = (sa[0] * e[0] + sa[1] * e[1] + sa[2] * e[2]) / ee;
    const double kb = (sb[0] * e[0] + sb[1] * e[1] + sb[2] * e[2]) / ee;
    for (int k = 0; k < 3; ++k) {
        sa[k] -= ka * e[k];
        sb[k] -= kb * e[k];
    }
    const double la = length(sa), lb = length(sb);
    // A sliver's side is rounding noise (the ring of a sphere's pole, a seam).
    if (!(la > kSliver * std::sqrt(ee)) || !(lb > kSliver * std::sqrt(ee))) return NAN;
    return (sa[0] * sb[0] + sa[1] * sb[1] + sa[2] * sb[2]) / (la * lb);
}

int foldOf(const std::array<float, 3>& p, const std::array<float, 3>& q, const std::array<float, 3>& a,
           const std::array<float, 3>& b) {
    const double cosine = foldCosine(p, q, a, b);
    if (std::isnan(cosine)) return -1;
    return cosine >= kFoldedCosine ? 1 : 0;
}

std::array<double, 2> uvSides(const std::array<float, 2>& p, const std::array<float, 2>& q,
                              const std::array<float, 2>& a, const std::array<float, 2>& b) {
    const double eu = double{q[0]} - p[0], ev = double{q[1]} - p[1];
    return {eu * (double{a[1]} - p[1]) - ev * (double{a[0]} - p[0]), eu * (double{b[1]} - p[1]) - ev * (double{b[0]} - p[0])};
}

void measureFolds(std::span<const std::array<float, 3>> positions, std::span<const NeighbourPair> neighbours,
                  CandidateMeasures& m, std::vector<NeighbourPair>* withArea) {
    std::uint64_t compared = 0, folded = 0;
    const std::size_t n = positions.size();
    for (const NeighbourPair& pair : neighbours) {
        if (pair.p >= n || pair.q >= n || pair.a >= n || pair.b >= n) continue;
        const int fold = foldOf(positions[pair.p], positions[pair.q], positions[pair.a], positions[pair.b]);
        if (fold < 0) continue;
        ++compared;
        folded += fold;
        if (withArea) withArea->push_back(pair);
    }
    m.neighbourPairs = compared;
    m.foldedShare = compared ? static_cast<double>(folded) / static_cast<double>(compared) : 0;
}

void measureIndices(std::span<const std::array<std::uint32_t, 3>> triangles, CandidateMeasures& m) {
    m.indexCount = 3 * static_cast<std::uint64_t>(triangles.size());
    if (triangles.empty()) {
        m.indexScore = 0;
        return;
    }
    std::uint32_t lo = UINT32_MAX;
    std::uint32_t hi = 0;
    for (const auto& t : triangles)
        for (std::uint32_t v : t) {
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
    m.minIndex = lo;
    m.maxIndex = hi;

    const std::uint64_t range = std::uint64_t{hi} - lo + 1;
    const std::uint64_t distinct = distinctValues(lo, hi, 3 * triangles.size(), [&](auto&& take) {
        for (const auto& t : triangles)
            for (std::uint32_t v : t) take(v);
    });
    m.indexCoverage = static_cast<double>(distinct) / static_cast<double>(range);
    // Edges by their ends, lower first, one list per direction: an edge is paired where
    // the other direction holds it too, which one merge of the sorted lists counts.
    std::uint64_t repeats = 0;
    // Indices from the smallest on, in as few bits as their range takes.
    const int bits = std::max(1, static_cast<int>(std::bit_width(hi - lo)));
    KeyLists& lists = keyLists();
    std::vector<std::uint64_t>& rising = lists.rising;
    std::vector<std::uint64_t>& falling = lists.falling;
    rising.clear();
    falling.clear();
    rising.reserve(3 * triangles.size() / 2 + 1);
    falling.reserve(3 * triangles.size() / 2 + 1);
    for (const auto& t : triangles) {
        if (hasRepeatedCorner(t)) {
            ++repeats;
            continue;
        }
        for (int k = 0; k < 3; ++k) {
            const std::uint32_t a = t[k] - lo, b = t[(k + 1) % 3] - lo;
            if (a < b)
                rising.push_back(std::uint64_t{a} << bits | b);
            else
                falling.push_back(std::uint64_t{b} << bits | a);
        }
    }
    sortKeys(rising, 2 * bits, lists.spare);
    sortKeys(falling, 2 * bits, lists.spare);
    std::uint64_t paired = 0;
    for (std::size_t i = 0, j = 0; i < rising.size() && j < falling.size();) {
        if (rising[i] < falling[j]) {
            ++i;
        } else if (falling[j] < rising[i]) {
            ++j;
        } else {
            const std::uint64_t e = rising[i];
            for (; i < rising.size() && rising[i] == e; ++i) ++paired;
            for (; j < falling.size() && falling[j] == e; ++j) ++paired;
        }
    }
    // Faces naming a vertex twice have no area under any reading of positions: the vertex
    // score leaves them to this measure.
    m.repeatedCornerShare = static_cast<double>(repeats) / static_cast<double>(triangles.size());
    const std::uint64_t edgeCount = rising.size() + falling.size();
    m.pairedEdgeShare = edgeCount == 0 ? 0 : static_cast<double>(paired) / static_cast<double>(edgeCount);
    // The same corners twice (either winding) is a misread, not a mesh: strips read
    // from a list make every triangle again turned round.
    std::uint64_t twice = 0;
    if (3 * bits <= 64) {
        std::vector<std::uint64_t>& sets = lists.sets;
        sets.clear();
        sets.reserve(triangles.size());
        for (auto t : triangles) {
            std::sort(t.begin(), t.end());
            // A repeated corner never counts, so those faces need no key.
            if (!hasRepeatedCorner(t))
                sets.push_back((std::uint64_t{t[0] - lo} << bits | (t[1] - lo)) << bits | (t[2] - lo));
        }
        sortKeys(sets, 3 * bits, lists.spare);
        for (std::size_t i = 1; i < sets.size(); ++i) twice += sets[i] == sets[i - 1];
    } else {
        std::vector<std::array<std::uint32_t, 3>> sets(triangles.begin(), triangles.end());
        for (auto& t : sets) std::sort(t.begin(), t.end());
        std::sort(sets.begin(), sets.end());
        for (std::size_t i = 1; i < sets.size(); ++i)
            twice += sets[i] == sets[i - 1] && !hasRepeatedCorner(sets[i]);
    }
    // Lists joined from strips keep the strips' degenerate faces (a corner named twice),
    // so those cost less than a face read twice.
    const double repeatShare = static_cast<double>(repeats + 2 * twice) / static_cast<double>(triangles.size());
    const double doubledShare = static_cast<double>(twice) / static_cast<double>(triangles.size());
    // Meshes with a vertex per corner (flat shading) pair no edges, so pairing raises the
    // score without being required; repeats and unnamed vertices lower it.
    m.indexScore = clamp01((0.45 + 0.55 * m.pairedEdgeShare) * (1 - 1.2 * repeatShare - 1.6 * doubledShare) *
                           (0.3 + 0.7 * m.indexCoverage));
}

double vertexScoreOf(const CandidateMeasures& m) {
    const std::uint64_t triangles = m.indexCount / 3;
    if (triangles == 0) return 0;
    if (m.nonFinitePositions > 0) return 0;
    // A face naming a vertex twice has no area whatever the positions: the index score
    // already pays for it (lists joined from strips keep such faces), and every vertex
    // reading of the block has it alike.
    const double good = 1 - (m.degenerateShare - m.repeatedCornerShare);
    const double nondegenerate = std::max(1.0, (1 - m.degenerateShare) * static_cast<double>(triangles));
    const double outlierTerm = 1 - std::min(0.3, 0.03 * static_cast<double>(m.outliers));
    const bool clean = m.neighbourPairs >= kCleanPairs && m.foldedShare <= kFoldsOfASurface / 4;
    // Points all of length 1 are most often normals read as positions; a unit sphere is
    // one too, and its faces do not fold, so a clean surface loses less.
    const double unitTerm = m.unitLengthShare > 0.9 ? (clean ? 0.85 : 0.5) : 1.0;
    return clamp01(magnitudeTermOf(m.maxMagnitude) *
                   edgeTermOf(m.medianEdgeToDiagonal, static_cast<std::uint64_t>(nondegenerate), clean) *
                   good * good * (1 - 0.7 * m.needleShare) * unitTerm * outlierTerm * foldTermOf(m));
}

CandidateMeasures measureTriangles(std::span<const std::array<float, 3>> positions,
                                   std::span<const std::array<float, 2>> uvs,
                                   std::span<const std::array<std::uint32_t, 3>> triangles) {
    CandidateMeasures m;
    measureIndices(triangles, m);
    measureGeometry(positions, uvs, triangles, m);
    return m;
}

void measureGeometry(std::span<const std::array<float, 3>> positions, std::span<const std::array<float, 2>> uvs,
                     std::span<const std::array<std::uint32_t, 3>> triangles, CandidateMeasures& m,
                     std::span<const NeighbourPair> neighbours, bool stopAtZero) {
    m.indexCount = 3 * static_cast<std::uint64_t>(triangles.size());
    const std::size_t n = positions.size();
    std::vector<bool> referenced(n);
    std::uint64_t pastBlock = 0;
    for (const auto& t : triangles)
        for (std::uint32_t v : t) {
            if (v < n)
                referenced[v] = true;
            else
                ++pastBlock;
        }

    std::array<float, 3> lo{INFINITY, INFINITY, INFINITY};
    std::array<float, 3> hi{-INFINITY, -INFINITY, -INFINITY};
    std::uint64_t used = 0;
    std::uint64_t unit = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const auto& p = positions[i];
        if (!finite3(p)) {
            ++m.nonFinitePositions;
            continue;
        }
        if (!referenced[i]) continue;
        ++used;
        for (int a = 0; a < 3; ++a) {
            lo[a] = std::min(lo[a], p[a]);
            hi[a] = std::max(hi[a], p[a]);
            m.maxMagnitude = std::max(m.maxMagnitude, std::fabs(double{p[a]}));
        }
        const double len = length({double{p[0]}, double{p[1]}, double{p[2]}});
        if (std::fabs(len - 1) < 0.01) ++unit;
    }
    m.nonFinitePositions += pastBlock;
    if (stopAtZero && (m.nonFinitePositions > 0 || magnitudeTermOf(m.maxMagnitude) == 0)) {
        m.vertexScore = 0;
        return;
    }
    m.unusedVertexShare = n == 0 ? 0 : 1 - static_cast<double>(used) / static_cast<double>(n);
    m.unitLengthShare = used == 0 ? 0 : static_cast<double>(unit) / static_cast<double>(used);
    const double diagonal = used == 0 ? 0 : length(minus(hi, lo));

    const bool withUvs = !uvs.empty() && uvs.size() == n;
    std::uint64_t degenerate = 0;
    std::vector<std::uint32_t> needles;
    std::vector<double> edges;
    const std::size_t step = edgeSampleStep(triangles.size());
    std::size_t index = 0;
    for (const auto& t : triangles) {
        const bool sampled = index++ % step == 0;
        if (!readable(positions, t)) {
            ++degenerate;
            continue;
        }
        const auto& a = positions[t[0]];
        const auto& b = positions[t[1]];
        const auto& c = positions[t[2]];
        const auto ab = minus(b, a);
        const auto ac = minus(c, a);
        const std::array<double, 3> cross{ab[1] * ac[2] - ab[2] * ac[1], ab[2] * ac[0] - ab[0] * ac[2],
                                          ab[0] * ac[1] - ab[1] * ac[0]};
        const double area = 0.5 * length(cross);
        const double e1 = length(ab);
        const double e2 = length(ac);
        const double e3 = length(minus(c, b));
        const double squares = e1 * e1 + e2 * e2 + e3 * e3;
        if (!(area > 1e-12 * diagonal * diagonal) || squares == 0) {
            ++degenerate;
        } else if (4 * std::sqrt(3.0) * area / squares < kNeedleQuality) {
            needles.push_back(static_cast<std::uint32_t>(index - 1));
        }
        if (sampled) edges.insert(edges.end(), {e1, e2, e3});
    }
    const double count = triangles.empty() ? 1 : static_cast<double>(triangles.size());
    m.degenerateShare = static_cast<double>(degenerate) / count;
    m.needleShare = static_cast<double>(needles.size() - halvesOfFlatQuads(positions, triangles, needles, diagonal)) / count;
    if (!edges.empty() && diagonal > 0) {
        auto mid = edges.begin() + static_cast<std::ptrdiff_t>(edges.size() / 2);
        std::nth_element(edges.begin(), mid, edges.end());
        // Against the box and against the typical distance from the middle, whichever is
        // smaller: a few huge values (random bits read as halves) make a box no mesh has.
        m.medianEdgeToDiagonal = std::max(*mid / diagonal, *mid / robustExtent(positions, referenced, m.outliers));
    }
    std::vector<NeighbourPair> own;
    if (neighbours.empty() && !triangles.empty()) {
        own = neighbourPairs(triangles);
        neighbours = own;
    }
    // With UVs the folds come from the ground's one pass over the pairs.
    UvGround ground;
    if (withUvs)
        ground = uvGroundOf(positions, triangles, neighbours, &m);
    else
        measureFolds(positions, neighbours, m);
    m.vertexScore = vertexScoreOf(m);
    if (!diagonal || !(diagonal > 1e-6)) m.vertexScore = 0;
    if (withUvs) measureUvs(ground, triangles, uvs, m);
}

UvGround uvGroundOf(std::span<const std::array<float, 3>> positions,
                    std::span<const std::array<std::uint32_t, 3>> triangles, std::span<const NeighbourPair> neighbours,
                    CandidateMeasures* folds) {
    UvGround g;
    g.referenced.assign(positions.size(), false);
    for (const auto& t : triangles)
        for (std::uint32_t v : t)
            if (v < positions.size()) g.referenced[v] = true;
    const std::size_t step = edgeSampleStep(triangles.size());
    for (std::size_t i = 0; i < triangles.size(); ++i)
        if (readable(positions, triangles[i])) g.faces.push_back({static_cast<std::uint32_t>(i), i % step == 0});
    CandidateMeasures unused;
    measureFolds(positions, neighbours, folds ? *folds : unused, &g.pairs);
    return g;
}

void measureUvs(const UvGround& g, std::span<const std::array<std::uint32_t, 3>> triangles,
                std::span<const std::array<float, 2>> uvs, CandidateMeasures& m, double floor) {
    std::uint64_t uvCompared = 0, uvFolded = 0;
    for (const NeighbourPair& pair : g.pairs) {
        const auto [ca, cb] = uvSides(uvs[pair.p], uvs[pair.q], uvs[pair.a], uvs[pair.b]);
        if (!(std::fabs(ca) > 1e-12) || !(std::fabs(cb) > 1e-12)) continue;
        ++uvCompared;
        if ((ca > 0) == (cb > 0)) ++uvFolded;
    }
    // Too few pairs with UV area say nothing: the share stays 0, which costs no score.
    m.uvFoldedShare =
        uvCompared >= kMinNeighbourPairs ? static_cast<double>(uvFolded) / static_cast<double>(uvCompared) : 0;
    // Scattered pairs overlap half their neighbours across the shared edge; an unwrap
    // only where a mirrored half meets the other. The small slope below that keeps the
    // UVs read from their true start ahead of those read a few pairs off, which fold
    // only where the unwrap's rows wrap.
    const double foldTerm = clamp01(1 - 0.5 * m.uvFoldedShare - 3 * std::max(0.0, m.uvFoldedShare - 0.1));
    // Every other term is at most 1.
    if (foldTerm < floor) {
        m.uvScore = foldTerm;
        return;
    }
    const double count = triangles.empty() ? 1 : static_cast<double>(triangles.size());
    std::uint64_t uvDegenerate = 0;
    std::vector<double> uvEdges;
    for (const auto& [i, sampled] : g.faces) {
        const auto& t = triangles[i];
        const auto& ua = uvs[t[0]];
        const auto& ub = uvs[t[1]];
        const auto& uc = uvs[t[2]];
        const double du1 = double{ub[0]} - ua[0], dv1 = double{ub[1]} - ua[1];
        const double du2 = double{uc[0]} - ua[0], dv2 = double{uc[1]} - ua[1];
        if (!(std::fabs(du1 * dv2 - du2 * dv1) > 1e-12)) ++uvDegenerate;
        if (sampled) uvEdges.push_back(std::hypot(du1, dv1));
    }
    std::uint64_t outside = 0;
    std::uint64_t farOutside = 0;
    std::uint64_t pairs = 0;
    std::uint64_t nonFinite = 0;
    double uvMagnitude = 0;
    std::array<double, 2> ulo{INFINITY, INFINITY};
    std::array<double, 2> uhi{-INFINITY, -INFINITY};
    for (std::size_t i = 0; i < uvs.size(); ++i) {
        if (!g.referenced[i]) continue;
        const auto& uv = uvs[i];
        if (!std::isfinite(uv[0]) || !std::isfinite(uv[1])) {
            ++nonFinite;
            continue;
        }
        ++pairs;
        if (uv[0] < 0 || uv[0] > 1 || uv[1] < 0 || uv[1] > 1) ++outside;
        if (uv[0] < -1 || uv[0] > 2 || uv[1] < -1 || uv[1] > 2) ++farOutside;
        for (int a = 0; a < 2; ++a) {
            ulo[a] = std::min(ulo[a], double{uv[a]});
            uhi[a] = std::max(uhi[a], double{uv[a]});
            uvMagnitude = std::max(uvMagnitude, std::fabs(double{uv[a]}));
        }
    }
    m.uvOutsideShare = pairs == 0 ? 1 : static_cast<double>(outside) / static_cast<double>(pairs);
    // A texture tiled once or twice past the square is common; floats misread lie further.
    // Words, which never lie outside, must not win on that alone.
    const double outsideTerm =
        pairs == 0 ? 0
                   : 1 - 0.4 * (0.25 * static_cast<double>(outside - farOutside) + static_cast<double>(farOutside)) /
                             static_cast<double>(pairs);
    m.uvDegenerateShare = static_cast<double>(uvDegenerate) / count;
    const double uvDiagonal = pairs == 0 ? 0 : std::hypot(uhi[0] - ulo[0], uhi[1] - ulo[1]);
    double continuity = 0;
    if (!uvEdges.empty() && uvDiagonal > 1e-4) {
        auto mid = uvEdges.begin() + static_cast<std::ptrdiff_t>(uvEdges.size() / 2);
        std::nth_element(uvEdges.begin(), mid, uvEdges.end());
        const double r = *mid / uvDiagonal * std::sqrt(count);
        continuity = clamp01((9.0 - r) / 4.0);
    }
    const double magnitudeTerm = uvMagnitude <= 64 ? 1 : (uvMagnitude <= 1024 ? 0.3 : 0);
    m.uvScore = nonFinite > 0 ? 0
                              : clamp01(continuity * magnitudeTerm * outsideTerm *
                                        (1 - m.uvDegenerateShare) * foldTerm);
}

CandidateMeasures measureMesh(const Mesh& mesh) { return measureTriangles(mesh.positions, mesh.uvs, mesh.triangles); }

}  // namespace nimbrel
