// A chain of 500 parameter files over one model, each submesh 10,000 Float vertices with UVs and
// 30,000 Word indices: the whole chain run, and the parts it is made of, so the split shows
// where the time goes (text writing, loading the parameter files, the folder search, the
// per-file work of a run).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/control_table.h"
#include "app/file_search.h"
#include "app/headless_window.h"
#include "app/window_reports.h"
#include "core/text_format.h"
#include "core/text_out.h"
#include "faces/face_index_pass.h"
#include "params/parameter_file.h"
#include "vertices/vertex_lines.h"

namespace nimbrel {
namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 500;
constexpr std::uint32_t kVertices = 10000;
constexpr std::uint32_t kIndices = 30000;
constexpr int kDistinctSubmeshes = 8;  // the parameter files take turns over these
constexpr std::uint32_t kStride = 20;  // Float position, UV at 12
constexpr std::uint32_t kSubmeshBytes = kIndices * 2 + kVertices * kStride;

class SilentLauncher : public Launcher {
public:
    void launchAndWait(const std::string&, const std::string&) override {}
};

// The model and the chain, written once into a scratch folder.
struct ChainFolder {
    fs::path dir;
    std::vector<std::uint8_t> bytes;

    ChainFolder() {
        char pattern[] = "/tmp/nimbrel-export-bench-XXXXXX";
        dir = ::mkdtemp(pattern);
        bytes.resize(std::size_t{kSubmeshBytes} * kDistinctSubmeshes);
        for (int s = 0; s < kDistinctSubmeshes; ++s) {
            std::uint8_t* base = bytes.data() + std::size_t{kSubmeshBytes} * s;
            for (std::uint32_t i = 0; i < kIndices; ++i) {
                // Triangles over a strip of vertices, so every vertex is used.
                std::uint32_t t = i / 3, k = i % 3;
                std::uint16_t v = static_cast<std::uint16_t>(std::min(t + k, kVertices - 1));
                std::memcpy(base + 2 * i, &v, 2);
            }
            for (std::uint32_t v = 0; v < kVertices; ++v) {
                float rec[5] = {v * 0.001f + s, std::sin(v * 0.01f), std::cos(v * 0.013f), (v % 97) / 97.0f,
                                (v % 89) / 89.0f};
                std::memcpy(base + kIndices * 2 + v * kStride, rec, sizeof rec);
            }
        }
        std::ofstream(dir / "chain.bin", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        for (int n = 0; n < kFiles; ++n) {
            const std::uint32_t at = kSubmeshBytes * static_cast<std::uint32_t>(n % kDistinctSubmeshes);
            std::ofstream(dir / ("chain_" + std::to_string(n) + ".vyp"))
                << format("0x%lX %ld\nVb1\n20 12\n0x%lX %ld\n020000\n0x0 255\n\n", at, kIndices, at + kIndices * 2,
                          kVertices);
        }
    }
    ~ChainFolder() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    void removeOutputs() const {
        for (const auto& entry : fs::directory_iterator(dir))
            if (entry.path().extension() == ".obj" || entry.path().extension() == ".objx") fs::remove(entry.path());
    }
};

ChainFolder& folder() {
    static ChainFolder f;
    return f;
}

struct Run {
    Workspace ws;
    HeadlessWindow window;
    SilentLauncher launcher;
    Context ctx{ws, ModelBuffer::process(), window, launcher};

    Run() {
        window.setCommandHandler([this](std::uint32_t word) { dispatchCommand(ctx, word); });
        fs::current_path(folder().dir);
        window.queueAnswer((folder().dir / "chain.bin").string());
        dispatchCommand(ctx, cmd::kOpen);
    }
};

std::uint64_t outputBytes() {
    std::uint64_t total = 0;
    for (const auto& entry : fs::directory_iterator(folder().dir))
        if (entry.path().extension() == ".obj") total += entry.file_size();
    return total;
}

// The whole chain run: search, 500 loads, 500 exports of 10,000 vertices each.
void BM_ChainRun(benchmark::State& state) {
    Run run;
    std::uint64_t bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        folder().removeOutputs();
        run.window.queueAnswer((folder().dir / "chain_0.vyp").string());
        state.ResumeTiming();
        const int loaded = runChainExport(run.ctx);
        state.PauseTiming();
        bytes = outputBytes();
        if (loaded != kFiles || run.window.lines(field::kResultsList).size() != kFiles + 1)
            state.SkipWithError("the chain did not export every file");
        state.ResumeTiming();
    }
    state.counters["files"] = kFiles;
    state.counters["MB_written"] = static_cast<double>(bytes) / 1e6;
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes) * state.iterations());
}
BENCHMARK(BM_ChainRun)->Unit(benchmark::kMillisecond)->Iterations(3);

// Only the text: the vertex section and the face lines of 500 submeshes into 500 files,
// with the settings already in the Workspace.
void BM_TextOnly(benchmark::State& state) {
    Run run;
    Workspace& ws = run.ws;
    ws.fvfSize = kStride;
    ws.uvPos = 12;
    ws.batchMode = true;
    for (auto _ : state) {
        state.PauseTiming();
        folder().removeOutputs();
        state.ResumeTiming();
        for (int n = 0; n < kFiles; ++n) {
            const std::uint32_t at = kSubmeshBytes * static_cast<std::uint32_t>(n % kDistinctSubmeshes);
            TextOut out;
            out.open("chain_" + std::to_string(n) + ".obj", TextOut::Mode::CreateNew);
            writeVertexLines(ws, run.ctx.model, out, at + kIndices * 2, kVertices, true, false);
            ws.faceIndexStart = at;
            ws.faceIndexCnt = kIndices;
            faceIndexPass(ws, run.ctx.model, &out, at, kIndices, FaceMode::Write, true, run.window);
            if (!out.close()) state.SkipWithError("write failed");
        }
    }
}
BENCHMARK(BM_TextOnly)->Unit(benchmark::kMillisecond)->Iterations(3);

// Loading the 500 parameter files into the fields, without exporting.
void BM_LoadParameterFiles(benchmark::State& state) {
    Run run;
    for (auto _ : state)
        for (int n = 0; n < kFiles; ++n)
            benchmark::DoNotOptimize(loadParameterFile(run.ws, run.window, "chain_" + std::to_string(n) + ".vyp"));
}
BENCHMARK(BM_LoadParameterFiles)->Unit(benchmark::kMillisecond);

// The folder search of a chain, with 500 parameter files and 500 submesh files beside them.
void BM_ChainSearch(benchmark::State& state) {
    Run run;
    for (int n = 0; n < kFiles; ++n) std::ofstream(folder().dir / ("chain_" + std::to_string(n) + ".obj"));
    for (auto _ : state) {
        FileSearch found = findFiles(folder().dir.string(), "chain*.VYP");
        if (found.names.size() != kFiles) state.SkipWithError("search missed files");
        benchmark::DoNotOptimize(found);
    }
    folder().removeOutputs();
}
BENCHMARK(BM_ChainSearch)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace nimbrel

BENCHMARK_MAIN();
