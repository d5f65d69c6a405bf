// The decimal text of a counter that keeps its value or moves on by one from one data line to the
// next (the point number, the entity number): kept between lines and moved on in place, rather than
// converted again from binary every time.
#pragma once

#include <charconv>
#include <cstdint>
#include <cstring>

namespace corvane {

class CounterText {
 public:
  // Room a Put needs at `p`: it writes whole blocks beyond the text's end.
  static constexpr std::size_t kRoom = 24;

  // Writes `value` in decimal ("-" before a negative one) and returns the end of the text.
  char* Put(char* p, std::int64_t value) {
    if (!known_ || value != value_) {
      if (!(known_ && value_ >= 0 && value == value_ + 1 && Increment())) Convert(value);
      value_ = value;
      known_ = true;
    }
    std::memcpy(p, text_, kRoom);
    return p + length_;
  }

 private:
  // Adds one to the digits; false when they are all 9 (the text grows by a digit).
  bool Increment() {
    for (int i = length_ - 1; i >= 0; --i) {
      if (text_[i] != '9') {
        ++text_[i];
        return true;
      }
      text_[i] = '0';
    }
    return false;
  }
  void Convert(std::int64_t value) {
    length_ = static_cast<int>(std::to_chars(text_, text_ + kRoom, value).ptr - text_);
  }

  char text_[kRoom] = {};
  int length_ = 0;
  std::int64_t value_ = 0;
  bool known_ = false;  // text_ holds value_
};

}  // namespace corvane
