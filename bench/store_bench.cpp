// Loading the macro store: 100 category files of 100 macros each, beside
// the baseline of reading the same bytes with one plain read per file.
// Loading should stay within 2 times of the baseline.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>

#include "BenchStore.h"
#include "RatioReporter.h"
#include "store/Catagories.h"
#include "base/OsFile.h"

namespace {

constexpr int kCatagories = kBenchCatagories;
constexpr int kMacrosEach = kBenchMacrosEach;

const std::string& StoreFolder() {
  static const std::string folder = MakeBenchStore("zarvel-bench-store");
  return folder;
}

void BM_LoadStore(benchmark::State& state) {
  const std::string& folder = StoreFolder();
  for (auto _ : state) {
    TCatagories store(folder);
    benchmark::DoNotOptimize(store.Items.data());
  }
  state.SetBytesProcessed(state.iterations() * kCatagories * kMacrosEach *
                          static_cast<std::int64_t>(kMacroRecordSize));
}

// Baseline: the same files listed the same way and each read whole, with
// one plain read, into memory of its own that is kept (as the store keeps it).
void BM_PlainReadBaseline(benchmark::State& state) {
  const std::string& folder = StoreFolder();
  for (auto _ : state) {
    std::vector<std::unique_ptr<char[]>> kept;
    for (const std::string& name : FindFilesWithExtension(folder, ".cat")) {
      TOsFile file(PathJoin(folder, name), omRead);
      std::size_t size = static_cast<std::size_t>(file.Size());
      kept.emplace_back(new char[size]);
      benchmark::DoNotOptimize(file.Read(kept.back().get(), size));
    }
    benchmark::DoNotOptimize(kept.data());
  }
  state.SetBytesProcessed(state.iterations() * kCatagories * kMacrosEach *
                          static_cast<std::int64_t>(kMacroRecordSize));
}

}  // namespace

BENCHMARK(BM_PlainReadBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadStore)->Unit(benchmark::kMillisecond);
int main(int argc, char** argv) {
  return RunWithRatios(argc, argv, {{"BM_LoadStore", "BM_PlainReadBaseline", 2.0}});
}
