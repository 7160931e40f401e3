#pragma once

#include <cstdint>
#include <string_view>

#include "core/model_buffer.h"
#include "core/text_out.h"
#include "core/workspace.h"

namespace nimbrel {

/// Writes the OBJ vertex section of count interleaved records (fvfSize apart) from
/// vertexStart, decoded as ws.vertexFormat says: a position line per record, each
/// followed by its UV line when withUVs is set and uvPos is not 99, then "# 0x%lx" with
/// the offset just past the last record, then for ShortAll the average and BBox lines.
/// uvMapMode writes the UVs as vertices in the plane z = 0 and the positions as comments.
/// HF_all with relFI starts at the record the smallest face index names.
/// Refuses, writing nothing, when uvPos lies inside the format's position (12 or 6 bytes):
/// returns the message to show ("UVpos must be >= 12" / ">= 6"), empty when written.
/// Reads past the model read zeros.
std::string_view writeVertexLines(const Workspace& ws, const ModelBuffer& model, TextOut& out,
                                  std::uint32_t vertexStart, std::uint32_t count, bool withUVs, bool uvMapMode);

/// Writes count packed positions from vertexStart as "v" lines: floats for Float, HF_UV and
/// WordUV (12 bytes each), halves for HF_all and signed shorts for ShortAll (6 bytes each).
void writePackedVertexLines(const Workspace& ws, const ModelBuffer& model, TextOut& out,
                            std::uint32_t vertexStart, std::uint32_t count);

}  // namespace nimbrel
