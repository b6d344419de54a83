// ReplaceAll against the obvious find/replace loop, on a 10 MB text with a
// million "{n}" tags (the shape of a long selection run through a template).
#include "base/StrUtils.h"

#include <benchmark/benchmark.h>

#include <string>

static std::string TaggedText(size_t bytes) {
    const std::string unit = "abcdefg{n}";  // 10 bytes, one match
    std::string s;
    s.reserve(bytes);
    while (s.size() + unit.size() <= bytes) s += unit;
    return s;
}

static void NaiveReplace(std::string& s, const std::string& find, const std::string& repl) {
    for (size_t at = s.find(find); at != std::string::npos; at = s.find(find, at + repl.size()))
        s.replace(at, find.size(), repl);
}

static void BM_ReplaceAll(benchmark::State& state, const char* repl) {
    const std::string text = TaggedText(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        std::string s = text;
        benchmark::DoNotOptimize(ReplaceAll(s, "{n}", repl));
        benchmark::DoNotOptimize(s.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

static void BM_NaiveFindReplace(benchmark::State& state, const char* repl) {
    const std::string text = TaggedText(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        std::string s = text;
        NaiveReplace(s, "{n}", repl);
        benchmark::DoNotOptimize(s.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

static constexpr int64_t k10MB = 10 * 1000 * 1000;

// Same length: the naive loop overwrites in place and is at its best.
BENCHMARK_CAPTURE(BM_ReplaceAll, same_length, "<b>")->Arg(k10MB)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_NaiveFindReplace, same_length, "<b>")->Arg(k10MB)->Unit(benchmark::kMillisecond);

// CR LF (shorter) or "<br>" CR LF (longer) for "{n}": every naive replace
// shifts the whole tail, so the baseline is quadratic. It runs on smaller
// texts to show the growth (10 MB would take hours); ReplaceAll runs on the
// same sizes and on the full 10 MB.
BENCHMARK_CAPTURE(BM_ReplaceAll, shorter, "\r\n")
    ->RangeMultiplier(4)->Range(64 << 10, 1 << 20)->Arg(k10MB)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_NaiveFindReplace, shorter, "\r\n")
    ->RangeMultiplier(4)->Range(64 << 10, 1 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReplaceAll, longer, "<br>\r\n")
    ->RangeMultiplier(4)->Range(64 << 10, 1 << 20)->Arg(k10MB)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_NaiveFindReplace, longer, "<br>\r\n")
    ->RangeMultiplier(4)->Range(64 << 10, 1 << 20)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
