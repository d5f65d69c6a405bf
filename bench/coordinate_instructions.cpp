// Formats typical coordinate texts ROUNDS times over through one route, for counting instructions per
// coordinate with callgrind, where a timer would measure the machine's load instead. Run it twice with
// different ROUNDS and divide the difference of the two totals by the difference of the coordinates:
//
//   valgrind --tool=callgrind --callgrind-out-file=/dev/null coordinate_instructions inline 1000
//   valgrind --tool=callgrind --callgrind-out-file=/dev/null coordinate_instructions inline 101000
//
// Routes: "nothing" (the loop alone), "call" (FormatCoordinate), "inline" (FormatCoordinateInline) and, when it exists, "padded".
// A third argument, a text such as 5000.000000, formats that text alone instead of the mix.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "engine/format_coordinate.h"
#include "engine/format_coordinate_plain.h"

namespace {

// Coordinates as DXF writers emit them, formatted with 3 decimals as a drawing's data lines are.
constexpr std::string_view kTexts[] = {
    "5000.000000", "-123.456789", "100.0",       "2150.5",  "0.0",        "-35.1234567",
    "1234.5678",   "12.75",       "-0.25",       "98765.4321", "7",       "-4096.000000",
    "0.333333",    "250.0625",    "-17.999999",  "3.141593",
};
constexpr int kDecimals = 3;

// Each text in a block with slack behind it, as the line reader's buffer has.
struct PaddedText {
  char bytes[32];
  std::size_t size;
};

using Route = int (*)(std::string_view, int, char*);

// Writes nothing: what the loop and the call cost, to subtract from the other routes.
[[gnu::noinline]] int Nothing(std::string_view text, int, char* out) {
  out[0] = text[0];
  return static_cast<int>(text.size());
}

[[gnu::noinline]] int Inline(std::string_view text, int decimals, char* out) {
  return corvane::FormatCoordinateInline(text, decimals, out);
}

#if defined(CORVANE_HAS_PADDED_COORDINATES)
[[gnu::noinline]] int Padded(std::string_view text, int decimals, char* out) {
  return corvane::FormatCoordinatePadded(text, decimals, out);
}
#endif

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fputs("usage: coordinate_instructions nothing|call|inline|padded ROUNDS [TEXT]\n", stderr);
    return 2;
  }
  Route route = nullptr;
  if (std::strcmp(argv[1], "nothing") == 0) route = Nothing;
  if (std::strcmp(argv[1], "call") == 0) route = corvane::FormatCoordinate;
  if (std::strcmp(argv[1], "inline") == 0) route = Inline;
#if defined(CORVANE_HAS_PADDED_COORDINATES)
  if (std::strcmp(argv[1], "padded") == 0) route = Padded;
#endif
  if (route == nullptr) {
    std::fprintf(stderr, "no such route: %s\n", argv[1]);
    return 2;
  }
  const long rounds = std::strtol(argv[2], nullptr, 10);

  std::vector<std::string_view> chosen(std::begin(kTexts), std::end(kTexts));
  if (argc == 4) chosen.assign(1, argv[3]);
  std::vector<PaddedText> texts(chosen.size());
  for (std::size_t i = 0; i < chosen.size(); ++i) {
    if (chosen[i].size() > sizeof texts[i].bytes - 16) {
      std::fprintf(stderr, "text too long: %s\n", argv[3]);
      return 2;
    }
    std::memset(texts[i].bytes, '7', sizeof texts[i].bytes);
    std::memcpy(texts[i].bytes, chosen[i].data(), chosen[i].size());
    texts[i].size = chosen[i].size();
  }
  char out[corvane::kMaxCoordinateText];
  unsigned long checksum = 0;
  for (long r = 0; r < rounds; ++r) {
    for (const PaddedText& t : texts) {
      const int n = route(std::string_view(t.bytes, t.size), kDecimals, out);
      checksum += static_cast<unsigned long>(n) + static_cast<unsigned char>(out[0]);
    }
  }
  std::printf("%ld coordinates, checksum %lu\n", rounds * static_cast<long>(texts.size()), checksum);
  return 0;
}
