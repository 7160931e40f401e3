#pragma once

#include <cstdint>

#include "core/panel.h"
#include "core/text_out.h"
#include "core/workspace.h"

namespace nimbrel {

/// The user's own face lines, read from the current directory.
inline constexpr const char* kFakeFaceFile = "FIs.txt";

/// Faces for a model whose face-index block was not found. Appends FIs.txt byte for byte
/// at the end of out, or, when there is no such file, generates faces over the vertices
/// 1..vertexCount: one strip in stripMode, consecutive triples otherwise (the first time
/// in a run with a hint). The caller has flushed out just before and closes it after. A
/// failed write marks out failed, so the command reports it when it closes the file.
void writeFakeFaces(Workspace& ws, TextOut& out, std::uint32_t vertexCount, bool slash, Panel& panel);

}  // namespace nimbrel
