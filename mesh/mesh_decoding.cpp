#include "mesh/mesh_decoding.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

#include "core/line_sink.h"
#include "core/workspace.h"
#include "faces/face_index.h"
#include "faces/face_index_pass.h"
#include "faces/strip_restart.h"
#include "vertices/record_layout.h"

namespace nimbrel {

namespace {

struct Faces {
    std::vector<std::array<std::uint32_t, 3>> triangles;
    /// Smallest 1-based index the block's pass measures; 0 when the pass measures none.
    std::uint32_t minFaceIndex = 0;
    std::uint64_t restartMarkers = 0;
};

// A triangle or quad list, as the list pass reads it: an unfinished last face is measured
// but makes no face.
Faces decodeList(const ModelBuffer& model, const LayoutSettings& s) {
    Faces faces;
    const unsigned perFace = s.faceVertexCount;
    if (indicesThatFit(model.size(), s.faceIndexStart, s.faceIndexCnt, s.indexSize, perFace, s.faceGap) !=
        s.faceIndexCnt)
        return faces;
    std::vector<std::uint32_t> values;
    values.reserve(s.faceIndexCnt);
    std::uint32_t min = 0xFFFFFF;
    const std::uint8_t* p = model.data() + s.faceIndexStart;
    for (std::uint32_t i = 0; i < s.faceIndexCnt; ++i, p += s.indexSize) {
        const std::uint32_t v = readFaceIndex(p, s.indexSize, s.bigEndian);
        min = std::min(min, v);
        values.push_back(v);
        if ((i + 1) % perFace == 0) p += s.faceGap;
    }
    faces.minFaceIndex = min;
    const std::uint32_t base = s.relFI ? min : 1;
    auto at = [&](std::uint32_t i) { return values[i] - base; };
    for (std::uint32_t f = 0; f + perFace <= values.size(); f += perFace) {
        if (perFace == 4) {
            // Written as first, second, fourth, third, then fanned from the first corner.
            faces.triangles.push_back({at(f), at(f + 1), at(f + 3)});
            faces.triangles.push_back({at(f), at(f + 3), at(f + 2)});
        } else {
            faces.triangles.push_back({at(f), at(f + 1), at(f + 2)});
        }
    }
    return faces;
}

// One plain strip; degenerate windows make no face but still turn the winding.
Faces decodePlainStrip(const ModelBuffer& model, const LayoutSettings& s) {
    Faces faces;
    if (s.faceIndexCnt == 0 || indicesThatFit(model.size(), s.faceIndexStart, s.faceIndexCnt, s.indexSize, 1, 0) !=
                                   s.faceIndexCnt)
        return faces;
    std::uint32_t min = 0xFFFF;
    std::uint32_t a = 0;
    std::uint32_t b = 0;
    bool forward = true;
    const std::uint8_t* p = model.data() + s.faceIndexStart;
    for (std::uint32_t i = 0; i < s.faceIndexCnt; ++i, p += s.indexSize) {
        const std::uint32_t c = readFaceIndex(p, s.indexSize, s.bigEndian);
        min = std::min(min, c);
        if (i >= 2) {
            if (a != b && b != c && a != c)
                faces.triangles.push_back({a - 1, (forward ? b : c) - 1, (forward ? c : b) - 1});
            forward = !forward;
        }
        a = b;
        b = c;
    }
    faces.minFaceIndex = min;
    return faces;
}

Faces decodeRestartStrips(const ModelBuffer& model, const LayoutSettings& s) {
    Faces faces;
    StripScratch scratch;
    NoLines quiet;
    if (convertRestartStrips(model, s.faceIndexStart, s.faceIndexCnt, s.bigEndian, scratch, kRestartMarker, quiet)
            .outcome != StripConversion::Converted)
        return faces;
    for (std::uint32_t i = 0; i < s.faceIndexCnt; ++i)
        if (model.readU16(s.faceIndexStart + 2 * std::uint64_t{i}, s.bigEndian) == kRestartMarker)
            ++faces.restartMarkers;
    const unsigned short* v = scratch.indices.get();
    std::uint32_t min = 0xFFFF;
    for (std::uint32_t p = 0; p + 3 <= scratch.stripIndexCount; p += 3) {
        faces.triangles.push_back({v[p], v[p + 1], v[p + 2]});
        for (int k = 0; k < 3; ++k) min = std::min<std::uint32_t>(min, v[p + k] + 1u);
    }
    faces.minFaceIndex = min;
    scratch.release();
    return faces;
}

Faces decodeFaces(const ModelBuffer& model, const LayoutSettings& s) {
    if (!s.stripMode) return decodeList(model, s);
    if (s.ffffSeparator) return decodeRestartStrips(model, s);
    return decodePlainStrip(model, s);
}

bool isFinite(float v) { return std::isfinite(v); }

void decodeRecords(const ModelBuffer& model, const LayoutSettings& s, std::uint64_t start, Mesh& mesh) {
    const RecordLayout layout = interleavedLayout(s, true);
    const std::uint32_t count = s.vertsCnt;
    withRecordBytes(model, s.bigEndian, start, count, s.fvfSize, layout.extent(), [&](const auto& bytes) {
        std::uint64_t record = start;
        for (std::uint32_t n = 0; n < count; ++n, record += s.fvfSize) {
            const Vec3 p = positionAt(bytes, record, layout.position, layout.signedShorts);
            mesh.positions.push_back({p.x, p.y, p.z});
            if (!layout.hasUv) continue;
            const UvPair uv = uvPairAt(bytes, record + layout.uvOffset, layout.uv, layout.vDelta, layout.uvDivisor);
            mesh.uvs.push_back({uv.u, uv.v});
        }
    });
}

void decodePackedPositions(const ModelBuffer& model, const LayoutSettings& s, Mesh& mesh) {
    const PositionKind kind = positionKind(s.vertexFormat);
    const std::uint32_t stride = positionSize(kind);
    withRecordBytes(model, s.bigEndian, s.vertexStart, s.vertsCnt, stride, stride, [&](const auto& bytes) {
        std::uint64_t record = s.vertexStart;
        for (std::uint32_t n = 0; n < s.vertsCnt; ++n, record += stride) {
            // Packed shorts are always signed.
            const Vec3 p = positionAt(bytes, record, kind, true);
            mesh.positions.push_back({p.x, p.y, p.z});
        }
    });
}

void decodeUvBlock(const ModelBuffer& model, const LayoutSettings& s, std::uint32_t stride, Mesh& mesh) {
    const UvPairKind kind = uvPairKind(s.vertexFormat);
    withRecordBytes(model, s.bigEndian, s.uvBlockStart, s.vertsCnt, stride, pairSize(kind), [&](const auto& bytes) {
        std::uint64_t record = s.uvBlockStart;
        for (std::uint32_t n = 0; n < s.vertsCnt; ++n, record += stride) {
            const UvPair uv = uvPairAt(bytes, record, kind, pairSize(kind) / 2, s.uvDivisor);
            mesh.uvs.push_back({uv.u, uv.v});
        }
    });
}

Mesh verticesFrom(const ModelBuffer& model, const LayoutSettings& s, std::uint32_t minFaceIndex) {
    Mesh mesh;
    mesh.positions.reserve(s.vertsCnt);
    if (s.vbMode) {
        std::uint64_t start = s.vertexStart;
        if (s.vertexFormat == VertexFormat::HF_all && s.relFI && minFaceIndex >= 1)
            start += std::uint64_t{s.fvfSize} * (minFaceIndex - 1);
        decodeRecords(model, s, start, mesh);
        if (s.uvPos == kNoUvInRecord && s.uvBlockSize != kNoUvBlock) decodeUvBlock(model, s, s.uvBlockSize, mesh);
    } else {
        decodePackedPositions(model, s, mesh);
        decodeUvBlock(model, s, pairSize(uvPairKind(s.vertexFormat)), mesh);
    }
    for (const auto& p : mesh.positions)
        if (!std::all_of(p.begin(), p.end(), isFinite)) ++mesh.nonFinitePositions;
    for (const auto& uv : mesh.uvs)
        if (!std::all_of(uv.begin(), uv.end(), isFinite)) ++mesh.nonFiniteUvs;
    return mesh;
}

}  // namespace

Mesh decodeMesh(const ModelBuffer& model, const LayoutSettings& settings) {
    Faces faces = decodeFaces(model, settings);
    Mesh mesh = verticesFrom(model, settings, faces.minFaceIndex);
    mesh.triangles = std::move(faces.triangles);
    mesh.restartMarkers = faces.restartMarkers;
    countIndicesPastVertexBlock(mesh);
    return mesh;
}

Mesh decodeVertices(const ModelBuffer& model, const LayoutSettings& settings) {
    return verticesFrom(model, settings, 0);
}

void addGeneratedFaces(Mesh& mesh, bool stripMode) {
    const auto n = static_cast<std::uint32_t>(mesh.positions.size());
    if (stripMode) {
        for (std::uint32_t k = 0; k + 3 <= n; ++k) {
            // The written strip turns every other face, starting forward.
            const bool forward = k % 2 == 0;
            mesh.triangles.push_back({k, forward ? k + 1 : k + 2, forward ? k + 2 : k + 1});
        }
    } else {
        for (std::uint32_t t = 0; t < n / 3; ++t) mesh.triangles.push_back({3 * t, 3 * t + 1, 3 * t + 2});
    }
}

std::uint64_t addObjFaceLines(Mesh& mesh, std::string_view text) {
    const auto n = static_cast<std::int64_t>(mesh.positions.size());
    std::uint64_t skipped = 0;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.size() < 2 || line[0] != 'f' || (line[1] != ' ' && line[1] != '\t')) continue;
        std::vector<std::uint32_t> corners;
        bool bad = false;
        std::size_t at = 1;
        while (at < line.size()) {
            while (at < line.size() && (line[at] == ' ' || line[at] == '\t' || line[at] == '\r')) ++at;
            if (at >= line.size() || line[at] == '#') break;
            std::int64_t v = 0;
            auto [next, ec] = std::from_chars(line.data() + at, line.data() + line.size(), v);
            if (ec != std::errc() || v == 0) {
                bad = true;
                break;
            }
            // Relative indices count back from the positions read so far, here all of them.
            const std::int64_t zeroBased = v > 0 ? v - 1 : n + v;
            if (zeroBased < 0 || zeroBased > std::numeric_limits<std::uint32_t>::max()) {
                bad = true;
                break;
            }
            corners.push_back(static_cast<std::uint32_t>(zeroBased));
            at = static_cast<std::size_t>(next - line.data());
            while (at < line.size() && line[at] != ' ' && line[at] != '\t') ++at;  // "/vt/vn"
        }
        if (bad || corners.size() < 3) {
            ++skipped;
            continue;
        }
        for (std::size_t k = 1; k + 1 < corners.size(); ++k)
            mesh.triangles.push_back({corners[0], corners[k], corners[k + 1]});
    }
    return skipped;
}

void countIndicesPastVertexBlock(Mesh& mesh) {
    mesh.indicesPastVertexBlock = 0;
    for (const auto& t : mesh.triangles)
        for (std::uint32_t v : t)
            if (v >= mesh.positions.size()) ++mesh.indicesPastVertexBlock;
}

}  // namespace nimbrel
