#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>

namespace nimbrel {

/// Room that one numeric conversion below may need ("%f" of the largest double).
inline constexpr std::size_t kMaxNumberText = 330;

/// Writes x exactly as C printf("%f", x) does and returns the end of the text.
char* writeFixed6(char* out, double x);

namespace detail {
/// "00" "01" ... "99".
extern const char kDigitPairs[201];

inline char* writeTwoDigits(char* out, std::uint32_t v) {
    std::memcpy(out, kDigitPairs + 2 * v, 2);
    return out + 2;
}

/// Decimal digits of v < 2^32, written straight to out.
inline char* writeWhole(char* out, std::uint32_t v) {
    if (v < 10) {
        *out = static_cast<char>('0' + v);
        return out + 1;
    }
    int digits = 2;
    for (std::uint64_t limit = 100; v >= limit && digits < 10; limit *= 10) ++digits;
    char* end = out + digits;
    char* p = end;
    while (v >= 100) {
        p -= 2;
        writeTwoDigits(p, v % 100);
        v /= 100;
    }
    if (v >= 10) writeTwoDigits(p - 2, v);
    else p[-1] = static_cast<char>('0' + v);
    return end;
}
}  // namespace detail

/// writeFixed6 of a float, the same characters, kept inline for the vertex writers. Below
/// 2^32 the float is mant / 2^shift with a 24-bit mant, so mant's fraction times 10^6 fits
/// 64 bits exactly and its rounding to an integer is done on the exact value, half to
/// even, as printf does in the default rounding mode. Larger values, inf and NaN take the
/// general path.
inline char* writeFloatFixed6(char* out, float x) {
    const auto bits = std::bit_cast<std::uint32_t>(x);
    const std::uint32_t biased = bits >> 23 & 0xff;
    if (biased >= 127 + 32) return writeFixed6(out, x);
    *out = '-';
    out += bits >> 31;
    std::uint64_t mant = bits & 0x7fffff;
    int shift = 149;
    if (biased != 0) {
        mant |= 0x800000;
        shift = 150 - static_cast<int>(biased);
    }
    std::uint32_t whole = 0;
    std::uint32_t frac = 0;
    if (shift <= 0) {
        whole = static_cast<std::uint32_t>(mant << -shift);
    } else if (shift <= 45) {  // below 2^-21 everything rounds to 0.000000
        whole = static_cast<std::uint32_t>(mant >> shift);
        const std::uint64_t low = (std::uint64_t{1} << shift) - 1;
        const std::uint64_t scaled = (mant & low) * 1000000;
        const std::uint64_t dropped = scaled & low;
        const std::uint64_t half = std::uint64_t{1} << (shift - 1);
        frac = static_cast<std::uint32_t>(scaled >> shift);
        frac += dropped > half || (dropped == half && (frac & 1) != 0);
        if (frac == 1000000) {
            ++whole;
            frac = 0;
        }
    }
    out = detail::writeWhole(out, whole);
    *out++ = '.';
    out = detail::writeTwoDigits(out, frac / 10000);
    out = detail::writeTwoDigits(out, frac / 100 % 100);
    return detail::writeTwoDigits(out, frac % 100);
}
/// Decimal digits of v, as printf("%ld") / printf("%lu").
char* writeSigned(char* out, std::int64_t v);
char* writeUnsigned(char* out, std::uint64_t v);
/// Hexadecimal digits without prefix or leading zeros, as printf("%lx") / ("%lX").
char* writeHex(char* out, std::uint64_t v, bool upper);

/// One argument of appendFormat, kept with the signedness of its C++ type.
struct FormatArg {
    enum class Kind { Signed, Unsigned, Real, Text } kind;
    std::int64_t i = 0;
    std::uint64_t u = 0;
    double d = 0;
    std::string_view s;

    template <class T>
    FormatArg(const T& v) {  // NOLINT: implicit by design, so print() reads like printf
        if constexpr (std::is_floating_point_v<T>) {
            kind = Kind::Real;
            d = static_cast<double>(v);
        } else if constexpr (std::is_enum_v<T>) {
            kind = Kind::Unsigned;
            u = static_cast<std::uint64_t>(v);
        } else if constexpr (std::is_integral_v<T> && std::is_signed_v<T>) {
            kind = Kind::Signed;
            i = v;
        } else if constexpr (std::is_integral_v<T>) {
            kind = Kind::Unsigned;
            u = v;
        } else {
            kind = Kind::Text;
            s = std::string_view(v);
        }
    }
};

/// Appends the printf rendering of fmt to out. Supports the flags "-0 +", a width, a
/// precision, the length modifiers h, l, ll, z and the conversions d i u x X f c s %.
/// "%d" and "%x" take the low 32 bits of an integer argument, as C would read an int.
void appendFormatArgs(std::string& out, std::string_view fmt, const FormatArg* args, std::size_t count);

template <class... Args>
void appendFormat(std::string& out, std::string_view fmt, const Args&... args) {
    const FormatArg list[] = {FormatArg(args)..., FormatArg(0)};
    appendFormatArgs(out, fmt, list, sizeof...(Args));
}

template <class... Args>
std::string format(std::string_view fmt, const Args&... args) {
    std::string out;
    appendFormat(out, fmt, args...);
    return out;
}

/// Lower-case hexadecimal text of v without prefix, as the lists show addresses.
std::string hexText(std::uint64_t v);

}  // namespace nimbrel
