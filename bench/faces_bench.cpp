// Face lines of a list block through faceIndexPass against one fprintf per face, and the
// allocations of a restart-strip conversion. Timed runs write to /dev/null so the figures
// compare the passes, not the disk; identity is checked once on real files first.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "core/model_buffer.h"
#include "core/line_sink.h"
#include "core/text_out.h"
#include "core/workspace.h"
#include "faces/face_index_pass.h"
#include "faces/strip_restart.h"

#include "support/counting_allocator.h"

namespace {

using namespace nimbrel;

constexpr std::uint32_t kIndexCount = 10000000;
constexpr std::uint32_t kStripLength = 200;
constexpr std::uint32_t kIndicesPerGroup = 500;


// 10 million little-endian words of every width from 1 to 5 digits; with markers when
// strips is set.
ModelBuffer& indexBlock(bool strips) {
    static ModelBuffer* blocks[2] = {};
    ModelBuffer*& model = blocks[strips];
    if (model) return *model;
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> digits(0, 4);
    std::vector<std::uint8_t> bytes(2 * std::size_t{kIndexCount});
    for (std::uint32_t i = 0; i < kIndexCount; ++i) {
        const std::uint32_t limits[] = {10, 100, 1000, 10000, 65535};
        std::uint32_t v = rng() % limits[digits(rng)];
        if (strips && i % kStripLength == kStripLength - 1) v = kRestartMarker;
        bytes[2 * i] = static_cast<std::uint8_t>(v);
        bytes[2 * i + 1] = static_cast<std::uint8_t>(v >> 8);
    }
    model = new ModelBuffer(bytes.size());
    model->assign(bytes.data(), bytes.size());
    return *model;
}

// The same face lines, one fprintf per face (and per group line), reading the block the
// way the pass does.
void writeWithFprintf(const ModelBuffer& model, const char* path) {
    FILE* f = std::fopen(path, "w");
    const std::uint8_t* p = model.data();
    int group = 0;
    for (std::uint32_t i = 0; i + 3 <= kIndexCount; i += 3, p += 6) {
        if (i % kIndicesPerGroup == 0) std::fprintf(f, "g submesh_%d\n", group++);
        long a = (p[0] | p[1] << 8) + 1;
        long b = (p[2] | p[3] << 8) + 1;
        long c = (p[4] | p[5] << 8) + 1;
        std::fprintf(f, "f %ld %ld %ld \n", a, b, c);
    }
    std::fclose(f);
}

bool writeWithPass(const ModelBuffer& model, const char* path) {
    Workspace ws;
    NoLines lines;
    TextOut out;
    if (!out.open(path)) return false;
    bool ran = faceIndexPass(ws, model, &out, 0, kIndexCount, FaceMode::Write, false, lines).fits;
    return out.close() && ran;
}

std::string slurp(const char* path) {
    FILE* f = std::fopen(path, "rb");
    std::string s;
    if (!f) return s;
    char buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
    std::fclose(f);
    return s;
}

void BM_ListFaceLinesFprintf(benchmark::State& state) {
    const ModelBuffer& model = indexBlock(false);
    for (auto _ : state) writeWithFprintf(model, "/dev/null");
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kIndexCount);
}
BENCHMARK(BM_ListFaceLinesFprintf)->Unit(benchmark::kMillisecond);

void BM_ListFaceLinesPass(benchmark::State& state) {
    const ModelBuffer& model = indexBlock(false);
    writeWithFprintf(model, "/tmp/nimbrel_faces_fprintf.obj");
    const bool written = writeWithPass(model, "/tmp/nimbrel_faces_pass.obj");
    const std::string expected = slurp("/tmp/nimbrel_faces_fprintf.obj");
    const bool same = written && !expected.empty() && expected == slurp("/tmp/nimbrel_faces_pass.obj");
    std::remove("/tmp/nimbrel_faces_fprintf.obj");
    std::remove("/tmp/nimbrel_faces_pass.obj");
    if (!same) {
        state.SkipWithError("faceIndexPass output differs from fprintf");
        return;
    }
    state.counters["bytes_checked"] = static_cast<double>(expected.size());

    Workspace ws;
    NoLines lines;
    TextOut out;
    out.open("/dev/null");
    std::uint64_t before = bench::allocations.load();
    for (auto _ : state) faceIndexPass(ws, model, &out, 0, kIndexCount, FaceMode::Write, false, lines);
    state.counters["allocations_per_pass"] =
        static_cast<double>(bench::allocations.load() - before) / static_cast<double>(state.iterations());
    out.close();
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kIndexCount);
}
BENCHMARK(BM_ListFaceLinesPass)->Unit(benchmark::kMillisecond);

void BM_RestartStripConversion(benchmark::State& state) {
    const ModelBuffer& model = indexBlock(true);
    NoLines lines;
    std::uint64_t total = 0;
    std::uint64_t large = 0;
    for (auto _ : state) {
        StripScratch scratch;
        const std::uint64_t before = bench::allocations.load();
        const std::uint64_t beforeLarge = bench::largeAllocations.load();
        const auto result = convertRestartStrips(model, 0, kIndexCount, false, scratch, kRestartMarker, lines).outcome;
        total += bench::allocations.load() - before;
        large += bench::largeAllocations.load() - beforeLarge;
        if (result != StripConversion::Converted) {
            state.SkipWithError("conversion failed");
            return;
        }
        benchmark::DoNotOptimize(scratch.indices.get());
        state.PauseTiming();
        scratch.release();
        state.ResumeTiming();
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["allocations"] = static_cast<double>(total) / runs;
    state.counters["array_allocations"] = static_cast<double>(large) / runs;
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kIndexCount);
}
BENCHMARK(BM_RestartStripConversion)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
