// Time per FormatCoordinate call on texts as DXF writers emit them, one benchmark per text and one
// for a shuffled mix, through the function the engine calls and through the inline plain route.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <string_view>
#include <vector>

#include "engine/format_coordinate.h"
#include "engine/format_coordinate_plain.h"

namespace {

struct Sample {
  std::string_view text;
  int decimals;
};

constexpr Sample kSamples[] = {
    {"1234.5678", 3},          {"0.0", 3},
    {"-152.3456789012345", 4}, {"2150.000000000001", 3},
    {"10", 0},                 {"-0.0004999999999995", 3},
    {"123456789.12345678", 6}, {"1.2345678901234567E+15", 2},
};

template <int (*kFormat)(std::string_view, int, char*)>
void FormatOne(benchmark::State& state) {
  const Sample& s = kSamples[state.range(0)];
  state.SetLabel(std::string(s.text));
  char out[corvane::kMaxCoordinateText];
  for (auto _ : state) {
    benchmark::DoNotOptimize(kFormat(s.text, s.decimals, out));
    benchmark::ClobberMemory();
  }
}

template <int (*kFormat)(std::string_view, int, char*)>
void FormatMix(benchmark::State& state) {
  std::vector<Sample> mix;
  for (std::size_t i = 0; i < 1024; ++i) mix.push_back(kSamples[i % std::size(kSamples)]);
  std::shuffle(mix.begin(), mix.end(), std::mt19937(1));
  char out[corvane::kMaxCoordinateText];
  for (auto _ : state) {
    for (const Sample& s : mix) benchmark::DoNotOptimize(kFormat(s.text, s.decimals, out));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(mix.size()));
}

int Inline(std::string_view text, int decimals, char* out) {
  return corvane::FormatCoordinateInline(text, decimals, out);
}

BENCHMARK(FormatOne<corvane::FormatCoordinate>)->DenseRange(0, std::size(kSamples) - 1);
BENCHMARK(FormatMix<corvane::FormatCoordinate>);
BENCHMARK(FormatMix<Inline>);

}  // namespace
