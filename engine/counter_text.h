// The decimal text of a counter that keeps its value or moves on by one from one data line to the
// next (the point number, the entity number): kept between lines and moved on in place, rather than
// converted again from binary every time.
#pragma once

#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>

namespace corvane {

class CounterText {
 public:
  // Room a Put needs at `p`: it writes whole blocks beyond the text's end.
  static constexpr std::size_t kRoom = 24;

  // Writes `value` in decimal ("-" before a negative one) and returns the end of the text.
  char* Put(char* p, std::int64_t value) {
    if (known_ && value == value_) {
      std::memcpy(p, text_, kRoom);
      return p + length_;
    }
    // The old text goes out first and the digits that change are written to both copies: reading
    // the kept text in whole blocks right after changing one of its bytes would stall the load.
    // (The largest value has no successor: counting on from it would overflow.)
    if (known_ && value_ >= 0 && value_ < std::numeric_limits<std::int64_t>::max() &&
        value == value_ + 1) {
      std::memcpy(p, text_, kRoom);
      for (int i = length_ - 1; i >= 0; --i) {
        if (text_[i] != '9') {
          const char digit = static_cast<char>(text_[i] + 1);
          text_[i] = digit;
          p[i] = digit;
          value_ = value;
          return p + length_;
        }
        text_[i] = '0';
        p[i] = '0';
      }
      // All nines: the text grows by a digit.
    }
    Convert(value);
    value_ = value;
    known_ = true;
    std::memcpy(p, text_, kRoom);
    return p + length_;
  }

 private:
  void Convert(std::int64_t value) {
    length_ = static_cast<int>(std::to_chars(text_, text_ + kRoom, value).ptr - text_);
  }

  char text_[kRoom] = {};
  int length_ = 0;
  std::int64_t value_ = 0;
  bool known_ = false;  // text_ holds value_
};

}  // namespace corvane
