#pragma once

#include <cstdint>

#include "core/model_buffer.h"
#include "core/text_out.h"
#include "core/workspace.h"

namespace nimbrel {

/// Writes count UV pairs of a separate block from uvBlockStart as "vt u v " lines, the pair
/// encoding by ws.vertexFormat (float, half or word pairs; words are divided by uvDivisor and
/// mark every line from the first doubtful one on with "# UV?"). Records lie uvBlockSize
/// apart, or pair by pair when packed is set.
void writeUVLines(const Workspace& ws, const ModelBuffer& model, TextOut& out, std::uint32_t uvBlockStart,
                  std::uint32_t count, bool packed);

/// The UV map stride of pairs packed one after the other.
inline constexpr std::uint8_t kPackedUvStride = 255;

/// Writes the same pairs as vertices "v u v 0.0" of the flat UV layout. A stride of
/// kPackedUvStride means packed (the pair size); any other is the distance between records.
void writeUVMapLines(const Workspace& ws, const ModelBuffer& model, TextOut& out, std::uint32_t uvBlockStart,
                     std::uint32_t count, std::uint8_t stride);

}  // namespace nimbrel
