// How fast model files are parsed and finished, and how much memory that
// takes. Run: build/default/benchmarks/xfile_benchmark
//   ParseAndFinish/big        a large skinned, animated model (or XVIEW_MODEL=path)
//   ParseAndFinish/ordinary   an ordinary skinned model of about 3.4 MB
//   ParseAndFinish/tiny       200,000 empty meshes, the same size: a file made
//                             of many tiny records must not load much slower
//                             per byte than an ordinary one
//   ParseAndFinish/triangles  62,000 meshes of one triangle each, the same size
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "xfile/DocumentParser.h"

namespace {

constexpr int kTinyMeshes = 200000;
constexpr int kTriangleMeshes = 62000;

std::string BigModelPath() {
  const char* chosen = std::getenv("XVIEW_MODEL");
  return chosen ? chosen : XVIEW_BIG_MODEL;
}

// Written next to the ordinary model on first use: `count` copies of `record`.
std::string GeneratedModel(const char* name, const char* record, int count) {
  std::string path = std::filesystem::path(XVIEW_ORDINARY_MODEL).replace_filename(name).string();
  if (FILE* file = std::fopen(path.c_str(), "wb")) {
    std::fputs("xof 0303txt 0032\n", file);
    for (int i = 0; i < count; ++i) std::fputs(record, file);
    std::fclose(file);
  }
  return path;
}

double PeakResidentMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void ParseAndFinish(benchmark::State& state, const std::string& path) {
  std::wstring widePath(path.begin(), path.end());
  std::error_code error;
  auto bytes = std::filesystem::file_size(path, error);
  if (error) {
    state.SkipWithError(("cannot read " + path).c_str());
    return;
  }
  double before = PeakResidentMegabytes();
  for (auto _ : state) {
    XFileScene scene;
    if (!ParseXFile(widePath, scene, ParseOptions{.echo = false})) {
      state.SkipWithError(("cannot parse " + path).c_str());
      return;
    }
    benchmark::DoNotOptimize(scene.meshes.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes) * state.iterations());
  double fileMegabytes = static_cast<double>(bytes) / (1024.0 * 1024.0);
  state.counters["file_MB"] = fileMegabytes;
  state.counters["peak_RSS_MB"] = PeakResidentMegabytes();
  state.counters["peak_growth_MB"] = PeakResidentMegabytes() - before;
  state.counters["peak_per_file_size"] = PeakResidentMegabytes() / fileMegabytes;
}

BENCHMARK_CAPTURE(ParseAndFinish, big, BigModelPath())->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_CAPTURE(ParseAndFinish, ordinary, std::string(XVIEW_ORDINARY_MODEL))
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);
BENCHMARK_CAPTURE(ParseAndFinish, tiny, GeneratedModel("tiny.x", "Mesh { 0;; 0;; }\n", kTinyMeshes))
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);
BENCHMARK_CAPTURE(ParseAndFinish, triangles,
                  GeneratedModel("triangles.x", "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }\n",
                                 kTriangleMeshes))
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
