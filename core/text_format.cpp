#include "core/text_format.h"

#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace nimbrel {

namespace detail {

const char kDigitPairs[201] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

}  // namespace detail

namespace {

using detail::kDigitPairs;

// Below this magnitude x * 10^6 of a float is an exact integer-valued double.
constexpr double kExactScaledLimit = 9007199254.0;

char* writeSixDecimals(char* out, std::uint32_t frac) {
    for (int pos = 4; pos >= 0; pos -= 2) {
        std::memcpy(out + pos, kDigitPairs + 2 * (frac % 100), 2);
        frac /= 100;
    }
    return out + 6;
}

}  // namespace

char* writeUnsigned(char* out, std::uint64_t v) {
    char tmp[24];
    char* p = tmp + sizeof tmp;
    while (v >= 100) {
        p -= 2;
        std::memcpy(p, kDigitPairs + 2 * (v % 100), 2);
        v /= 100;
    }
    if (v >= 10) {
        p -= 2;
        std::memcpy(p, kDigitPairs + 2 * v, 2);
    } else {
        *--p = static_cast<char>('0' + v);
    }
    std::size_t n = static_cast<std::size_t>(tmp + sizeof tmp - p);
    std::memcpy(out, p, n);
    return out + n;
}

char* writeSigned(char* out, std::int64_t v) {
    if (v < 0) {
        *out++ = '-';
        return writeUnsigned(out, 0 - static_cast<std::uint64_t>(v));
    }
    return writeUnsigned(out, static_cast<std::uint64_t>(v));
}

char* writeHex(char* out, std::uint64_t v, bool upper) {
    const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    char tmp[16];
    char* p = tmp + sizeof tmp;
    do {
        *--p = digits[v & 15];
        v >>= 4;
    } while (v != 0);
    std::size_t n = static_cast<std::size_t>(tmp + sizeof tmp - p);
    std::memcpy(out, p, n);
    return out + n;
}

char* writeFixed6(char* out, double x) {
    // Floats (every value the decoders produce) take the integer route: x * 10^6 is exact,
    // and rint rounds half to even as printf does. Anything else goes through to_chars,
    // which rounds the exact binary value as printf does.
    double mag = std::fabs(x);
    if (mag < 4294967296.0 && static_cast<double>(static_cast<float>(x)) == x)
        return writeFloatFixed6(out, static_cast<float>(x));
    if (mag < kExactScaledLimit && static_cast<double>(static_cast<float>(x)) == x) {
        auto scaled = static_cast<std::uint64_t>(std::nearbyint(mag * 1e6));
        if (std::signbit(x)) *out++ = '-';
        out = writeUnsigned(out, scaled / 1000000);
        *out++ = '.';
        return writeSixDecimals(out, static_cast<std::uint32_t>(scaled % 1000000));
    }
    if (std::isnan(x)) {
        const char* text = std::signbit(x) ? "-nan" : "nan";
        std::size_t n = std::strlen(text);
        std::memcpy(out, text, n);
        return out + n;
    }
    if (std::isinf(x)) {
        const char* text = x < 0 ? "-inf" : "inf";
        std::size_t n = std::strlen(text);
        std::memcpy(out, text, n);
        return out + n;
    }
    auto result = std::to_chars(out, out + kMaxNumberText, x, std::chars_format::fixed, 6);
    assert(result.ec == std::errc());
    return result.ptr;
}

namespace {

struct Directive {
    bool left = false, zero = false, plus = false, space = false;
    int width = -1;
    int precision = -1;
    int longs = 0;  // number of 'l'
    bool half = false;
    char conv = 0;
};

void pad(std::string& out, std::string_view body, const Directive& d) {
    std::size_t width = d.width < 0 ? 0 : static_cast<std::size_t>(d.width);
    if (body.size() >= width) {
        out.append(body);
        return;
    }
    std::size_t fill = width - body.size();
    if (d.left) {
        out.append(body);
        out.append(fill, ' ');
    } else if (d.zero && d.conv != 's' && d.conv != 'c') {
        // Zeros go after the sign.
        std::size_t sign = (!body.empty() && (body[0] == '-' || body[0] == '+' || body[0] == ' ')) ? 1 : 0;
        out.append(body.substr(0, sign));
        out.append(fill, '0');
        out.append(body.substr(sign));
    } else {
        out.append(fill, ' ');
        out.append(body);
    }
}

// The rare forms (precision on integers, %f with a precision other than 6, %f padded
// with zeros and non-finite values) are handed to snprintf so they stay exact.
void formatRare(std::string& out, const Directive& d, const FormatArg& arg) {
    char fmt[32];
    char* f = fmt;
    *f++ = '%';
    if (d.left) *f++ = '-';
    if (d.zero) *f++ = '0';
    if (d.plus) *f++ = '+';
    if (d.space) *f++ = ' ';
    if (d.width >= 0) f += std::snprintf(f, 12, "%d", d.width);
    if (d.precision >= 0) f += std::snprintf(f, 12, ".%d", d.precision);
    if (d.conv == 'f') {
        *f++ = 'f';
        *f = 0;
        double v = arg.kind == FormatArg::Kind::Real ? arg.d
                   : arg.kind == FormatArg::Kind::Signed ? static_cast<double>(arg.i)
                                                         : static_cast<double>(arg.u);
        int n = std::snprintf(nullptr, 0, fmt, v);
        std::size_t at = out.size();
        out.resize(at + static_cast<std::size_t>(n) + 1);
        std::snprintf(out.data() + at, static_cast<std::size_t>(n) + 1, fmt, v);
        out.resize(at + static_cast<std::size_t>(n));
        return;
    }
    *f++ = 'l';
    *f++ = 'l';
    *f++ = d.conv;
    *f = 0;
    long long v = arg.kind == FormatArg::Kind::Signed ? arg.i : static_cast<long long>(arg.u);
    int n = std::snprintf(nullptr, 0, fmt, v);
    std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(n) + 1);
    std::snprintf(out.data() + at, static_cast<std::size_t>(n) + 1, fmt, v);
    out.resize(at + static_cast<std::size_t>(n));
}

void formatOne(std::string& out, const Directive& d, const FormatArg& arg) {
    char buf[kMaxNumberText + 4];
    char* end = buf;
    switch (d.conv) {
    case 'd':
    case 'i': {
        std::int64_t v = arg.kind == FormatArg::Kind::Signed ? arg.i
                         : arg.kind == FormatArg::Kind::Real ? static_cast<std::int64_t>(arg.d)
                                                             : static_cast<std::int64_t>(arg.u);
        if (d.longs == 0) v = d.half ? static_cast<short>(v) : static_cast<int>(v);
        if (d.precision >= 0) return formatRare(out, d, FormatArg(v));
        if (v >= 0 && d.plus) *end++ = '+';
        else if (v >= 0 && d.space) *end++ = ' ';
        end = writeSigned(end, v);
        break;
    }
    case 'u':
    case 'x':
    case 'X': {
        std::uint64_t v = arg.kind == FormatArg::Kind::Signed ? static_cast<std::uint64_t>(arg.i)
                          : arg.kind == FormatArg::Kind::Real ? static_cast<std::uint64_t>(arg.d)
                                                              : arg.u;
        if (d.longs == 0) v = d.half ? static_cast<unsigned short>(v) : static_cast<unsigned>(v);
        if (d.precision >= 0) return formatRare(out, d, FormatArg(v));
        end = d.conv == 'u' ? writeUnsigned(end, v) : writeHex(end, v, d.conv == 'X');
        break;
    }
    case 'f': {
        double v = arg.kind == FormatArg::Kind::Real ? arg.d
                   : arg.kind == FormatArg::Kind::Signed ? static_cast<double>(arg.i)
                                                         : static_cast<double>(arg.u);
        if ((d.precision >= 0 && d.precision != 6) || d.plus || d.space || !std::isfinite(v))
            return formatRare(out, d, FormatArg(v));
        end = writeFixed6(end, v);
        break;
    }
    case 'c':
        *end++ = static_cast<char>(arg.kind == FormatArg::Kind::Signed ? arg.i : static_cast<std::int64_t>(arg.u));
        break;
    case 's': {
        std::string_view s = arg.s;
        if (d.precision >= 0 && static_cast<std::size_t>(d.precision) < s.size()) s = s.substr(0, d.precision);
        return pad(out, s, d);
    }
    default:
        assert(false && "unsupported conversion");
        return;
    }
    pad(out, std::string_view(buf, static_cast<std::size_t>(end - buf)), d);
}

}  // namespace

void appendFormatArgs(std::string& out, std::string_view fmt, const FormatArg* args, std::size_t count) {
    std::size_t next = 0;
    std::size_t i = 0;
    while (i < fmt.size()) {
        std::size_t pct = fmt.find('%', i);
        if (pct == std::string_view::npos) {
            out.append(fmt.substr(i));
            return;
        }
        out.append(fmt.substr(i, pct - i));
        i = pct + 1;
        if (i < fmt.size() && fmt[i] == '%') {
            out.push_back('%');
            ++i;
            continue;
        }
        Directive d;
        for (; i < fmt.size(); ++i) {
            char c = fmt[i];
            if (c == '-') d.left = true;
            else if (c == '0') d.zero = true;
            else if (c == '+') d.plus = true;
            else if (c == ' ') d.space = true;
            else break;
        }
        while (i < fmt.size() && fmt[i] >= '0' && fmt[i] <= '9') {
            d.width = (d.width < 0 ? 0 : d.width * 10) + (fmt[i] - '0');
            ++i;
        }
        if (i < fmt.size() && fmt[i] == '.') {
            ++i;
            d.precision = 0;
            while (i < fmt.size() && fmt[i] >= '0' && fmt[i] <= '9') d.precision = d.precision * 10 + (fmt[i++] - '0');
        }
        while (i < fmt.size() && (fmt[i] == 'l' || fmt[i] == 'h' || fmt[i] == 'z')) {
            if (fmt[i] == 'h') d.half = true;
            else ++d.longs;
            ++i;
        }
        if (i >= fmt.size()) return;
        d.conv = fmt[i++];
        assert(next < count && "fewer arguments than conversions");
        if (next >= count) return;
        formatOne(out, d, args[next++]);
    }
}

std::string hexText(std::uint64_t v) {
    char buf[16];
    return std::string(buf, writeHex(buf, v, false));
}

}  // namespace nimbrel
