#include "find/index_blocks.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <type_traits>

#include "find/byte_lanes.h"
#include "find/mesh_measures.h"

namespace nimbrel {

namespace {

constexpr std::uint64_t kChunk = 16;          // elements judged together by the scan
constexpr std::uint32_t kSpread16 = 16384;    // widest range of values in one chunk
constexpr std::uint32_t kSpread32 = 1u << 20;
constexpr std::uint32_t kWideLimit = 1u << 24;  // the tool reads 24 bits of a DW index
constexpr std::uint32_t kRestart = 0xFFFF;
constexpr std::uint64_t kExtendLimit = 48;    // elements a run may grow by at each end
constexpr std::size_t kIsolatedTail = 2;  // faces sharing no edge that end a list read on
constexpr std::uint64_t kEdgeValues = 2 * kChunk;  // elements at a run's ends checked for outside data
constexpr std::uint64_t kRestartWindow = 96;  // values that must stay low after a restart
constexpr std::uint64_t kLeapWindow = 8;  // steps at a block's end looked at together
constexpr unsigned kOftenLeaps = 3;       // leaps among them that end it
constexpr std::uint64_t kSampleFaces = 1000;  // faces a layout guess is judged on
constexpr double kSimplerPreference = 0.01;
constexpr std::uint32_t kRecordSpread16 = 2048;  // widest range of the corners of one face record
constexpr std::uint32_t kRecordSpread32 = 1u << 16;
constexpr std::uint64_t kMaxRecordGap = 128;      // bytes of other face data a record may hold
constexpr std::uint64_t kRecordsToConfirm = 4;
constexpr unsigned kRecordRetries = 4;  // later starts tried on one rejected chain of records
constexpr std::size_t kChainsKept = 256;
// Record chains abound in other data (a list read at an odd byte): each is judged on this
// many faces before it is measured whole.
constexpr std::uint64_t kRecordSampleFaces = 128;
constexpr std::uint32_t kNeighbourFaces = 64;  // how far apart the corners of neighbouring faces lie
// Record readings of plain lists and of vertex data abound; only a clear mesh counts.
constexpr double kMinRecordScore = 0.6;
// Below this an index block names too few of its vertices, or names them at random.
constexpr double kMinIndexScore = 0.4;

// One index value of Size bytes at p.
template <std::uint8_t Size, bool BigEndian>
std::uint32_t load(const std::uint8_t* p) {
    if constexpr (Size == 2) return BigEndian ? std::uint32_t(p[0]) << 8 | p[1] : std::uint32_t(p[1]) << 8 | p[0];
    if constexpr (BigEndian) return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
    return std::uint32_t(p[3]) << 24 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
}

struct Stream {
    std::span<const std::uint8_t> model;
    std::uint8_t size;
    bool bigEndian;
    std::uint64_t first;

    bool has(std::uint64_t j) const { return first + (j + 1) * size <= model.size(); }
    std::uint32_t at(std::uint64_t j) const {
        const std::uint8_t* p = model.data() + first + j * size;
        if (size == 2) return bigEndian ? load<2, true>(p) : load<2, false>(p);
        return bigEndian ? load<4, true>(p) : load<4, false>(p);
    }
    bool isMarker(std::uint32_t v) const { return size == 2 && v == kRestart; }
};

// Whether the kChunk values of one stream from byte at look like face indices: close
// together, not all one value, few restart markers. Compiled per width and byte order:
// the scan asks this of every chunk of every stream.
template <std::uint8_t size, bool bigEndian>
bool goodChunk(const std::uint8_t* at) {
    std::uint32_t lo = UINT32_MAX;
    std::uint32_t hi = 0;
    unsigned markers = 0;
    constexpr std::uint32_t spread = size == 2 ? kSpread16 : kSpread32;
    for (std::uint64_t j = 0; j < kChunk; ++j) {
        const std::uint32_t v = load<size, bigEndian>(at + j * size);
        if (size == 2 && v == kRestart) {
            ++markers;
            continue;
        }
        if (v >= kWideLimit) return false;
        lo = std::min(lo, v);
        hi = std::max(hi, v);
        if (hi - lo >= spread) return false;
    }
    return markers <= kChunk / 3 && hi >= lo + 2;
}

struct Hypothesis {
    IndexTopology topology;
    std::uint8_t faceVertexCount;
    std::uint8_t gapElements;
    std::uint8_t phase;
};

// The triangles the tool makes of elements [begin, end) read as h, at most maxFaces faces
// (list) or values (strips); sets count to the values the block spans.
void buildTriangles(const Stream& s, std::uint64_t begin, std::uint64_t end, const Hypothesis& h,
                    std::uint64_t maxFaces, std::vector<std::array<std::uint32_t, 3>>& out, std::uint64_t& count,
                    bool& valid) {
    out.clear();
    valid = true;
    count = 0;
    const std::uint64_t start = begin + h.phase;
    if (start >= end) {
        valid = false;
        return;
    }
    if (h.topology == IndexTopology::List) {
        const std::uint64_t faceElements = h.faceVertexCount + h.gapElements;
        // The last face's gap may lie past the run: a gap of zeros ends up with the zero
        // padding after the block, cut off with it.
        const std::uint64_t faces = (end - start + h.gapElements) / faceElements;
        const std::uint64_t taken = std::min(faces, maxFaces);
        out.reserve(h.faceVertexCount == 4 ? 2 * taken : taken);
        for (std::uint64_t f = 0; f < taken; ++f) {
            std::uint32_t v[4];
            for (unsigned k = 0; k < h.faceVertexCount; ++k) {
                v[k] = s.at(start + f * faceElements + k);
                if (s.isMarker(v[k]) || v[k] >= kWideLimit) valid = false;
            }
            if (h.faceVertexCount == 4) {
                // The tool writes a quad's corners in the order first, second, fourth, third.
                out.push_back({v[0], v[1], v[3]});
                out.push_back({v[0], v[3], v[2]});
            } else {
                out.push_back({v[0], v[1], v[2]});
            }
        }
        count = faces * h.faceVertexCount;
        return;
    }
    const std::uint64_t values = std::min(end - start, maxFaces == UINT64_MAX ? maxFaces : maxFaces + 2);
    out.reserve(values);
    std::uint32_t a = 0;
    std::uint32_t b = 0;
    std::uint64_t length = 0;
    bool forward = true;
    for (std::uint64_t i = 0; i < values; ++i) {
        const std::uint32_t c = s.at(start + i);
        if (h.topology == IndexTopology::StripRestart) {
            if (s.isMarker(c)) {
                if (length <= 2) valid = false;
                length = 0;
                continue;
            }
            if (length >= 2) {
                const bool even = (length - 2) % 2 == 0;
                out.push_back({a, even ? b : c, even ? c : b});
            }
        } else {
            if (s.isMarker(c) || c >= kWideLimit) valid = false;
            if (length >= 2) {
                if (a != b && b != c && a != c) out.push_back({a, forward ? b : c, forward ? c : b});
                forward = !forward;
            }
        }
        a = b;
        b = c;
        ++length;
    }
    if (h.topology == IndexTopology::StripRestart && length > 0 && length <= 2) valid = false;
    count = end - start;
}

std::vector<Hypothesis> hypothesesFor(const Stream& s, bool hasMarkers) {
    std::vector<Hypothesis> list;
    if (hasMarkers) {
        list.push_back({IndexTopology::StripRestart, 3, 0, 0});
        return list;
    }
    for (std::uint8_t p = 0; p < 3; ++p) list.push_back({IndexTopology::List, 3, 0, p});
    for (std::uint8_t p = 0; p < 4; ++p) list.push_back({IndexTopology::List, 3, 1, p});
    for (std::uint8_t p = 0; p < 4; ++p) list.push_back({IndexTopology::List, 4, 0, p});
    for (std::uint8_t p = 0; p < 3; ++p) list.push_back({IndexTopology::Strip, 3, 0, p});
    (void)s;
    return list;
}

// Whether the fourth value of each group of four is a flags word rather than a corner
// (3DS writes one after every triangle): it stays far below what the corners name, or
// never changes.
bool fourthLooksLikeFlags(const Stream& s, std::uint64_t begin, std::uint64_t end, std::uint64_t phase) {
    const std::uint64_t start = begin + phase;
    if (start >= end) return false;
    const std::uint64_t faces = std::min<std::uint64_t>((end - start) / 4, kSampleFaces);
    if (faces < 4) return false;
    std::vector<std::uint32_t> corners, fourths;
    corners.reserve(3 * faces);
    fourths.reserve(faces);
    for (std::uint64_t f = 0; f < faces; ++f) {
        for (unsigned k = 0; k < 3; ++k) corners.push_back(s.at(start + 4 * f + k));
        fourths.push_back(s.at(start + 4 * f + 3));
    }
    const auto [smallestCorner, largestCorner] = std::minmax_element(corners.begin(), corners.end());
    const auto [smallestFourth, largestFourth] = std::minmax_element(fourths.begin(), fourths.end());
    const auto distinct = [](const std::vector<std::uint32_t>& v, std::uint32_t lo, std::uint32_t hi) {
        return distinctValues(lo, hi, v.size(), [&](auto&& take) {
            for (std::uint32_t x : v) take(x);
        });
    };
    const std::uint64_t cornerValues = distinct(corners, *smallestCorner, *largestCorner);
    const std::uint64_t fourthValues = distinct(fourths, *smallestFourth, *largestFourth);
    // Edge bits take a handful of values where the corners take many; a small mesh's
    // corners are few too, so its flags also stay below what the corners name.
    return fourthValues == 1 || std::uint64_t{*largestFourth} * 4 < *largestCorner ||
           (fourthValues <= 8 && 3 * fourthValues < cornerValues);
}

// How many of the last faces of a list share no edge with any other face: none where
// most of the last few share none, as in a mesh with a vertex per corner. A face is its
// run of per triangles (two for a quad, whose halves share their diagonal).
std::size_t isolatedTail(std::span<const std::array<std::uint32_t, 3>> triangles, std::size_t per) {
    constexpr std::size_t kEnd = 64;
    const std::size_t faces = triangles.size() / per;
    if (faces < 4 * kEnd) return 0;
    const auto edgeOf = [](std::uint32_t a, std::uint32_t b) {
        return a < b ? std::uint64_t{a} << 32 | b : std::uint64_t{b} << 32 | a;
    };
    // The edges of face f once each; a face naming a corner twice holds one edge twice,
    // and shares it with nothing.
    const auto edgesOf = [&](std::size_t f, std::array<std::uint64_t, 6>& out) {
        std::size_t n = 0;
        for (std::size_t t = f * per; t < (f + 1) * per && n + 3 <= out.size(); ++t) {
            if (hasRepeatedCorner(triangles[t])) continue;
            for (int e = 0; e < 3; ++e) {
                const std::uint64_t edge = edgeOf(triangles[t][e], triangles[t][(e + 1) % 3]);
                if (std::find(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(n), edge) ==
                    out.begin() + static_cast<std::ptrdiff_t>(n))
                    out[n++] = edge;
            }
        }
        return n;
    };
    std::array<std::uint64_t, 6> own{};
    std::vector<std::uint64_t> ends;
    for (std::size_t f = faces - kEnd; f < faces; ++f) {
        const std::size_t n = edgesOf(f, own);
        ends.insert(ends.end(), own.begin(), own.begin() + static_cast<std::ptrdiff_t>(n));
    }
    std::sort(ends.begin(), ends.end());
    ends.erase(std::unique(ends.begin(), ends.end()), ends.end());
    // Most edges of the list touch none of those faces' corners: a filter on the lower
    // corner rules them out before the search.
    std::array<std::uint64_t, 64> corners{};
    for (std::uint64_t e : ends) corners[(e >> 32) % 4096 / 64] |= std::uint64_t{1} << ((e >> 32) % 64);
    const auto slot = [&](std::uint64_t edge) {
        const std::uint64_t low = edge >> 32;
        if (!(corners[low % 4096 / 64] >> (low % 64) & 1)) return ends.size();
        const auto at = std::lower_bound(ends.begin(), ends.end(), edge);
        return at != ends.end() && *at == edge ? static_cast<std::size_t>(at - ends.begin()) : ends.size();
    };
    // How many faces of the whole list hold each of those edges.
    std::vector<std::uint32_t> uses(ends.size() + 1, 0);
    for (std::size_t f = 0; f < faces; ++f) {
        const std::size_t n = edgesOf(f, own);
        for (std::size_t k = 0; k < n; ++k) ++uses[slot(own[k])];
    }
    const auto shared = [&](std::size_t f) {
        const std::size_t n = edgesOf(f, own);
        for (std::size_t k = 0; k < n; ++k)
            if (uses[slot(own[k])] > 1) return true;
        return false;
    };
    std::size_t sharing = 0;
    for (std::size_t f = faces - kEnd; f < faces; ++f) sharing += shared(f);
    if (2 * sharing < kEnd) return 0;
    std::size_t tail = 0;
    while (tail < kEnd && !shared(faces - 1 - tail)) ++tail;
    return tail;
}

// A quarter above the 98th percentile of the corners: the ends of a block name vertices
// up to its largest, the bytes after it far more.
std::uint32_t bulkLimit(std::span<const std::array<std::uint32_t, 3>> triangles) {
    std::vector<std::uint32_t> corners;
    const std::size_t step = std::max<std::size_t>(1, triangles.size() / 4096);
    for (std::size_t i = 0; i < triangles.size(); i += step)
        corners.insert(corners.end(), triangles[i].begin(), triangles[i].end());
    if (corners.empty()) return UINT32_MAX;
    const auto at98 = corners.begin() + static_cast<std::ptrdiff_t>(corners.size() * 98 / 100);
    std::nth_element(corners.begin(), at98, corners.end());
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(UINT32_MAX, std::uint64_t{*at98} + *at98 / 4 + 16));
}

// The largest step between neighbouring values that a block of [first, last) still takes
// as its own: twice the 95th percentile of its steps. A restart marker neither steps nor
// repeats: the segments around it are their own.
struct Steps {
    const Stream& s;
    std::uint64_t limit = 0;

    Steps(const Stream& stream, std::uint64_t first, std::uint64_t last) : s(stream) {
        // Eight neighbouring steps at a time: one step per stride of a multiple of a face's
        // size would see one corner's steps alone (a grid row's 1s without its 222s).
        constexpr std::uint64_t kTogether = 8;
        std::vector<std::uint32_t> jumps;
        const std::uint64_t step = std::max<std::uint64_t>(kTogether, (last - first) / 4096 * kTogether);
        for (std::uint64_t j = first + 1; j < last; j += step)
            for (std::uint64_t k = j; k < std::min(last, j + kTogether); ++k) jumps.push_back(jump(k));
        const auto at95 = jumps.begin() + static_cast<std::ptrdiff_t>(jumps.size() * 95 / 100);
        std::nth_element(jumps.begin(), at95, jumps.end());
        limit = 2 * std::uint64_t{*at95} + 16;
    }
    std::uint32_t jump(std::uint64_t j) const {
        const std::uint32_t a = s.at(j - 1), b = s.at(j);
        if (s.isMarker(a) || s.isMarker(b)) return 0;
        return a > b ? a - b : b - a;
    }
    // Whether the values from j on (before j) are the data beside a block read on: one of
    // the first two steps leaps, or several of the first few do. Such data leaps at most
    // steps and now and then steps close by chance (text repeats its letters).
    bool leapsAtStart(std::uint64_t j) const {
        return jump(j + 1) > limit || jump(j + 2) > limit || leapsOften(j, true);
    }
    bool leapsAtEnd(std::uint64_t j) const {
        return jump(j - 1) > limit || jump(j - 2) > limit || leapsOften(j, false);
    }

private:
    bool leapsOften(std::uint64_t j, bool after) const {
        unsigned leaps = 0;
        for (std::uint64_t k = 1; k <= kLeapWindow; ++k) leaps += jump(after ? j + k : j - k) > limit;
        return leaps >= kOftenLeaps;
    }
};

// Values at a run's start that leap far from the ones after them, farther than the run
// ever steps inside, are the data before the block read on. Left in, one of them alone
// makes the first faces, on which each reading is judged, name a small part of the range
// they span. (The end is cut once the reading is known.)
void trimLeadingLeaps(const Stream& s, std::uint64_t& first, std::uint64_t last) {
    if (last - first < 16) return;
    const Steps steps(s, first, last);
    // No block starts on a restart marker or a segment too short for a face: a marker
    // among its first three values is the data before read on too.
    const auto readOn = [&] {
        return s.isMarker(s.at(first)) || s.isMarker(s.at(first + 1)) || s.isMarker(s.at(first + 2)) ||
               steps.leapsAtStart(first);
    };
    // The run was grown by up to kExtendLimit values, and its first chunk may hold some
    // of the data before too.
    for (std::uint64_t n = 0; n < kExtendLimit + kChunk && last - first > 16 && readOn(); ++n) ++first;
}

// A strip starts and ends on a whole triangle, and its values stay near the ones before:
// windows with a vertex twice at its ends are the zeros or padding beside it, and values
// that leap farther than the strip ever moves inside are the data around it read on.
void trimStripEnds(const Stream& s, std::uint64_t& first, std::uint64_t& last) {
    if (last - first < 8) return;
    const Steps steps(s, first, last);
    const auto repeats = [&](std::uint64_t j) {
        const std::uint32_t a = s.at(j), b = s.at(j + 1), c = s.at(j + 2);
        if (s.isMarker(a) || s.isMarker(b) || s.isMarker(c)) return false;
        return a == b || b == c || a == c;
    };
    const std::uint64_t keep = std::max<std::uint64_t>(8, (last - first) / 2);
    while (last - first > keep && (repeats(first) || steps.leapsAtStart(first))) ++first;
    while (last - first > keep && (repeats(last - 3) || steps.leapsAtEnd(last))) --last;
    while (last - first > keep && s.isMarker(s.at(first))) ++first;
    while (last - first > keep && s.isMarker(s.at(last - 1))) --last;
}

// The block elements [begin, end) of s make under the layout that fits them best.
bool bestBlock(const Stream& s, std::uint64_t begin, std::uint64_t end, std::uint64_t minTriangles,
               IndexBlock& block) {
    bool hasMarkers = false;
    for (std::uint64_t j = begin; j < end && !hasMarkers; ++j) hasMarkers = s.isMarker(s.at(j));
    if (hasMarkers) {
        // Restart strips begin after a marker and end before a cut segment.
        while (begin < end && s.isMarker(s.at(begin))) ++begin;
        std::uint64_t lastMarker = end;
        for (std::uint64_t j = end; j > begin; --j)
            if (s.isMarker(s.at(j - 1))) {
                lastMarker = j - 1;
                break;
            }
        if (lastMarker != end && end - lastMarker - 1 <= 2) end = lastMarker;
    }
    std::vector<std::array<std::uint32_t, 3>> triangles;
    double bestScore = -1;
    Hypothesis best{};
    // Groups of four at a phase are read as quads and as triangles with a gap of one value:
    // whether their fourth is a flags word is worked out once for both.
    std::array<std::int8_t, 4> flagsAfter{-1, -1, -1, -1};
    const auto fourthIsFlagsAt = [&](std::uint8_t phase) {
        if (flagsAfter[phase] < 0) flagsAfter[phase] = fourthLooksLikeFlags(s, begin, end, phase);
        return flagsAfter[phase] == 1;
    };
    for (const Hypothesis& h : hypothesesFor(s, hasMarkers)) {
        std::uint64_t count = 0;
        bool valid = false;
        const bool fourthIsFlags =
            h.topology == IndexTopology::List && h.faceVertexCount + h.gapElements == 4 && fourthIsFlagsAt(h.phase);
        if (fourthIsFlags && h.faceVertexCount == 4) continue;
        buildTriangles(s, begin, end, h, kSampleFaces, triangles, count, valid);
        if (!valid || triangles.size() < minTriangles) continue;
        CandidateMeasures m;
        measureIndices(triangles, m);
        // Faces followed by a flags word say so themselves; no other reading of those
        // values shows a column like that.
        const bool flagged = fourthIsFlags && m.indexScore >= kMinIndexScore;
        if (flagged || m.indexScore > bestScore + kSimplerPreference) {
            bestScore = m.indexScore;
            best = h;
        }
        if (flagged) break;
        // Scores stop at 1: no later, less simple reading can win by the margin.
        if (bestScore + kSimplerPreference >= 1) break;
    }
    if (bestScore < kMinIndexScore) return false;
    std::uint64_t count = 0;
    bool valid = false;
    buildTriangles(s, begin, end, best, UINT64_MAX, block.triangles, count, valid);
    if (!valid || block.triangles.size() < minTriangles) return false;
    std::uint64_t phase = best.phase;
    // Near the top of the index range the bytes after a list read as indices in range
    // too, but their faces share no edge with the mesh. A mesh may hold a lone face or
    // two (CAD parts do), so only a longer tail of them is cut.
    const auto cutIsolatedTail = [&](std::size_t per, std::uint64_t values) {
        const std::size_t tail = isolatedTail(block.triangles, per);
        if (tail < kIsolatedTail) return;
        block.triangles.resize(block.triangles.size() - tail * per);
        count -= values * tail;
    };
    // Drops the faces at either end that cut says belong to the bytes around the block;
    // a quad is its two triangles, cut where cut holds for both.
    const auto trimEnds = [&](auto&& cut) {
        const std::size_t per = best.faceVertexCount == 4 ? 2 : 1;
        const std::uint64_t faceElements = best.faceVertexCount + best.gapElements;
        auto& t = block.triangles;
        const auto cutAt = [&](std::size_t i) { return cut(t[i]) && (per == 1 || cut(t[i + 1])); };
        std::size_t lead = 0;
        while (lead + per <= t.size() && cutAt(lead)) lead += per;
        while (t.size() >= lead + per && cutAt(t.size() - per)) {
            t.resize(t.size() - per);
            count -= best.faceVertexCount;
        }
        t.erase(t.begin(), t.begin() + static_cast<std::ptrdiff_t>(lead));
        count -= best.faceVertexCount * (lead / per);
        phase += (lead / per) * faceElements;
    };
    if (best.topology == IndexTopology::List && best.faceVertexCount == 3) {
        // Faces of one vertex named twice at the ends are the zeros around the block.
        trimEnds(hasRepeatedCorner);
        // Faces far above what the block names elsewhere are the data around it read on.
        const std::uint32_t limit = bulkLimit(block.triangles);
        trimEnds([&](const std::array<std::uint32_t, 3>& t) { return std::max({t[0], t[1], t[2]}) > limit; });
        cutIsolatedTail(1, 3);
        if (block.triangles.size() < minTriangles) return false;
    } else if (best.topology == IndexTopology::List && best.faceVertexCount == 4) {
        // Quads of zeros are the padding around the block; a quad that is a triangle
        // (its last corner twice) keeps its other half.
        trimEnds(hasRepeatedCorner);
        cutIsolatedTail(2, 4);
        if (block.triangles.size() < minTriangles) return false;
    } else if (best.topology != IndexTopology::List) {
        std::uint64_t first = begin + phase;
        std::uint64_t last = end;
        trimStripEnds(s, first, last);
        if (first != begin + phase || last != end) {
            std::vector<std::array<std::uint32_t, 3>> trimmed;
            std::uint64_t trimmedCount = 0;
            bool trimmedValid = false;
            buildTriangles(s, first, last, {best.topology, best.faceVertexCount, best.gapElements, 0}, UINT64_MAX,
                           trimmed, trimmedCount, trimmedValid);
            // A cut that leaves a restart segment too short to read keeps the strip whole.
            if (trimmedValid && trimmed.size() >= minTriangles) {
                begin = first;
                end = last;
                phase = 0;
                block.triangles = std::move(trimmed);
                count = trimmedCount;
            }
        }
    }
    const std::uint64_t startByte = s.first + (begin + phase) * s.size;
    if (startByte > UINT32_MAX || count > UINT32_MAX) return false;
    block.start = static_cast<std::uint32_t>(startByte);
    block.count = static_cast<std::uint32_t>(count);
    block.indexSize = s.size;
    block.bigEndian = s.bigEndian;
    block.faceGap = static_cast<std::uint8_t>(best.gapElements * s.size);
    block.faceVertexCount = best.faceVertexCount;
    block.topology = best.topology;
    measureIndices(block.triangles, block.measures);
    if (block.measures.indexScore < kMinIndexScore) return false;
    block.minIndex = block.measures.minIndex;
    block.maxIndex = block.measures.maxIndex;
    return true;
}

}  // namespace

std::uint64_t IndexBlock::byteEnd() const {
    if (topology != IndexTopology::List) return std::uint64_t{start} + std::uint64_t{count} * indexSize;
    const std::uint64_t faces = count / faceVertexCount;
    return std::uint64_t{start} + faces * (std::uint64_t{faceVertexCount} * indexSize + faceGap);
}

std::vector<IndexRun> scanIndexRuns(std::span<const std::uint8_t> model, std::uint64_t from, std::uint64_t to,
                                    const std::atomic<bool>* cancel) {
    std::vector<IndexRun> runs;
    for (std::uint8_t size : {std::uint8_t{2}, std::uint8_t{4}})
        for (bool bigEndian : {false, true})
            for (std::uint64_t first = 0; first < size; ++first) {
                const Stream s{model, size, bigEndian, first};
                const std::uint64_t chunkBytes = kChunk * size;
                const auto good = size == 2 ? (bigEndian ? goodChunk<2, true> : goodChunk<2, false>)
                                            : (bigEndian ? goodChunk<4, true> : goodChunk<4, false>);
                std::uint64_t c = from > first ? (from - first + chunkBytes - 1) / chunkBytes : 0;
                bool open = false;
                IndexRun run{size, bigEndian, first, 0, 0};
                for (; first + c * chunkBytes < to && s.has((c + 1) * kChunk - 1); ++c) {
                    if ((c & 0xFFF) == 0 && cancel && cancel->load(std::memory_order_relaxed)) return runs;
                    if (good(model.data() + first + c * chunkBytes)) {
                        if (!open) run.begin = c * kChunk;
                        open = true;
                        run.end = (c + 1) * kChunk;
                    } else if (open) {
                        runs.push_back(run);
                        open = false;
                    }
                }
                if (open) runs.push_back(run);
            }
    return runs;
}

std::vector<IndexRun> joinRuns(std::vector<IndexRun> runs) {
    std::sort(runs.begin(), runs.end(), [](const IndexRun& a, const IndexRun& b) {
        if (a.indexSize != b.indexSize) return a.indexSize < b.indexSize;
        if (a.bigEndian != b.bigEndian) return a.bigEndian < b.bigEndian;
        if (a.first != b.first) return a.first < b.first;
        return a.begin < b.begin;
    });
    std::vector<IndexRun> joined;
    for (const IndexRun& r : runs) {
        if (!joined.empty()) {
            IndexRun& last = joined.back();
            if (last.indexSize == r.indexSize && last.bigEndian == r.bigEndian && last.first == r.first &&
                r.begin <= last.end) {
                last.end = std::max(last.end, r.end);
                continue;
            }
        }
        joined.push_back(r);
    }
    return joined;
}

std::vector<IndexBlock> resolveRun(std::span<const std::uint8_t> model, const IndexRun& run,
                                   std::uint64_t minTriangles) {
    const Stream s{model, run.indexSize, run.bigEndian, run.first};
    // A run's whole chunks may reach into the bytes after the block (the high halves of
    // floats are small numbers too): its ends are cut back to values near the bulk's.
    std::vector<std::uint32_t> values;
    values.reserve(run.end - run.begin);
    bool hasMarkers = false;
    for (std::uint64_t j = run.begin; j < run.end; ++j) {
        const std::uint32_t v = s.at(j);
        if (s.isMarker(v))
            hasMarkers = true;
        else
            values.push_back(v);
    }
    if (values.empty()) return {};
    const auto at98 = values.begin() + static_cast<std::ptrdiff_t>(values.size() * 98 / 100);
    std::nth_element(values.begin(), at98, values.end());
    const std::uint32_t bulk = *at98;
    const std::uint64_t limit = std::uint64_t{bulk} + bulk / 4 + 16;
    // The ends of a block may name vertices a little past what its whole chunks named.
    const std::uint64_t reach = limit + bulk / 8 + 64;
    auto plausible = [&](std::uint32_t v) {
        if (s.isMarker(v)) return hasMarkers;
        return v < kWideLimit && v <= reach;
    };
    std::uint64_t begin = run.begin;
    std::uint64_t end = run.end;
    // Whole chunks at the ends may mix the block's first or last values with the data
    // beside it (small words between the high halves of floats): the block starts after
    // the last value far above the bulk near its start, and ends before the first near
    // its end.
    const auto above = [&](std::uint64_t j) { return !s.isMarker(s.at(j)) && s.at(j) > limit; };
    for (std::uint64_t j = begin; j < end && j < begin + kEdgeValues; ++j)
        if (above(j)) begin = j + 1;
    for (std::uint64_t j = end > kEdgeValues ? std::max(begin, end - kEdgeValues) : begin; j < end; ++j)
        if (above(j)) {
            end = j;
            break;
        }
    for (std::uint64_t n = 0; n < kExtendLimit && begin > 0 && plausible(s.at(begin - 1)); ++n) --begin;
    for (std::uint64_t n = 0; n < kExtendLimit && s.has(end) && plausible(s.at(end)); ++n) ++end;
    trimLeadingLeaps(s, begin, end);

    // A new block numbers its vertices from 0 again: a low value after which the values
    // stay far below what the block before reached.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> pieces;
    std::uint64_t pieceStart = begin;
    std::uint32_t high = 0;
    // Values other than 0 in the piece so far: the zero padding before a block and the
    // zero gap words of its first faces, read with the next face as 0, 1, 2, start no
    // block of their own.
    std::uint64_t named = 0;
    for (std::uint64_t j = begin; j < end; ++j) {
        const std::uint32_t v = s.at(j);
        if (s.isMarker(v)) continue;
        if (v <= 3 && high >= 24 && j - pieceStart >= 36 && end - j >= 24) {
            std::uint32_t ahead = 0;
            for (std::uint64_t k = j; k < std::min(end, j + kRestartWindow) && ahead < high / 2; ++k) {
                const std::uint32_t w = s.at(k);
                if (!s.isMarker(w)) ahead = std::max(ahead, w);
            }
            // A first face of 0, 1 and 2 in any order starts the numbering again even where
            // the next block soon names more vertices than this one did.
            const std::uint32_t b = s.at(j + 1);
            const std::uint32_t c = s.at(j + 2);
            const bool firstFace = v <= 2 && b <= 2 && c <= 2 && v != b && b != c && v != c;
            if (ahead < high / 2 || (firstFace && named >= 36)) {
                pieces.emplace_back(pieceStart, j);
                pieceStart = j;
                high = 0;
                named = 0;
            }
        }
        high = std::max(high, v);
        named += v != 0;
    }
    pieces.emplace_back(pieceStart, end);

    std::vector<IndexBlock> blocks;
    for (const auto& [b, e] : pieces) {
        IndexBlock block;
        if (bestBlock(s, b, e, minTriangles, block)) blocks.push_back(std::move(block));
    }
    return blocks;
}

namespace {

// Lanes whose two values are corners the tool reads (below kWideLimit) and differ by 1 to
// spread; 16-bit lanes that wrap around to within it pass too, and the exact test sorts
// them out.
template <std::uint8_t size>
Lanes<size> closeLanes(Lanes<size> a, Lanes<size> b, std::uint32_t spread) {
    using Lane = std::remove_cvref_t<decltype(a[0])>;
    const Lane d = static_cast<Lane>(spread), width = static_cast<Lane>(2 * spread);
    const Lanes<size> diff = a - b + d;
    auto close = (Lanes<size>)(diff <= width) & (Lanes<size>)(a != b);
    if constexpr (size == 4) close &= (Lanes<size>)((a | b) < kWideLimit);
    return close;
}

// The starts in [from, to) where a face of 16- or 32-bit corners may begin: its first two
// corners close and its last two too. A set bit per start, sixteen starts judged at a time:
// most of a file's bytes start no face.
template <std::uint8_t size, bool bigEndian>
std::vector<std::uint64_t> faceStarts(std::span<const std::uint8_t> model, std::uint64_t from, std::uint64_t to,
                                      std::uint32_t spread) {
    const auto value = [&](std::uint64_t byte) { return load<size, bigEndian>(model.data() + byte); };
    const auto close = [&](std::uint64_t at) {
        const std::uint32_t a = value(at), b = value(at + size);
        return a < kWideLimit && b < kWideLimit && a != b && (a > b ? a - b : b - a) <= spread;
    };
    const auto exact = [&](std::uint64_t at) { return at + 3 * size <= model.size() && close(at) && close(at + size); };
    std::vector<std::uint64_t> bits((to - from + 63) / 64);
    const auto set = [&](std::uint64_t at) { bits[(at - from) / 64] |= std::uint64_t{1} << ((at - from) % 64); };
    std::uint64_t p = from;
    constexpr std::uint64_t kGroup = 16, kReach = kGroup + 3 * size;
    for (; p + kGroup <= to && p + kReach <= model.size(); p += kGroup) {
        const std::uint8_t* at = model.data() + p;
        if constexpr (size == 4) {
            // Corners below kWideLimit have a zero top byte: most groups have none.
            const std::uint64_t top = bigEndian ? 0 : 3;
            ByteLanes b0, b1, b2;
            std::memcpy(&b0, at + top, sizeof b0);
            std::memcpy(&b1, at + top + 4, sizeof b1);
            std::memcpy(&b2, at + top + 8, sizeof b2);
            if (!anyLane((ByteLanes)(b0 == 0) & (ByteLanes)(b1 == 0) & (ByteLanes)(b2 == 0))) continue;
        }
        Lanes<size> hits{};
        for (std::uint64_t k = 0; k < size; ++k) {
            const Lanes<size> a = lanesAt<size, bigEndian>(at + k), b = lanesAt<size, bigEndian>(at + k + size),
                              c = lanesAt<size, bigEndian>(at + k + 2 * size);
            hits |= closeLanes<size>(a, b, spread) & closeLanes<size>(b, c, spread);
        }
        if (!anyLane(hits)) continue;
        for (std::uint64_t k = 0; k < kGroup; ++k)
            if (exact(p + k)) set(p + k);
    }
    for (; p < to; ++p)
        if (exact(p)) set(p);
    return bits;
}

// The first set start in [p, stop) of a faceStarts map beginning at from; stop if none.
std::uint64_t nextStart(std::span<const std::uint64_t> bits, std::uint64_t from, std::uint64_t p, std::uint64_t stop) {
    while (p < stop) {
        const std::uint64_t word = bits[(p - from) / 64] >> ((p - from) % 64);
        if (word != 0) return std::min(stop, p + static_cast<std::uint64_t>(std::countr_zero(word)));
        p += 64 - (p - from) % 64;
    }
    return stop;
}

// One index width and byte order of the record scan, compiled for each.
template <std::uint8_t size, bool bigEndian>
void scanRecordStream(std::span<const std::uint8_t> model, std::uint64_t from, std::uint64_t to,
                      std::uint64_t minTriangles, std::span<const std::pair<std::uint64_t, std::uint64_t>> skip,
                      const std::atomic<bool>* cancel, std::vector<IndexBlock>& blocks) {
    const Stream s{model, size, bigEndian, 0};
    const std::uint32_t spread = size == 2 ? kRecordSpread16 : kRecordSpread32;
    const std::uint64_t triple = 3u * size;
    auto value = [&](std::uint64_t byte) { return load<size, bigEndian>(model.data() + byte); };
    // Three distinct values close together, the corners of one face.
    // Files keep the odd face with a corner twice, so only the first must be clean.
    auto face = [&](std::uint64_t byte, std::uint32_t& lo, std::uint32_t& hi, bool distinct = true) {
        if (byte + triple > model.size()) return false;
        const std::uint32_t a = value(byte), b = value(byte + size), c = value(byte + 2 * size);
        if (distinct && (a == b || b == c || a == c)) return false;
        if (a == b && b == c) return false;
        lo = std::min({a, b, c});
        hi = std::max({a, b, c});
        return hi < kWideLimit && !s.isMarker(hi) && hi - lo <= spread;
    };
    std::uint64_t p = from;
    struct Chain {
        std::uint64_t stride = 0, end = 0;
        unsigned retries = 0;
    };
    std::vector<Chain> rejected;
    auto nextSkip = std::lower_bound(skip.begin(), skip.end(), std::pair{p, std::uint64_t{0}},
                                     [](const auto& a, const auto& b) { return a.second <= b.first; });
    const std::uint64_t last = std::min<std::uint64_t>(to, model.size() >= triple ? model.size() - triple + 1 : 0);
    // A face near the part's end looks for the next one past it.
    const std::uint64_t startsEnd = std::min<std::uint64_t>(model.size(), std::max(last, from) + triple + kMaxRecordGap + 1);
    const std::vector<std::uint64_t> starts = faceStarts<size, bigEndian>(model, from, startsEnd, spread);
    for (; p < last; ++p) {
        if (cancel && cancel->load(std::memory_order_relaxed)) return;
        while (nextSkip != skip.end() && nextSkip->second <= p) ++nextSkip;
        if (nextSkip != skip.end() && nextSkip->first <= p) {
            p = nextSkip->second - 1;
            continue;
        }
        // Most bytes can start no face: the map passes them over, up to the next list found.
        const std::uint64_t stop = std::min(last, nextSkip != skip.end() ? nextSkip->first : last);
        p = nextStart(starts, from, p, stop);
        if (p >= stop) {
            --p;
            continue;
        }
        std::uint32_t lo = 0, hi = 0;
        if (!face(p, lo, hi)) continue;
        // The values right after belong to the next face in a plain list, which the
        // stream scan finds; here the record holds other bytes first.
        std::uint32_t nlo = 0, nhi = 0;
        if (face(p + triple, nlo, nhi) && nlo <= hi + kNeighbourFaces && nhi + kNeighbourFaces >= lo) continue;
        std::uint64_t stride = 0;
        // Only gaps that end where a face may start are tried.
        const std::uint64_t lastGap = std::min(p + triple + kMaxRecordGap + 1, startsEnd);
        for (std::uint64_t q = nextStart(starts, from, p + triple + 1, lastGap); q < lastGap && !stride;
             q = nextStart(starts, from, q + 1, lastGap)) {
            const std::uint64_t r = q - p;
            bool all = true;
            for (std::uint64_t f = 1; f <= kRecordsToConfirm && all; ++f) {
                std::uint32_t flo = 0, fhi = 0;
                all = face(p + f * r, flo, fhi) && std::max(hi, fhi) - std::min(lo, flo) <= 2 * spread;
            }
            if (all) stride = r;
        }
        if (!stride) continue;
        const auto known = std::find_if(rejected.begin(), rejected.end(), [&](const Chain& c) {
            return c.stride == stride && p < c.end && (c.end - p) % stride == 0;
        });
        if (known != rejected.end() && ++known->retries > kRecordRetries) continue;
        IndexBlock block;
        std::uint64_t q = p;
        std::uint32_t blockLo = lo, blockHi = hi;
        for (std::uint32_t flo = 0, fhi = 0; q < model.size() && face(q, flo, fhi, false); q += stride) {
            blockLo = std::min(blockLo, flo);
            blockHi = std::max(blockHi, fhi);
            block.triangles.push_back({value(q), value(q + size), value(q + 2 * size)});
        }
        if (block.triangles.size() >= minTriangles && p <= UINT32_MAX &&
            3 * block.triangles.size() <= UINT32_MAX) {
            block.start = static_cast<std::uint32_t>(p);
            block.count = static_cast<std::uint32_t>(3 * block.triangles.size());
            block.indexSize = size;
            block.bigEndian = bigEndian;
            block.faceGap = static_cast<std::uint8_t>(stride - triple);
            block.faceVertexCount = 3;
            block.topology = IndexTopology::List;
            // Judged on a sample first: a long stretch of non-mesh records costs
            // one sample, not one full measure per byte.
            CandidateMeasures sample;
            measureIndices(std::span(block.triangles).first(std::min<std::size_t>(kRecordSampleFaces,
                                                                                block.triangles.size())),
                           sample);
            // The first faces name only part of the vertices, so the sample's
            // coverage says little: faces that share edges count as covering.
            const double coverage = sample.indexCoverage;
            const double prefixScore = sample.indexScore * (0.3 + 0.7 * std::max(coverage, sample.pairedEdgeShare)) /
                                       (0.3 + 0.7 * coverage);
            if (prefixScore >= kMinIndexScore) {
                measureIndices(block.triangles, block.measures);
                block.minIndex = block.measures.minIndex;
                block.maxIndex = block.measures.maxIndex;
                if (block.measures.indexScore >= kMinRecordScore) {
                    blocks.push_back(std::move(block));
                    p = q - 1;
                    continue;
                }
            }
        }
        // A few stray records before a true block spoil its score, so a later
        // record of a rejected chain may start a block, a few times for one chain.
        if (known == rejected.end()) {
            // Chains of every phase of one stride interleave: a few are kept.
            if (rejected.size() >= kChainsKept) rejected.erase(rejected.begin());
            rejected.push_back({stride, q, 0});
        }
    }
}

// The blocks scan(width, bigEndian, blocks) finds in one of the kRecordStreams, with the
// width and byte order as compile-time constants.
template <class Scan>
std::vector<IndexBlock> scanStream(int stream, Scan&& scan) {
    std::vector<IndexBlock> blocks;
    using Narrow = std::integral_constant<std::uint8_t, 2>;
    using Wide = std::integral_constant<std::uint8_t, 4>;
    switch (stream) {
        case 0: scan(Narrow{}, std::false_type{}, blocks); break;
        case 1: scan(Narrow{}, std::true_type{}, blocks); break;
        case 2: scan(Wide{}, std::false_type{}, blocks); break;
        case 3: scan(Wide{}, std::true_type{}, blocks); break;
        default: break;
    }
    return blocks;
}

}  // namespace

std::vector<IndexBlock> scanFaceRecords(std::span<const std::uint8_t> model, std::uint64_t from, std::uint64_t to,
                                        std::uint64_t minTriangles,
                                        std::span<const std::pair<std::uint64_t, std::uint64_t>> skip,
                                        const std::atomic<bool>* cancel, int stream) {
    to = std::min<std::uint64_t>(to, model.size());
    return scanStream(stream, [&](auto width, auto bigEndian, std::vector<IndexBlock>& blocks) {
        scanRecordStream<width(), bigEndian()>(model, from, to, minTriangles, skip, cancel, blocks);
    });
}

namespace {

constexpr std::uint32_t kSmallVertices = 256;  // a small block names fewer
constexpr std::uint64_t kSmallWindow = 256;    // small values in a row that small blocks lie among
constexpr std::size_t kSmallPerWindow = 64;
constexpr std::size_t kSmallBlocks = 1024;  // per stream and part
constexpr std::size_t kSmallWindows = 4096;  // per stream and part: files of small integers hold many

using Triangle = std::array<std::uint32_t, 3>;

// How many of the first faces hold together: no corner twice, no face twice, and no edge
// twice the same way round, which would put two faces on one side of it.
std::size_t coherentFaces(std::span<const Triangle> faces) {
    std::vector<std::uint64_t> edges;
    std::vector<Triangle> seen;
    for (std::size_t i = 0; i < faces.size(); ++i) {
        const Triangle& t = faces[i];
        if (hasRepeatedCorner(t)) return i;
        Triangle sorted = t;
        std::sort(sorted.begin(), sorted.end());
        if (std::find(seen.begin(), seen.end(), sorted) != seen.end()) return i;
        for (int e = 0; e < 3; ++e) {
            const std::uint64_t edge = std::uint64_t{t[e]} << 32 | t[(e + 1) % 3];
            if (std::find(edges.begin(), edges.end(), edge) != edges.end()) return i;
        }
        for (int e = 0; e < 3; ++e) edges.push_back(std::uint64_t{t[e]} << 32 | t[(e + 1) % 3]);
        seen.push_back(sorted);
    }
    return faces.size();
}

struct SmallPiece {
    std::uint64_t begin = 0;  // element
    std::uint64_t count = 0;  // values
    IndexTopology topology = IndexTopology::List;
    std::vector<Triangle> triangles;
};

// The longest coherent list and strip from element j of [j, end), where shorter than a
// small block: a list's faces at its ends that share no edge are the data beside it, a
// face alone inside makes no surface.
void piecesFrom(const Stream& s, std::uint64_t j, std::uint64_t end, std::vector<SmallPiece>& out) {
    std::vector<Triangle> faces;
    for (std::uint64_t k = j; k + 3 <= end && faces.size() < kSmallBlockFaces; k += 3)
        faces.push_back({s.at(k), s.at(k + 1), s.at(k + 2)});
    faces.resize(coherentFaces(faces));
    if (faces.size() >= kSmallBlockFaces) faces.clear();
    std::size_t lead = 0;
    while (lead < faces.size() && !sharesAnEdge(faces, lead)) ++lead;
    while (faces.size() > lead && !sharesAnEdge(faces, faces.size() - 1)) faces.pop_back();
    faces.erase(faces.begin(), faces.begin() + static_cast<std::ptrdiff_t>(lead));
    if (faces.size() >= 2 && eachSharesAnEdge(faces))
        out.push_back({j + 3 * lead, 3 * faces.size(), IndexTopology::List, faces});

    std::vector<Triangle> strip;
    bool forward = true;
    for (std::uint64_t k = j; k + 3 <= end && strip.size() < kSmallBlockFaces; ++k, forward = !forward) {
        const std::uint32_t a = s.at(k), b = s.at(k + 1), c = s.at(k + 2);
        strip.push_back({a, forward ? b : c, forward ? c : b});
    }
    strip.resize(coherentFaces(strip));
    if (strip.size() >= 2 && strip.size() < kSmallBlockFaces)
        out.push_back({j, strip.size() + 2, IndexTopology::Strip, strip});
}

// One index width and byte order of the small block scan, compiled for each: it looks at
// every fourth value of every stream.
template <std::uint8_t size, bool bigEndian>
void scanSmallStream(std::span<const std::uint8_t> model, std::uint64_t from, std::uint64_t to,
                     std::uint64_t minTriangles, std::span<const std::pair<std::uint64_t, std::uint64_t>> skip,
                     const std::atomic<bool>* cancel, std::vector<IndexBlock>& blocks) {
    const auto skipped = [&](std::uint64_t begin, std::uint64_t end) {
        const auto after = std::upper_bound(skip.begin(), skip.end(), std::pair{end, std::uint64_t{0}});
        return after != skip.begin() && std::prev(after)->second > begin;
    };
    for (std::uint64_t first = 0; first < size; ++first) {
        const Stream s{model, size, bigEndian, first};
        std::size_t windows = 0;
        const std::uint64_t least = from > first ? (from - first + size - 1) / size : 0;
        const auto small = [&](std::uint64_t k) {
            return s.has(k) && load<size, bigEndian>(model.data() + first + k * size) < kSmallVertices;
        };
        // A stretch of four or more values holds a multiple of four: the others are looked
        // at only around one that is small.
        for (std::uint64_t j = (least + 3) / 4 * 4;
             s.has(j) && first + j * size < to && windows < kSmallWindows && blocks.size() < kSmallBlocks; j += 4) {
            if ((j & 0xFFFF) == 0 && cancel && cancel->load(std::memory_order_relaxed)) return;
            if (!small(j)) continue;
            // No further back than a stretch may reach, nor further on than the part where
            // it is already too long: the neighbouring parts see the rest.
            std::uint64_t begin = j, end = j;
            while (begin > 0 && j - begin <= kSmallWindow && small(begin - 1)) --begin;
            while (small(end) && (end - begin <= kSmallWindow || first + end * size < to)) ++end;
            j = (end + 3) / 4 * 4 - 4;
            // A stretch that began before from is the part before's.
            if (begin < least || end - begin < 4 || end - begin > kSmallWindow) continue;
            ++windows;
            std::vector<SmallPiece> pieces;
            for (std::uint64_t k = begin; k + 3 <= end; ++k) piecesFrom(s, k, end, pieces);
            // The most faces first; of pieces with as many, the first.
            std::stable_sort(pieces.begin(), pieces.end(), [](const SmallPiece& a, const SmallPiece& b) {
                return a.triangles.size() > b.triangles.size();
            });
            // Which of them is the mesh only its vertices tell (a strip of a mesh's points folds
            // its faces back): each goes on, bar the tail of a longer one read the same way.
            struct Taken {
                std::uint64_t begin, end;
                IndexTopology topology;
            };
            std::vector<Taken> taken;
            for (SmallPiece& piece : pieces) {
                if (taken.size() >= kSmallPerWindow) break;
                if (piece.triangles.size() < std::max<std::uint64_t>(minTriangles, 2)) continue;
                const std::uint64_t b = first + piece.begin * size, e = b + piece.count * size;
                if (skipped(b, e) || b > UINT32_MAX) continue;
                if (std::any_of(taken.begin(), taken.end(), [&](const Taken& t) {
                        return t.topology == piece.topology && t.begin <= b && e <= t.end;
                    }))
                    continue;
                IndexBlock block;
                block.start = static_cast<std::uint32_t>(b);
                block.count = static_cast<std::uint32_t>(piece.count);
                block.indexSize = size;
                block.bigEndian = bigEndian;
                block.topology = piece.topology;
                block.triangles = std::move(piece.triangles);
                measureIndices(block.triangles, block.measures);
                block.minIndex = block.measures.minIndex;
                block.maxIndex = block.measures.maxIndex;
                // A small mesh names nearly every vertex of its range.
                const std::uint64_t named = distinctValues(block.minIndex, block.maxIndex, 3 * block.triangles.size(),
                                                           [&](auto&& take) {
                                                               for (const Triangle& t : block.triangles)
                                                                   for (std::uint32_t v : t) take(v);
                                                           });
                if (4 * named < 3 * (std::uint64_t{block.maxIndex} - block.minIndex + 1)) continue;
                block.amid = {first + begin * size, first + end * size};
                taken.push_back({b, e, piece.topology});
                blocks.push_back(std::move(block));
            }
        }
    }
}

}  // namespace

std::vector<IndexBlock> scanSmallBlocks(std::span<const std::uint8_t> model, std::uint64_t from, std::uint64_t to,
                                        std::uint64_t minTriangles,
                                        std::span<const std::pair<std::uint64_t, std::uint64_t>> skip,
                                        const std::atomic<bool>* cancel, int stream) {
    to = std::min<std::uint64_t>(to, model.size());
    return scanStream(stream, [&](auto width, auto bigEndian, std::vector<IndexBlock>& blocks) {
        scanSmallStream<width(), bigEndian()>(model, from, to, minTriangles, skip, cancel, blocks);
    });
}

}  // namespace nimbrel
