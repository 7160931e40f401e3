// Every float of magnitude below 2^32 (the inline six-decimal route), both signs, through
// writeFloatFixed6 against an independent reference: the float times 10^6 is exact in a
// double, and nearbyint rounds that exact value half to even. Every 4099th value is also
// checked against snprintf itself. Too long for a unit test; run it after changing the route.
// usage: fixed6_sweep [THREADS]
#include <atomic>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "core/text_format.h"

namespace {

std::size_t reference(char* out, float f) {
    const double scaled = std::nearbyint(std::fabs(static_cast<double>(f)) * 1e6);
    const auto n = static_cast<std::uint64_t>(scaled);
    return static_cast<std::size_t>(std::snprintf(out, 64, "%s%llu.%06llu", std::signbit(f) ? "-" : "",
                                                  static_cast<unsigned long long>(n / 1000000),
                                                  static_cast<unsigned long long>(n % 1000000)));
}

}  // namespace

int main(int argc, char** argv) {
    const unsigned threads = argc > 1 ? static_cast<unsigned>(std::atoi(argv[1])) : 2;
    const std::uint32_t end = (127u + 32u) << 23;  // first bit pattern of 2^32
    std::atomic<std::uint64_t> mismatches{0};
    std::vector<std::thread> pool;
    for (unsigned t = 0; t < threads; ++t)
        pool.emplace_back([&, t] {
            char got[nimbrel::kMaxNumberText], want[nimbrel::kMaxNumberText];
            for (std::uint32_t bits = t; bits < end; bits += threads)
                for (std::uint32_t sign : {0u, 0x80000000u}) {
                    const float f = std::bit_cast<float>(bits | sign);
                    const auto n = static_cast<std::size_t>(nimbrel::writeFloatFixed6(got, f) - got);
                    std::size_t m = bits % 4099 == 0 ? static_cast<std::size_t>(std::snprintf(want, sizeof want, "%f", f))
                                                     : reference(want, f);
                    if (n != m || std::memcmp(got, want, n) != 0) {
                        if (mismatches++ < 10)
                            std::printf("bits %08x: got %.*s, want %.*s\n", bits | sign, static_cast<int>(n), got,
                                        static_cast<int>(m), want);
                    }
                }
        });
    for (auto& thread : pool) thread.join();
    std::printf("fixed6_sweep: %u floats checked, %llu mismatches\n", 2 * end,
                static_cast<unsigned long long>(mismatches.load()));
    return mismatches == 0 ? 0 : 1;
}
