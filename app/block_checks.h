#pragma once

#include <cstdint>

#include "core/model_buffer.h"
#include "app/window.h"
#include "core/workspace.h"

namespace nimbrel {

/// True when count records of stride bytes from start end at or before the model's end
/// (64-bit sum). Otherwise shows "EOF met!\nVertsCnt reduced", writes into field 7 the
/// count that end-of-file reduction offers ((size - start) / stride, less one, never below
/// 0) and returns false; the command then stops. vertsCnt itself is left alone.
bool checkBlockFits(const ModelBuffer& model, Window& window, std::uint32_t start, std::uint32_t count,
                    std::uint32_t stride);

/// The commands that write vertex or UV blocks into a file.
enum class BlockReader { Mesh, UVs, SubmeshExport };

/// Checks, with vertsCnt, every vertex and UV block that reader will read for the current
/// settings, the way go2 and go3 check theirs, so no block past the end of the file is
/// ever written as zeros. Call right after the field reads, before the face scan (and, in a
/// batch export, again after the count correction). False after the one message.
bool checkExportBlocks(const Workspace& ws, const ModelBuffer& model, Window& window, BlockReader reader);

}  // namespace nimbrel
