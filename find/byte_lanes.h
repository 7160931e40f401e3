#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace nimbrel {

/// Sixteen bytes of 16- or 32-bit values, a lane each: the scans judge many starts at
/// once this way, in vector registers.
template <std::uint8_t size>
using Lanes = std::conditional_t<size == 2, std::uint16_t __attribute__((vector_size(16))),
                                 std::uint32_t __attribute__((vector_size(16)))>;
using ByteLanes = std::uint8_t __attribute__((vector_size(16)));

/// The values of size bytes in the given byte order at at, at + size, ..., up to at + 15.
/// The caller keeps the sixteen bytes inside its buffer.
template <std::uint8_t size, bool bigEndian>
Lanes<size> lanesAt(const std::uint8_t* at) {
    Lanes<size> v;
    std::memcpy(&v, at, sizeof v);
    if constexpr (bigEndian != (std::endian::native == std::endian::big)) {
        if constexpr (size == 2) v = (v << 8) | (v >> 8);
        else v = (v << 24) | ((v << 8) & 0xFF0000u) | ((v >> 8) & 0xFF00u) | (v >> 24);
    }
    return v;
}

/// The same in a byte order known only at run time.
template <std::uint8_t size>
Lanes<size> lanesAt(const std::uint8_t* at, bool bigEndian) {
    return bigEndian ? lanesAt<size, true>(at) : lanesAt<size, false>(at);
}

/// Whether any lane of a comparison's result is set.
template <class V>
bool anyLane(const V& v) {
    static_assert(sizeof v == 16);
    std::uint64_t words[2];
    std::memcpy(words, &v, sizeof words);
    return (words[0] | words[1]) != 0;
}

}  // namespace nimbrel
