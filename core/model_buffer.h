#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace nimbrel {

/// Largest model the buffer holds; files must be at least one byte smaller.
inline constexpr std::size_t kModelCapacity = 127000000;
inline constexpr std::uint64_t kLargestModelFile = kModelCapacity - 1;

/// The bytes of the opened model file. Every read goes through the accessors below, which
/// return 0 for any byte at or past the model size, so no caller can see bytes of an
/// earlier, larger file or read outside the storage.
class ModelBuffer {
public:
    /// The process's model: static storage of kModelCapacity bytes, reserved once.
    static ModelBuffer& process();

    /// A private buffer of the given capacity, for tests and tools.
    explicit ModelBuffer(std::size_t capacity);
    ~ModelBuffer();
    ModelBuffer(const ModelBuffer&) = delete;
    ModelBuffer& operator=(const ModelBuffer&) = delete;

    std::uint32_t size() const { return size_; }
    std::size_t capacity() const { return capacity_; }

    /// Writable storage for the loader; call commitLoad with the byte count afterwards.
    std::uint8_t* storageForLoad() { return data_; }
    /// The same for a loader about to write up to extent bytes, which an unfinished load
    /// may leave behind: they are cleared by the next commitLoad, not by a failed load.
    std::uint8_t* storageForLoad(std::size_t extent);
    /// Makes n bytes valid and clears whatever an earlier, larger model left behind them.
    /// Only those bytes: the ones below n are the new model's, so fresh pages that the
    /// read fills are never touched twice.
    void commitLoad(std::uint32_t n);
    /// Copies bytes in as if a file of exactly these bytes was loaded (tests, tools).
    void assign(const void* bytes, std::size_t n);
    /// Marks the buffer empty, as after a failed load. The stale bytes stay out of reach of
    /// every accessor and are cleared by the next commitLoad.
    void clear() { size_ = 0; }

    /// True when the n bytes at offset lie inside the model (64-bit arithmetic).
    bool contains(std::uint64_t offset, std::uint64_t n) const {
        return offset <= size_ && n <= size_ - offset;
    }
    /// True when count records of stride bytes from start end at or before the model size.
    bool blockFits(std::uint64_t start, std::uint64_t count, std::uint64_t stride) const {
        return start <= size_ && count * stride <= size_ - start;
    }

    std::uint8_t byteAt(std::uint64_t offset) const { return offset < size_ ? data_[offset] : 0; }
    /// Copies n bytes from offset; the part past the model size reads as 0.
    void copyOut(std::uint64_t offset, std::size_t n, std::uint8_t* out) const {
        if (contains(offset, n)) {
            std::memcpy(out, data_ + offset, n);
            return;
        }
        for (std::size_t i = 0; i < n; ++i) out[i] = byteAt(offset + i);
    }

    std::uint16_t readU16(std::uint64_t offset, bool bigEndian) const {
        std::uint8_t b[2];
        copyOut(offset, 2, b);
        return bigEndian ? std::uint16_t(b[0] << 8 | b[1]) : std::uint16_t(b[1] << 8 | b[0]);
    }
    std::uint32_t readU32(std::uint64_t offset, bool bigEndian) const {
        std::uint8_t b[4];
        copyOut(offset, 4, b);
        if (bigEndian)
            return std::uint32_t(b[0]) << 24 | std::uint32_t(b[1]) << 16 | std::uint32_t(b[2]) << 8 | b[3];
        return std::uint32_t(b[3]) << 24 | std::uint32_t(b[2]) << 16 | std::uint32_t(b[1]) << 8 | b[0];
    }
    float readFloat(std::uint64_t offset, bool bigEndian) const {
        std::uint32_t bits = readU32(offset, bigEndian);
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }

    /// Raw view of the valid bytes, for callers that checked contains() first.
    const std::uint8_t* data() const { return data_; }

private:
    ModelBuffer(std::uint8_t* storage, std::size_t capacity);

    std::uint8_t* data_;
    std::size_t capacity_;
    std::uint32_t size_ = 0;
    std::size_t highWater_ = 0;
    bool owned_ = false;
};

}  // namespace nimbrel
