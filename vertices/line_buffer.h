#pragma once

#include <cstddef>
#include <string_view>

#include "core/text_format.h"

namespace nimbrel {

/// Room for one record's output: five floats of at most 48 characters each plus marks.
inline constexpr std::size_t kLineCapacity = 512;

/// The text of one record built in place, so writing a record allocates nothing.
class LineBuffer {
public:
    void add(char c) { *end_++ = c; }
    void add(std::string_view text) {
        for (char c : text) *end_++ = c;
    }
    /// printf("%f") of a decoded single-precision value.
    void addFixed6(float value) { end_ = writeFloatFixed6(end_, value); }
    std::string_view view() const { return {text_, static_cast<std::size_t>(end_ - text_)}; }
    void clear() { end_ = text_; }

private:
    char text_[kLineCapacity];
    char* end_ = text_;
};

}  // namespace nimbrel
