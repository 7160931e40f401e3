#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/line_sink.h"
#include "core/model_buffer.h"
#include "core/workspace.h"

namespace nimbrel {

// The previewBlock family: a few decoded records of a block as listing lines, so the
// user can judge a guessed layout. Each lists records 0 to 9 (also when count is smaller,
// showing what follows the block), "...", then records count-3 to count-1 when count is at
// least 3. Values are shown by formatValue, each followed by one blank. None checks the block
// against the model size; bytes past the model read as zeros.

/// go3: packed positions from start by ws.vertexFormat: floats (12 bytes; Float, HF_UV,
/// WordUV), halves or signed shorts (6 bytes). Unit-length positions get " NORM". The
/// little-endian float positions close with "next address: 0x" and start + count * 12.
void previewPackedBlock(const Workspace& ws, const ModelBuffer& model, LineSink& lines, std::uint32_t start,
                        std::uint32_t count);

/// What a listing of UV pairs found.
struct UvPreview {
    /// Not empty when nothing was listed: the refusal to show the user.
    std::string_view refusal;
    /// The record whose pair was the first found outside 0..1, when one was judged so.
    std::optional<std::uint32_t> firstDoubtfulUv;
};

/// go2 in VB mode: interleaved records fvfSize apart, a "v " line per record and, when uvPos
/// is not 99, a "vt " line of its UV pair. " NORM" except for ShortAll; from the first
/// doubtful u or v on every vt line gets " UV?" (not for Float, whose vt lines are never
/// judged, but whose listing closes with "next address: 0x"). Refuses with "UVpos must be
/// >= ..." when uvPos lies inside the position.
UvPreview previewInterleavedBlock(const Workspace& ws, const ModelBuffer& model, LineSink& lines, std::uint32_t start,
                                  std::uint32_t count);

/// go2: a separate UV block by ws.vertexFormat's pair encoding. Strided (records uvBlockSize
/// apart): "vt " lines, " (UV?)" from the first doubtful value on. Packed (pairs one after
/// another): bare lines, each marked " UV?" by its own values. Float pairs show, when count
/// is at least 4, the offset of record count-4 and records count-4 to count-2 as the tail.
UvPreview previewUVBlock(const Workspace& ws, const ModelBuffer& model, LineSink& lines, std::uint32_t start,
                         std::uint32_t count, bool packed);

}  // namespace nimbrel
