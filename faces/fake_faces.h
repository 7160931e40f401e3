#pragma once

#include <cstdint>

#include "core/text_out.h"

namespace nimbrel {

/// The user's own face lines, read from the current directory.
inline constexpr const char* kFakeFaceFile = "FIs.txt";

/// Where the faces writeFakeFaces wrote came from.
enum class FakeFaceSource {
    File,        ///< FIs.txt, copied whole (or out marked failed)
    FileCutShort,///< FIs.txt could not be read to its end; the faces read before were added
    Generated,   ///< no FIs.txt: faces generated over the vertices
};

/// Faces for a model whose face-index block was not found. Appends FIs.txt byte for byte
/// at the end of out, or, when there is no such file, generates faces over the vertices
/// 1..vertexCount: one strip when strip is set, consecutive triples otherwise. The caller
/// has flushed out just before and closes it after. A failed write marks out failed, so
/// the command reports it when it closes the file.
FakeFaceSource writeFakeFaces(TextOut& out, std::uint32_t vertexCount, bool strip, bool slash);

}  // namespace nimbrel
