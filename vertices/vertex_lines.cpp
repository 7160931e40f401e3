#include "vertices/vertex_lines.h"

#include <cstring>
#include <string_view>

#include "vertices/line_buffer.h"
#include "vertices/record_layout.h"

namespace nimbrel {

namespace {

/// Per-axis running figures of a ShortAll call, all in single precision.
struct AxisStats {
    float sum[3] = {0.0f, 0.0f, 0.0f};
    float min[3] = {65536.0f, 65536.0f, 65536.0f};
    float max[3] = {0.0f, 0.0f, 0.0f};

    void add(const Vec3& p) {
        const float values[3] = {p.x, p.y, p.z};
        for (int axis = 0; axis < 3; ++axis) {
            sum[axis] += values[axis];
            if (values[axis] < min[axis]) min[axis] = values[axis];
            if (values[axis] > max[axis]) max[axis] = values[axis];
        }
    }
};

/// What differs between the formats, fixed once per call.
struct LineStyle {
    char positionLead;
    char uvLead;
    char uvTail;
    /// HF_UV, HF_all and WordUV leave a blank after the last coordinate.
    bool blankAfterPosition;
    /// Word pairs (WordUV, ShortAll) are judged and their doubtful UV lines marked.
    bool marksSuspectUv;
};

char* putPosition(char* o, const Vec3& p, char lead, bool blankAfter) {
    *o++ = lead;
    *o++ = ' ';
    o = writeFloatFixed6(o, p.x);
    *o++ = ' ';
    o = writeFloatFixed6(o, p.y);
    *o++ = ' ';
    o = writeFloatFixed6(o, p.z);
    if (blankAfter) *o++ = ' ';
    *o++ = '\n';
    return o;
}

char* putText(char* o, std::string_view text) {
    std::memcpy(o, text.data(), text.size());
    return o + text.size();
}

// The lines of one record at o. uvsInRange (no doubtful UV yet) carries over from record
// to record, so only a style that marks no UVs may format records out of order.
template <class Bytes>
char* putRecord(char* o, const Bytes& bytes, const RecordLayout& layout, const LineStyle& style, std::uint64_t record,
                bool& uvsInRange, AxisStats* stats) {
    Vec3 p = positionAt(bytes, record, layout.position, layout.signedShorts);
    if (stats) stats->add(p);
    o = putPosition(o, p, style.positionLead, style.blankAfterPosition);
    if (layout.hasUv) {
        UvPair uv = uvPairAt(bytes, record + layout.uvOffset, layout.uv, layout.vDelta, layout.uvDivisor);
        *o++ = 'v';
        *o++ = style.uvLead;
        *o++ = ' ';
        o = writeFloatFixed6(o, uv.u);
        *o++ = ' ';
        o = writeFloatFixed6(o, uv.v);
        *o++ = ' ';
        *o++ = style.uvTail;
        if (style.marksSuspectUv) {
            if (isOutsideUnitRange(uv.u) || isOutsideUnitRange(uv.v)) uvsInRange = false;
            if (!uvsInRange) o = putText(o, "# UV?");
        }
        *o++ = '\n';
    }
    return o;
}

template <class Bytes>
void writeRecords(const Bytes& bytes, const RecordLayout& layout, const LineStyle& style, TextOut& out,
                  std::uint64_t start, std::uint32_t count, std::uint32_t stride, AxisStats* stats) {
    // Records that depend on none before them are formatted on every core.
    const bool independent = stats == nullptr && !(layout.hasUv && style.marksSuspectUv);
    bool uvsInRange = true;
    out.putInBlocks(count, kLineCapacity, independent, [&](std::uint64_t first, std::uint64_t last, char* o) {
        bool blockInRange = uvsInRange;
        for (std::uint64_t n = first; n < last; ++n) o = putRecord(o, bytes, layout, style, start + n * stride, blockInRange, stats);
        if (!independent) uvsInRange = blockInRange;
        return o;
    });
}

}  // namespace

std::string_view writeVertexLines(const Workspace& ws, const ModelBuffer& model, TextOut& out,
                                  std::uint32_t vertexStart, std::uint32_t count, bool withUVs, bool uvMapMode) {
    const VertexFormat format = ws.vertexFormat;
    // The UV pair may not overlap the position; the check holds even when UVs are not written.
    const std::uint32_t smallestUvPos = positionSize(positionKind(format));
    if (ws.uvPos < smallestUvPos) return smallestUvPos == 12 ? "UVpos must be >= 12" : "UVpos must be >= 6";

    const RecordLayout layout = interleavedLayout(ws, withUVs);
    const LineStyle style{uvMapMode ? '#' : 'v', uvMapMode ? ' ' : 't', uvMapMode ? '0' : ' ',
                          format == VertexFormat::HF_UV || format == VertexFormat::HF_all ||
                              format == VertexFormat::WordUV,
                          layout.uv == UvPairKind::Word};

    std::uint64_t start = vertexStart;
    // A smallest index of 0 (no pass yet) must not move the start backwards by a wrapped amount.
    if (format == VertexFormat::HF_all && ws.relFI && ws.minFaceIndex >= 1)
        start += std::uint64_t{ws.fvfSize} * (ws.minFaceIndex - 1);

    AxisStats stats;
    AxisStats* statsOrNull = format == VertexFormat::ShortAll ? &stats : nullptr;
    withRecordBytes(model, ws.bigEndian, start, count, ws.fvfSize, layout.extent(), [&](const auto& bytes) {
        writeRecords(bytes, layout, style, out, start, count, ws.fvfSize, statsOrNull);
    });
    out.print("# 0x%lx\n", start + std::uint64_t{count} * ws.fvfSize);

    // An average of no records has no value; the lines are left out rather than print "nan".
    if (statsOrNull && count > 0) {
        const float n = static_cast<float>(count);
        out.print("# average %f %f %f\n", stats.sum[0] / n, stats.sum[1] / n, stats.sum[2] / n);
        out.print("# BBox %f %f, %f %f, %f %f\n", stats.min[0], stats.max[0], stats.min[1], stats.max[1],
                  stats.min[2], stats.max[2]);
    }
    return {};
}

void writePackedVertexLines(const Workspace& ws, const ModelBuffer& model, TextOut& out,
                            std::uint32_t vertexStart, std::uint32_t count) {
    const PositionKind kind = positionKind(ws.vertexFormat);
    const std::uint32_t stride = positionSize(kind);
    // Packed shorts are always signed; the signedShorts box concerns interleaved records only.
    const bool blankAfter = kind != PositionKind::Short;
    withRecordBytes(model, ws.bigEndian, vertexStart, count, stride, stride, [&](const auto& bytes) {
        out.putInBlocks(count, kLineCapacity, true, [&](std::uint64_t first, std::uint64_t last, char* o) {
            for (std::uint64_t n = first; n < last; ++n)
                o = putPosition(o, positionAt(bytes, vertexStart + n * stride, kind, true), 'v', blankAfter);
            return o;
        });
    });
}

}  // namespace nimbrel
