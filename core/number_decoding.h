#pragma once

#include <cstdint>
#include <string>

#include "core/model_buffer.h"

namespace nimbrel {

/// Decodes a 16-bit half pattern by re-biasing it into single precision. No exponent is
/// special: 0x0000 gives 2^-15 and 0x7C00 gives 65536, never zero, infinity or NaN.
float halfToFloat(std::uint16_t h);

/// The half float at offset in the toggle's byte order.
inline float readHalf(const ModelBuffer& model, std::uint64_t offset, bool bigEndian) {
    return halfToFloat(model.readU16(offset, bigEndian));
}

/// Preview text of a value: "0.0" when 1.0 + value == 1.0 in double precision,
/// "99999999.0" (signed) from 10,000,000 on after rounding, otherwise printf("%f").
std::string formatValue(float value);

}  // namespace nimbrel
