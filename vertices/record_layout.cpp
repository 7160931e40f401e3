#include "vertices/record_layout.h"

#include <algorithm>

namespace nimbrel {

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
    return interleavedLayout(layoutSettingsOf(ws), withUVs);
}

RecordLayout interleavedLayout(const LayoutSettings& settings, bool withUVs) {
    RecordLayout layout;
    layout.position = positionKind(settings.vertexFormat);
    layout.signedShorts = settings.signedShorts;
    layout.hasUv = withUVs && settings.uvPos != kNoUvInRecord;
    layout.uv = uvPairKind(settings.vertexFormat);
    layout.uvOffset = settings.uvPos;
    // The float pair of a Float record is always contiguous; uvGap moves only halves and words.
    layout.vDelta = layout.uv == UvPairKind::Float ? 4 : (settings.uvGap ? 4 : 2);
    layout.uvDivisor = settings.uvDivisor;
    return layout;
}

}  // namespace nimbrel
