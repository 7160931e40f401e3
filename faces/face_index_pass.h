#pragma once

#include <cstdint>

#include "core/model_buffer.h"
#include "core/panel.h"
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

/// The end-of-file rule of every face pass: true when all count indices can be read.
/// Otherwise shows "EOF met!\nfaceIndexCnt reduced", writes the number of indices that
/// fit minus 1 into field 3 (0 when none fits) and returns false.
bool faceBlockFits(const ModelBuffer& model, std::uint32_t start, std::uint32_t count, std::uint8_t indexSize,
                   std::uint8_t faceVertexCount, std::uint8_t faceGap, Panel& panel);

/// One walk over the face-index block at start: a triangle or quad list when stripMode is
/// off, one plain strip when it is on (restart-marker strips go through strip_restart.h).
/// Lists faces into the results list, writes OBJ face lines to out (Write only; out may be
/// null otherwise; never flushed or closed here), or only measures. Leaves minFaceIndex
/// and maxFaceIndex (and, for lists, maxFaceAddress) in ws; Write with relFI numbers the
/// faces from the minFaceIndex of the pass before.
///
/// Returns false when the block reaches past the model end: then "EOF met!" has been shown,
/// field 3 holds the reduced count, nothing was read or changed, and the calling command
/// must stop without a message of its own.
bool faceIndexPass(Workspace& ws, const ModelBuffer& model, TextOut* out, std::uint32_t start, std::uint32_t count,
                   FaceMode mode, bool slash, Panel& panel);

}  // namespace nimbrel
