// Reading lines and recognising code lines, on a text shaped like the ENTITIES section of a survey
// drawing (right-aligned codes, coordinates with six decimals), with LF and with CR LF ends.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "engine/line_reader.h"
#include "engine/pairs.h"

namespace {

std::string EntitiesText(bool crlf, std::size_t bytes) {
  const char* const end = crlf ? "\r\n" : "\n";
  std::string text;
  for (unsigned i = 0; text.size() < bytes; ++i) {
    auto pair = [&](const char* code, const std::string& value) { text += code + (end + value) + end; };
    pair("  0", "VERTEX");
    pair("  5", std::to_string(1000 + i));
    pair("  8", "BREAKLINE");
    pair(" 10", std::to_string(5000 + i % 977) + ".750000");
    pair(" 20", std::to_string(8000 + i % 613) + ".125000");
    pair(" 30", std::to_string(100 + i % 7) + ".000000");
    pair(" 70", "32");
  }
  return text;
}

void LineSplitting(benchmark::State& state) {
  const std::string text = EntitiesText(state.range(0) != 0, std::size_t{8} << 20);
  for (auto _ : state) {
    corvane::LineReader reader(text);
    std::string_view line;
    std::size_t total = 0;
    while (reader.Next(line)) total += line.size();
    benchmark::DoNotOptimize(total);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
  state.SetLabel(state.range(0) != 0 ? "CR LF" : "LF");
}
BENCHMARK(LineSplitting)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void CodeLineRecognition(benchmark::State& state) {
  const std::vector<std::string_view> lines = {"  0", " 10", " 20", " 30", "  8", "  5", "100",
                                               "330", " 70", "1001", "10", " 0 ", "  62"};
  for (auto _ : state) {
    int sum = 0;
    for (std::string_view line : lines) sum += corvane::CodeOfLine(line);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(lines.size()));
}
BENCHMARK(CodeLineRecognition);

}  // namespace
