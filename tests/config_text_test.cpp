#include "config/config_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "config/crv_file.h"
#include "config/default_config.h"
#include "tests/test_support.h"

namespace corvane {
namespace {

using Lines = std::vector<std::string>;

// Feeds shown lines back, as "Name=value" after --set or pasted whole as "Name = value".
void ApplyLines(TExportConfig& config, const Lines& lines, bool whole) {
  for (const std::string& line : lines) {
    const std::size_t equals = line.find(" = ");
    const std::string assignment =
        whole ? line : line.substr(0, equals) + "=" + line.substr(equals + 3);
    std::string error;
    ASSERT_TRUE(SetConfigField(config, assignment, error)) << assignment << ": " << error;
  }
}

void Set(TExportConfig& config, std::initializer_list<const char*> assignments) {
  for (const char* assignment : assignments) {
    std::string error;
    ASSERT_TRUE(SetConfigField(config, assignment, error)) << assignment << ": " << error;
  }
}

template <typename T, std::size_t N>
std::vector<int> Ints(const T (&values)[N]) {
  return std::vector<int>(std::begin(values), std::end(values));
}

// A record the window could have made, with random bytes in every text (quotes, backslashes,
// control characters and bytes above 127 included) and random orders, ticks and numbers.
TExportConfig RandomWindowRecord(std::mt19937& random) {
  auto pick = [&](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  auto text = [&](std::size_t capacity, const std::string& alphabet) {
    std::string t(static_cast<std::size_t>(pick(0, static_cast<int>(capacity))), ' ');
    for (char& c : t)
      c = alphabet.empty() ? static_cast<char>(pick(0, 255))
                           : alphabet[pick(0, static_cast<int>(alphabet.size()) - 1)];
    return t;
  };
  TExportConfig c = MakeDefaultConfig();
  c.FieldSeparator.assign(text(10, ""));
  c.FileExtension.assign(text(10, "abcXYZ019._-\"\xE9"));
  c.EntityMask = static_cast<std::uint32_t>(pick(0, static_cast<int>(kAllEntityOptions)));
  c.BlockNames.assign("A" + text(98, "") + "*");
  std::shuffle(std::begin(c.FieldOrder), std::end(c.FieldOrder), random);
  std::shuffle(std::begin(c.CustomOrder), std::end(c.CustomOrder), random);
  for (auto& tick : c.FieldChecked) tick = static_cast<std::uint8_t>(pick(0, 1));
  for (auto& tick : c.CustomChecked) tick = static_cast<std::uint8_t>(pick(0, 1));
  c.NumberPrefix.assign(text(50, ""));
  c.StartNumber = pick(0, 2147483647);
  c.XDecimals = pick(0, 14);
  c.ZPrefix.assign(text(50, "\\\"\t "));
  c.ForceZ = static_cast<std::uint8_t>(pick(0, 1));
  c.ForcedZValue.assign(text(9, "0123456789.") + "5");
  c.CustomSeparator.assign(text(10, ""));
  c.SequenceStart = pick(-2147483647 - 1, 2147483647);
  c.EntityNumberStart = pick(-2147483647 - 1, 2147483647);
  c.CustomLabel.assign(text(50, ""));
  c.IncludeHeader = static_cast<std::uint8_t>(pick(0, 1));
  return c;
}

// ---- Showing ---------------------------------------------------------------------------------

TEST(ConfigTextDescribe, ShippedDefaultsReadAsNameValueLines) {
  EXPECT_EQ(DescribeConfig(MakeDefaultConfig()),
            (Lines{"FieldSeparator = \",\"",
                   "FileExtension = \"txt\"",
                   "Entities = points,lines,2dpolylines,3dpolylines,text,mtext",
                   "BlockNames = \"\"",
                   "Fields = N,X,Y,Z,-C",
                   "CustomItems = type,layer,-handle,-block,-text,-label,-sequence,-entity",
                   "NumberPrefix = \"\"",
                   "StartNumber = 1",
                   "XPrefix = \"\"",
                   "XDecimals = 3",
                   "YPrefix = \"\"",
                   "YDecimals = 3",
                   "ZPrefix = \"\"",
                   "ZDecimals = 3",
                   "ForceZ = no",
                   "ForcedZValue = \"0.00\"",
                   "CustomPrefix = \"\"",
                   "CustomSeparator = \"/\"",
                   "SequenceStart = 0",
                   "EntityNumberStart = 1",
                   "CustomLabel = \"\"",
                   "IncludeHeader = no"}));
}

TEST(ConfigTextDescribe, EscapesControlsQuotesAndBackslashesButKeepsOtherBytes) {
  TExportConfig c = MakeDefaultConfig();
  c.FieldSeparator.assign("\t");
  c.NumberPrefix.assign("a\"b\\c\r\n\x01\x7F\xE9");
  c.EntityMask = 0xFFFFFFFF;  // bits 17..31 mean nothing and stay out of sight
  c.FieldOrder[1] = 9;        // a damaged order must still show, not read past the list
  const Lines lines = DescribeConfig(c);
  EXPECT_EQ(lines[0], "FieldSeparator = \"\\t\"");
  EXPECT_EQ(lines[2],
            "Entities = points,circles,arcs,ellipses,blocks,lines,2dpolylines,2dadded,"
            "3dpolylines,3dadded,splines,controlpoints,text,mtext,3dfaces,3pointsonly,fitpoints");
  EXPECT_EQ(lines[4], "Fields = N,9,Y,Z,-C");
  EXPECT_EQ(lines[6], "NumberPrefix = \"a\\\"b\\\\c\\r\\n\\x01\\x7F\xE9\"");
  c.EntityMask = 0;
  EXPECT_EQ(DescribeConfig(c)[2], "Entities = none");
}

// ---- Setting -------------------------------------------------------------------------------

TEST(ConfigTextSet, PromisedCommandLineExampleGivesTheWindowRecord) {
  TExportConfig c = MakeDefaultConfig();
  c.Signature.assign("error");
  Set(c,
      {"Entities=points,lines,2dpolylines", "Fields=N,X,Y,Z,C", "XDecimals=2", "FieldSeparator=;"});
  EXPECT_EQ(c.EntityMask, 0x61u);
  EXPECT_EQ(Ints(c.FieldOrder), (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_EQ(Ints(c.FieldChecked), (std::vector<int>{1, 1, 1, 1, 1}));
  EXPECT_EQ(c.XDecimals, 2);
  EXPECT_EQ(c.FieldSeparator.view(), ";");
  EXPECT_EQ(c.Signature.view(), "CRV200");
}

TEST(ConfigTextSet, ListsPutNamedRowsFirstAndKeepTheRestInTheirOrderUnticked) {
  TExportConfig c = MakeDefaultConfig();
  const int before[5] = {4, 0, 1, 2, 3};
  std::copy(std::begin(before), std::end(before), c.FieldOrder);
  Set(c, {"fields = x, -z", "CustomItems=none", "ENTITIES=all"});
  EXPECT_EQ(Ints(c.FieldOrder), (std::vector<int>{1, 3, 4, 0, 2}));
  EXPECT_EQ(Ints(c.FieldChecked), (std::vector<int>{1, 0, 0, 0, 0}));
  EXPECT_EQ(Ints(c.CustomOrder), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
  EXPECT_EQ(Ints(c.CustomChecked), (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(c.EntityMask, kAllEntityOptions);

  std::fill(std::begin(c.FieldOrder), std::end(c.FieldOrder), 2);  // damaged: no row may be lost
  Set(c, {"Fields=X"});
  EXPECT_EQ(Ints(c.FieldOrder), (std::vector<int>{1, 2, 0, 3, 4}));
}

TEST(ConfigTextSet, ValuesFollowTheWindowBoxes) {
  TExportConfig c = MakeDefaultConfig();
  c.EntityMask |= 1u << 20;
  Set(c, {"StartNumber=", "ForcedZValue=", "SequenceStart=-5", "BlockNames=  TREE*,MH?  ",
          "NumberPrefix= P", "XPrefix = \" X\" ", "CustomSeparator=\"\\x09\"", "ForceZ=ON"});
  EXPECT_EQ(c.StartNumber, 1);
  EXPECT_EQ(c.ForcedZValue.view(), "0.00");
  EXPECT_EQ(c.SequenceStart, -5);
  EXPECT_EQ(c.BlockNames.view(), "TREE*,MH?");
  EXPECT_EQ(c.NumberPrefix.view(), " P");  // unquoted bytes are the user's, blanks included
  EXPECT_EQ(c.XPrefix.view(), " X");
  EXPECT_EQ(c.CustomSeparator.view(), "\t");
  EXPECT_EQ(c.ForceZ, 1);
  EXPECT_EQ(c.EntityMask, MakeDefaultConfig().EntityMask);  // as the window copies its boxes
}

TEST(ConfigTextSet, RefusalsNameTheFieldAndLeaveEveryByte) {
  const std::string longNames = "BlockNames=" + std::string(101, 'A');
  // clang-format off
  const std::vector<std::pair<std::string, std::string>> refusals = {
      {"FieldSeparator=12345678901", "FieldSeparator"}, {longNames, "BlockNames"},
      {"StartNumber=-5", "StartNumber"}, {"StartNumber=2147483648", "StartNumber"},
      {"SequenceStart=12x", "SequenceStart"}, {"EntityNumberStart=-2147483649", "EntityNumberStart"},
      {"ZDecimals=15", "ZDecimals"}, {"XDecimals=", "XDecimals"}, {"ForceZ=maybe", "ForceZ"},
      {"FileExtension=a/b", "FileExtension"}, {"FileExtension=\"t\\tx\"", "FileExtension"},
      {"ForcedZValue=1,5", "ForcedZValue"}, {"ForcedZValue=12345678901", "ForcedZValue"},
      {"Fields=N,X,N", "Fields"}, {"Fields=N,Q", "Fields"}, {"Fields=", "Fields"},
      {"CustomItems=type,colour", "CustomItems"}, {"Entities=points,pts", "Entities"},
      {"CustomLabel=\"a\\qb\"", "CustomLabel"}, {"CustomLabel=\"a\"b\"", "CustomLabel"},
      {"Colour=red", "\"Colour\""}, {"XDecimals", "XDecimals"},
      // Boxes that keep digits only take no sign, not even one that changes nothing.
      {"XDecimals=+3", "XDecimals"}, {"StartNumber=-0", "StartNumber"}};
  // clang-format on
  TExportConfig c = MakeDefaultConfig();
  InvalidateSavedConfig(c);  // a refusal must not even mend the signature
  const TExportConfig before = c;
  for (const auto& [assignment, field] : refusals) {
    std::string error;
    EXPECT_FALSE(SetConfigField(c, assignment, error)) << assignment;
    EXPECT_NE(error.find(field), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    EXPECT_TRUE(SameConfig(c, before)) << assignment;
  }
}

// ---- Round trips ---------------------------------------------------------------------------

TEST(ConfigTextRoundTrip, ShownLinesRebuildAnyWindowRecordOverAnyOther) {
  std::mt19937 random(20261207);
  std::vector<TExportConfig> records = {MakeDefaultConfig(), test::TestConfig(true)};
  for (int i = 0; i < 200; ++i) records.push_back(RandomWindowRecord(random));
  for (std::size_t i = 0; i < records.size(); ++i) {
    const TExportConfig& wanted = records[i];
    ASSERT_FALSE(ValidateConfig(wanted).has_value());
    TExportConfig target = records[(i * 7 + 3) % records.size()];
    ApplyLines(target, DescribeConfig(wanted), i % 2 == 1);
    ASSERT_EQ(DescribeConfig(target), DescribeConfig(wanted)) << "record " << i;
    EXPECT_EQ(Ints(target.CustomOrder), Ints(wanted.CustomOrder));
  }
}

TEST(ConfigTextRoundTrip, RecordBuiltBySetsSavesAndLoadsUnchanged) {
  test::TempDir folder;
  TExportConfig built = MakeDefaultConfig();
  Set(built, {"Entities=splines,fitpoints", "Fields=Z,C,N", "CustomItems=label,-type,sequence",
              "FieldSeparator=\"\\t\"", "CustomLabel=Site \"A\"", "IncludeHeader=yes"});
  ASSERT_EQ(WriteConfigFile(folder.File("built.crv"), built), "");
  TExportConfig loaded = ZeroConfig();
  TExportConfig saved = ZeroConfig();
  ASSERT_TRUE(ReadConfigFile(folder.File("built.crv"), loaded, saved).accepted);
  EXPECT_EQ(DescribeConfig(loaded), DescribeConfig(built));
  EXPECT_EQ(DescribeConfig(loaded)[5],
            "CustomItems = label,-type,sequence,-layer,-handle,-block,-text,-entity");
}

}  // namespace
}  // namespace corvane
