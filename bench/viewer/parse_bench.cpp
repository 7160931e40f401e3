// Parsing speed of the viewer's OBJ reader on text shaped like the tool's test.obj.
#include "grid_obj.h"

#include "viewer/obj_file.h"
#include "viewer/obj_parser.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

const std::string& gridText() {
    static const std::string text = [] {
        std::string t;
        nimbrel::bench::appendGridObj(t, 501, 401);  // 200,901 vertices, 400,000 triangles
        return t;
    }();
    return text;
}

void parseText(benchmark::State& state) {
    const std::string& text = gridText();
    for (auto _ : state) {
        nimbrel::ObjMesh mesh = nimbrel::parseObj(text);
        benchmark::DoNotOptimize(mesh.triangles.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(parseText)->Unit(benchmark::kMillisecond);

// The same text read from a file: the viewer's whole load, as a reload pays it.
void loadFile(benchmark::State& state) {
    const auto path = std::filesystem::temp_directory_path() / "viewer_parse_bench.obj";
    std::ofstream(path, std::ios::binary) << gridText();
    for (auto _ : state) {
        nimbrel::ObjMesh mesh;
        std::string error;
        if (!nimbrel::loadObjFile(path.string(), mesh, error)) state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(mesh.triangles.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * gridText().size()));
    std::filesystem::remove(path);
}
BENCHMARK(loadFile)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
