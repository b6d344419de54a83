// The macro engine's text steps over large selections, each beside sed doing
// the nearest job on the same bytes in the same run. Every case runs at 1, 10
// and 100 MB; the ratios printed at the end give the time against sed and the
// growth from 10 to 100 MB, which stays near 10 when a step is linear.
//
// The selection is lines of eight characters and CR LF, one "&", "<" or ">"
// in each: 10 MB is a million lines and a million matches of the three
// escaping pairs. sed runs under LC_ALL=C, its fastest setting, reading the
// same bytes from a temporary file and writing to /dev/null.
//
// Times are processor time, user and system, read with getrusage: our own
// for the engine, the children's for sed (and the shell that starts it). On a
// machine shared with builds the wall clock mostly measures the neighbours;
// processor time still counts every page the engine touches, and sed's.
//
// Copy/N is the floor under every step: one copy of the selection into a new
// string. A step's result is a new string of at least that size, and sed
// never holds more than a line, so where fresh pages are dear (a virtual
// machine's page faults) the copy's own cost shows how much of a step is
// the memory rather than the work.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "RatioReporter.h"
#include "run/UnattendedRun.h"

namespace {

const int kSizesMb[] = {1, 10, 100};

std::string MakeSelection(int megabytes) {
  static const char kSpecial[] = {'&', '<', '>'};
  const std::size_t size = static_cast<std::size_t>(megabytes) << 20;
  std::mt19937 rng(7);
  std::string text;
  text.reserve(size + 10);
  while (text.size() + 10 <= size) {
    char line[8];
    for (char& c : line) c = static_cast<char>((rng() % 2 ? 'a' : 'A') + rng() % 26);
    line[rng() % 8] = kSpecial[rng() % 3];
    text.append(line, 8);
    text += "\r\n";
  }
  text.resize(size, 'z');
  return text;
}

struct TInput {
  std::string Text;
  std::string Path;
};

// Each size is generated once and kept, in memory and in a file for sed.
const TInput& Input(int megabytes) {
  static std::map<int, TInput> inputs;
  TInput& input = inputs[megabytes];
  if (input.Text.empty()) {
    input.Text = MakeSelection(megabytes);
    input.Path = (std::filesystem::temp_directory_path() /
                  ("zarvel-run-bench-" + std::to_string(megabytes) + "mb.txt"))
                     .string();
    std::ofstream(input.Path, std::ios::binary).write(input.Text.data(), input.Text.size());
  }
  return input;
}

void RemoveInputs() {
  for (int megabytes : kSizesMb) {
    std::error_code ignored;
    std::filesystem::remove(std::filesystem::temp_directory_path() /
                                ("zarvel-run-bench-" + std::to_string(megabytes) + "mb.txt"),
                            ignored);
  }
}

TMacro Macro(std::uint8_t type, const std::vector<std::pair<TMacroText, std::string>>& texts) {
  TMacro macro = NewMacro();
  macro.MacroType = type;
  for (const auto& text : texts) SetMacroText(macro, text.first, text.second);
  return macro;
}

struct TCase {
  const char* Name;
  TMacro Ours;
  const char* SedScript;
};

std::vector<TCase> Cases() {
  return {
      {"Block", Macro(mtBlockMode, {{mxFirstLine, "<pre>"}, {mxLine1, "{line}"}, {mxLastLine, "</pre>"}}),
       "-e '1s/^/<pre>\\n/' -e '$s/$/\\n<\\/pre>/'"},
      {"Line", Macro(mtLineMode, {{mxFirstLine, "<ul>"},
                                  {mxLine1, "<li>{line}</li>"},
                                  {mxLine2, "<li class=\"b\">{line}</li>"},
                                  {mxLine3, "<li class=\"c\">{line}</li>"},
                                  {mxLastLine, "</ul>"}}),
       "'s/.*/<li>&<\\/li>/'"},
      {"ChangeCase", Macro(mtChangeCase, {}),
       "'y/abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ/"
       "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz/'"},
      {"ReplacePairs", Macro(mtBlockMode, {{mxLine1, "{line}"},
                                           {mxReplace1, "&"}, {mxWith1, "&amp;"},
                                           {mxReplace2, "<"}, {mxWith2, "&lt;"},
                                           {mxReplace3, ">"}, {mxWith3, "&gt;"}}),
       "-e 's/&/\\&amp;/g' -e 's/</\\&lt;/g' -e 's/>/\\&gt;/g'"},
  };
}

double CpuSeconds(int who) {
  rusage usage{};
  getrusage(who, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long PageFaults(int who) {
  rusage usage{};
  getrusage(who, &usage);
  return usage.ru_minflt + usage.ru_majflt;
}

// Pages touched for the first time, per iteration: where the allocator hands
// back fresh memory each time (above its mapping threshold) these, not the
// bytes, set the pace, and they explain a step that grows faster than its input.
void CountFaults(benchmark::State& state, long faults) {
  state.counters["faults"] = benchmark::Counter(static_cast<double>(faults), benchmark::Counter::kAvgIterations);
}

void RunOurs(benchmark::State& state, const TMacro& macro, int megabytes) {
  const TInput& input = Input(megabytes);
  const long faults = PageFaults(RUSAGE_SELF);
  for (auto _ : state) {
    const double start = CpuSeconds(RUSAGE_SELF);
    {
      TUnattendedRun run(macro, TRunAnswers{});
      run.Run(input.Text);
      benchmark::DoNotOptimize(run.FSelection.data());
    }
    state.SetIterationTime(CpuSeconds(RUSAGE_SELF) - start);
  }
  CountFaults(state, PageFaults(RUSAGE_SELF) - faults);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * input.Text.size());
}

void RunCopy(benchmark::State& state, int megabytes) {
  const TInput& input = Input(megabytes);
  const long faults = PageFaults(RUSAGE_SELF);
  for (auto _ : state) {
    const double start = CpuSeconds(RUSAGE_SELF);
    {
      std::string copy(input.Text);
      benchmark::DoNotOptimize(copy.data());
    }
    state.SetIterationTime(CpuSeconds(RUSAGE_SELF) - start);
  }
  CountFaults(state, PageFaults(RUSAGE_SELF) - faults);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * input.Text.size());
}

void RunSed(benchmark::State& state, const std::string& script, int megabytes) {
  const TInput& input = Input(megabytes);
  const std::string command = "LC_ALL=C sed " + script + " < '" + input.Path + "' > /dev/null";
  const long faults = PageFaults(RUSAGE_CHILDREN);
  for (auto _ : state) {
    const double start = CpuSeconds(RUSAGE_CHILDREN);
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError(("sed failed: " + command).c_str());
      break;
    }
    state.SetIterationTime(CpuSeconds(RUSAGE_CHILDREN) - start);
  }
  CountFaults(state, PageFaults(RUSAGE_CHILDREN) - faults);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * input.Text.size());
}

// The name Google Benchmark reports for a case, which the ratios look up.
std::string RunName(const std::string& base, int megabytes) {
  std::string name = base + "/" + std::to_string(megabytes) + "MB";
  return (megabytes >= 100 ? name + "/iterations:1" : name) + "/manual_time";
}

void Limit(benchmark::internal::Benchmark* bench, int megabytes) {
  bench->UseManualTime()->Unit(benchmark::kMillisecond);
  if (megabytes >= 100) bench->Iterations(1);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<TRatioTarget> targets;
  static const std::vector<TCase> cases = Cases();
  for (int megabytes : kSizesMb)
    Limit(benchmark::RegisterBenchmark(("Copy/" + std::to_string(megabytes) + "MB").c_str(),
                                       [megabytes](benchmark::State& state) { RunCopy(state, megabytes); }),
          megabytes);
  for (const TCase& item : cases) {
    for (int megabytes : kSizesMb) {
      const std::string ours = std::string("Ours/") + item.Name, sed = std::string("Sed/") + item.Name;
      Limit(benchmark::RegisterBenchmark((ours + "/" + std::to_string(megabytes) + "MB").c_str(),
                                         [&item, megabytes](benchmark::State& state) {
                                           RunOurs(state, item.Ours, megabytes);
                                         }),
            megabytes);
      Limit(benchmark::RegisterBenchmark((sed + "/" + std::to_string(megabytes) + "MB").c_str(),
                                         [&item, megabytes](benchmark::State& state) {
                                           RunSed(state, item.SedScript, megabytes);
                                         }),
            megabytes);
      targets.push_back({RunName(ours, megabytes), RunName(sed, megabytes), 1.0});
    }
  }
  // Linear growth: ten times the input, about ten times the time.
  for (const TCase& item : cases) {
    const std::string ours = std::string("Ours/") + item.Name;
    targets.push_back({RunName(ours, 10), RunName(ours, 1), 13.0});
    targets.push_back({RunName(ours, 100), RunName(ours, 10), 13.0});
  }
  int result = RunWithRatios(argc, argv, targets);
  RemoveInputs();
  return result;
}
