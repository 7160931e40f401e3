#include "params/field_conversion.h"

#include <cstdlib>
#include <string>

namespace nimbrel {

std::string_view fieldPrefix(std::string_view text, std::size_t maxChars) { return text.substr(0, maxChars); }

namespace {

long convert(std::string_view text, std::size_t maxChars, int base) {
    std::string copy(fieldPrefix(text, maxChars));
    return std::strtol(copy.c_str(), nullptr, base);
}

}  // namespace

std::uint32_t hexValue(std::string_view text, std::size_t maxChars) {
    return static_cast<std::uint32_t>(convert(text, maxChars, 16));
}

std::uint32_t decimalValue(std::string_view text, std::size_t maxChars) {
    return static_cast<std::uint32_t>(convert(text, maxChars, 10));
}

std::uint8_t oneByteValue(std::string_view text, std::size_t maxChars) {
    std::string copy(fieldPrefix(text, maxChars));
    return static_cast<std::uint8_t>(std::atoi(copy.c_str()) & 0xFF);
}

}  // namespace nimbrel
