#include "engine/format_coordinate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <string_view>

#include "engine/format_coordinate_extended.h"
#include "engine/format_coordinate_plain.h"
#include "tests/format_coordinate_reference.h"

namespace corvane {
namespace {

constexpr const char* kNotANumber = "<not a number>";

std::string Format(std::string_view text, int decimals) {
  char out[kMaxCoordinateText];
  const int length = FormatCoordinate(text, decimals, out);
  return length < 0 ? kNotANumber : std::string(out, static_cast<std::size_t>(length));
}

std::string FormatThroughExtended(std::string_view text, int decimals) {
  char out[kMaxCoordinateText];
  const int length = coordinate_detail::FormatCoordinateThroughExtended(text, decimals, out);
  return length < 0 ? kNotANumber : std::string(out, static_cast<std::size_t>(length));
}

std::string Reference(std::string_view text, int decimals) {
  return reference::FormatCoordinateReference(text, decimals).value_or(kNotANumber);
}

struct Case {
  const char* text;
  int decimals;
  const char* expected;
};

void ExpectAll(std::initializer_list<Case> cases) {
  for (const Case& c : cases) {
    EXPECT_EQ(Format(c.text, c.decimals), c.expected) << '"' << c.text << "\" with " << c.decimals;
    // The reference must agree too, or the sweeps below prove nothing.
    EXPECT_EQ(Reference(c.text, c.decimals), c.expected) << "reference: \"" << c.text << '"';
  }
}

TEST(FormatCoordinate, WorkedValues) {
  ExpectAll({{"12.5", 2, "12.50"},
             {"-12.5", 0, "-13"},
             {"2.5", 0, "3"},
             {"-0.0004", 3, "0.000"},
             {"-0.0006", 3, "-0.001"},
             {"123456.123456789", 10, "123456.1234567900"},
             {"12345678901234.56", 2, "12345678901235.00"},
             {"1e14", 2, "1E14"},
             {"1e14", 3, "1E014"},
             {"1e14", 4, "1E0014"},
             {"99999999999999.9", 0, "1E14"},
             {"123456789012345.678", 3, "1.2345678901235E014"},
             {"123456789012345.678", 6, "1.2345678901235E14"}});
}

TEST(FormatCoordinate, RoundsOnDecimalDigitsNotOnBinaryValue) {
  // Each of these lies just below the written value as a double, which would round it down.
  ExpectAll({{"12.0005", 3, "12.001"}, {"1.005", 2, "1.01"}, {"0.285", 2, "0.29"}, {"-2.675", 2, "-2.68"}});
}

TEST(FormatCoordinate, ZeroNeverCarriesASign) {
  ExpectAll({{"0", 0, "0"},
             {"-0", 2, "0.00"},
             {"-0.000e5", 1, "0.0"},
             {"-0.4", 0, "0"},
             {"-0.5", 0, "-1"},
             {"0.000000000000005", 14, "0.00000000000001"},
             {"-0.000000000000004999", 14, "0.00000000000000"},
             {"1e-99999999999999999999", 3, "0.000"},
             {"0e99999999999999999999", 0, "0"}});
}

TEST(FormatCoordinate, AcceptedForms) {
  ExpectAll({{" 12.5 ", 1, "12.5"},
             {"+3", 0, "3"},
             {".5", 1, "0.5"},
             {"5.", 1, "5.0"},
             {"1E3", 0, "1000"},
             {"1e-3", 3, "0.001"},
             {"5.e+2", 0, "500"},
             {"-007.50", 2, "-7.50"},
             {"1e00000000000000000000003", 0, "1000"}});
}

TEST(FormatCoordinate, RejectsOtherForms) {
  for (const char* text : {"", " ", "1,5", "1.2.3", "abc", "1e", "1e+", "+", "-", ".", "-.e5", "1 2", "- 1",
                           "+-1", "1e5.0", "1x", "0x10", "inf", "nan", "1\t", "\t1", "1d3"}) {
    EXPECT_EQ(Format(text, 2), kNotANumber) << '"' << text << '"';
    EXPECT_EQ(Reference(text, 2), kNotANumber) << "reference: \"" << text << '"';
  }
  EXPECT_EQ(Format(std::string_view("1\0", 2), 0), kNotANumber);
}

TEST(FormatCoordinate, ValuesBeyondTheExtendedRangeAreNotNumbers) {
  ExpectAll({{"1e5000", 2, kNotANumber},
             {"-1.19e4932", 2, kNotANumber},
             {"1.18973149535723176508e4932", 0, kNotANumber},  // rounds to infinity
             {"1.18973149535723176502e4932", 0, "1.1897314953572E4932"},
             {"1e4932", 4, "1E4932"},
             {"-1e4931", 1, "-1E4931"}});
}

TEST(FormatCoordinate, CarriesRipple) {
  ExpectAll({{"9.9995", 3, "10.000"},
             {"-1.2995", 3, "-1.300"},
             {"0.9999999999999999", 2, "1.00"},
             {"-999.9999999999999", 14, "-1000.00000000000000"},
             {"0.0096", 2, "0.01"},
             {"0.006", 2, "0.01"},
             {"0.004", 2, "0.00"},
             {"99999999999999.5", 0, "1E14"},
             {"99999999999999.4", 0, "99999999999999"}});
}

TEST(FormatCoordinate, KeepsAtMostFourteenSignificantDigits) {
  ExpectAll({{"1.23456789012345678", 14, "1.23456789012350"},
             {"0.123456789012345678", 14, "0.12345678901235"},
             {"99999999999999.4", 3, "99999999999999.000"},
             {"0.00000123456789012345678", 14, "0.00000123456789"}});
}

TEST(FormatCoordinate, ExponentForm) {
  ExpectAll({{"1e14", 0, "1E14"},
             {"1e14", 1, "1E14"},
             {"1e14", 5, "1E14"},
             {"-1.5e20", 3, "-1.5E020"},
             {"1.23e100", 4, "1.23E0100"},
             {"1.23e100", 2, "1.23E100"},
             {"100000000000000.4", 2, "1E14"},
             {"123456789012344.5", 0, "1.2345678901234E14"},
             {"99999999999999999999", 0, "1E20"}});
}

TEST(FormatCoordinate, DecimalsAreClamped) {
  ExpectAll({{"1.5", -3, "2"}, {"1.5", 20, "1.50000000000000"}});
}

TEST(FormatCoordinate, LongTextsAreReadAsTheirExtendedValue) {
  // The value, not the text, is rounded: the nearest extended float's 18 digits end in 5000...
  ExpectAll({{"12.000499999999999999999", 3, "12.001"},
             {"0.0000000000000049999999999999999999", 14, "0.00000000000001"},
             {"0.1234567890123456789012345", 14, "0.12345678901235"},
             {"-1234.56789012345678901", 4, "-1234.5679"}});
  const std::string long_digits = "1" + std::string(4000, '0');
  EXPECT_EQ(Format(long_digits, 2), "1E4000");
  EXPECT_EQ(Format("1" + std::string(5000, '0'), 2), kNotANumber);
  EXPECT_EQ(Format("0." + std::string(5000, '0') + "1", 2), "0.00");
  std::string megabyte(1 << 20, '3');
  megabyte[3] = '.';
  EXPECT_EQ(Format(megabyte, 2), "333.33");
}

// Random texts built to hit rounding boundaries (runs of 9s, 4s, 5s and 0s), carries, both sides of
// 10^14, every number of decimals, and texts both shorter and longer than 18 significant digits.
std::string RandomText(std::mt19937_64& random) {
  auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  std::string text;
  if (pick(8) == 0) text += ' ';
  text += std::array<const char*, 3>{"", "-", "+"}[static_cast<std::size_t>(pick(3))];
  const int length = 1 + (pick(10) == 0 ? pick(25) : pick(18));
  const char* alphabet = pick(3) == 0 ? "0459" : "0123456789";
  const int alphabet_size = static_cast<int>(std::char_traits<char>::length(alphabet));
  std::string digits;
  for (int i = 0; i < length; ++i) digits += alphabet[pick(alphabet_size)];
  if (pick(3) != 0) digits.insert(static_cast<std::size_t>(pick(length + 1)), 1, '.');
  if (pick(6) == 0) digits.insert(0, static_cast<std::size_t>(pick(6)), '0');
  text += digits;
  if (pick(4) == 0) text += std::string("eE").substr(static_cast<std::size_t>(pick(2)), 1) + reference::IntegerText(pick(41) - 20);
  if (pick(50) == 0) text += "e" + reference::IntegerText(pick(9900) - 4950);
  return text;
}

TEST(FormatCoordinate, AgreesWithTheReferenceOnRandomTexts) {
  std::mt19937_64 random(20240611);
  for (int i = 0; i < 200000; ++i) {
    const std::string text = RandomText(random);
    const int decimals = static_cast<int>(random() % 17) - 1;
    const std::string fast = Format(text, decimals);
    ASSERT_EQ(fast, Reference(text, decimals)) << '"' << text << "\" with " << decimals;
    ASSERT_LE(fast.size(), kMaxCoordinateText);
  }
}

// Texts as DXF writers emit them ("5028.750000", "-0.0004", "12."), where the formatter copies the
// text's own digits: around every limit of that route (13 and 14 integer digits, 18 digits in all,
// 14 places) and with runs of 9s that carry into a new first digit.
TEST(FormatCoordinate, PlainTextsAgreeWithTheReference) {
  std::mt19937_64 random(99);
  auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  for (int i = 0; i < 200000; ++i) {
    std::string text = std::array<const char*, 4>{"", "-", "+", "-"}[static_cast<std::size_t>(pick(4))];
    const char* alphabet = pick(2) == 0 ? "09" : pick(2) == 0 ? "0459" : "0123456789";
    const int alphabet_size = static_cast<int>(std::char_traits<char>::length(alphabet));
    const int int_count = pick(4) == 0 ? 1 : 1 + pick(15);
    for (int k = 0; k < int_count; ++k) text += alphabet[pick(alphabet_size)];
    if (int_count > 1 && text.back() == '0' && pick(2) == 0) text.back() = '1';
    if (pick(5) != 0) {
      text += '.';
      const int fraction_count = pick(21);
      for (int k = 0; k < fraction_count; ++k) text += alphabet[pick(alphabet_size)];
    }
    const int decimals = pick(16);
    ASSERT_EQ(Format(text, decimals), Reference(text, decimals)) << '"' << text << "\" with " << decimals;
  }
  ExpectAll({{"9.95", 1, "10.0"},
                 {"-9999999999999.5", 0, "-10000000000000"},
                 {"-0.0049", 2, "0.00"},
                 {"-0.005", 2, "-0.01"},
                 {"7", 3, "7.000"},
                 {"7.", 2, "7.00"},
                 {"+0.5", 0, "1"},
                 {"1234567890123.45", 1, "1234567890123.5"},
                 {"1234567890123.45", 2, "1234567890123.50"},
                 {"1234567890123.4567", 3, "1234567890123.500"}});
}

TEST(FormatCoordinate, EighteenDigitTextsAreTheirOwnExtendedDigits) {
  // The fast path's premise, over the whole extended range: 18 digits survive the round trip.
  std::mt19937_64 random(7);
  for (int i = 0; i < 40000; ++i) {
    std::string text = reference::IntegerText(100000000000000000ULL + random() % 900000000000000000ULL);
    text.insert(1, ".");
    text += "e" + reference::IntegerText(static_cast<int>(random() % 9862) - 4930);
    const int decimals = static_cast<int>(random() % 15);
    ASSERT_EQ(Format(text, decimals), FormatThroughExtended(text, decimals)) << text;
  }
}

// The padded route, given exactly what its contract promises and no more: the text at the start of a
// block of max(size, 16) bytes with `behind` repeated after it, and an output block of
// kMaxCoordinateText bytes followed by a guard that must come back untouched. Under the address
// sanitizer a read or write beyond either block stops the test.
std::string FormatPadded(std::string_view text, int decimals, std::string_view behind) {
  const std::size_t block_size = std::max<std::size_t>(text.size(), 16);
  const auto block = std::make_unique<char[]>(block_size);
  for (std::size_t i = text.size(); i < block_size; ++i) block[i] = behind[(i - text.size()) % behind.size()];
  if (!text.empty()) std::memcpy(block.get(), text.data(), text.size());
  constexpr std::string_view kGuard = "guard---guard---";
  const auto out = std::make_unique<char[]>(kMaxCoordinateText + kGuard.size());
  std::memcpy(out.get() + kMaxCoordinateText, kGuard.data(), kGuard.size());
  const int length = FormatCoordinatePadded(std::string_view(block.get(), text.size()), decimals, out.get());
  EXPECT_EQ(std::string_view(out.get() + kMaxCoordinateText, kGuard.size()), kGuard) << '"' << text << '"';
  return length < 0 ? kNotANumber : std::string(out.get(), static_cast<std::size_t>(length));
}

// Bytes behind the text that would change the result if they were taken for part of it: digits that
// round up or carry, points, signs, spaces, exponents, and bytes with the high bit set.
constexpr std::array<std::string_view, 8> kBehind = {
    "9999999999999999", "5555555555555555", "0000000000000000", "................",
    "-.-.-.-.-.-.-.-.", "e5 +9E-1", std::string_view("\0\x80\xff" "9\x7f" "0", 6), "0.5e1x99"};

void ExpectPaddedAll(std::initializer_list<Case> cases) {
  for (const Case& c : cases) {
    for (std::string_view behind : kBehind) {
      EXPECT_EQ(FormatPadded(c.text, c.decimals, behind), c.expected) << '"' << c.text << "\" with " << c.decimals;
    }
    EXPECT_EQ(Reference(c.text, c.decimals), c.expected) << "reference: \"" << c.text << '"';
  }
}

TEST(FormatCoordinatePadded, WorkedValues) {
  const std::initializer_list<Case> cases = {
      {"5000.000000", 3, "5000.000"},   {"-123.456789", 3, "-123.457"}, {"100.0", 3, "100.000"},
      {"100", 3, "100.000"},            {"7", 0, "7"},                  {"7.", 2, "7.00"},
      {"12.5", 0, "13"},                {"-12.5", 0, "-13"},            {"0.5", 0, "1"},
      {"0.0", 3, "0.000"},              {"0", 14, "0.00000000000000"},  {"0.25", 14, "0.25000000000000"},
      {"1.5", -3, "2"},                 {"1.5", 20, "1.50000000000000"}, {"1234567890123.45", 1, "1234567890123.5"},
      {"12345678901234", 0, "12345678901234"}, {"12345678901234.5", 0, "12345678901235"},
      {"123456789012345", 0, "1.2345678901235E14"}, {"9999999999999.95", 1, "10000000000000.0"},
      {"-0.000000000000004", 14, "0.00000000000000"}, {"1234567890123456", 2, "1.2345678901235E15"}};
  ExpectPaddedAll(cases);
}

// The point of the padded route: the texts DXF writers emit are formatted in one look, not handed on
// to the general route, whatever lies behind them.
TEST(FormatCoordinatePadded, TakesTheTextsWritersEmitInOneLook) {
  for (const char* text : {"5000.000000", "-123.456789", "100.0", "0.0", "-0.25", "7", "12345.5", "-4096.000000",
                           "-1234567.1234567", "0.0000000000001", "2150.5", "-0.000000"}) {
    const std::string_view view(text);
    const std::size_t int_digits = std::min(view.find('.'), view.size()) - (text[0] == '-' ? 1 : 0);
    for (int decimals = 0; decimals + static_cast<int>(int_digits) <= 14 && decimals <= 14; ++decimals) {
      for (std::string_view behind : kBehind) {
        std::array<char, 32> block{};
        for (std::size_t i = 0; i < block.size(); ++i) block[i] = behind[i % behind.size()];
        std::memcpy(block.data(), text, std::strlen(text));
        char out[kMaxCoordinateText];
        const int length = coordinate_detail::FormatPlainPadded(std::string_view(block.data(), std::strlen(text)),
                                                                decimals, out);
        ASSERT_GE(length, 0) << '"' << text << "\" with " << decimals << " before \"" << behind << '"';
        EXPECT_EQ(std::string_view(out, static_cast<std::size_t>(length)), Format(text, decimals));
      }
    }
  }
}

// Texts of 16 to 20 bytes are seen whole in two overlapping looks of sixteen, inside the text itself:
// each lies in a block of its own size here, so that the address sanitizer catches a look beyond it.
TEST(FormatCoordinate, TakesSixteenToTwentyByteTextsInTwoLooks) {
  struct Taken {
    const char* text;
    int most_decimals;  // taken with 0 to this many decimals; -1: never
  };
  for (const Taken& t : {Taken{"2150.000000000001", 10}, Taken{"-152.3456789012345", 11},
                         Taken{"1234.567890123456", 10}, Taken{"-0.0004999999999995", 14},
                         Taken{"-12345678.12345678", 6}, Taken{"0.00000000000000001", 14},
                         Taken{"-9.99999999999999999", -1},  // carries into a new first digit
                         Taken{"1234567890123456", -1}}) {  // more integer digits than are kept
    const std::size_t size = std::strlen(t.text);
    const auto block = std::make_unique<char[]>(size);
    std::memcpy(block.get(), t.text, size);
    for (int decimals = 0; decimals <= 14; ++decimals) {
      char out[kMaxCoordinateText];
      const int length = coordinate_detail::FormatPlainTwoLooks(std::string_view(block.get(), size), decimals, out);
      const std::string expected = Reference(t.text, decimals);
      if (decimals <= t.most_decimals) {
        ASSERT_GE(length, 0) << t.text << " with " << decimals;
        EXPECT_EQ(std::string_view(out, static_cast<std::size_t>(length)), expected) << t.text << " with " << decimals;
      } else {
        EXPECT_EQ(length, -1) << t.text << " with " << decimals;
      }
      EXPECT_EQ(Format(t.text, decimals), expected) << t.text << " with " << decimals;
    }
  }
  // More than 18 digits: the text's own digits are not its value's, and only the general route knows.
  ASSERT_EQ(Reference("1.000499999999999999", 3), "1.001");
  char out[kMaxCoordinateText];
  EXPECT_EQ(coordinate_detail::FormatPlainTwoLooks("1.000499999999999999", 3, out), -1);
  EXPECT_EQ(Format("1.000499999999999999", 3), "1.001");
}

TEST(FormatCoordinatePadded, CarriesAndNegativeZero) {
  const std::initializer_list<Case> cases = {
      {"9.9995", 3, "10.000"},   {"-9.96", 1, "-10.0"},      {"99.95", 1, "100.0"},     {"9.5", 0, "10"},
      {"1999.9995", 3, "2000.000"}, {"-19.95", 1, "-20.0"},  {"0.9996", 3, "1.000"},    {"-0.9996", 3, "-1.000"},
      {"0.95", 0, "1"},          {"-0.95", 1, "-1.0"},       {"-0.0004", 3, "0.000"},   {"-0.0005", 3, "-0.001"},
      {"-0", 0, "0"},            {"-0", 2, "0.00"},          {"-0.", 1, "0.0"},         {"-0.000", 2, "0.00"},
      {"-0.4", 0, "0"},          {"-0.5", 0, "-1"},          {"-0.0999", 1, "-0.1"},    {"-0.04999", 1, "0.0"},
      {"-0.10", 1, "-0.1"},      {"-0.000001", 5, "0.00000"}, {"-0.000001", 6, "-0.000001"},
      {"129.96", 1, "130.0"},    {"-4099.9999", 2, "-4100.00"}, {"99999999999999.5", 0, "1E14"},
      {"-9999999999999.5", 0, "-10000000000000"}, {"-9999999999999.9", 1, "-9999999999999.9"}};
  ExpectPaddedAll(cases);
}

TEST(FormatCoordinatePadded, RejectsWhatTheGeneralRouteRejects) {
  // Spaces around a number are accepted ("1 " and " 1"), but not inside it.
  for (const char* text : {"", " ", "-", "+", ".", "-.", "1.2.3", "1..2", "1,5", "--1", "-+1", "1-", "1e", "e1",
                           "1 2", "- 1", "0x10", "12345678901234.5.", "1.5-", ".-5", "5.-"}) {
    for (std::string_view behind : kBehind) {
      EXPECT_EQ(FormatPadded(text, 2, behind), kNotANumber) << '"' << text << '"';
    }
  }
  EXPECT_EQ(FormatPadded(std::string_view("1\0", 2), 0, "5"), kNotANumber);
  EXPECT_EQ(FormatPadded(std::string_view("-\0", 2), 0, "5"), kNotANumber);
}

// Every text of up to four bytes made of a sign, digits that round and carry, and points, with every
// number of decimals and every kind of bytes behind it.
TEST(FormatCoordinatePadded, AgreesWithTheGeneralRouteOnEveryShortText) {
  constexpr std::string_view kAlphabet = "-0159.";
  std::string text;
  for (int length = 1; length <= 4; ++length) {
    int combinations = 1;
    for (int i = 0; i < length; ++i) combinations *= static_cast<int>(kAlphabet.size());
    for (int code = 0; code < combinations; ++code) {
      text.clear();
      for (int i = 0, rest = code; i < length; ++i, rest /= static_cast<int>(kAlphabet.size())) {
        text += kAlphabet[static_cast<std::size_t>(rest) % kAlphabet.size()];
      }
      for (int decimals = -1; decimals <= 15; ++decimals) {
        const std::string expected = Format(text, decimals);
        for (std::string_view behind : kBehind) {
          ASSERT_EQ(FormatPadded(text, decimals, behind), expected) << '"' << text << "\" with " << decimals;
        }
      }
    }
  }
}

// Random texts of 1 to 20 bytes around every limit of the padded route (16 bytes, 13 and 14 integer
// digits, 14 places, leading zeros, runs of 9s), with random bytes behind them.
TEST(FormatCoordinatePadded, AgreesWithTheReferenceOnRandomTexts) {
  std::mt19937_64 random(20240612);
  auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  std::string behind(16, ' ');
  for (int i = 0; i < 200000; ++i) {
    std::string text = std::array<const char*, 5>{"", "-", "-", "+", ""}[static_cast<std::size_t>(pick(5))];
    const char* alphabet = pick(3) == 0 ? "09" : pick(2) == 0 ? "0459" : "0123456789";
    const int alphabet_size = static_cast<int>(std::char_traits<char>::length(alphabet));
    const int length = 1 + pick(20);
    for (int k = 0; k < length; ++k) text += alphabet[pick(alphabet_size)];
    if (pick(4) != 0) text.insert(text.size() - static_cast<std::size_t>(pick(length + 1)), 1, '.');
    if (pick(3) != 0 && text.size() > 1 && text[text[0] == '-' || text[0] == '+' ? 1 : 0] == '0') {
      text[text[0] == '-' || text[0] == '+' ? 1 : 0] = '1';  // mostly no leading zero, as writers emit
    }
    if (pick(40) == 0) text[static_cast<std::size_t>(pick(static_cast<int>(text.size())))] = "e x-+"[pick(5)];
    text.resize(std::min<std::size_t>(text.size(), 20));
    for (char& c : behind) c = pick(2) == 0 ? static_cast<char>(random()) : "0123456789.-"[pick(12)];
    const int decimals = pick(17) - 1;
    const std::string padded = FormatPadded(text, decimals, behind);
    ASSERT_EQ(padded, Format(text, decimals)) << '"' << text << "\" with " << decimals << " before \"" << behind << '"';
    ASSERT_EQ(padded, Reference(text, decimals)) << "reference: \"" << text << "\" with " << decimals;
  }
}

}  // namespace
}  // namespace corvane
