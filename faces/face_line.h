#pragma once

#include <array>
#include <bit>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "core/text_format.h"
#include "core/text_out.h"

namespace nimbrel {

namespace detail {

// "00" to "99" as 16-bit words whose bytes, in memory order, are the two digits.
inline constexpr std::array<std::uint16_t, 100> kDigitPairs = [] {
    std::array<std::uint16_t, 100> pairs{};
    for (int i = 0; i < 100; ++i) {
        const auto tens = static_cast<std::uint16_t>('0' + i / 10);
        const auto ones = static_cast<std::uint16_t>('0' + i % 10);
        pairs[i] = std::endian::native == std::endian::little ? (tens | ones << 8) : (tens << 8 | ones);
    }
    return pairs;
}();

inline constexpr std::array<std::uint32_t, 10> kPowersOfTen = {1,      10,      100,      1000,      10000,
                                                               100000, 1000000, 10000000, 100000000, 1000000000};

inline int decimalDigits(std::uint32_t v) {
    // Powers of ten above 1 are even, so v | 1 compares with them as v does, and 0 gets a digit.
    const std::uint32_t w = v | 1;
    const int guess = (std::bit_width(w) * 1233) >> 12;
    return guess + (w >= kPowersOfTen[guess]);
}

// Decimal digits of v into out, as "%u" prints them; out must have room for 10 bytes.
// Face lines are mostly these numbers, of every width in random order, so numbers below
// 10^8 (every 24-bit index) take a path without data-dependent branches: all eight digits
// are made at once in one word and the leading zeros shifted out.
inline char* writeIndex(char* out, std::uint32_t v) {
    if constexpr (std::endian::native == std::endian::little) {
        if (v < 100000000) {
            const int digits = decimalDigits(v);
            const std::uint32_t high = v / 10000;
            const std::uint32_t low = v % 10000;
            std::uint64_t text = std::uint64_t{kDigitPairs[high / 100]} | std::uint64_t{kDigitPairs[high % 100]} << 16 |
                                 std::uint64_t{kDigitPairs[low / 100]} << 32 | std::uint64_t{kDigitPairs[low % 100]} << 48;
            text >>= 8 * (8 - digits);
            std::memcpy(out, &text, 8);
            return out + digits;
        }
    }
    return writeUnsigned(out, v);
}

inline char* writeNumber(char* out, std::int64_t v) {
    if (v >= 0 && v <= UINT32_MAX) return writeIndex(out, static_cast<std::uint32_t>(v));
    return writeSigned(out, v);
}

}  // namespace detail

/// One index of an OBJ face at out: "v " or, in slash form, "v/v "; returns the new end.
/// Hot loops keep their cursor in a local and call this, so the compiler need not reload
/// a cursor from memory after every digit stored through a char pointer.
inline char* writeVertex(char* out, std::int64_t v, bool slash) {
    out = detail::writeNumber(out, v);
    if (slash) {
        *out++ = '/';
        out = detail::writeNumber(out, v);
    }
    *out++ = ' ';
    return out;
}

/// Text of face and list lines built in place, so that passes over millions of faces
/// allocate nothing and make no call per number. FaceLine holds one line; FaceBlock
/// gathers many and hands them to a TextOut in one piece.
template <std::size_t Capacity>
class FaceText {
public:
    /// Room one line may need: a slash-form quad of 64-bit numbers.
    static constexpr std::size_t kLongestLine = 200;

    FaceText& clear() {
        end_ = text_;
        return *this;
    }
    FaceText& put(std::string_view s) {
        assert(s.size() <= room());
        std::memcpy(end_, s.data(), s.size());
        end_ += s.size();
        return *this;
    }
    FaceText& put(char c) {
        assert(room() >= 1);
        *end_++ = c;
        return *this;
    }
    /// Decimal, as "%ld" prints it.
    FaceText& number(std::int64_t v) {
        assert(room() >= 21);
        end_ = detail::writeNumber(end_, v);
        return *this;
    }
    /// Lower-case hexadecimal without prefix, as the lists show addresses.
    FaceText& hex(std::uint64_t v) {
        assert(room() >= 16);
        end_ = writeHex(end_, v, false);
        return *this;
    }
    /// One index of an OBJ face: "v " or, in slash form, "v/v ".
    FaceText& vertex(std::int64_t v, bool slash) {
        assert(room() >= 44);
        end_ = writeVertex(end_, v, slash);
        return *this;
    }
    /// Takes back the last character, e.g. the blank after a line's last number.
    FaceText& dropLast() {
        assert(end_ > text_);
        --end_;
        return *this;
    }
    /// Where the next character goes; with setEnd for lines written through writeVertex.
    /// A line may take at most kLongestLine characters.
    char* end() { return end_; }
    void setEnd(char* end) {
        assert(end >= end_ && end <= text_ + Capacity);
        end_ = end;
    }
    std::string_view view() const { return {text_, static_cast<std::size_t>(end_ - text_)}; }
    std::size_t room() const { return static_cast<std::size_t>(text_ + Capacity - end_); }

private:
    char text_[Capacity];
    char* end_ = text_;
};

using FaceLine = FaceText<256>;

/// Face lines on their way to out: call endLine() after each line; the rest goes out when
/// the block is destroyed, so nothing written to out directly may interleave meanwhile.
/// With no out (a pass that lists or scans) the block is never written to.
class FaceBlock : public FaceText<2048> {
public:
    explicit FaceBlock(TextOut* out) : out_(out) {}
    ~FaceBlock() { drain(); }
    FaceBlock(const FaceBlock&) = delete;
    FaceBlock& operator=(const FaceBlock&) = delete;

    void endLine() {
        if (room() < kLongestLine) drain();
    }
    /// Hands what is gathered to out now, e.g. before writing to out directly.
    /// Small pieces: TextOut's buffer keeps room for them without growing.
    void drain() {
        if (out_ != nullptr) out_->put(view());
        clear();
    }

private:
    TextOut* out_;
};

}  // namespace nimbrel
