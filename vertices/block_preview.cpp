#include "vertices/block_preview.h"

#include <string>
#include <string_view>

#include "core/number_decoding.h"
#include "core/text_format.h"
#include "vertices/record_layout.h"

namespace nimbrel {

namespace {

constexpr std::uint32_t kHeadRecords = 10;
constexpr std::uint32_t kTailRecords = 3;

std::string previewLine(std::string_view prefix, std::initializer_list<float> values, std::string_view mark) {
    std::string line(prefix);
    for (float value : values) {
        line += formatValue(value);
        line += ' ';
    }
    line += mark;
    return line;
}

/// Squared length between 0.9 and 1.1, summed in single precision: likely a normal.
bool isNormLength(const Vec3& p) {
    float s = p.x * p.x + p.y * p.y + p.z * p.z;
    return s > 0.9 && s < 1.1;
}

/// Records 0 to 9, "...", then the last three records when there are three.
template <class RecordFn>
void listHeadAndTail(LineSink& lines, std::uint32_t count, RecordFn listRecord) {
    for (std::uint32_t r = 0; r < kHeadRecords; ++r) listRecord(r);
    lines.add("...");
    if (count >= kTailRecords)
        for (std::uint32_t r = count - kTailRecords; r < count; ++r) listRecord(r);
}

void addNextAddress(LineSink& lines, std::uint64_t address) { lines.add("next address: 0x" + hexText(address)); }

}  // namespace

void previewPackedBlock(const Workspace& ws, const ModelBuffer& model, LineSink& lines, std::uint32_t start,
                        std::uint32_t count) {
    const PositionKind kind = positionKind(ws.vertexFormat);
    const std::uint64_t stride = positionSize(kind);
    const CheckedBytes bytes{model, ws.bigEndian};
    listHeadAndTail(lines, count, [&](std::uint32_t r) {
        Vec3 p = positionAt(bytes, start + r * stride, kind, true);
        lines.add(previewLine("", {p.x, p.y, p.z}, isNormLength(p) ? " NORM" : ""));
    });
    if (kind == PositionKind::Float && !ws.bigEndian) addNextAddress(lines, start + count * stride);
}

UvPreview previewInterleavedBlock(const Workspace& ws, const ModelBuffer& model, LineSink& lines, std::uint32_t start,
                                  std::uint32_t count) {
    const VertexFormat format = ws.vertexFormat;
    if (positionSize(positionKind(format)) == 12 && ws.uvPos < 12) return {"UVpos must be >= 12 ", std::nullopt};
    // HF_all and ShortAll word their refusals differently; the blank is part of the text.
    if (ws.uvPos < 6)
        return {format == VertexFormat::ShortAll ? "UVpos must be >= 6" : "UVpos must be >= 6 ", std::nullopt};

    RecordLayout layout = interleavedLayout(ws, true);
    layout.signedShorts = true;
    const bool testsNorm = layout.position != PositionKind::Short;
    const bool judgesUv = layout.uv != UvPairKind::Float;
    const std::uint64_t stride = ws.fvfSize;
    const CheckedBytes bytes{model, ws.bigEndian};
    UvPreview found;
    listHeadAndTail(lines, count, [&](std::uint32_t r) {
        const std::uint64_t record = start + r * stride;
        Vec3 p = positionAt(bytes, record, layout.position, layout.signedShorts);
        lines.add(previewLine("v ", {p.x, p.y, p.z}, testsNorm && isNormLength(p) ? " NORM" : ""));
        if (!layout.hasUv) return;
        UvPair uv = uvPairAt(bytes, record + layout.uvOffset, layout.uv, layout.vDelta, layout.uvDivisor);
        if (judgesUv && !found.firstDoubtfulUv && (isOutsideUnitRange(uv.u) || isOutsideUnitRange(uv.v)))
            found.firstDoubtfulUv = r;
        lines.add(previewLine("vt ", {uv.u, uv.v}, found.firstDoubtfulUv ? " UV?" : ""));
    });
    if (format == VertexFormat::Float) addNextAddress(lines, start + count * stride);
    return found;
}

UvPreview previewUVBlock(const Workspace& ws, const ModelBuffer& model, LineSink& lines, std::uint32_t start,
                         std::uint32_t count, bool packed) {
    const UvPairKind kind = uvPairKind(ws.vertexFormat);
    const std::uint64_t stride = packed ? pairSize(kind) : ws.uvBlockSize;
    const CheckedBytes bytes{model, ws.bigEndian};
    UvPreview found;
    auto listRecord = [&](std::uint32_t r) {
        UvPair uv = uvPairAt(bytes, start + r * stride, kind, pairSize(kind) / 2, ws.uvDivisor);
        bool outside = isOutsideUnitRange(uv.u) || isOutsideUnitRange(uv.v);
        if (outside && !found.firstDoubtfulUv) found.firstDoubtfulUv = r;
        if (packed)
            lines.add(previewLine("", {uv.u, uv.v}, outside ? " UV?" : ""));
        else
            lines.add(previewLine("vt ", {uv.u, uv.v}, found.firstDoubtfulUv ? " (UV?)" : ""));
    };
    if (kind != UvPairKind::Float) {
        listHeadAndTail(lines, count, listRecord);
        return found;
    }
    // Float pairs name the offset of record count-4 and list the three records from there.
    for (std::uint32_t r = 0; r < kHeadRecords; ++r) listRecord(r);
    lines.add("...");
    if (count < 4) return found;
    lines.add(hexText(start + (count - 4) * stride));
    for (std::uint32_t r = count - 4; r < count - 1; ++r) listRecord(r);
    return found;
}

}  // namespace nimbrel
