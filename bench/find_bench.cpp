// The layout finder over a 127,000,000-byte file of mixed content (random bytes, a
// zlib-like stream, float noise, zeros and several meshes) and over a 1 MB one.
#include <benchmark/benchmark.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "find/layout_finder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void putU32(Bytes& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// A wavy grid: packed float positions followed by its 16-bit triangle list.
void appendMesh(Bytes& out, int n) {
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            putU32(out, std::bit_cast<std::uint32_t>(x * 0.1f));
            putU32(out, std::bit_cast<std::uint32_t>(std::sin(x * 0.3f + y * 0.2f)));
            putU32(out, std::bit_cast<std::uint32_t>(y * 0.1f));
        }
    for (int y = 0; y + 1 < n; ++y)
        for (int x = 0; x + 1 < n; ++x) {
            const int a = y * n + x;
            for (int v : {a, a + 1, a + n, a + 1, a + n + 1, a + n}) {
                out.push_back(static_cast<std::uint8_t>(v));
                out.push_back(static_cast<std::uint8_t>(v >> 8));
            }
        }
}

Bytes mixedFile(std::size_t size) {
    std::mt19937 rng(42);
    std::uniform_real_distribution<float> noise(-50.0f, 50.0f);
    Bytes out;
    out.reserve(size);
    const std::size_t part = size / 5;
    while (out.size() < part) out.push_back(static_cast<std::uint8_t>(rng()));
    appendMesh(out, 100);
    // A compressed stream looks like random bytes with short literal runs.
    while (out.size() < 2 * part) {
        const std::uint8_t b = static_cast<std::uint8_t>(rng());
        for (int k = 0; k < 1 + (b & 3); ++k) out.push_back(b);
    }
    appendMesh(out, 60);
    while (out.size() < 3 * part) putU32(out, std::bit_cast<std::uint32_t>(noise(rng)));
    appendMesh(out, 150);
    out.resize(4 * part, 0);
    appendMesh(out, 40);
    while (out.size() < size) out.push_back(static_cast<std::uint8_t>(rng()));
    out.resize(size);
    return out;
}

void runFinder(benchmark::State& state, std::size_t size, std::uint64_t minTriangles = 8) {
    const Bytes file = mixedFile(size);
    std::size_t found = 0;
    nimbrel::FindOptions options;
    options.minTriangles = minTriangles;
    for (auto _ : state) {
        const auto candidates = nimbrel::findLayouts(file, options);
        found = candidates.size();
        benchmark::DoNotOptimize(candidates.data());
    }
    state.counters["candidates"] = static_cast<double>(found);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

void BM_FindMixed127MB(benchmark::State& state) { runFinder(state, 127000000); }
void BM_FindMixed1MB(benchmark::State& state) { runFinder(state, 1000000); }
// Meshes of a few faces asked for too: the scan for them over every stream.
void BM_FindMixed127MBSmallMeshes(benchmark::State& state) { runFinder(state, 127000000, 2); }

BENCHMARK(BM_FindMixed127MB)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_FindMixed1MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindMixed127MBSmallMeshes)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
