#include "engine/format_coordinate_classify.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>

namespace corvane::coordinate_detail {
namespace {

using Block = std::array<char, 16>;

// Byte by byte, as the masks are defined.
SixteenBytes ClassifyEachByte(const Block& block) {
  SixteenBytes expected{0, 0};
  for (std::uint32_t i = 0; i < 16; ++i) {
    const char c = block[i];
    if (c >= '0' && c <= '9') expected.digits |= 1u << i;
    if (i == 0 ? c == '-' : c == '.') expected.marks |= 1u << i;
  }
  return expected;
}

std::string Show(const Block& block) {
  std::string text;
  for (char c : block) text += std::to_string(static_cast<unsigned char>(c)) + ' ';
  return text;
}

void ExpectEveryClassifierAgrees(const Block& block) {
  const SixteenBytes expected = ClassifyEachByte(block);
  const SixteenBytes portable = ClassifySixteenPortable(block.data());
  ASSERT_EQ(portable.digits, expected.digits) << Show(block);
  ASSERT_EQ(portable.marks, expected.marks) << Show(block);
#if defined(CORVANE_COORDINATE_SSE2)
  const SixteenBytes sse2 = ClassifySixteenSse2(block.data());
  ASSERT_EQ(sse2.digits, expected.digits) << Show(block);
  ASSERT_EQ(sse2.marks, expected.marks) << Show(block);
#endif
}

// Each byte value at each place, among neighbours that are digits, points, signs or bytes with the
// high bit set, so that no classification leaks from one byte into the next.
TEST(ClassifySixteen, EveryByteValueAtEveryPlace) {
  for (const char background : {'0', '9', '.', '-', '/', ':', '\x80', '\xff', '\0'}) {
    for (int place = 0; place < 16; ++place) {
      for (int value = 0; value < 256; ++value) {
        Block block;
        block.fill(background);
        block[static_cast<std::size_t>(place)] = static_cast<char>(value);
        ExpectEveryClassifierAgrees(block);
      }
    }
  }
}

TEST(ClassifySixteen, RandomBlocks) {
  std::mt19937_64 random(16);
  constexpr std::string_view kLikely = "0123456789.-+eE /:";
  for (int i = 0; i < 100000; ++i) {
    Block block;
    for (char& c : block) {
      c = random() % 2 == 0 ? static_cast<char>(random()) : kLikely[random() % kLikely.size()];
    }
    ExpectEveryClassifierAgrees(block);
  }
}

}  // namespace
}  // namespace corvane::coordinate_detail
