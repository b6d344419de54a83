// The editor's search: FilterMacros over 10,000 macros for each keystroke of
// a query, beside the baseline of a plain substring scan of the same texts
// (no index, no case folding). A keystroke must stay under 16 ms, one frame.
// Building the index, done once per change of the store, is shown too.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "RatioReporter.h"
#include "search/MacroIndex.h"
#include "store/Catagories.h"
#include "store/ShortCut.h"

namespace {

constexpr int kCatagories = 20;
constexpr int kMacrosEach = 500;  // 10,000 macros in all
const char* const kQuery = "blockquote";
const char* const kWords[] = {"list", "item", "bold", "table", "row", "cell", "link", "quote", "header",
                              "footer", "paragraph", "span", "class", "style", "image", "anchor"};

// The store, in a folder of its own, made once.
TCatagories& Store() {
  static TCatagories* store = [] {
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "zarvel-bench-search";
    std::filesystem::remove_all(dir);
    auto* made = new TCatagories(dir.string());
    std::mt19937 random(7);
    auto words = [&](int count) {
      std::string text;
      for (int i = 0; i < count; ++i) text += std::string(i ? " " : "") + kWords[random() % 16];
      return text;
    };
    for (int c = 0; c < kCatagories; ++c) {
      int catagory = made->AddCatagory("Catagory " + std::to_string(c));
      for (int m = 0; m < kMacrosEach; ++m) {
        TMacro macro = NewMacro();
        SetTitle(macro, words(2).substr(0, kTitleCapacity));
        macro.MacroType = static_cast<std::uint8_t>(m % 2 ? mtLineMode : mtBlockMode);
        macro.ShortCut = static_cast<std::uint16_t>(0xC000 | (65 + m % 26));
        SetMacroText(macro, mxLine1, "<" + words(3) + ">{line}</" + words(1) + ">");
        SetMacroText(macro, mxFirstLine, words(20));
        SetMacroText(macro, mxLastLine, words(20));
        made->AddMacro(catagory, macro);
      }
    }
    return made;
  }();
  return *store;
}

const TMacroIndex& Index() {
  static const TMacroIndex index(Store());
  return index;
}

// The texts the search looks at, as the store holds them, one string each.
const std::vector<std::string>& PlainTexts() {
  static const std::vector<std::string> texts = [] {
    std::vector<std::string> all;
    for (const TCatagory& catagory : Store().Items)
      for (const TMacro& macro : catagory.Macros) {
        std::string text = GetTitle(macro) + "\n" + ShortCutText(macro.ShortCut) + "\n" +
                           MacroTypeName(macro.MacroType);
        for (int field = 0; field < kMacroTextCount; ++field)
          text += "\n" + GetMacroText(macro, static_cast<TMacroText>(field));
        all.push_back(text);
      }
    return all;
  }();
  return texts;
}

// One iteration is one keystroke: the query typed so far grows by a letter.
void BM_FilterMacrosPerKeystroke(benchmark::State& state) {
  const TMacroIndex& index = Index();
  std::string query(kQuery);
  std::size_t typed = 0;
  for (auto _ : state) {
    typed = typed % query.size() + 1;
    std::vector<int> found = FilterMacros(index, query.substr(0, typed));
    benchmark::DoNotOptimize(found.data());
  }
}

void BM_PlainScanBaseline(benchmark::State& state) {
  const std::vector<std::string>& texts = PlainTexts();
  std::string query(kQuery);
  std::size_t typed = 0;
  for (auto _ : state) {
    typed = typed % query.size() + 1;
    std::string key = query.substr(0, typed);
    std::vector<int> found;
    for (std::size_t i = 0; i < texts.size(); ++i)
      if (texts[i].find(key) != std::string::npos) found.push_back(static_cast<int>(i));
    benchmark::DoNotOptimize(found.data());
  }
}

void BM_BuildIndex(benchmark::State& state) {
  TCatagories& store = Store();
  for (auto _ : state) {
    TMacroIndex index(store);
    benchmark::DoNotOptimize(index.Entries().data());
  }
}

}  // namespace

BENCHMARK(BM_PlainScanBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterMacrosPerKeystroke)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildIndex)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  double keystroke = reporter.Time("BM_FilterMacrosPerKeystroke");
  double baseline = reporter.Time("BM_PlainScanBaseline");
  if (keystroke > 0 && baseline > 0) {
    std::printf("ratio BM_FilterMacrosPerKeystroke / BM_PlainScanBaseline = %.2f\n", keystroke / baseline);
    std::printf("FilterMacros over %d macros: %.3f ms per keystroke (target < 16 ms: %s)\n",
                kCatagories * kMacrosEach, keystroke, keystroke < 16.0 ? "met" : "MISSED");
  }
  benchmark::Shutdown();
  return 0;
}
