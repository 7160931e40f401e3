#pragma once

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

// The decimal digits of v < 10^8 as byte values 0..9, most significant first in memory
// order of a little-endian word. Lane arithmetic: the two four-digit halves sit in 32-bit
// lanes, are split into pairs in 16-bit lanes, then into digits in bytes; each
// multiply-shift divides exactly in its range and never carries into the next lane.
inline std::uint64_t eightDigits(std::uint32_t v) {
    const std::uint64_t halves = (v / 10000) | std::uint64_t{v % 10000} << 32;
    const std::uint64_t hundreds = ((halves * 10486) >> 20) & 0x0000007F0000007FULL;
    const std::uint64_t pairs = hundreds | (halves - hundreds * 100) << 16;
    const std::uint64_t tens = ((pairs * 103) >> 10) & 0x000F000F000F000FULL;
    return tens | (pairs - tens * 10) << 8;
}

// Decimal digits of v into out, as "%u" prints them; out must have room for 10 bytes.
// Face lines are mostly these numbers, of every width in random order, so numbers below
// 10^8 (every 24-bit index) take a path without branches or table loads: all eight digits
// are made at once in one word, and the leading zeros (the low zero bytes; the last digit
// always stays) are shifted out.
inline char* writeIndex(char* out, std::uint32_t v) {
    if constexpr (std::endian::native == std::endian::little) {
        if (v < 100000) {
            // Every 16-bit index: the top digit, then four digits made as above.
            const std::uint32_t low = v % 10000;
            const std::uint64_t pairs = (low / 100) | std::uint64_t{low % 100} << 16;
            const std::uint64_t tens = ((pairs * 103) >> 10) & 0x000F000FULL;
            const std::uint64_t digits = (v / 10000) | (tens | (pairs - tens * 10) << 8) << 8;
            const int zeros = std::countr_zero(digits | std::uint64_t{1} << 32) / 8;
            const std::uint64_t text = (digits | 0x3030303030ULL) >> (8 * zeros);
            std::memcpy(out, &text, 8);
            return out + 5 - zeros;
        }
        if (v < 100000000) {
            const std::uint64_t digits = eightDigits(v);
            const int zeros = std::countr_zero(digits | std::uint64_t{1} << 56) / 8;
            const std::uint64_t text = (digits | 0x3030303030303030ULL) >> (8 * zeros);
            std::memcpy(out, &text, 8);
            return out + 8 - zeros;
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
