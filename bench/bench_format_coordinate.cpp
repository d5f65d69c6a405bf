// Time per FormatCoordinate call on texts as DXF writers emit them, one benchmark per text and one
// for a shuffled mix, through the function the engine calls, through the inline plain route and
// through the padded route, which may read 16 bytes at every text (each sample lies in a block with
// slack behind it). A second mix holds only the short texts most drawings are made of.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstring>
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

// The most common coordinates, formatted with 3 decimals.
constexpr Sample kShortSamples[] = {
    {"5000.000000", 3}, {"-123.456789", 3}, {"100.0", 3},   {"0.0", 3},
    {"2150.5", 3},      {"-35.1234567", 3}, {"12.75", 3},   {"-4096.000000", 3},
};

// A sample's text at the start of a block with slack behind it.
struct PaddedSample {
  std::array<char, 48> block;
  std::size_t size;
  int decimals;
  std::string_view text() const { return {block.data(), size}; }
};

PaddedSample Pad(const Sample& s) {
  PaddedSample padded{};
  padded.block.fill('7');
  std::memcpy(padded.block.data(), s.text.data(), s.text.size());
  padded.size = s.text.size();
  padded.decimals = s.decimals;
  return padded;
}

template <int (*kFormat)(std::string_view, int, char*)>
void FormatOne(benchmark::State& state) {
  const PaddedSample s = Pad(kSamples[state.range(0)]);
  state.SetLabel(std::string(s.text()));
  char out[corvane::kMaxCoordinateText];
  for (auto _ : state) {
    benchmark::DoNotOptimize(kFormat(s.text(), s.decimals, out));
    benchmark::ClobberMemory();
  }
}

template <int (*kFormat)(std::string_view, int, char*), bool kShortOnly>
void FormatMix(benchmark::State& state) {
  std::vector<PaddedSample> mix;
  for (std::size_t i = 0; i < 1024; ++i) {
    mix.push_back(kShortOnly ? Pad(kShortSamples[i % std::size(kShortSamples)]) : Pad(kSamples[i % std::size(kSamples)]));
  }
  std::shuffle(mix.begin(), mix.end(), std::mt19937(1));
  char out[corvane::kMaxCoordinateText];
  for (auto _ : state) {
    for (const PaddedSample& s : mix) benchmark::DoNotOptimize(kFormat(s.text(), s.decimals, out));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(mix.size()));
}

int Inline(std::string_view text, int decimals, char* out) {
  return corvane::FormatCoordinateInline(text, decimals, out);
}

int Padded(std::string_view text, int decimals, char* out) {
  return corvane::FormatCoordinatePadded(text, decimals, out);
}

BENCHMARK(FormatOne<corvane::FormatCoordinate>)->DenseRange(0, std::size(kSamples) - 1);
BENCHMARK(FormatOne<Padded>)->DenseRange(0, std::size(kSamples) - 1);
BENCHMARK(FormatMix<corvane::FormatCoordinate, false>);
BENCHMARK(FormatMix<Inline, false>);
BENCHMARK(FormatMix<Padded, false>);
BENCHMARK(FormatMix<Inline, true>);
BENCHMARK(FormatMix<Padded, true>);

}  // namespace
