#include "vertices/record_layout.h"

#include <algorithm>

namespace nimbrel {

namespace {

constexpr std::uint8_t kNoUvInRecord = 99;

}  // namespace

PositionKind positionKind(VertexFormat format) {
    switch (format) {
        case VertexFormat::HF_all:
            return PositionKind::Half;
        case VertexFormat::ShortAll:
            return PositionKind::Short;
        case VertexFormat::Float:
        case VertexFormat::HF_UV:
        case VertexFormat::WordUV:
            break;
    }
    return PositionKind::Float;
}

UvPairKind uvPairKind(VertexFormat format) {
    switch (format) {
        case VertexFormat::Float:
            return UvPairKind::Float;
        case VertexFormat::HF_UV:
        case VertexFormat::HF_all:
            return UvPairKind::Half;
        case VertexFormat::WordUV:
        case VertexFormat::ShortAll:
            break;
    }
    return UvPairKind::Word;
}

std::uint64_t RecordLayout::extent() const {
    std::uint64_t end = positionSize(position);
    if (hasUv) end = std::max<std::uint64_t>(end, std::uint64_t{uvOffset} + vDelta + pairSize(uv) / 2);
    return end;
}

RecordLayout interleavedLayout(const Workspace& ws, bool withUVs) {
    RecordLayout layout;
    layout.position = positionKind(ws.vertexFormat);
    layout.signedShorts = ws.signedShorts != 0;
    layout.hasUv = withUVs && ws.uvPos != kNoUvInRecord;
    layout.uv = uvPairKind(ws.vertexFormat);
    layout.uvOffset = ws.uvPos;
    // The float pair of a Float record is always contiguous; uvGap moves only halves and words.
    layout.vDelta = layout.uv == UvPairKind::Float ? 4 : (ws.uvGap ? 4 : 2);
    layout.uvDivisor = ws.uvDivisor;
    return layout;
}

}  // namespace nimbrel
