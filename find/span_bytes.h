#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <span>

namespace nimbrel {

/// The Bytes type of the record readers over a span: a read reaching past the end gives
/// 0, as the tool's own checked reads do, so no decode ever leaves the span.
struct SpanBytes {
    std::span<const std::uint8_t> data;
    bool bigEndian = false;

    std::uint16_t u16(std::uint64_t offset) const {
        if (offset > data.size() || data.size() - offset < 2) return 0;
        const std::uint8_t* p = data.data() + offset;
        return bigEndian ? std::uint16_t(p[0] << 8 | p[1]) : std::uint16_t(p[1] << 8 | p[0]);
    }
    std::uint32_t u32(std::uint64_t offset) const {
        if (offset > data.size() || data.size() - offset < 4) return 0;
        std::uint32_t v;
        std::memcpy(&v, data.data() + offset, 4);
        if (bigEndian != (std::endian::native == std::endian::big)) v = __builtin_bswap32(v);
        return v;
    }
};

}  // namespace nimbrel
