#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace nimbrel {

/// Room that one numeric conversion below may need ("%f" of the largest double).
inline constexpr std::size_t kMaxNumberText = 330;

/// Writes x exactly as C printf("%f", x) does and returns the end of the text.
char* writeFixed6(char* out, double x);
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
