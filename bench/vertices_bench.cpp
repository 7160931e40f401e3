// The vertex section of a submesh export: 5 million interleaved Float records with UVs,
// written by writeVertexLines against the same lines written with fprintf. The timed runs
// write to /dev/null so the figures compare decoding and formatting, not the disk; the
// two outputs are compared byte for byte once, on real files, before any timing.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "core/model_buffer.h"
#include "core/text_out.h"
#include "core/workspace.h"
#include "vertices/vertex_lines.h"

// Counts every allocation, so the run can show that writing records allocates nothing per record.
#include "support/counting_allocator.h"
#include "support/setup_check.h"

namespace {

using namespace nimbrel;

constexpr std::uint32_t kRecords = 5000000;
constexpr std::uint8_t kFvfSize = 20;
constexpr std::uint8_t kUvPos = 12;


struct Fixture {
    ModelBuffer model{std::size_t{kRecords} * kFvfSize};
    Workspace ws;

    Fixture() {
        std::mt19937 rng(11);
        std::uniform_real_distribution<float> coord(-500.0f, 500.0f);
        std::uniform_real_distribution<float> unit(0.0f, 1.0f);
        std::vector<std::uint8_t> bytes(std::size_t{kRecords} * kFvfSize);
        for (std::uint32_t r = 0; r < kRecords; ++r) {
            const float values[5] = {coord(rng), coord(rng), coord(rng), unit(rng), unit(rng)};
            std::memcpy(bytes.data() + std::size_t{r} * kFvfSize, values, sizeof values);
        }
        model.assign(bytes.data(), bytes.size());
        ws.vertexFormat = VertexFormat::Float;
        ws.fvfSize = kFvfSize;
        ws.uvPos = kUvPos;
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void writeWithNimbrel(const char* path) {
    Fixture& f = fixture();
    TextOut out;
    if (!out.open(path)) std::abort();
    bench::requireNoMessage(writeVertexLines(f.ws, f.model, out, 0, kRecords, true, false));
    if (!out.close()) std::abort();
}

void writeWithFprintf(const char* path) {
    Fixture& f = fixture();
    FILE* file = std::fopen(path, "w");
    if (!file) std::abort();
    const std::uint8_t* data = f.model.data();
    for (std::uint32_t r = 0; r < kRecords; ++r) {
        float v[5];
        std::memcpy(v, data + std::size_t{r} * kFvfSize, sizeof v);
        std::fprintf(file, "v %f %f %f\n", v[0], v[1], v[2]);
        std::fprintf(file, "v%c %f %f %c\n", 't', v[3], v[4], ' ');
    }
    std::fprintf(file, "# 0x%lx\n", static_cast<unsigned long>(kRecords) * kFvfSize);
    if (std::fclose(file) != 0) std::abort();
}

std::string slurp(const std::string& path) {
    std::string s;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) std::abort();
    char buf[1 << 16];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
    std::fclose(f);
    return s;
}

/// Both writers must produce the same bytes before their speeds mean anything.
void verifyIdenticalOutput() {
    char dir[] = "/tmp/nimbrel-bench-XXXXXX";
    if (!::mkdtemp(dir)) std::abort();
    const std::string mine = std::string(dir) + "/nimbrel.obj";
    const std::string theirs = std::string(dir) + "/fprintf.obj";
    writeWithNimbrel(mine.c_str());
    writeWithFprintf(theirs.c_str());
    const std::string a = slurp(mine);
    const std::string b = slurp(theirs);
    std::remove(mine.c_str());
    std::remove(theirs.c_str());
    ::rmdir(dir);
    if (a != b) {
        std::fprintf(stderr, "outputs differ (%zu vs %zu bytes)\n", a.size(), b.size());
        std::abort();
    }
    std::fprintf(stderr, "identical output: %zu bytes\n", a.size());
}

void BM_FloatRecordsWithUVs_writeVertexLines(benchmark::State& state) {
    std::uint64_t before = bench::allocations.load();
    for (auto _ : state) writeWithNimbrel("/dev/null");
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kRecords);
    // A handful per run (the output buffer, the path), none per record.
    state.counters["allocs_per_run"] =
        static_cast<double>(bench::allocations.load() - before) / static_cast<double>(state.iterations());
}

void BM_FloatRecordsWithUVs_fprintf(benchmark::State& state) {
    for (auto _ : state) writeWithFprintf("/dev/null");
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kRecords);
}

BENCHMARK(BM_FloatRecordsWithUVs_writeVertexLines)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_FloatRecordsWithUVs_fprintf)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    fixture();
    verifyIdenticalOutput();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
