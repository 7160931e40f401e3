// "%f" through TextOut against fprintf, on the values a vertex block yields. The timed
// runs write to /dev/null so the figures compare formatting, not the disk; identity is
// checked once on real files.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "core/text_out.h"

namespace {

std::vector<float> sampleValues() {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> coord(-500.0f, 500.0f);
    std::vector<float> v(3 * 200000);
    for (auto& x : v) x = coord(rng);
    return v;
}

std::string slurp(const char* path) {
    FILE* f = std::fopen(path, "rb");
    std::string s;
    char buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
    std::fclose(f);
    return s;
}

void writeWithFprintf(const std::vector<float>& v, const char* path) {
    FILE* f = std::fopen(path, "w");
    for (std::size_t i = 0; i < v.size(); i += 3) std::fprintf(f, "v %f %f %f\n", v[i], v[i + 1], v[i + 2]);
    std::fclose(f);
}

void writeWithTextOut(const std::vector<float>& v, const char* path) {
    nimbrel::TextOut out;
    out.open(path);
    for (std::size_t i = 0; i < v.size(); i += 3) out.print("v %f %f %f\n", v[i], v[i + 1], v[i + 2]);
    out.close();
}

void BM_VertexLinesFprintf(benchmark::State& state) {
    auto v = sampleValues();
    for (auto _ : state) writeWithFprintf(v, "/dev/null");
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * v.size()));
}
BENCHMARK(BM_VertexLinesFprintf)->Unit(benchmark::kMillisecond);

void BM_VertexLinesTextOut(benchmark::State& state) {
    auto v = sampleValues();
    writeWithFprintf(v, "/tmp/nimbrel_bench_fprintf.obj");
    writeWithTextOut(v, "/tmp/nimbrel_bench_textout.obj");
    if (slurp("/tmp/nimbrel_bench_fprintf.obj") != slurp("/tmp/nimbrel_bench_textout.obj")) {
        state.SkipWithError("TextOut output differs from fprintf");
        return;
    }
    for (auto _ : state) writeWithTextOut(v, "/dev/null");
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * v.size()));
}
BENCHMARK(BM_VertexLinesTextOut)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
