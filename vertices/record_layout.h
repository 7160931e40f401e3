#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#include "core/layout_settings.h"
#include "core/model_buffer.h"
#include "core/number_decoding.h"
#include "core/workspace.h"

namespace nimbrel {

/// How the three components of a position are stored.
enum class PositionKind : std::uint8_t { Float, Half, Short };
/// How a UV pair is stored: two floats, two halves or two words divided by uvDivisor.
enum class UvPairKind : std::uint8_t { Float, Half, Word };

inline constexpr std::uint32_t positionSize(PositionKind kind) { return kind == PositionKind::Float ? 12 : 6; }
inline constexpr std::uint32_t pairSize(UvPairKind kind) { return kind == UvPairKind::Float ? 8 : 4; }

/// Position encoding of this format, in interleaved records and packed blocks alike
/// (HF_UV and WordUV positions are plain floats).
PositionKind positionKind(VertexFormat format);
/// UV pair encoding of this format, in records and in separate UV blocks alike.
UvPairKind uvPairKind(VertexFormat format);
/// WordUV and ShortAll: the formats whose UV words the divisor toggle scales.
inline bool hasWordUvs(VertexFormat format) { return uvPairKind(format) == UvPairKind::Word; }

/// A u or v outside 0.0 to 1.0 (both ends inside) makes a UV doubtful; NaN is outside too.
inline bool isOutsideUnitRange(float value) { return !(value >= 0.0f && value <= 1.0f); }

struct Vec3 {
    float x, y, z;
};
struct UvPair {
    float u, v;
};

/// Where and how a record's numbers lie, relative to the record's first byte.
struct RecordLayout {
    PositionKind position = PositionKind::Float;
    bool signedShorts = true;
    bool hasUv = false;
    UvPairKind uv = UvPairKind::Float;
    std::uint32_t uvOffset = 0;
    /// Distance from u to v: 4 for floats; 2 for halves and words, 4 with uvGap.
    std::uint32_t vDelta = 4;
    float uvDivisor = kWordUvDivisor64k;

    /// Bytes from the record's start to the end of the last byte it reads; may exceed the
    /// stride when a UV pair reaches into the next record.
    std::uint64_t extent() const;
};

/// Layout of an interleaved record of ws.vertexFormat; the UV pair is in use when
/// withUVs is set and uvPos is not 99.
RecordLayout interleavedLayout(const Workspace& ws, bool withUVs);
RecordLayout interleavedLayout(const LayoutSettings& settings, bool withUVs);

/// Reads through the ModelBuffer accessors: bytes past the model read as 0.
struct CheckedBytes {
    const ModelBuffer& model;
    bool bigEndian;
    std::uint16_t u16(std::uint64_t offset) const { return model.readU16(offset, bigEndian); }
    std::uint32_t u32(std::uint64_t offset) const { return model.readU32(offset, bigEndian); }
};

/// Reads the model storage directly, for a block proved inside the model with contains().
struct DirectBytes {
    const std::uint8_t* data;
    bool bigEndian;
    std::uint16_t u16(std::uint64_t offset) const {
        std::uint16_t v;
        std::memcpy(&v, data + offset, 2);
        return swapNeeded() ? static_cast<std::uint16_t>(v >> 8 | v << 8) : v;
    }
    std::uint32_t u32(std::uint64_t offset) const {
        std::uint32_t v;
        std::memcpy(&v, data + offset, 4);
        return swapNeeded() ? __builtin_bswap32(v) : v;
    }
    bool swapNeeded() const { return bigEndian != (std::endian::native == std::endian::big); }
};

/// Calls fn with DirectBytes when every byte of count records (stride apart, each reading
/// extent bytes) lies inside the model, else with CheckedBytes. Summed in 64 bits: start +
/// count * stride wraps 32 bits on large models.
template <class Fn>
void withRecordBytes(const ModelBuffer& model, bool bigEndian, std::uint64_t start, std::uint64_t count,
                     std::uint64_t stride, std::uint64_t extent, Fn&& fn) {
    if (count > 0 && model.contains(start, (count - 1) * stride + extent))
        fn(DirectBytes{model.data(), bigEndian});
    else
        fn(CheckedBytes{model, bigEndian});
}

template <class Bytes>
float floatAt(const Bytes& bytes, std::uint64_t offset) {
    return std::bit_cast<float>(bytes.u32(offset));
}

template <class Bytes>
float halfAt(const Bytes& bytes, std::uint64_t offset) {
    return halfToFloat(bytes.u16(offset));
}

/// A 16-bit coordinate in 1/256 units; above 32767 is negative when signedShorts is set.
template <class Bytes>
float shortAt(const Bytes& bytes, std::uint64_t offset, bool signedShorts) {
    int value = bytes.u16(offset);
    if (signedShorts && value > 32767) value -= 65536;
    return static_cast<float>(value) * 0.00390625f;
}

template <class Bytes>
float wordAt(const Bytes& bytes, std::uint64_t offset, float uvDivisor) {
    return static_cast<float>(bytes.u16(offset)) / uvDivisor;
}

template <class Bytes>
Vec3 positionAt(const Bytes& bytes, std::uint64_t offset, PositionKind kind, bool signedShorts) {
    switch (kind) {
        case PositionKind::Float:
            return {floatAt(bytes, offset), floatAt(bytes, offset + 4), floatAt(bytes, offset + 8)};
        case PositionKind::Half:
            return {halfAt(bytes, offset), halfAt(bytes, offset + 2), halfAt(bytes, offset + 4)};
        case PositionKind::Short:
            break;
    }
    return {shortAt(bytes, offset, signedShorts), shortAt(bytes, offset + 2, signedShorts),
            shortAt(bytes, offset + 4, signedShorts)};
}

/// The pair whose u lies at offset and whose v lies vDelta bytes after it.
template <class Bytes>
UvPair uvPairAt(const Bytes& bytes, std::uint64_t offset, UvPairKind kind, std::uint32_t vDelta, float uvDivisor) {
    switch (kind) {
        case UvPairKind::Float:
            return {floatAt(bytes, offset), floatAt(bytes, offset + vDelta)};
        case UvPairKind::Half:
            return {halfAt(bytes, offset), halfAt(bytes, offset + vDelta)};
        case UvPairKind::Word:
            break;
    }
    return {wordAt(bytes, offset, uvDivisor), wordAt(bytes, offset + vDelta, uvDivisor)};
}

}  // namespace nimbrel
