// Formats typical coordinate texts ROUNDS times over through one route, for counting instructions per
// coordinate with callgrind, where a timer would measure the machine's load instead. Run it twice with
// different ROUNDS and divide the difference of the two totals by the difference of the coordinates,
// then take off the same figure for the route "nothing" (the loop alone):
//
//   valgrind --tool=callgrind --callgrind-out-file=/dev/null coordinate_instructions inline 1000
//   valgrind --tool=callgrind --callgrind-out-file=/dev/null coordinate_instructions inline 21000
//
// Routes: "nothing", "call" (FormatCoordinate), "inline" (FormatCoordinateInline) and "padded"
// (FormatCoordinatePadded). The inline routes are inlined into the loop as into the data line
// composer, and the decimals are read with each text, as the composer reads them from its plan.
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
    "5000.000000", "-123.456789", "100.0",    "2150.5",     "0.0",  "-35.1234567",  "1234.5678",   "12.75",
    "-0.25",       "98765.4321",  "7",        "-4096.000000", "0.333333", "250.0625", "-17.999999", "3.141593",
};
constexpr int kDecimals = 3;

// Each text in a block with slack behind it, as the line reader's buffer has.
struct PaddedText {
  char bytes[48];
  std::size_t size;
  int decimals;
};

using Route = int (*)(std::string_view, int, char*);

// Writes one byte: what the loop costs, to take off the other routes.
inline int Nothing(std::string_view text, int, char* out) {
  out[0] = text[0];
  return static_cast<int>(text.size());
}

inline int Inline(std::string_view text, int decimals, char* out) {
  return corvane::FormatCoordinateInline(text, decimals, out);
}

inline int Padded(std::string_view text, int decimals, char* out) {
  return corvane::FormatCoordinatePadded(text, decimals, out);
}

template <Route kRoute>
[[gnu::noinline]] unsigned long FormatRounds(const std::vector<PaddedText>& texts, long rounds) {
  char out[corvane::kMaxCoordinateText];
  unsigned long checksum = 0;
  for (long r = 0; r < rounds; ++r) {
    for (const PaddedText& t : texts) {
      const int n = kRoute(std::string_view(t.bytes, t.size), t.decimals, out);
      checksum += static_cast<unsigned long>(n) + static_cast<unsigned char>(out[0]);
    }
  }
  return checksum;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fputs("usage: coordinate_instructions nothing|call|inline|padded ROUNDS [TEXT]\n", stderr);
    return 2;
  }
  unsigned long (*format_rounds)(const std::vector<PaddedText>&, long) = nullptr;
  if (std::strcmp(argv[1], "nothing") == 0) format_rounds = FormatRounds<Nothing>;
  if (std::strcmp(argv[1], "call") == 0) format_rounds = FormatRounds<corvane::FormatCoordinate>;
  if (std::strcmp(argv[1], "inline") == 0) format_rounds = FormatRounds<Inline>;
  if (std::strcmp(argv[1], "padded") == 0) format_rounds = FormatRounds<Padded>;
  if (format_rounds == nullptr) {
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
    texts[i].decimals = kDecimals;
  }
  const unsigned long checksum = format_rounds(texts, rounds);
  std::printf("%ld coordinates, checksum %lu\n", rounds * static_cast<long>(texts.size()), checksum);
  return 0;
}
