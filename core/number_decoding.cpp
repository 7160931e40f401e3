#include "core/number_decoding.h"

#include <cmath>
#include <cstring>

#include "core/text_format.h"

namespace nimbrel {

float halfToFloat(std::uint16_t h) {
    std::uint32_t sign = (h >> 15) & 1u;
    std::uint32_t exponent = (h >> 10) & 0x1Fu;
    std::uint32_t mantissa = h & 0x3FFu;
    std::uint32_t bits = sign << 31 | (exponent + 112) << 23 | mantissa << 13;
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::string formatValue(float value) {
    double v = value;
    if (1.0 + v == 1.0) return "0.0";
    if (std::isnan(v)) return "nan";
    // Rounded to six decimals, 9999999.9999995 and up print with eight integer digits.
    if (std::isinf(v) || std::fabs(v) >= 9999999.9999995) return v < 0 ? "-99999999.0" : "99999999.0";
    char buf[kMaxNumberText];
    return std::string(buf, writeFixed6(buf, v));
}

}  // namespace nimbrel
