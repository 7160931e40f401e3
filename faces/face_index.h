#pragma once

#include <cassert>
#include <cstdint>

#include "core/model_buffer.h"

namespace nimbrel {

/// One face index at p, 1-based. indexSize 2 reads a 16-bit word; indexSize 4 consumes
/// four bytes but uses only three (the low ones in the chosen byte order), so DW indices
/// are 24-bit. The caller has checked that the indexSize bytes at p lie in the model.
inline std::uint32_t readFaceIndex(const std::uint8_t* p, std::uint8_t indexSize, bool bigEndian) {
    assert(indexSize == 2 || indexSize == 4);
    std::uint32_t value;
    if (indexSize == 2)
        value = bigEndian ? std::uint32_t(p[0]) << 8 | p[1] : std::uint32_t(p[1]) << 8 | p[0];
    else if (bigEndian)
        value = std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
    else
        value = std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
    return value + 1;
}

/// The same through the model's accessor: bytes past the model end read as 0.
inline std::uint32_t readFaceIndex(const ModelBuffer& model, std::uint64_t offset, std::uint8_t indexSize,
                                   bool bigEndian) {
    std::uint8_t bytes[4];
    model.copyOut(offset, indexSize, bytes);
    return readFaceIndex(bytes, indexSize, bigEndian);
}

}  // namespace nimbrel
