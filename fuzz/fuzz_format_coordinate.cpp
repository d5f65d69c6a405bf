// Holds FormatCoordinate against the slow reference formatter and against its own long double route,
// and FormatCoordinatePadded against FormatCoordinate, with random bytes behind the text.
// Input: the first byte picks the decimals (-2 to 17, so the clamping is exercised too); the rest is
// the coordinate text.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "engine/format_coordinate.h"
#include "engine/format_coordinate_extended.h"
#include "engine/format_coordinate_plain.h"
#include "tests/format_coordinate_reference.h"

namespace {

[[noreturn]] void Fail(const char* what, std::string_view text, int decimals, std::string_view got,
                       std::string_view expected) {
  std::fprintf(stderr, "%s for \"%.*s\" with %d decimals: got \"%.*s\", expected \"%.*s\"\n", what,
               static_cast<int>(text.size()), text.data(), decimals, static_cast<int>(got.size()), got.data(),
               static_cast<int>(expected.size()), expected.data());
  std::abort();
}

std::string_view Result(const char* out, int length) {
  return length < 0 ? std::string_view("<not a number>") : std::string_view(out, static_cast<std::size_t>(length));
}

// The padded route on a copy of the text with `slack` bytes behind it, drawn from `random`.
std::string_view FormatPadded(std::string_view text, std::size_t slack, std::uint64_t& random, int decimals,
                              char* out) {
  const auto block = std::make_unique<char[]>(text.size() + slack);
  if (!text.empty()) std::memcpy(block.get(), text.data(), text.size());
  for (std::size_t i = text.size(); i < text.size() + slack; ++i) {
    random = random * 6364136223846793005ULL + 1442695040888963407ULL;
    // Half of the bytes behind are digits, points and signs, which a route that reads too far mistakes
    // for part of the number.
    const auto bits = static_cast<unsigned>(random >> 56);
    block[i] = (bits & 1) != 0 ? "0123456789.-+e 5"[(bits >> 1) & 15] : static_cast<char>(bits);
  }
  return Result(out, corvane::FormatCoordinatePadded(std::string_view(block.get(), text.size()), decimals, out));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const int decimals = data[0] % 20 - 2;
  // Exact-size heap blocks, so the address sanitizer sees any access past the text or the output.
  const std::size_t text_size = size - 1;
  const auto text_block = std::make_unique<char[]>(text_size);
  if (text_size > 0) std::memcpy(text_block.get(), data + 1, text_size);
  const std::string_view text(text_block.get(), text_size);
  const auto out = std::make_unique<char[]>(corvane::kMaxCoordinateText);
  const auto slow_out = std::make_unique<char[]>(corvane::kMaxCoordinateText);

  const std::string_view got = Result(out.get(), corvane::FormatCoordinate(text, decimals, out.get()));
  const auto reference = corvane::reference::FormatCoordinateReference(text, decimals);
  const std::string_view expected = reference ? std::string_view(*reference) : "<not a number>";
  if (got != expected) Fail("reference mismatch", text, decimals, got, expected);

  const std::string_view slow = Result(
      slow_out.get(), corvane::coordinate_detail::FormatCoordinateThroughExtended(text, decimals, slow_out.get()));
  if (got != slow) Fail("long double route mismatch", text, decimals, got, slow);

  // The bytes behind the text follow from the input, so that a finding can be reproduced.
  std::uint64_t random = 0xcbf29ce484222325ULL;
  for (std::size_t i = 0; i < size; ++i) random = (random ^ data[i]) * 0x100000001b3ULL;
  const auto padded_out = std::make_unique<char[]>(corvane::kMaxCoordinateText);
  // Sixteen bytes of slack, and then only what the route may read: max(size, 16) bytes in all.
  const std::string_view padded = FormatPadded(text, 16, random, decimals, padded_out.get());
  if (padded != got) Fail("padded route mismatch", text, decimals, padded, got);
  const std::string_view tight =
      FormatPadded(text, text_size < 16 ? 16 - text_size : 0, random, decimals, padded_out.get());
  if (tight != got) Fail("padded route mismatch with the least slack", text, decimals, tight, got);
  return 0;
}
