#pragma once

#include <cstdint>
#include <optional>

#include "core/line_sink.h"
#include "core/model_buffer.h"
#include "core/text_out.h"
#include "core/workspace.h"
#include "faces/face_mode.h"

namespace nimbrel {

/// How many indices of a block, counted from its first, can be read inside a model of
/// modelSize bytes. A face list reads faceVertexCount indices, then skips faceGap bytes
/// before the next face; a gap after the last index read is never read. Plain strips
/// pass faceVertexCount 1 and faceGap 0. 64-bit throughout, so nothing wraps.
std::uint64_t indicesThatFit(std::uint64_t modelSize, std::uint64_t start, std::uint64_t count,
                             std::uint8_t indexSize, std::uint8_t faceVertexCount, std::uint8_t faceGap);

/// Smallest and largest index a pass met.
struct FaceIndexRange {
    std::uint32_t min;
    std::uint32_t max;
};

/// What one face pass found.
struct FacePassResult {
    /// False when the block reaches past the model end; then nothing was read.
    bool fits = true;
    /// Indices whose reads fit inside the model, counted from the first: the whole count
    /// when fits. The user is offered this number minus 1.
    std::uint64_t indicesThatFit = 0;
    /// None when nothing was measured (past the end, or a plain strip of no indices).
    std::optional<FaceIndexRange> range;
    /// Lists only: the address of the last face whose first index reached the running
    /// largest one.
    std::optional<std::uint32_t> maxFaceAddress;
};

/// The end-of-file rule of every face pass: fits when all count indices can be read.
FacePassResult faceBlockFit(const ModelBuffer& model, std::uint32_t start, std::uint32_t count, std::uint8_t indexSize,
                            std::uint8_t faceVertexCount, std::uint8_t faceGap);

/// One walk over the face-index block at start: a triangle or quad list when stripMode is
/// off, one plain strip when it is on (restart-marker strips go through strip_restart.h).
/// Lists faces into lines (List), writes OBJ face lines to out (Write only; out may be
/// null otherwise; never flushed or closed here), or only measures (Scan). Write with
/// relFI numbers the faces from ws.minFaceIndex, the smallest index of the pass before;
/// Write leaves the group lines out in batchMode. The caller keeps the figures it returns.
FacePassResult faceIndexPass(const Workspace& ws, const ModelBuffer& model, TextOut* out, std::uint32_t start,
                             std::uint32_t count, FaceMode mode, bool slash, LineSink& lines);

}  // namespace nimbrel
