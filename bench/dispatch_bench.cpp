// The cost of one key press through DispatchShortcut with 10 macros and with
// 10,000: the look-up is an index, so the two must cost the same. Each case
// presses a shortcut that exists (the last macro of the store) and a key
// that is no shortcut, the common case while typing.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "RatioReporter.h"
#include "resident/HookKeys.h"
#include "resident/Resident.h"
#include "store/ShortCut.h"

namespace {

class TQuietPorts : public TResidentPorts {
 public:
  void ShowEnabled(bool) override {}
  bool StartWindowThread(TThreadDoneCode) override { return false; }
  bool ForegroundExeName(std::string& exeName) override {
    exeName = "edit.exe";
    return true;
  }
  bool PostRunMacro(int catagory, int macro) override {
    ++Posted;
    LastCatagory = catagory;
    LastMacro = macro;
    return true;
  }
  bool StartRunMacro(const TMacro&, bool) override { return false; }
  bool ModifierDown(unsigned) override { return true; }
  void MaskAltRelease() override {}
  void BringMacroEditorToFront() override {}
  long Posted = 0;
  int LastCatagory = -1;
  int LastMacro = -1;
};

// A store of `count` macros over 20 categories, every one with its own
// shortcut, written as raw category files and loaded as at start-up.
class TStoreFixture {
 public:
  explicit TStoreFixture(int count) {
    std::random_device seed;
    FFolder = std::filesystem::temp_directory_path() / ("zarvel-bench-" + std::to_string(seed()));
    std::filesystem::create_directories(FFolder / "Macros");
    const int perCatagory = (count + 19) / 20;
    int made = 0;
    for (int c = 0; made < count; ++c) {
      std::string bytes;
      for (int m = 0; m < perCatagory && made < count; ++m, ++made) {
        TMacro macro = NewMacro();
        macro.ShortCut = made + 1 == count ? kLastWord : WordOf(made);
        bytes.append(reinterpret_cast<const char*>(&macro), sizeof macro);
      }
      std::FILE* file = std::fopen((FFolder / "Macros" / ("c" + std::to_string(c) + ".cat")).string().c_str(), "wb");
      std::fwrite(bytes.data(), 1, bytes.size(), file);
      std::fclose(file);
    }
    Store = std::make_unique<TCatagories>((FFolder / "Macros").string());
  }
  ~TStoreFixture() {
    std::error_code ignored;
    std::filesystem::remove_all(FFolder, ignored);
  }
  // Distinct pressable words for up to 1600 macros (keys 48 to 247, clear
  // of the modifiers); beyond that the words repeat, as duplicates brought
  // in from other files would.
  static std::uint16_t WordOf(int n) {
    n %= 1600;
    return MakeShortCut(48 + n % 200, n / 200 & 1, n / 200 & 2, n / 200 & 4);
  }
  std::unique_ptr<TCatagories> Store;
  // The last macro in store order carries a word of its own (key 250 is
  // outside WordOf's keys), the same in every store size.
  static constexpr std::uint16_t kLastWord = kCtrlBit | kAltBit | 250;

 private:
  std::filesystem::path FFolder;
};

constexpr std::uint16_t kMissWord = kCtrlBit | kAltBit | 251;

void PressChord(TResident& core, std::uint16_t word) {
  bool shift = word & kShiftBit, ctrl = word & kCtrlBit, alt = word & kAltBit;
  if (shift) core.HookKeyDown(kKeyShift);
  if (ctrl) core.HookKeyDown(kKeyCtrl);
  if (alt) core.HookKeyDown(kKeyAlt);
  benchmark::DoNotOptimize(core.HookKeyDown(word & 0xFF));
  if (alt) core.HookKeyUp(kKeyAlt);
  if (ctrl) core.HookKeyUp(kKeyCtrl);
  if (shift) core.HookKeyUp(kKeyShift);
}

void Dispatch(benchmark::State& state, int count, bool matching) {
  TStoreFixture fixture(count);
  TIncludeSnapshot includes;
  TQuietPorts ports;
  TResident core(ports, *fixture.Store, includes, false);
  // The last macro in store order, or a word no macro has; the same chord
  // length for both store sizes.
  std::uint16_t word = matching ? TStoreFixture::kLastWord : kMissWord;
  for (auto _ : state) {
    PressChord(core, word);
    // The posted WM_RUNMACRO comes back; with no run thread yet it starts nothing.
    if (core.RunRequested()) core.RunMacro(ports.LastCatagory, ports.LastMacro);
  }
  state.counters["posted"] = static_cast<double>(ports.Posted);
}

void BM_Dispatch10Match(benchmark::State& state) { Dispatch(state, 10, true); }
void BM_Dispatch10000Match(benchmark::State& state) { Dispatch(state, 10000, true); }
void BM_Dispatch10Miss(benchmark::State& state) { Dispatch(state, 10, false); }
void BM_Dispatch10000Miss(benchmark::State& state) { Dispatch(state, 10000, false); }

// The store's own linear search, for comparison: what each key press would
// cost without the index.
void BM_LinearSearch10000Miss(benchmark::State& state) {
  TStoreFixture fixture(10000);
  for (auto _ : state) {
    int c, m;
    benchmark::DoNotOptimize(fixture.Store->FindShortCut(kMissWord, c, m));
  }
}

BENCHMARK(BM_Dispatch10Match);
BENCHMARK(BM_Dispatch10000Match);
BENCHMARK(BM_Dispatch10Miss);
BENCHMARK(BM_Dispatch10000Miss);
BENCHMARK(BM_LinearSearch10000Miss);

}  // namespace

int main(int argc, char** argv) {
  return RunWithRatios(argc, argv,
                       {{"BM_Dispatch10000Match", "BM_Dispatch10Match", 1.5},
                        {"BM_Dispatch10000Miss", "BM_Dispatch10Miss", 1.5},
                        {"BM_LinearSearch10000Miss", "BM_Dispatch10000Miss", 0}});
}
