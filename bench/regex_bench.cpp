// The regular-expression engine beside two peers measured in the same run:
// PCRE2's interpreter (no JIT) and std::regex. Each case searches the same
// generated text with expressions of the same meaning in each dialect and
// counts the matches, so a peer that disagrees is noticed. The last case is
// a catastrophic shape over 1 MB of near misses: an engine may stop there
// with an error (PCRE2 at its match limit), which the summary says.
#define PCRE2_CODE_UNIT_WIDTH 8
#include <benchmark/benchmark.h>
#include <pcre2.h>

#include <cstdio>
#include <map>
#include <random>
#include <regex>
#include <string>

#include "regex/RegExpr.h"

namespace {

const size_t PageSize = 10u << 20;

std::string MakeWord(std::mt19937& rng) {
  static const char* const words[] = {"macro",  "template", "shortcut", "catagory", "selection", "paste",
                                      "strip",  "the",      "a",        "of",       "Windows",   "clipboard",
                                      "tray",   "icon",     "value",    "prompt",   "picture",   "include"};
  return words[rng() % (sizeof(words) / sizeof(words[0]))];
}

// An HTML page of paragraphs with inline tags, addresses, doubled words
// and now and then the literal the literal case looks for.
const std::string& Page() {
  static std::string page;
  if (!page.empty()) return page;
  std::mt19937 rng(42);
  page.reserve(PageSize + 4096);
  page += "<html><head><title>Zarvel</title></head><body>\r\n";
  while (page.size() < PageSize) {
    page += "<p class=\"para\">";
    for (int w = 0; w < 40; ++w) {
      int r = static_cast<int>(rng() % 100);
      std::string word = MakeWord(rng);
      if (r < 6) page += "<b>" + word + "</b> ";
      else if (r < 9) page += "<a href=\"http://example.org/" + word + "\">" + word + "</a> ";
      else if (r < 10) page += word + "." + MakeWord(rng) + "@mail.example.com ";
      else if (r < 11) page += word + " " + word + " ";
      else page += word + " ";
      if (rng() % 5000 == 0) page += "resident text-macro tool ";
    }
    page += "</p>\r\n";
  }
  page += "</body></html>\r\n";
  return page;
}

// 1 MB of runs of 40 "a" ended by "b", then the one match, "aaac": every run
// is a near miss for "(a|aa)+c" that a plain backtracker explores in about
// 2^27 ways (the Fibonacci number of 40) before it gives up.
const std::string& NearMisses() {
  static std::string text;
  if (!text.empty()) return text;
  const std::string run = std::string(40, 'a') + "b";
  while (text.size() + run.size() < (1u << 20) - 4) text += run;
  text += "aaac";
  return text;
}

struct TCase {
  const char* Name;
  const char* Ours;     // this engine's dialect (modifiers below)
  bool StripTags;       // modifiers i and m on, every match deleted
  const char* Pcre;     // PCRE2 dialect
  uint32_t PcreFlags;
  const char* Std;      // ECMAScript dialect (nullptr: not run, it would not finish)
  bool StdIcase;
  const std::string& (*Input)();
};

const TCase Cases[] = {
    {"StripTags", "<(.*?)>", true, "<(.*?)>", PCRE2_CASELESS | PCRE2_MULTILINE | PCRE2_DOTALL,
     "<([\\s\\S]*?)>", true, Page},
    {"Literal", "resident text-macro tool", false, "resident text-macro tool", PCRE2_DOTALL,
     "resident text-macro tool", false, Page},
    {"SetHeavy", "[A-Za-z0-9._%+-]+@[A-Za-z0-9.-]+\\.[A-Za-z]{2,6}", false,
     "[A-Za-z0-9._%+-]+@[A-Za-z0-9.-]+\\.[A-Za-z]{2,6}", PCRE2_DOTALL,
     "[A-Za-z0-9._%+-]+@[A-Za-z0-9.-]+\\.[A-Za-z]{2,6}", false, Page},
    {"BackReference", "([a-z]+) \\1 ", false, "([a-z]+) \\1 ", PCRE2_DOTALL, "([a-z]+) \\1 ", false, Page},
    {"Catastrophic", "(a|aa)+c", false, "(a|aa)+c", PCRE2_DOTALL, nullptr, false, NearMisses},
};

std::map<std::string, double> Seconds;  // per case and engine, from the last run
std::map<std::string, long> MatchCounts;
std::map<std::string, std::string> Failures;
std::map<std::string, std::string> Stops;  // per case and engine: why it stopped before the end

void Record(benchmark::State& state, const TCase& c, const std::string& engine, long matches) {
  std::string key = std::string(c.Name) + "/" + engine;
  MatchCounts[key] = matches;
  state.counters["matches"] = static_cast<double>(matches);
  state.counters["stopped"] = Stops.count(key) ? 1 : 0;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(c.Input().size()));
}

void Configure(TRegexEngine& re, const TCase& c) {
  if (c.StripTags) {
    re.SetModifierFlag(rmIndexI, true);
    re.SetModifierFlag(rmIndexM, true);
  }
  re.Expression(c.Ours);
}

void BM_Zarvel(benchmark::State& state, const TCase& c) {
  const std::string& page = c.Input();
  const std::string key = std::string(c.Name) + "/zarvel";
  long matches = 0;
  for (auto _ : state) {
    TRegexEngine re;
    Configure(re, c);
    try {
      std::string out = re.ReplaceMatches(page, "");
      benchmark::DoNotOptimize(out);
    } catch (const ERegexError& e) {
      Stops[key] = "error " + std::to_string(e.RegErrorCode) + ": " + e.what();
    }
  }
  TRegexEngine re;
  Configure(re, c);
  try {
    if (re.Exec(page))
      do ++matches;
      while (re.ExecNext());
  } catch (const ERegexError&) {
  }
  Record(state, c, "zarvel", matches);
}

// Deletes every match, as ReplaceMatches does; returns the match count.
// stop says why PCRE2 gave up before the end, if it did.
long PcreStrip(const pcre2_code* code, pcre2_match_data* md, const std::string& page, std::string& out,
               std::string& stop) {
  long matches = 0;
  size_t from = 0, at = 0;
  out.reserve(page.size());
  const PCRE2_SPTR subject = reinterpret_cast<PCRE2_SPTR>(page.data());
  while (at <= page.size()) {
    int rc = pcre2_match(code, subject, page.size(), at, 0, md, nullptr);
    if (rc == PCRE2_ERROR_MATCHLIMIT) stop = "hit its match limit (error " + std::to_string(rc) + ")";
    else if (rc < -1) stop = "error " + std::to_string(rc);
    if (rc < 0) break;
    PCRE2_SIZE* ov = pcre2_get_ovector_pointer(md);
    ++matches;
    out.append(page, from, ov[0] - from);
    from = ov[1];
    at = ov[1] > ov[0] ? ov[1] : ov[1] + 1;
  }
  out.append(page, from, std::string::npos);
  return matches;
}

void BM_Pcre2(benchmark::State& state, const TCase& c) {
  int error;
  PCRE2_SIZE offset;
  pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(c.Pcre), PCRE2_ZERO_TERMINATED, c.PcreFlags, &error,
                                   &offset, nullptr);
  if (!code) {
    state.SkipWithError("pcre2_compile failed");
    return;
  }
  pcre2_match_data* md = pcre2_match_data_create_from_pattern(code, nullptr);
  long matches = 0;
  std::string stop;
  for (auto _ : state) {
    std::string out;  // a new result each time, as every engine here returns
    matches = PcreStrip(code, md, c.Input(), out, stop);
    benchmark::DoNotOptimize(out);
  }
  pcre2_match_data_free(md);
  pcre2_code_free(code);
  if (!stop.empty()) Stops[std::string(c.Name) + "/pcre2"] = stop;
  Record(state, c, "pcre2", matches);
}

void BM_StdRegex(benchmark::State& state, const TCase& c) {
  auto flags = std::regex::ECMAScript | (c.StdIcase ? std::regex::icase : std::regex::ECMAScript);
  std::regex re(c.Std, flags);
  const std::string& page = c.Input();
  long matches = 0;
  try {
    for (auto _ : state) {
      std::string out;
      out.reserve(page.size());
      matches = 0;
      size_t from = 0;
      for (auto it = std::sregex_iterator(page.begin(), page.end(), re); it != std::sregex_iterator(); ++it) {
        ++matches;
        size_t start = static_cast<size_t>(it->position(0));
        out.append(page, from, start - from);
        from = start + static_cast<size_t>(it->length(0));
      }
      out.append(page, from, std::string::npos);
      benchmark::DoNotOptimize(out);
    }
  } catch (const std::exception& e) {
    Failures[std::string(c.Name) + "/std::regex"] = e.what();
    state.SkipWithError(("std::regex failed on the 10 MB input: " + std::string(e.what())).c_str());
    return;
  }
  Record(state, c, "std::regex", matches);
}

class TSummaryReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs)
      if (!run.error_occurred && run.iterations > 0)
        Seconds[run.run_name.function_name] = run.GetAdjustedRealTime() / 1e3;  // reported in ms
  }
};

void PrintSummary() {
  std::printf("\nInput: %zu bytes of generated HTML (Catastrophic: %zu bytes of near misses).\n", Page().size(),
              NearMisses().size());
  std::printf("Times per pass over the whole input.\n");
  std::printf("%-14s %12s %12s %14s %10s %10s\n", "case", "zarvel ms", "pcre2 ms", "std::regex ms", "vs pcre2",
              "vs std");
  for (const TCase& c : Cases) {
    std::string name = c.Name;
    auto ms = [&](const std::string& engine) {
      auto it = Seconds.find(name + "/" + engine);
      return it == Seconds.end() ? -1.0 : it->second * 1e3;
    };
    double ours = ms("zarvel"), pcre = ms("pcre2"), stdre = ms("std::regex");
    std::printf("%-14s %12.1f %12.1f ", c.Name, ours, pcre);
    if (!c.Std)
      std::printf("%14s ", "not run");
    else if (stdre < 0)
      std::printf("%14s ", "failed");
    else
      std::printf("%14.1f ", stdre);
    std::printf("%9.2fx ", ours / pcre);
    if (stdre < 0)
      std::printf("%10s\n", "-");
    else
      std::printf("%9.2fx\n", ours / stdre);
    long mine = MatchCounts[name + "/zarvel"];
    for (const char* peer : {"pcre2", "std::regex"}) {
      auto it = MatchCounts.find(name + "/" + peer);
      if (it != MatchCounts.end() && it->second != mine)
        std::printf("  note: %s found %ld matches, zarvel %ld\n", peer, it->second, mine);
    }
    for (const char* engine : {"zarvel", "pcre2"}) {
      auto it = Stops.find(name + "/" + engine);
      if (it != Stops.end()) std::printf("  note: %s stopped early: %s\n", engine, it->second.c_str());
    }
  }
  for (const auto& failure : Failures) std::printf("  %s failed: %s\n", failure.first.c_str(), failure.second.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  for (const TCase& c : Cases) {
    std::string name = c.Name;
    benchmark::RegisterBenchmark((name + "/zarvel").c_str(), BM_Zarvel, c)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((name + "/pcre2").c_str(), BM_Pcre2, c)->Unit(benchmark::kMillisecond);
    if (c.Std)
      benchmark::RegisterBenchmark((name + "/std::regex").c_str(), BM_StdRegex, c)
          ->Unit(benchmark::kMillisecond)
          ->Iterations(1);
  }
  benchmark::Initialize(&argc, argv);
  Page();
  NearMisses();
  TSummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintSummary();
  benchmark::Shutdown();
  return 0;
}
