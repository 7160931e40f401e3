#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "find/index_blocks.h"
#include "find/layout_finder.h"
#include "find/mesh_measures.h"

namespace nimbrel {
namespace {

using Bytes = std::vector<std::uint8_t>;

void put(Bytes& out, std::uint32_t v, int size, bool bigEndian) {
    for (int i = 0; i < size; ++i) {
        const int shift = bigEndian ? 8 * (size - 1 - i) : 8 * i;
        out.push_back(static_cast<std::uint8_t>(v >> shift));
    }
}
void putFloat(Bytes& out, float f, bool bigEndian) { put(out, std::bit_cast<std::uint32_t>(f), 4, bigEndian); }

void junk(Bytes& out, std::size_t n, std::mt19937& rng) {
    for (std::size_t i = 0; i < n; ++i) out.push_back(static_cast<std::uint8_t>(rng()));
}

/// A wavy grid of n x n vertices: a surface any reader would call a mesh.
Mesh grid(int n) {
    Mesh m;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            m.positions.push_back({x * 0.5f - 3.0f, std::sin(x * 0.4f) * std::cos(y * 0.3f) + 2.0f, y * 0.5f + 1.0f});
    for (int y = 0; y + 1 < n; ++y)
        for (int x = 0; x + 1 < n; ++x) {
            const std::uint32_t a = y * n + x;
            m.triangles.push_back({a, a + 1, a + static_cast<std::uint32_t>(n)});
            m.triangles.push_back({a + 1, a + static_cast<std::uint32_t>(n) + 1, a + static_cast<std::uint32_t>(n)});
        }
    return m;
}

struct Encoding {
    int indexSize;
    bool bigEndian;
    std::uint32_t stride;
    std::uint32_t offset;  // position inside the record
};

struct Placed {
    Bytes file;
    std::uint32_t indexStart;
    std::uint32_t vertexStart;
};

Placed place(const Mesh& mesh, const Encoding& e, std::mt19937& rng) {
    Placed p;
    junk(p.file, 997, rng);
    p.vertexStart = static_cast<std::uint32_t>(p.file.size() + e.offset);
    for (const auto& v : mesh.positions) {
        const std::size_t record = p.file.size();
        for (std::uint32_t k = 0; k < e.offset / 4; ++k) putFloat(p.file, 0.577f, e.bigEndian);
        for (float c : v) putFloat(p.file, c, e.bigEndian);
        while (p.file.size() < record + e.stride) p.file.push_back(0x11);
    }
    junk(p.file, 333, rng);
    p.indexStart = static_cast<std::uint32_t>(p.file.size());
    for (const auto& t : mesh.triangles)
        for (std::uint32_t v : t) put(p.file, v, e.indexSize, e.bigEndian);
    const std::string text = "a line of text after the mesh data, as headers and names leave it\n";
    p.file.insert(p.file.end(), text.begin(), text.end());
    return p;
}

TEST(LayoutFinder, FindsGeneratedMeshesInEachEncodingFirst) {
    const Mesh mesh = grid(20);
    std::mt19937 rng(7);
    const Encoding cases[] = {{2, false, 12, 0}, {4, false, 12, 0}, {4, true, 24, 12}, {2, false, 24, 12}, {4, false, 20, 8}};
    for (const Encoding& e : cases) {
        SCOPED_TRACE(::testing::Message() << "index " << e.indexSize << " be " << e.bigEndian << " stride "
                                          << e.stride << " offset " << e.offset);
        const Placed p = place(mesh, e, rng);
        const auto found = findLayouts(p.file, FindOptions{});
        ASSERT_FALSE(found.empty());
        const LayoutSettings& s = found.front().settings;
        EXPECT_EQ(s.faceIndexStart, p.indexStart);
        EXPECT_EQ(s.faceIndexCnt, mesh.triangles.size() * 3);
        EXPECT_EQ(s.indexSize, e.indexSize);
        EXPECT_EQ(s.bigEndian, e.bigEndian);
        EXPECT_FALSE(s.stripMode);
        EXPECT_EQ(s.vertexFormat, VertexFormat::Float);
        EXPECT_EQ(s.vertexStart, p.vertexStart);
        EXPECT_EQ(s.fvfSize, e.stride);
        EXPECT_EQ(s.vertsCnt, mesh.positions.size());
        EXPECT_EQ(found.front().uvLocation, UvLocation::None);
        EXPECT_GT(found.front().score, 0.7);
    }
}

// The faces of an n x n grid as quads.
std::vector<std::array<std::uint32_t, 4>> gridQuads(std::uint32_t n) {
    std::vector<std::array<std::uint32_t, 4>> quads;
    for (std::uint32_t y = 0; y + 1 < n; ++y)
        for (std::uint32_t x = 0; x + 1 < n; ++x) quads.push_back({y * n + x, y * n + x + 1, y * n + x + n, y * n + x + n + 1});
    return quads;
}

// The block of one list of faces as the resolver reads it, the list written between
// random bytes, with the values of after right behind it.
template <class Faces>
IndexBlock resolvedList(const Faces& faces, int indexSize, std::mt19937& rng,
                        std::initializer_list<std::uint32_t> after = {}, bool zeroPadding = false, bool zeroGap = false,
                        bool zerosAfter = false) {
    Bytes file;
    junk(file, 100, rng);
    if (zeroPadding) file.resize(file.size() + 96, 0);
    const auto start = static_cast<std::uint32_t>(file.size());
    for (const auto& f : faces) {
        for (std::uint32_t v : f) put(file, v, indexSize, false);
        if (zeroGap) put(file, 0, indexSize, false);
    }
    for (std::uint32_t v : after) put(file, v, indexSize, false);
    if (zerosAfter) file.resize(file.size() + 96, 0);
    junk(file, 96, rng);
    std::vector<IndexBlock> found;
    for (const IndexRun& run : joinRuns(scanIndexRuns(file, 0, file.size(), nullptr)))
        for (IndexBlock& b : resolveRun(file, run, 8))
            if (b.indexSize == indexSize && !b.bigEndian && b.start + 48 * indexSize >= start &&
                b.start <= start + 48 * indexSize)
                found.push_back(std::move(b));
    EXPECT_EQ(found.size(), 1u);
    if (found.empty()) return {};
    EXPECT_EQ(found[0].start, start);
    return found[0];
}

// A 16-bit list of values near the top of their range: the bytes after it read as indices
// in range too, and the list ends where its faces stop sharing edges (a face naming a
// corner twice shares its own edge with nothing). A 32-bit list of a grid: its first faces
// step a row at a time, which a sample of its steps taken a multiple of six values apart
// never sees. A list with a zero word after each face, between zero padding: the padding
// and a gap word read with the next face as 0, 1, 2 are no block of their own, and the
// last face's gap, cut with the zeros after it, keeps its face. Quads near the top of the
// range end as the triangles do, and quads after zero padding begin where their first
// corners do, not in the zeros.
TEST(LayoutFinder, ResolvesBothEndsOfLargeLists) {
    std::mt19937 rng(41);
    constexpr std::uint32_t kHigh = 60000;  // the first vertex the lists near the top name
    const auto shifted = [](auto faces) {
        for (auto& f : faces)
            for (auto& v : f) v += kHigh;
        return faces;
    };
    const auto top = shifted(grid(40).triangles);
    const IndexBlock nearTop = resolvedList(top, 2, rng, {60001, 1234, 40000, 50000, 777, 50000, 3210, 45678, 12});
    EXPECT_EQ(nearTop.count, 3 * top.size());
    EXPECT_EQ(nearTop.maxIndex, kHigh + 40 * 40 - 1);
    const Mesh rows = grid(68);
    const IndexBlock fromTheFirstRow = resolvedList(rows.triangles, 4, rng);
    EXPECT_EQ(fromTheFirstRow.count, 3 * rows.triangles.size());
    EXPECT_EQ(fromTheFirstRow.minIndex, 0u);
    const Mesh gapped = grid(40);
    const IndexBlock withGaps = resolvedList(gapped.triangles, 2, rng, {}, true, true, true);
    EXPECT_EQ(withGaps.count, 3 * gapped.triangles.size());
    EXPECT_EQ(withGaps.faceGap, 2);
    const auto quads = shifted(gridQuads(40));
    const IndexBlock quadsNearTop = resolvedList(quads, 2, rng, {61000, 300, 40000, 52000, 7, 5000, 64000, 9});
    EXPECT_EQ(quadsNearTop.faceVertexCount, 4);
    EXPECT_EQ(quadsNearTop.count, 4 * quads.size());
    const auto padded = gridQuads(30);
    const IndexBlock quadsAfterZeros = resolvedList(padded, 2, rng, {}, true);
    EXPECT_EQ(quadsAfterZeros.faceVertexCount, 4);
    EXPECT_EQ(quadsAfterZeros.count, 4 * padded.size());
}

TEST(LayoutFinder, TellsBackToBackBlocksApart) {
    const Mesh a = grid(20);
    const Mesh b = grid(17);
    std::mt19937 rng(3);
    Bytes file;
    junk(file, 501, rng);
    const std::uint32_t va = static_cast<std::uint32_t>(file.size());
    for (const auto& v : a.positions)
        for (float c : v) putFloat(file, c, false);
    const std::uint32_t vb = static_cast<std::uint32_t>(file.size());
    for (const auto& v : b.positions)
        for (float c : v) putFloat(file, c + 10.0f, false);
    junk(file, 77, rng);
    const std::uint32_t ia = static_cast<std::uint32_t>(file.size());
    for (const auto& t : a.triangles)
        for (std::uint32_t v : t) put(file, v, 2, false);
    const std::uint32_t ib = static_cast<std::uint32_t>(file.size());
    for (const auto& t : b.triangles)
        for (std::uint32_t v : t) put(file, v, 2, false);
    junk(file, 64, rng);
    const auto found = findLayouts(file, FindOptions{});
    for (auto [start, vertexStart, count] : {std::tuple{ia, va, a.triangles.size() * 3}, std::tuple{ib, vb, b.triangles.size() * 3}}) {
        SCOPED_TRACE(start);
        const LayoutCandidate* best = nullptr;
        for (const auto& c : found)
            if (c.settings.faceIndexStart == start && (!best || c.score > best->score)) best = &c;
        ASSERT_NE(best, nullptr);
        EXPECT_EQ(best->settings.faceIndexCnt, count);
        EXPECT_EQ(best->settings.vertsCnt, count == a.triangles.size() * 3 ? a.positions.size() : b.positions.size());
        (void)vertexStart;
    }
}

// A unit normal for each vertex, packed little-endian floats, as formats write a block of
// normals before the positions.
void putNormals(Bytes& file, const Mesh& mesh) {
    for (const auto& v : mesh.positions) {
        const float n[3] = {std::sin(v[0]), 1.0f, std::cos(v[2])};
        const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        for (float c : n) putFloat(file, c / length, false);
    }
}

// Blocks as glTF buffers hold them: each mesh's normals, then its positions, back to back
// after other float data, the UVs of the second mesh after both, then the two index lists.
TEST(LayoutFinder, FindsBlocksWrittenBackToBackAfterOtherFloats) {
    const Mesh a = grid(20);
    const Mesh b = grid(14);
    std::mt19937 rng(9);
    std::uniform_real_distribution<float> noise(-50.0f, 50.0f);
    Bytes file;
    junk(file, 301, rng);
    for (int i = 0; i < 120; ++i) putFloat(file, noise(rng), false);
    std::uint32_t positions[2] = {};
    int which = 0;
    for (const Mesh* m : {&a, &b}) {
        putNormals(file, *m);
        positions[which++] = static_cast<std::uint32_t>(file.size());
        for (const auto& v : m->positions)
            for (float c : v) putFloat(file, c, false);
    }
    const std::uint32_t uvs = static_cast<std::uint32_t>(file.size());
    for (int y = 0; y < 14; ++y)
        for (int x = 0; x < 14; ++x) {
            putFloat(file, x / 13.0f, false);
            putFloat(file, y / 13.0f, false);
        }
    std::uint32_t indices[2] = {};
    which = 0;
    for (const Mesh* m : {&a, &b}) {
        indices[which++] = static_cast<std::uint32_t>(file.size());
        for (const auto& t : m->triangles)
            for (std::uint32_t v : t) put(file, v, 2, false);
    }
    const auto found = findLayouts(file, FindOptions{});
    for (int k = 0; k < 2; ++k) {
        SCOPED_TRACE(k);
        const LayoutCandidate* best = nullptr;
        for (const auto& c : found)
            if (c.settings.faceIndexStart == indices[k] && (!best || c.score > best->score)) best = &c;
        ASSERT_NE(best, nullptr);
        EXPECT_EQ(best->settings.vertexStart, positions[k]);
        EXPECT_EQ(best->settings.fvfSize, 12);
        EXPECT_EQ(best->uvLocation, k == 0 ? UvLocation::None : UvLocation::SeparateBlock);
        if (k == 1) {
            EXPECT_EQ(best->settings.uvBlockStart, uvs);
        }
    }
}

// Packed little-endian float positions; returns where they start.
std::uint32_t putPositions(Bytes& file, const Mesh& mesh) {
    const auto start = static_cast<std::uint32_t>(file.size());
    for (const auto& v : mesh.positions)
        for (float c : v) putFloat(file, c, false);
    return start;
}

// The triangles as a list of 16-bit indices; returns where it starts.
std::uint32_t putTriangles(Bytes& file, const Mesh& mesh, bool bigEndian) {
    const auto start = static_cast<std::uint32_t>(file.size());
    for (const auto& t : mesh.triangles)
        for (std::uint32_t v : t) put(file, v, 2, bigEndian);
    return start;
}

// A grid read a few records on is the same grid again; a jittered one is not.
Mesh jittered(Mesh mesh) {
    for (std::size_t i = 0; i < mesh.positions.size(); ++i) {
        mesh.positions[i][0] += 0.2f * std::sin(static_cast<float>(i) * 12.9898f);
        mesh.positions[i][2] += 0.2f * std::cos(static_cast<float>(i) * 78.233f);
    }
    return mesh;
}

// Rows of a grid as one strip, joined by a repeated value and the next row's first, or
// by a restart marker.
std::vector<std::uint32_t> gridStrip(int n, bool restart = false) {
    std::vector<std::uint32_t> strip;
    for (int y = 0; y + 1 < n; ++y) {
        if (y > 0 && restart) strip.push_back(0xffff);
        if (y > 0 && !restart) {
            strip.push_back(strip.back());
            strip.push_back(static_cast<std::uint32_t>((y + 1) * n));
        }
        for (int x = 0; x < n; ++x) {
            strip.push_back(static_cast<std::uint32_t>((y + 1) * n + x));
            strip.push_back(static_cast<std::uint32_t>(y * n + x));
        }
    }
    return strip;
}

std::uint16_t toHalf(float f) {
    const std::uint32_t b = std::bit_cast<std::uint32_t>(f);
    if ((b & 0x7fffffff) == 0) return static_cast<std::uint16_t>(b >> 16);
    return static_cast<std::uint16_t>(((b >> 16) & 0x8000) | ((((b >> 23) & 0xff) - 112) << 10) | ((b >> 13) & 0x3ff));
}

// The best candidate's settings, checked for where its index and vertex blocks start.
LayoutSettings bestLayoutAt(const Bytes& file, std::uint32_t indices, std::uint32_t vertices) {
    const auto found = findLayouts(file, FindOptions{});
    if (found.empty()) {
        ADD_FAILURE() << "no layout found";
        return {};
    }
    EXPECT_EQ(found.front().settings.faceIndexStart, indices);
    EXPECT_EQ(found.front().settings.vertexStart, vertices);
    return found.front().settings;
}

// A strip of 16-bit indices naming tens of thousands of vertices: every word of the bytes
// around it is a value it could name, so only the strip's own steps tell where it ends;
// a restart strip ends before the bytes after it, even where those hold a marker.
// Half positions apart from their indices, with other bytes between, are found as halves.
TEST(LayoutFinder, FindsWhereStripsEndAndHalfBlocksApart) {
    std::mt19937 rng(13);
    for (bool restart : {false, true}) {
        SCOPED_TRACE(restart);
        const Mesh big = jittered(grid(212));
        Bytes file;
        // Random bytes right before packed positions may still be read as their first
        // float; the restart case is about its indices, so its positions open the file.
        if (!restart) junk(file, 200, rng);
        const std::uint32_t vertices = putPositions(file, big);
        // Text reads as values in range, stepping close now and then where letters repeat;
        // a restart marker in it a little before the strip is no segment of the strip.
        const std::string text = "Lorem ipsum dolor sit amet, sed do eiusmod tempor incididunt ut labore";
        if (restart) {
            junk(file, 96, rng);
            file.insert(file.end(), text.begin(), text.end());
            put(file, 0xffff, 2, false);
            file.insert(file.end(), text.begin(), text.begin() + 20);
        } else {
            file.resize(file.size() + 96, 0);
        }
        const std::uint32_t indices = static_cast<std::uint32_t>(file.size());
        const std::vector<std::uint32_t> strip = gridStrip(212, restart);
        for (std::uint32_t v : strip) put(file, v, 2, false);
        if (restart) file.insert(file.end(), text.begin(), text.end());
        junk(file, 300, rng);
        const LayoutSettings s = bestLayoutAt(file, indices, vertices);
        EXPECT_EQ(s.faceIndexCnt, strip.size());
        EXPECT_TRUE(s.stripMode);
        EXPECT_EQ(s.ffffSeparator, restart);
        EXPECT_EQ(s.vertsCnt, big.positions.size());
    }
    for (bool bigEndian : {false, true}) {
        SCOPED_TRACE(bigEndian);
        const Mesh mesh = grid(20);
        Bytes file;
        junk(file, 300, rng);
        const std::uint32_t vertices = static_cast<std::uint32_t>(file.size());
        for (const auto& v : mesh.positions) {
            for (float c : v) put(file, toHalf(c), 2, bigEndian);
            put(file, 0x3c00, 2, bigEndian);
            put(file, 0x1234, 2, bigEndian);
        }
        junk(file, 1500, rng);
        const std::uint32_t indices = putTriangles(file, mesh, bigEndian);
        junk(file, 100, rng);
        const LayoutSettings s = bestLayoutAt(file, indices, vertices);
        EXPECT_EQ(s.vertexFormat, VertexFormat::HF_all);
        EXPECT_EQ(s.fvfSize, 10);
    }
}

// UV blocks of their own, a little apart from the positions with other bytes between,
// are found from their first pair, in the encoding they are written in.
TEST(LayoutFinder, FindsUvBlocksApartFromTheirPositions) {
    std::mt19937 rng(17);
    std::uniform_real_distribution<float> noise(-50.0f, 50.0f);
    for (bool half : {false, true}) {
        SCOPED_TRACE(half);
        const Mesh mesh = jittered(grid(24));
        Bytes file;
        junk(file, 400, rng);
        const std::uint32_t vertices = putPositions(file, mesh);
        for (int i = 0; i < 37; ++i) putFloat(file, noise(rng), false);
        const std::uint32_t uvs = static_cast<std::uint32_t>(file.size());
        for (const auto& v : mesh.positions)
            for (float c : {(v[0] + 3) / 12, (v[2] - 1) / 12}) {
                if (half)
                    put(file, toHalf(c), 2, false);
                else
                    putFloat(file, c, false);
            }
        junk(file, 90, rng);
        const std::uint32_t indices = putTriangles(file, mesh, false);
        junk(file, 60, rng);
        const LayoutSettings s = bestLayoutAt(file, indices, vertices);
        EXPECT_EQ(s.uvBlockStart, uvs);
        EXPECT_EQ(s.vertexFormat, half ? VertexFormat::HF_UV : VertexFormat::Float);
    }
    // Records of positions and colours, with the UVs in a stream of records of their own
    // (a pair and a word of other data each): the records' layout with a UV block.
    const Mesh mesh = jittered(grid(24));
    Bytes file;
    junk(file, 300, rng);
    const std::uint32_t vertices = static_cast<std::uint32_t>(file.size());
    for (const auto& v : mesh.positions) {
        for (float c : v) putFloat(file, c, false);
        put(file, 0xff8040c0u, 4, false);
    }
    junk(file, 70, rng);
    const std::uint32_t uvs = static_cast<std::uint32_t>(file.size());
    for (const auto& v : mesh.positions) {
        for (float c : {(v[0] + 3) / 12, (v[2] - 1) / 12}) putFloat(file, c, false);
        putFloat(file, 1.0f, false);
    }
    junk(file, 50, rng);
    const std::uint32_t indices = putTriangles(file, mesh, false);
    const LayoutSettings s = bestLayoutAt(file, indices, vertices);
    EXPECT_TRUE(s.vbMode);
    EXPECT_EQ(s.fvfSize, 16);
    EXPECT_EQ(s.uvPos, kNoUvInRecord);
    EXPECT_EQ(s.uvBlockStart, uvs);
    EXPECT_EQ(s.uvBlockSize, 12);
}

// The regular UVs of a grid read a pair or two early are the same grid of UVs again,
// bar a row's end: the zero padding before them must not start the block.
TEST(LayoutFinder, StartsAUvBlockAfterThePaddingBeforeIt) {
    std::mt19937 rng(29);
    constexpr int n = 24;
    Mesh mesh = jittered(grid(n));
    for (std::size_t i = 0; i < mesh.positions.size(); ++i) mesh.positions[i][1] += 0.3f * std::sin(i * 4.1f);
    Bytes file;
    junk(file, 300, rng);
    const std::uint32_t vertices = putPositions(file, mesh);
    file.resize(file.size() + 10, 0);
    const std::uint32_t uvs = static_cast<std::uint32_t>(file.size());
    for (int i = 0; i < n * n; ++i)
        for (float c : {static_cast<float>(i % n) / n, static_cast<float>(i / n) / n}) put(file, toHalf(c), 2, false);
    junk(file, 90, rng);
    const std::uint32_t indices = putTriangles(file, mesh, false);
    EXPECT_EQ(bestLayoutAt(file, indices, vertices).uvBlockStart, uvs);
}

// A regular grid read a whole record or more off is the same grid again, short of a row's
// end; with other floats before and after its records, the records themselves tell
// where the block starts.
TEST(LayoutFinder, FindsARegularGridBetweenOtherFloats) {
    std::mt19937 rng(19);
    std::uniform_real_distribution<float> noise(-8.0f, 8.0f);
    const Mesh mesh = grid(40);
    Bytes file;
    for (int i = 0; i < 150; ++i) putFloat(file, noise(rng), false);
    const std::uint32_t vertices = static_cast<std::uint32_t>(file.size());
    for (const auto& v : mesh.positions) {
        for (float c : v) putFloat(file, c, false);
        file.resize(file.size() + 20, 0);
    }
    for (int i = 0; i < 50; ++i) putFloat(file, noise(rng), false);
    const std::uint32_t indices = putTriangles(file, mesh, false);
    junk(file, 40, rng);
    const LayoutSettings s = bestLayoutAt(file, indices, vertices);
    EXPECT_EQ(s.fvfSize, 32);
}

// Other meshes' packed positions fill most of the float region that ends in a block of
// 20-byte records: the strides of the whole region are theirs, not the block's.
TEST(LayoutFinder, FindsTheStrideOfRecordsAtTheEndOfALargerRegion) {
    std::mt19937 rng(29);
    Bytes file;
    junk(file, 100, rng);
    putNormals(file, grid(90));
    const Mesh mesh = jittered(grid(30));
    const std::uint32_t vertices = static_cast<std::uint32_t>(file.size());
    for (const auto& v : mesh.positions) {
        for (float c : v) putFloat(file, c, false);
        putFloat(file, 0.25f * v[0], false);
        putFloat(file, 0.5f - 0.25f * v[2], false);
    }
    junk(file, 132, rng);
    const std::uint32_t indices = putTriangles(file, mesh, false);
    EXPECT_EQ(bestLayoutAt(file, indices, vertices).fvfSize, 20);
}

// Halves right before a 32-bit list, and a large block of 32-byte records right after it:
// the anchors of that block's strides must not spend the budget the search beside the
// list needs.
TEST(LayoutFinder, FindsHalvesBesideAListBeforeALargeFloatRegion) {
    std::mt19937 rng(31);
    Bytes file;
    junk(file, 300, rng);
    const Mesh mesh = jittered(grid(30));
    const std::uint32_t vertices = static_cast<std::uint32_t>(file.size());
    for (const auto& v : mesh.positions) {
        for (float c : v) put(file, toHalf(c), 2, true);
        put(file, toHalf(0.5f), 2, true);
        put(file, toHalf(0.25f), 2, true);
    }
    junk(file, 60, rng);
    const auto indices = static_cast<std::uint32_t>(file.size());
    for (const auto& t : mesh.triangles)
        for (std::uint32_t v : t) put(file, v, 4, true);
    const Mesh other = jittered(grid(160));
    for (const auto& v : other.positions) {
        for (float c : v) putFloat(file, c, true);
        for (float c : {0.0f, 1.0f, 0.0f, 0.5f, 0.5f}) putFloat(file, c, true);
    }
    const LayoutSettings s = bestLayoutAt(file, indices, vertices);
    EXPECT_EQ(s.vertexFormat, VertexFormat::HF_all);
    EXPECT_EQ(s.fvfSize, 10);
}

// A small sphere a little after another mesh's quads: the quads' words read as halves in
// the other byte order make a coherent scatter, which must not take the sphere's place,
// for the bytes of a clear index block are no positions.
TEST(LayoutFinder, ReadsNoPositionsFromAnotherBlocksIndices) {
    std::mt19937 rng(31);
    Bytes file;
    junk(file, 524, rng);
    constexpr std::uint32_t kCols = 31, kRows = 32;
    for (std::uint32_t i = 0; i < kCols * kRows; ++i) {
        const float x = static_cast<float>(i % kCols), y = static_cast<float>(i / kCols);
        for (float c : {0.1f * x, std::sin(0.3f * x + 0.2f * y), 0.1f * y}) putFloat(file, c, false);
    }
    junk(file, 300, rng);
    for (std::uint32_t y = 0; y + 1 < kRows; ++y)
        for (std::uint32_t x = 0; x + 1 < kCols; ++x)
            for (std::uint32_t v : {y * kCols + x, y * kCols + x + 1, y * kCols + x + kCols, y * kCols + x + kCols + 1})
                put(file, v, 2, false);
    junk(file, 377, rng);
    Mesh sphere = grid(5);
    for (std::size_t i = 0; i < sphere.positions.size(); ++i) {
        const float u = static_cast<float>(i % 5) * 1.5708f, v = static_cast<float>(i / 5) * 0.7854f;
        sphere.positions[i] = {std::sin(v) * std::cos(u) - 4, std::cos(v) - 2.3f, std::sin(v) * std::sin(u) + 1.8f};
    }
    const std::uint32_t vertices = static_cast<std::uint32_t>(file.size());
    for (const auto& v : sphere.positions)
        for (float c : v) putFloat(file, c, true);
    junk(file, 293, rng);
    const std::uint32_t indices = putTriangles(file, sphere, true);
    junk(file, 100, rng);
    const auto found = findLayouts(file, FindOptions{});
    const auto best = std::find_if(found.begin(), found.end(), [&](const LayoutCandidate& c) {
        return c.settings.faceIndexStart == indices && c.settings.bigEndian;
    });
    ASSERT_NE(best, found.end());
    EXPECT_EQ(best->settings.vertexStart, vertices);
}

// A large float region right after a list, and the list's own records a little before it:
// the likeliest strides of every region go before the other strides of the nearest.
TEST(LayoutFinder, TriesEveryRegionsLikeliestStridesFirst) {
    std::mt19937 rng(37);
    Bytes file;
    junk(file, 500, rng);
    const Mesh mesh = grid(15);
    const std::uint32_t vertices = static_cast<std::uint32_t>(file.size());
    for (const auto& v : mesh.positions) {
        for (float c : v) putFloat(file, c, false);
        putFloat(file, 0.5f, false);
        putFloat(file, 0.25f, false);
    }
    junk(file, 1900, rng);
    const std::uint32_t indices = putTriangles(file, mesh, false);
    putPositions(file, jittered(grid(100)));
    EXPECT_EQ(bestLayoutAt(file, indices, vertices).fvfSize, 20);
}

// CAD tools write rounding results like 1e-33 where they meant 0, the first vertex
// among them; such a block is still positions.
TEST(LayoutFinder, TakesRoundingNoiseNearZeroForPositions) {
    std::mt19937 rng(23);
    Mesh mesh = jittered(grid(30));
    for (std::size_t i = 0; i < mesh.positions.size(); ++i) {
        mesh.positions[i][1] -= 2.0f;
        if (i % 30 == 0) mesh.positions[i][1] = -1e-33f * static_cast<float>(i % 7 + 1);
    }
    Bytes file;
    junk(file, 200, rng);
    const std::uint32_t vertices = putPositions(file, mesh);
    junk(file, 52, rng);
    const std::uint32_t indices = putTriangles(file, mesh, false);
    junk(file, 300, rng);
    EXPECT_EQ(bestLayoutAt(file, indices, vertices).fvfSize, 12);
}

// A box of six separate faces, as 3DS writes it: each triangle's corners and then a flags
// word of edge bits, which read as a fourth corner would make quads.
// A box of the given half sizes with a vertex per face corner, as formats that store a UV
// per vertex split them; the UVs tile the faces past the unit square.
Mesh splitBox(float hx, float hy, float hz) {
    Mesh box;
    const std::array<float, 3> half{hx, hy, hz};
    for (int axis = 0; axis < 3; ++axis)
        for (float side : {-1.0f, 1.0f}) {
            const auto first = static_cast<std::uint32_t>(box.positions.size());
            for (float u : {-1.0f, 1.0f})
                for (float v : {-1.0f, 1.0f}) {
                    std::array<float, 3> p{};
                    p[axis] = side * half[axis];
                    p[(axis + 1) % 3] = u * half[(axis + 1) % 3];
                    p[(axis + 2) % 3] = v * half[(axis + 2) % 3];
                    box.positions.push_back(p);
                    box.uvs.push_back({u < 0 ? -0.5f : 1.5f, v < 0 ? -0.5f : 1.5f});
                }
            box.triangles.push_back({first, first + 1, first + 3});
            box.triangles.push_back({first, first + 3, first + 2});
        }
    return box;
}

TEST(LayoutFinder, ReadsAFlagsWordAfterEachTriangleAsAFaceGap) {
    const Mesh box = splitBox(2.5f, 2.5f, 2.5f);
    std::mt19937 rng(29);
    Bytes file;
    junk(file, 64, rng);
    const std::uint32_t vertices = putPositions(file, box);
    junk(file, 30, rng);
    const auto indices = static_cast<std::uint32_t>(file.size());
    for (std::size_t f = 0; f < box.triangles.size(); ++f) {
        for (std::uint32_t v : box.triangles[f]) put(file, v, 2, false);
        put(file, f % 2 == 0 ? 3 : 6, 2, false);
    }
    junk(file, 40, rng);
    const LayoutSettings s = bestLayoutAt(file, indices, vertices);
    EXPECT_EQ(s.faceGap, 2);
    EXPECT_EQ(s.faceVertexCount, 3);
}

// Small parts of a chunked little-endian file: each block after a chunk header and the
// count of its records, at odd addresses, and parts alike in topology (a board among
// boxes). Read one byte earlier in big-endian, the faces are the same small values and
// the floats keep their size; words read from any bytes lie in the unit square, and
// parts of one topology fit each other's vertices.
TEST(LayoutFinder, ReadsSmallPartsOfAChunkedFileByTheirCounts) {
    std::mt19937 rng(37);
    Bytes file;
    junk(file, 41, rng);
    struct Part {
        std::uint32_t vertices, uvs, faces;
    };
    std::vector<Part> parts;
    for (const auto& [hx, hy, hz] : {std::array{2.5f, 2.5f, 2.5f}, std::array{10.0f, 0.1f, 10.0f},
                                     std::array{1.0f, 3.0f, 2.0f}}) {
        const Mesh box = splitBox(hx, hy, hz);
        const auto count = static_cast<std::uint32_t>(box.positions.size());
        const auto chunk = [&](std::uint32_t id, std::uint32_t n, std::uint32_t bytes) {
            put(file, id, 2, false);
            put(file, 8 + bytes, 4, false);
            put(file, n, 2, false);
            return static_cast<std::uint32_t>(file.size());
        };
        file.insert(file.end(), {'B', 'o', 'x', 0});
        Part part{};
        part.vertices = chunk(0x4110, count, 12 * count);
        putPositions(file, box);
        part.uvs = chunk(0x4140, count, 8 * count);
        for (const auto& uv : box.uvs)
            for (float c : uv) putFloat(file, c, false);
        junk(file, 48, rng);
        part.faces = chunk(0x4120, static_cast<std::uint32_t>(box.triangles.size()), 8 * 12);
        for (const auto& t : box.triangles) {
            for (std::uint32_t v : t) put(file, v, 2, false);
            put(file, 7, 2, false);
        }
        parts.push_back(part);
    }
    junk(file, 40, rng);
    ASSERT_EQ(parts[0].faces % 2, 1u);
    const auto found = findLayouts(file, FindOptions{});
    for (const Part& part : parts) {
        SCOPED_TRACE(part.faces);
        const auto best = std::find_if(found.begin(), found.end(), [&](const LayoutCandidate& c) {
            return c.settings.faceIndexStart == part.faces || c.settings.faceIndexStart + 1 == part.faces;
        });
        ASSERT_NE(best, found.end());
        EXPECT_EQ(best->settings.faceIndexStart, part.faces);
        EXPECT_FALSE(best->settings.bigEndian);
        EXPECT_EQ(best->settings.vertexStart, part.vertices);
        EXPECT_EQ(best->uvLocation, UvLocation::SeparateBlock);
        EXPECT_EQ(best->settings.uvBlockStart, part.uvs);
    }
}

// Grids from the origin, each right after the last one's indices or after zero padding:
// the indices and the padding beside a block read as points at the origin, which is a
// vertex, and must not pull the reading off by a word or a record. Without UVs of its own,
// a mesh takes no other mesh's positions for them.
TEST(LayoutFinder, ReadsBlocksFromTheOriginBetweenIndicesAndPadding) {
    const auto fromOrigin = [](int n) {
        Mesh m = grid(n);
        for (int i = 0; i < n * n; ++i)
            m.positions[i] = {(i % n) * 0.1f, std::sin((i % n) * 0.3f + (i / n) * 0.2f), (i / n) * 0.1f};
        return m;
    };
    std::mt19937 rng(31);
    Bytes file;
    junk(file, 300, rng);
    std::vector<std::pair<std::uint32_t, std::uint32_t>> blocks;  // indices, vertices
    for (int n : {100, 60, 24}) {
        if (n == 24) file.resize(file.size() + 512, 0);
        const Mesh mesh = fromOrigin(n);
        const std::uint32_t vertices = putPositions(file, mesh);
        blocks.emplace_back(putTriangles(file, mesh, false), vertices);
    }
    junk(file, 300, rng);
    const auto found = findLayouts(file, FindOptions{});
    for (const auto& block : blocks) {
        const std::uint32_t indices = block.first;
        SCOPED_TRACE(indices);
        const auto best = std::find_if(found.begin(), found.end(),
                                       [&](const LayoutCandidate& c) { return c.settings.faceIndexStart == indices; });
        ASSERT_NE(best, found.end());
        EXPECT_EQ(best->settings.vertexStart, block.second);
        EXPECT_EQ(best->uvLocation, UvLocation::None);
    }
}

TEST(LayoutFinder, FindsNoMeshInFilesWithoutOne) {
    std::mt19937 rng(11);
    std::vector<std::pair<std::string, Bytes>> files;
    files.push_back({"zeros", Bytes(1 << 18, 0)});
    Bytes random;
    junk(random, 1 << 18, rng);
    files.push_back({"random", random});
    Bytes text;
    const std::string line = "The quick brown fox jumps over the lazy dog; 0123456789 and more words.\n";
    while (text.size() < (1 << 18)) text.insert(text.end(), line.begin(), line.end());
    files.push_back({"text", text});
    Bytes gradient;
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            for (int c = 0; c < 3; ++c) gradient.push_back(static_cast<std::uint8_t>((x + y * c) / 2));
    files.push_back({"gradient", gradient});
    Bytes noise;
    std::uniform_real_distribution<float> value(-100.0f, 100.0f);
    for (int i = 0; i < (1 << 16); ++i) putFloat(noise, value(rng), false);
    files.push_back({"float noise", noise});
    // Counters beside tables of floats, as headers hold them: a table of as many points
    // as the counter counts would be a mesh of a few faces.
    Bytes counted;
    for (int block = 0; block < 64; ++block) {
        for (std::uint32_t i = 0; i < 4 + static_cast<std::uint32_t>(block % 5); ++i) put(counted, i, 2, false);
        for (int i = 0; i < 3 * (9 + block % 7); ++i) putFloat(counted, value(rng), false);
    }
    files.push_back({"counters and floats", counted});
    FindOptions small;
    small.minTriangles = 2;
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(findLayouts(bytes, FindOptions{}).empty());
        EXPECT_TRUE(findLayouts(bytes, small).empty());
    }
}

// Meshes of a few faces, asked for: beside their vertices, among other small values (the
// same vertices' points and lines), in both widths and byte orders.
TEST(LayoutFinder, FindsMeshesOfAFewFacesWhereAskedFor) {
    struct Case {
        const char* name;
        std::vector<std::uint32_t> indices;
        bool strip;
        int indexSize;
        bool bigEndian;
        bool verticesFirst;
        std::vector<std::uint32_t> before;  // other small values before the indices
        bool normalsAndUvs = false;         // after the positions
    };
    const std::vector<std::array<float, 3>> quad{
        {0.5f, -0.5f, 0}, {-0.5f, -0.5f, 0}, {-0.5f, 0.5f, 0}, {0.5f, 0.5f, 0}};
    // A floor and a wall: two quads at a right angle.
    const std::vector<std::array<float, 3>> corner{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 1, 1}, {1, 1, 1}};
    const Case cases[] = {
        {"quad strip", {0, 3, 1, 2}, true, 4, false, true, {}},
        {"quad list", {0, 1, 2, 0, 2, 3}, false, 2, true, false, {}},
        {"quad list after its other streams", {0, 1, 2, 0, 2, 3}, false, 2, false, true, {}, true},
        {"corner after its points and edges", {0, 1, 2, 0, 2, 3, 3, 2, 5, 3, 5, 4}, false, 2, false, false,
         {0, 1, 2, 3, 4, 5, 0, 1, 1, 2, 2, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto& points = c.indices.size() == 12 ? corner : quad;
        Bytes file;
        const auto putPoints = [&] {
            const auto at = static_cast<std::uint32_t>(file.size());
            for (const auto& p : points)
                for (float v : p) putFloat(file, v, c.bigEndian);
            for (std::size_t i = 0; c.normalsAndUvs && i < points.size(); ++i)
                for (float v : {0.0f, 0.0f, 1.0f}) putFloat(file, v, c.bigEndian);
            for (std::size_t i = 0; c.normalsAndUvs && i < points.size(); ++i)
                for (float v : {points[i][0] + 0.5f, points[i][1] + 0.5f}) putFloat(file, v, c.bigEndian);
            return at;
        };
        const std::uint32_t vertices = c.verticesFirst ? putPoints() : 0;
        for (std::uint32_t v : c.before) put(file, v, c.indexSize, c.bigEndian);
        const auto indices = static_cast<std::uint32_t>(file.size());
        for (std::uint32_t v : c.indices) put(file, v, c.indexSize, c.bigEndian);
        const std::uint32_t after = c.verticesFirst ? vertices : putPoints();
        FindOptions small;
        small.minTriangles = 2;
        const auto found = findLayouts(file, small);
        ASSERT_FALSE(found.empty());
        for (const auto& other : found) EXPECT_EQ(other.settings.faceIndexStart, indices);
        const LayoutSettings& s = found.front().settings;
        EXPECT_EQ(s.faceIndexStart, indices);
        EXPECT_EQ(s.faceIndexCnt, c.indices.size());
        EXPECT_EQ(s.indexSize, c.indexSize);
        EXPECT_EQ(s.stripMode, c.strip);
        EXPECT_EQ(s.bigEndian, c.bigEndian);
        EXPECT_EQ(s.vertexStart, after);
        EXPECT_EQ(s.vertsCnt, points.size());
        EXPECT_EQ(found.front().uvLocation, c.normalsAndUvs ? UvLocation::SeparateBlock : UvLocation::None);
        EXPECT_TRUE(findLayouts(file, FindOptions{}).empty());
    }
}

TEST(MeshMeasures, TellAMeshFromScatteredPoints) {
    const Mesh mesh = grid(16);
    const CandidateMeasures good = measureMesh(mesh);
    EXPECT_EQ(good.indexCount, mesh.triangles.size() * 3);
    EXPECT_EQ(good.maxIndex, mesh.positions.size() - 1);
    EXPECT_DOUBLE_EQ(good.indexCoverage, 1.0);
    EXPECT_EQ(good.degenerateShare, 0.0);
    EXPECT_GT(good.vertexScore, 0.9);
    EXPECT_EQ(good.foldedShare, 0.0);
    Mesh scattered = mesh;
    std::mt19937 rng(5);
    std::shuffle(scattered.positions.begin(), scattered.positions.end(), rng);
    const CandidateMeasures bad = measureMesh(scattered);
    EXPECT_LT(bad.vertexScore, 0.2);
    EXPECT_GT(bad.foldedShare, 0.25);
    // UVs that follow the surface lie side by side across each edge; shuffled ones overlap.
    Mesh mapped = mesh;
    for (const auto& p : mesh.positions) mapped.uvs.push_back({(p[0] + 3) / 8, (p[2] - 1) / 8});
    const CandidateMeasures unwrapped = measureMesh(mapped);
    EXPECT_EQ(unwrapped.uvFoldedShare, 0.0);
    EXPECT_GT(unwrapped.uvScore, 0.9);
    std::shuffle(mapped.uvs.begin(), mapped.uvs.end(), rng);
    const CandidateMeasures shuffled = measureMesh(mapped);
    EXPECT_GT(shuffled.uvFoldedShare, 0.3);
    EXPECT_LT(shuffled.uvScore, 0.2);
    // A tessellated tube: every side face runs the tube's whole length.
    Mesh tube;
    const int sides = 32;
    for (int k = 0; k < sides; ++k)
        for (float z : {0.0f, 10.0f})
            tube.positions.push_back({std::cos(k * 6.2832f / sides), std::sin(k * 6.2832f / sides), z});
    for (std::uint32_t k = 0; k < sides; ++k) {
        const std::uint32_t a = 2 * k, b = 2 * ((k + 1) % sides);
        tube.triangles.push_back({a, b, a + 1});
        tube.triangles.push_back({b, b + 1, a + 1});
    }
    EXPECT_GT(measureMesh(tube).vertexScore, 0.5);
    std::shuffle(tube.positions.begin(), tube.positions.end(), rng);
    EXPECT_LT(measureMesh(tube).vertexScore, 0.2);
    // Points of length 1 are mostly normals, but a unit sphere's faces do not fold.
    Mesh sphere;
    const int rings = 12;
    for (int r = 0; r <= rings; ++r)
        for (int k = 0; k < sides; ++k) {
            const float theta = 3.1416f * r / rings, phi = 6.2832f * k / sides;
            sphere.positions.push_back({std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi)});
        }
    for (std::uint32_t r = 0; r < rings; ++r)
        for (std::uint32_t k = 0; k < sides; ++k) {
            const std::uint32_t a = r * sides + k, b = r * sides + (k + 1) % sides;
            sphere.triangles.push_back({a, b, a + sides});
            sphere.triangles.push_back({b, b + sides, a + sides});
        }
    EXPECT_GT(measureMesh(sphere).vertexScore, 0.6);
}

// The layouts docs/field_test.md gives for the shared real files, where one index block
// has one layout the tool can type.
TEST(LayoutFinder, RanksTheKnownLayoutOfRealFilesFirst) {
    const std::filesystem::path folder = "/work/shared/realdata";
    if (!std::filesystem::exists(folder)) GTEST_SKIP() << "no real files here";
    struct Known {
        const char* file;
        std::uint32_t indexStart, vertexStart, vertsCnt;
        std::uint8_t fvf;
        bool fewFaces = false;  // found where meshes of a few faces are asked for
    };
    const Known known[] = {{"duck.bin", 0x12be0, 0x7074, 2399, 12},        {"duck_be.bin", 0x12be0, 0x7074, 2399, 12},
                           {"duck_fvf32.bin", 0, 0x62b8, 2399, 32},          {"milktruck.bin", 0x16858, 0x5ae0, 1856, 12},
                           {"milktruck.bin", 0x19138, 0xb540, 72, 12},       {"milktruck.bin", 0x19288, 0xce60, 464, 12},
                           {"milktruck.bin", 0x19948, 0xff98, 586, 12},      {"box_interleaved.bin", 0x240, 0xc, 24, 24},
                           {"sphere_vnormals_be.ply", 9490, 225, 386, 24}, {"reference_le.ply", 13801, 280, 845, 16},
                           {"jeep.ms3d", 0x45ce, 0x11, 1190, 15},           {"box_textured.bin", 0x300, 0x120, 24, 12},
                           {"engine.bin", 0x147348, 0x5e50, 2012, 12},      {"engine.bin", 0x14db10, 0x14280, 264, 12},
                           {"engine.bin", 0x1591b0, 0x38a6c, 43, 12},       {"engine.bin", 0x15f0d2, 0x4a118, 96, 12},
                           {"engine.bin", 0x1b4e00, 0x144864, 143, 12},     {"engine.bin", 0x1892ee, 0xc0798, 192, 12},
                           {"engine.bin", 0x15de24, 0x46e48, 340, 12},      {"boxes.3ds", 0x953, 0x68d, 32, 12},
                           {"boxes.3ds", 0x17db, 0x1515, 32, 12},           {"boxes.3ds", 0x22c1, 0x1ffb, 32, 12},
                           {"strip_u32.bin", 0x30, 0, 4, 12, true},
                           {"primitive_modes.bin", 0x42, 0x84, 7, 12, true},
                           {"primitive_modes.bin", 0x66, 0x84, 7, 12, true}};
    std::map<std::string, std::vector<LayoutCandidate>> scanned;
    for (const Known& k : known) {
        SCOPED_TRACE(k.file);
#if defined(__SANITIZE_ADDRESS__)
        // A scan of a file of megabytes takes minutes under the sanitizers.
        if (std::filesystem::file_size(folder / k.file) > (1u << 20)) continue;
#endif
        const std::string key = std::string(k.file) + (k.fewFaces ? " few" : "");
        if (!scanned.count(key)) {
            std::ifstream in(folder / k.file, std::ios::binary);
            const Bytes bytes((std::istreambuf_iterator<char>(in)), {});
            FindOptions options;
            if (k.fewFaces) options.minTriangles = 2;
            scanned[key] = findLayouts(bytes, options);
        }
        const auto& found = scanned[key];
        const LayoutCandidate* best = nullptr;
        for (const auto& c : found)
            if (c.settings.faceIndexStart == k.indexStart && (!best || c.score > best->score)) best = &c;
        ASSERT_NE(best, nullptr);
        EXPECT_EQ(best->settings.vertexStart, k.vertexStart);
        EXPECT_EQ(best->settings.vertsCnt, k.vertsCnt);
        EXPECT_EQ(best->settings.fvfSize, k.fvf);
    }
}

}  // namespace
}  // namespace nimbrel
