#pragma once

#include <cstdint>

#include "core/workspace.h"

namespace nimbrel {

// kNoUvInRecord and kNoUvBlock live with the Workspace members they mark.

/// Everything steps 1 to 3 need to decode one submesh, in the tool's own terms: what a user
/// types into the fields and sets with the toggles and the format combobox.
struct LayoutSettings {
    // Step 1: face-index block.
    std::uint32_t faceIndexStart = 0;
    std::uint32_t faceIndexCnt = 0;
    std::uint8_t faceGap = 0;
    std::uint8_t indexSize = 2;  ///< 2: "Word", 4: " DW "
    bool stripMode = false;      ///< "Strip"
    bool ffffSeparator = false;  ///< "FFFF": 16-bit strips with restart markers
    std::uint8_t faceVertexCount = 3;  ///< 4 for quads
    bool relFI = false;

    // Step 2: vertex record layout and UVs.
    bool vbMode = true;  ///< " VB " interleaved records; false: " seq " packed blocks
    std::uint8_t fvfSize = 12;
    std::uint8_t uvPos = kNoUvInRecord;
    /// In VB mode the separate UV block; in seq mode the packed UV block (field 4).
    std::uint32_t uvBlockStart = 0;
    std::uint8_t uvBlockSize = kNoUvBlock;
    VertexFormat vertexFormat = VertexFormat::Float;
    bool bigEndian = false;
    float uvDivisor = kWordUvDivisor64k;
    bool uvGap = false;
    bool signedShorts = true;

    // Step 3: vertex block.
    std::uint32_t vertexStart = 0;
    std::uint32_t vertsCnt = 0;

    bool operator==(const LayoutSettings&) const = default;
};

/// The layout the Workspace holds after the step fields were read.
inline LayoutSettings layoutSettingsOf(const Workspace& ws) {
    LayoutSettings s;
    s.faceIndexStart = ws.faceIndexStart;
    s.faceIndexCnt = ws.faceIndexCnt;
    s.faceGap = ws.faceGap;
    s.indexSize = ws.indexSize;
    s.stripMode = ws.stripMode;
    s.ffffSeparator = ws.ffffSeparator;
    s.faceVertexCount = ws.faceVertexCount;
    s.relFI = ws.relFI;
    s.vbMode = ws.vbMode;
    s.fvfSize = ws.fvfSize;
    s.uvPos = ws.uvPos;
    s.uvBlockStart = ws.uvBlockStart;
    s.uvBlockSize = ws.uvBlockSize;
    s.vertexFormat = ws.vertexFormat;
    s.bigEndian = ws.bigEndian;
    s.uvDivisor = ws.uvDivisor;
    s.uvGap = ws.uvGap;
    s.signedShorts = ws.signedShorts;
    s.vertexStart = ws.vertexStart;
    s.vertsCnt = ws.vertsCnt;
    return s;
}

}  // namespace nimbrel
