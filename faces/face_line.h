#pragma once

#include <cassert>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "core/text_format.h"

namespace nimbrel {

/// One face or list line built in place, so that passes over millions of faces allocate
/// nothing per face. Long enough for a slash-form quad of 64-bit numbers.
class FaceLine {
public:
    FaceLine& clear() {
        end_ = text_;
        return *this;
    }
    FaceLine& put(std::string_view s) {
        assert(s.size() <= room());
        std::memcpy(end_, s.data(), s.size());
        end_ += s.size();
        return *this;
    }
    FaceLine& put(char c) {
        assert(room() >= 1);
        *end_++ = c;
        return *this;
    }
    /// Decimal, as "%ld" prints it.
    FaceLine& number(std::int64_t v) {
        assert(room() >= 21);
        end_ = writeSigned(end_, v);
        return *this;
    }
    /// Lower-case hexadecimal without prefix, as the lists show addresses.
    FaceLine& hex(std::uint64_t v) {
        assert(room() >= 16);
        end_ = writeHex(end_, v, false);
        return *this;
    }
    /// One index of an OBJ face: "v " or, in slash form, "v/v ".
    FaceLine& vertex(std::int64_t v, bool slash) {
        number(v);
        if (slash) put('/').number(v);
        return put(' ');
    }
    /// Takes back the last character, e.g. the blank after a line's last number.
    FaceLine& dropLast() {
        assert(end_ > text_);
        --end_;
        return *this;
    }
    std::string_view view() const { return {text_, static_cast<std::size_t>(end_ - text_)}; }

private:
    std::size_t room() const { return static_cast<std::size_t>(text_ + sizeof text_ - end_); }

    char text_[256];
    char* end_ = text_;
};

}  // namespace nimbrel
