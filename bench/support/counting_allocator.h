#pragma once
// Replaces the global allocation functions so a benchmark can count its own heap
// allocations. Include it in exactly one file of a benchmark program.

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace bench {
inline std::atomic<std::uint64_t> allocations{0};
/// Allocations of at least kLarge bytes: arrays, as opposed to bookkeeping.
inline std::atomic<std::uint64_t> largeAllocations{0};
inline constexpr std::size_t kLarge = 4096;

inline void* countedAllocation(std::size_t n) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (n >= kLarge) largeAllocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(n == 0 ? 1 : n);
}
}  // namespace bench

void* operator new(std::size_t n) {
    if (void* p = bench::countedAllocation(n)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n) {
    if (void* p = bench::countedAllocation(n)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return bench::countedAllocation(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return bench::countedAllocation(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
