// Loading a 127,000,000-byte model against what `cat FILE > /dev/null` costs on a warm cache.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/model_buffer.h"
#include "core/model_loading.h"
#include "support/setup_check.h"

namespace {


const std::string& modelFile() {
    static const std::string path = [] {
        std::string p = "/tmp/nimbrel_load_bench.bin";
        std::vector<char> block(1 << 20);
        for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 31 + 7);
        FILE* f = std::fopen(p.c_str(), "wb");
        std::size_t left = nimbrel::kLargestModelFile;
        while (left > 0) {
            std::size_t n = left < block.size() ? left : block.size();
            std::fwrite(block.data(), 1, n, f);
            left -= n;
        }
        std::fclose(f);
        return p;
    }();
    return path;
}

void BM_LoadModelFile(benchmark::State& state) {
    auto& model = nimbrel::ModelBuffer::process();
    for (auto _ : state) {
        const nimbrel::ModelLoad load = nimbrel::loadModelFile(model, modelFile());
        bench::requireNoMessage(load.failure);
        benchmark::DoNotOptimize(load.size);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * nimbrel::kLargestModelFile);
}
BENCHMARK(BM_LoadModelFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// What cat does: 128 KiB reads into one small buffer.
void BM_CatToDevNull(benchmark::State& state) {
    std::vector<char> buffer(128 * 1024);
    for (auto _ : state) {
        int fd = ::open(modelFile().c_str(), O_RDONLY);
        std::size_t total = 0;
        ssize_t n;
        while ((n = ::read(fd, buffer.data(), buffer.size())) > 0) total += static_cast<std::size_t>(n);
        ::close(fd);
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * nimbrel::kLargestModelFile);
}
BENCHMARK(BM_CatToDevNull)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
