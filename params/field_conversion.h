#pragma once

#include <cstdint>
#include <string_view>

namespace nimbrel {

/// The first maxChars characters of a field, as the window hands them over.
std::string_view fieldPrefix(std::string_view text, std::size_t maxChars);

/// strtol on at most maxChars characters with base 16 (an optional "0x" is accepted) or
/// base 10; text without digits gives 0. Negative values wrap, as the Workspace's 32-bit
/// counts and offsets store them, so they fail every comparison with the model size.
std::uint32_t hexValue(std::string_view text, std::size_t maxChars);
std::uint32_t decimalValue(std::string_view text, std::size_t maxChars);

/// atoi on at most maxChars characters, keeping the low byte (300 gives 44).
std::uint8_t oneByteValue(std::string_view text, std::size_t maxChars);

}  // namespace nimbrel
