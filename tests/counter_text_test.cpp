// The counter text kept between data lines must always equal the plain decimal text of the value,
// whichever way the value moves: on by one (with its carries), unchanged, or anywhere at all.
#include "engine/counter_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

namespace corvane {
namespace {

std::string Text(CounterText& counter, std::int64_t value) {
  char buffer[64];
  char* end = counter.Put(buffer, value);
  return std::string(buffer, end);
}

TEST(CounterText, CountingOnCarriesThroughEveryNine) {
  CounterText counter;
  for (std::int64_t start : {0LL, 7LL, 95LL, 995LL, 99999LL, 2147483640LL, 999999999999999990LL}) {
    for (std::int64_t v = start; v < start + 20; ++v) {
      ASSERT_EQ(Text(counter, v), std::to_string(v)) << "after counting on from " << start;
    }
  }
}

TEST(CounterText, RepeatsJumpsAndNegativeValuesGiveThePlainText) {
  CounterText counter;
  const std::vector<std::int64_t> values = {
      5, 5, 6, -1, 0, 1, -10, -9, 100, 99, 100, 1000000, 1000001, 1000001, 42,
      std::numeric_limits<std::int64_t>::max() - 1, std::numeric_limits<std::int64_t>::max(),
      std::numeric_limits<std::int64_t>::min(), 0};
  for (std::int64_t v : values) ASSERT_EQ(Text(counter, v), std::to_string(v));
}

TEST(CounterText, WritesNoMoreThanItsRoomPastTheText) {
  CounterText counter;
  char buffer[CounterText::kRoom + 8];
  std::fill(std::begin(buffer), std::end(buffer), '#');
  char* end = counter.Put(buffer, 9);
  end = counter.Put(buffer, 10);  // the text grows by a digit
  EXPECT_EQ(std::string(buffer, end), "10");
  for (std::size_t i = CounterText::kRoom; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], '#') << i;
}

}  // namespace
}  // namespace corvane
