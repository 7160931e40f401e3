#include "core/model_buffer.h"

#include <sys/mman.h>

#include <algorithm>

namespace nimbrel {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

// Zero-initialised, so it costs nothing until a load touches it.
alignas(kHugePage) std::uint8_t processStorage[kModelCapacity];

}  // namespace

ModelBuffer& ModelBuffer::process() {
    static ModelBuffer buffer = [] {
        // Huge pages cut the page faults of a first large load several times over.
        ::madvise(processStorage, kModelCapacity & ~(kHugePage - 1), MADV_HUGEPAGE);
        return ModelBuffer(processStorage, kModelCapacity);
    }();
    return buffer;
}

ModelBuffer::ModelBuffer(std::uint8_t* storage, std::size_t capacity)
    : data_(storage), capacity_(capacity) {}

ModelBuffer::ModelBuffer(std::size_t capacity)
    : data_(new std::uint8_t[capacity]()), capacity_(capacity), owned_(true) {}

ModelBuffer::~ModelBuffer() {
    if (owned_) delete[] data_;
}

std::uint8_t* ModelBuffer::storageForLoad(std::size_t extent) {
    size_ = 0;
    highWater_ = std::max(highWater_, std::min(extent, capacity_));
    return data_;
}

void ModelBuffer::commitLoad(std::uint32_t n) {
    std::size_t valid = std::min<std::size_t>(n, capacity_);
    if (highWater_ > valid) std::fill(data_ + valid, data_ + highWater_, std::uint8_t{0});
    highWater_ = valid;
    size_ = static_cast<std::uint32_t>(valid);
}

void ModelBuffer::assign(const void* bytes, std::size_t n) {
    n = std::min(n, capacity_);
    std::memcpy(data_, bytes, n);
    commitLoad(static_cast<std::uint32_t>(n));
}

}  // namespace nimbrel
