// The picker's ranking over 10,000 macros, per keystroke, beside the
// baseline of a plain substring scan of the same texts (what the editor's
// filter does). Building the index, which the picker does once per change
// of the store, is shown as well. A keystroke must stay within 5 ms.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

#include "RatioReporter.h"
#include "search/MacroRank.h"

namespace {

constexpr int kCatagories = 50;
constexpr int kMacrosEach = 200;

const char* const kWords[] = {"block", "quote", "link", "bold", "table", "list", "item", "header",
                              "footer", "mail", "date", "image", "code", "note", "strip", "case"};

const TCatagories& Store() {
  static std::unique_ptr<TCatagories> store = [] {
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "zarvel-bench-picker";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    auto made = std::make_unique<TCatagories>(dir.string());
    std::vector<TMacroList> lists(kCatagories);
    for (int c = 0; c < kCatagories; ++c) {
      int added = made->AddCatagory("Catagory " + std::string(kWords[c % 16]) + " " + std::to_string(c));
      for (int m = 0; m < kMacrosEach; ++m) {
        TMacro macro = NewMacro();
        SetTitle(macro, std::string(kWords[m % 16]) + " " + kWords[(m / 16) % 16] + " " + std::to_string(m));
        SetMacroText(macro, mxLine1, "<" + std::string(kWords[(m + c) % 16]) + " class=\"x\">{line}</" +
                                         kWords[(m + c) % 16] + ">");
        SetMacroText(macro, mxLine2, "<!-- " + std::to_string(c * kMacrosEach + m) + " -->");
        lists[c].push_back(macro);
      }
      made->Items[added].Macros = lists[c];
    }
    return made;
  }();
  return *store;
}

const TMacroIndex& Index() {
  static const TMacroIndex index(Store());
  return index;
}

const char* const kQueries[] = {"b", "bl", "blq", "blqu", "quote", "tbl item", "zz"};

void BM_RankMacros(benchmark::State& state) {
  const TMacroIndex& index = Index();
  const std::string query = kQueries[state.range(0)];
  std::vector<TMacroKey> recent;
  for (auto _ : state) benchmark::DoNotOptimize(RankMacros(index, query, recent).size());
  state.SetLabel(query);
}
BENCHMARK(BM_RankMacros)->DenseRange(0, 6)->Unit(benchmark::kMicrosecond);

// Baseline: the same entries scanned for the query as a substring of the
// title, the category and the texts.
void BM_SubstringScanBaseline(benchmark::State& state) {
  const TMacroIndex& index = Index();
  const std::string key = SearchKey(kQueries[state.range(0)]);
  for (auto _ : state) {
    std::vector<int> found;
    const std::vector<TMacroEntry>& entries = index.Entries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const TMacroEntry& entry = entries[i];
      if (entry.LowerTitle.find(key) != std::string::npos || entry.LowerCatagory.find(key) != std::string::npos ||
          entry.LowerText.find(key) != std::string::npos)
        found.push_back(static_cast<int>(i));
    }
    benchmark::DoNotOptimize(found.size());
  }
  state.SetLabel(kQueries[state.range(0)]);
}
BENCHMARK(BM_SubstringScanBaseline)->DenseRange(0, 6)->Unit(benchmark::kMicrosecond);

void BM_EmptyQueryWithRecentUse(benchmark::State& state) {
  const TMacroIndex& index = Index();
  std::vector<TMacroKey> recent;
  for (int i = 0; i < static_cast<int>(kRecentMacroLimit); ++i)
    recent.push_back(MacroKeyOf(index.Entries()[static_cast<std::size_t>(i * 499)]));
  for (auto _ : state) benchmark::DoNotOptimize(RankMacros(index, "", recent).size());
}
BENCHMARK(BM_EmptyQueryWithRecentUse)->Unit(benchmark::kMicrosecond);

void BM_BuildIndex(benchmark::State& state) {
  const TCatagories& store = Store();
  for (auto _ : state) {
    TMacroIndex index(store);
    benchmark::DoNotOptimize(index.Entries().data());
  }
}
BENCHMARK(BM_BuildIndex)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  std::vector<TRatioTarget> targets;
  for (int q = 0; q < 7; ++q) {
    std::string arg = "/" + std::to_string(q);
    targets.push_back({"BM_RankMacros" + arg, "BM_SubstringScanBaseline" + arg, 0});
  }
  return RunWithRatios(argc, argv, targets);
}
