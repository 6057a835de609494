// How fast a large skinned, animated model file is parsed and finished, and
// how much memory that takes. Run: build/default/benchmarks/xfile_benchmark
// (or give another file with XVIEW_MODEL=path).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "xfile/DocumentParser.h"
#include "xfile/TokenReader.h"

namespace {

std::string ModelPath() {
  const char* chosen = std::getenv("XVIEW_MODEL");
  return chosen ? chosen : XVIEW_BIG_MODEL;
}

double PeakResidentMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void ParseAndFinish(benchmark::State& state) {
  std::string path = ModelPath();
  std::wstring widePath(path.begin(), path.end());
  std::error_code error;
  auto bytes = std::filesystem::file_size(path, error);
  if (error) {
    state.SkipWithError(("cannot read " + path).c_str());
    return;
  }
  SetModelEcho(false);
  double before = PeakResidentMegabytes();
  for (auto _ : state) {
    XFileScene scene;
    if (!ParseXFile(widePath, scene)) {
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

BENCHMARK(ParseAndFinish)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
