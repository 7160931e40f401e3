#include "vertices/uv_lines.h"

#include "vertices/line_buffer.h"
#include "vertices/record_layout.h"

namespace nimbrel {

namespace {


void writeUvBlock(const Workspace& ws, const ModelBuffer& model, TextOut& out, std::uint64_t start,
                  std::uint32_t count, std::uint32_t stride, bool asVertices) {
    const UvPairKind kind = uvPairKind(ws.vertexFormat);
    const std::uint32_t vDelta = pairSize(kind) / 2;
    const bool marksSuspectUv = kind == UvPairKind::Word;
    withRecordBytes(model, ws.bigEndian, start, count, stride, pairSize(kind), [&](const auto& bytes) {
        LineBuffer line;
        bool uvsInRange = true;  // until the first doubtful UV, from which on every line is marked
        std::uint64_t record = start;
        for (std::uint32_t n = 0; n < count; ++n, record += stride) {
            line.clear();
            UvPair uv = uvPairAt(bytes, record, kind, vDelta, ws.uvDivisor);
            line.add(asVertices ? "v " : "vt ");
            line.addFixed6(uv.u);
            line.add(' ');
            line.addFixed6(uv.v);
            line.add(' ');
            if (asVertices) line.add(marksSuspectUv ? "0.0 " : "0.0");
            if (marksSuspectUv) {
                if (isOutsideUnitRange(uv.u) || isOutsideUnitRange(uv.v)) uvsInRange = false;
                if (!uvsInRange) line.add("# UV?");
            }
            line.add('\n');
            out.put(line.view());
        }
    });
}

}  // namespace

void writeUVLines(const Workspace& ws, const ModelBuffer& model, TextOut& out, std::uint32_t uvBlockStart,
                  std::uint32_t count, bool packed) {
    const std::uint32_t stride = packed ? pairSize(uvPairKind(ws.vertexFormat)) : ws.uvBlockSize;
    writeUvBlock(ws, model, out, uvBlockStart, count, stride, false);
}

void writeUVMapLines(const Workspace& ws, const ModelBuffer& model, TextOut& out, std::uint32_t uvBlockStart,
                     std::uint32_t count, std::uint8_t stride) {
    const std::uint32_t step = stride == kPackedUvStride ? pairSize(uvPairKind(ws.vertexFormat)) : stride;
    writeUvBlock(ws, model, out, uvBlockStart, count, step, true);
}

}  // namespace nimbrel
