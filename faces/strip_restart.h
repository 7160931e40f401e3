#pragma once

#include <cstdint>

#include "core/line_sink.h"
#include "core/model_buffer.h"
#include "core/text_out.h"
#include "core/workspace.h"
#include "faces/face_index_pass.h"
#include "faces/face_mode.h"

namespace nimbrel {

/// The value that ends one strip and starts the next; the same in both byte orders.
inline constexpr std::uint16_t kRestartMarker = 0xFFFF;

enum class StripConversion {
    Converted,  ///< scratch holds the block's triangles
    Rejected,   ///< a strip too short, too few values or no memory; scratch unchanged
    PastEnd,    ///< the block reaches past the model end; nothing was read
};

struct RestartStripResult {
    StripConversion outcome;
    /// Values whose reads fit inside the model: the whole count unless PastEnd.
    std::uint64_t indicesThatFit;
};

/// Turns the count 16-bit values at start, strips separated by restartMarker, into
/// independent triangles of one winding each, held in scratch (0-based, as stored).
/// Counts first and allocates the array once, at its exact size, so a failure never
/// leaves a partly filled array. A strip of two values or fewer is reported in lines
/// ("TriStrips error at index ...").
RestartStripResult convertRestartStrips(const ModelBuffer& model, std::uint32_t start, std::uint32_t count,
                                        bool bigEndian, StripScratch& scratch, std::uint16_t restartMarker,
                                        LineSink& lines);

/// Handles the first indexCount entries of ws.stripScratch (callers pass its
/// stripIndexCount; never more than it holds) as 1-based faces: writes OBJ face lines to
/// out (Write), lists them into lines (List) or only measures (Scan). Returns the smallest
/// and largest 1-based index in every mode.
FaceIndexRange writeStripFaces(const Workspace& ws, TextOut* out, std::uint32_t indexCount, FaceMode mode,
                               bool slashForm, LineSink& lines);

}  // namespace nimbrel
