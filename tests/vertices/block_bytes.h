#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>

#include "core/model_buffer.h"
#include "core/text_out.h"
#include "support/temp_dir.h"

namespace nimbrel::testing {

/// Builds model bytes field by field in one byte order.
class BlockBytes {
public:
    explicit BlockBytes(bool bigEndian = false) : bigEndian_(bigEndian) {}

    BlockBytes& f32(float value) {
        std::uint32_t bits;
        std::memcpy(&bits, &value, 4);
        return u32(bits);
    }
    BlockBytes& u32(std::uint32_t v) {
        if (bigEndian_) return u16(v >> 16).u16(v & 0xFFFF);
        return u16(v & 0xFFFF).u16(v >> 16);
    }
    BlockBytes& u16(std::uint16_t v) {
        if (bigEndian_) return byte(v >> 8).byte(v & 0xFF);
        return byte(v & 0xFF).byte(v >> 8);
    }
    BlockBytes& byte(std::uint8_t b) {
        bytes_.push_back(static_cast<char>(b));
        return *this;
    }
    /// Fills up to the given size with b.
    BlockBytes& padTo(std::size_t size, std::uint8_t b = 0) {
        while (bytes_.size() < size) byte(b);
        return *this;
    }
    const std::string& str() const { return bytes_; }
    std::size_t size() const { return bytes_.size(); }

    void loadInto(ModelBuffer& model) const { model.assign(bytes_.data(), bytes_.size()); }

private:
    bool bigEndian_;
    std::string bytes_;
};

/// The text a writer puts into a fresh file.
inline std::string writtenText(const std::function<void(TextOut&)>& write) {
    TempDir dir;
    TextOut out;
    if (!out.open("out.obj")) return "<open failed>";
    write(out);
    if (!out.close()) return "<close failed>";
    return readFile("out.obj");
}

}  // namespace nimbrel::testing
