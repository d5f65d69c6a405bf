// Time per FormatCoordinate call on texts as DXF writers emit them. Prints ns/call for each text and
// for a shuffled mix; the best of several rounds is reported, so a busy machine only makes it slower.
#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string_view>
#include <vector>

#include "engine/format_coordinate.h"

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

std::uint64_t g_sink = 0;

// Nanoseconds per call over `inputs`, best of several rounds.
double NanosecondsPerCall(const std::vector<Sample>& inputs) {
  constexpr int kRounds = 9;
  constexpr int kPasses = 2000;
  char out[corvane::kMaxCoordinateText];
  double best = 1e30;
  for (int round = 0; round < kRounds; ++round) {
    const auto start = std::chrono::steady_clock::now();
    std::uint64_t sum = 0;
    for (int pass = 0; pass < kPasses; ++pass) {
      for (const Sample& s : inputs) {
        sum += static_cast<std::uint64_t>(corvane::FormatCoordinate(s.text, s.decimals, out));
        sum += static_cast<unsigned char>(out[0]);
      }
    }
    const auto stop = std::chrono::steady_clock::now();
    g_sink += sum;
    best = std::min(best, std::chrono::duration<double, std::nano>(stop - start).count() /
                              (static_cast<double>(kPasses) * static_cast<double>(inputs.size())));
  }
  return best;
}

void Report(std::string_view label, double ns) {
  char number[32];
  const char* end = std::to_chars(number, number + sizeof number, ns, std::chars_format::fixed, 1).ptr;
  std::printf("%-34.*s %.*s ns/call\n", static_cast<int>(label.size()), label.data(),
              static_cast<int>(end - number), number);
}

}  // namespace

int main() {
  constexpr std::size_t kInputs = 1024;
  for (const Sample& s : kSamples) Report(s.text, NanosecondsPerCall(std::vector<Sample>(kInputs, s)));

  std::vector<Sample> mix;
  for (std::size_t i = 0; i < kInputs; ++i) mix.push_back(kSamples[i % std::size(kSamples)]);
  std::shuffle(mix.begin(), mix.end(), std::mt19937(1));
  Report("shuffled mix of all", NanosecondsPerCall(mix));
  std::printf("(checksum %llu)\n", static_cast<unsigned long long>(g_sink));
  return 0;
}
