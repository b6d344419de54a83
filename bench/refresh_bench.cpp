// Reading the macro folder again after another program changed one file of
// 100 categories of 100 macros, beside the baseline of loading the whole
// store anew, as a program without Refresh would. The refresh should cost a
// small part of a full load (target: a tenth). For scale, the export text of
// the daily backup, made on the watch thread, is measured beside it too.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "BenchStore.h"
#include "RatioReporter.h"
#include "base/OsFile.h"
#include "exchange/CatagoryExchange.h"
#include "store/Catagories.h"

namespace {

constexpr int kCatagories = kBenchCatagories;
constexpr int kMacrosEach = kBenchMacrosEach;

const std::string& StoreFolder() {
  static const std::string folder = MakeBenchStore("zarvel-bench-refresh");
  return folder;
}

// Another program's change: one record of one file written anew, which
// gives the file a new last-write time.
void ChangeOneFile(int round) {
  TMacro macro = NewMacro();
  SetTitle(macro, "changed " + std::to_string(round));
  TOsFile file(PathJoin(StoreFolder(), "Catagory 50.cat"), omReadWrite);
  file.Seek(static_cast<std::int64_t>(round % kMacrosEach) * kMacroRecordSize);
  file.Write(&macro, sizeof macro);
}

void BM_RefreshOneChanged(benchmark::State& state) {
  TCatagories store(StoreFolder());
  int round = 0;
  for (auto _ : state) {
    state.PauseTiming();
    ChangeOneFile(++round);
    state.ResumeTiming();
    TStoreRefresh found = store.Refresh();
    if (found.Changed.size() != 1) state.SkipWithError("the change was not seen");
  }
}

void BM_RefreshNothingChanged(benchmark::State& state) {
  TCatagories store(StoreFolder());
  for (auto _ : state) benchmark::DoNotOptimize(store.Refresh().Any());
}

// Baseline: the whole store loaded anew.
void BM_FullLoadBaseline(benchmark::State& state) {
  for (auto _ : state) {
    TCatagories store(StoreFolder());
    benchmark::DoNotOptimize(store.Items.data());
  }
}

void BM_BackupText(benchmark::State& state) {
  TCatagories store(StoreFolder());
  for (auto _ : state) benchmark::DoNotOptimize(ExportText(store, -1, 1252).size());
}

}  // namespace

BENCHMARK(BM_FullLoadBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefreshOneChanged)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefreshNothingChanged)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BackupText)->Unit(benchmark::kMillisecond);
int main(int argc, char** argv) {
  return RunWithRatios(argc, argv, {{"BM_RefreshOneChanged", "BM_FullLoadBaseline", 0.1},
                                    {"BM_RefreshNothingChanged", "BM_FullLoadBaseline", 0.05},
                                    {"BM_BackupText", "BM_FullLoadBaseline", 0}});
}
