#include "config/export_config.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "config/default_config.h"

namespace corvane {
namespace {

const unsigned char* Bytes(const TExportConfig& c) {
  return reinterpret_cast<const unsigned char*>(&c);
}

TEST(ShortText, LongTextIsCutToCapacity) {
  TExportConfig c = ZeroConfig();
  c.FileExtension.assign("abcdefghijKLM");
  EXPECT_EQ(c.FileExtension.length, 10);
  EXPECT_EQ(c.FileExtension.str(), "abcdefghij");
  EXPECT_EQ(Bytes(c)[29], 0) << "the cut must not spill into the next bytes";
}

TEST(ShortText, ShorterTextLeavesOldCharactersBehindItsLength) {
  TExportConfig c = ZeroConfig();
  c.CustomSeparator.assign("abcd");
  c.CustomSeparator.assign("x");
  EXPECT_EQ(c.CustomSeparator.str(), "x");
  EXPECT_EQ(std::string(c.CustomSeparator.chars, 4), "xbcd");
}

TEST(ShortText, DamagedLengthByteNeverReadsPastTheField) {
  TExportConfig c = ZeroConfig();
  c.FieldSeparator.length = 200;
  EXPECT_EQ(c.FieldSeparator.view().size(), 10u);
}

TEST(SameConfig, ComparesEveryByteIncludingStaleAndReservedOnes) {
  const TExportConfig saved = MakeDefaultConfig();
  TExportConfig working = saved;
  EXPECT_TRUE(SameConfig(working, saved));

  // Typing a character into a box and deleting it again leaves a stale byte behind.
  working.NumberPrefix.assign("P");
  working.NumberPrefix.assign("");
  EXPECT_EQ(working.NumberPrefix.str(), saved.NumberPrefix.str());
  EXPECT_FALSE(SameConfig(working, saved));

  working = saved;
  working.reserved573[2] = 1;
  EXPECT_FALSE(SameConfig(working, saved));
}

TEST(InvalidateSavedConfig, OverwritesSixSignatureBytesAndNothingElse) {
  const TExportConfig working = MakeDefaultConfig();
  TExportConfig saved = working;
  InvalidateSavedConfig(saved);

  const unsigned char expected[7] = {0x05, 'e', 'r', 'r', 'o', 'r', '0'};
  EXPECT_EQ(std::memcmp(Bytes(saved), expected, 7), 0);
  EXPECT_EQ(std::memcmp(Bytes(saved) + 7, Bytes(working) + 7, kExportConfigSize - 7), 0);
  EXPECT_FALSE(SameConfig(working, saved));

  TExportConfig zero = ZeroConfig();
  InvalidateSavedConfig(zero);
  EXPECT_EQ(zero.Signature.str(), "error");
  EXPECT_EQ(zero.Signature.chars[5], 0) << "the seventh byte keeps its value";
}

TEST(ZeroConfig, EveryByteIsZero) {
  const TExportConfig c = ZeroConfig();
  for (std::size_t i = 0; i < kExportConfigSize; ++i) ASSERT_EQ(Bytes(c)[i], 0) << i;
}

TEST(DefaultConfig, IsASurveyStartWithNothingElseSet) {
  const TExportConfig c = MakeDefaultConfig();
  EXPECT_EQ(c.Signature.str(), "CRV200");
  EXPECT_EQ(c.FieldSeparator.str(), ",");
  EXPECT_EQ(c.FileExtension.str(), "txt");
  EXPECT_EQ(c.EntityMask, 0x3161u);  // bits 0, 5, 6, 8, 12, 13
  EXPECT_EQ(c.BlockNames.length, 0);
  for (int k = 0; k < kFieldCount; ++k) EXPECT_EQ(c.FieldOrder[k], k);
  const std::uint8_t fields[kFieldCount] = {1, 1, 1, 1, 0};
  EXPECT_EQ(std::memcmp(c.FieldChecked, fields, kFieldCount), 0);
  for (int k = 0; k < kCustomItemCount; ++k) EXPECT_EQ(c.CustomOrder[k], k);
  const std::uint8_t items[kCustomItemCount] = {1, 1, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(std::memcmp(c.CustomChecked, items, kCustomItemCount), 0);
  EXPECT_EQ(c.NumberPrefix.length, 0);
  EXPECT_EQ(c.StartNumber, 1);
  EXPECT_EQ(c.XDecimals, 3);
  EXPECT_EQ(c.YDecimals, 3);
  EXPECT_EQ(c.ZDecimals, 3);
  EXPECT_EQ(c.ForceZ, 0);
  EXPECT_EQ(c.ForcedZValue.str(), "0.00");
  EXPECT_EQ(c.CustomPrefix.length, 0);
  EXPECT_EQ(c.CustomSeparator.str(), "/");
  EXPECT_EQ(c.SequenceStart, 0);
  EXPECT_EQ(c.EntityNumberStart, 1);
  EXPECT_EQ(c.CustomLabel.length, 0);
  EXPECT_EQ(c.IncludeHeader, 0);

  // Everything else, reserved bytes and the unused text bytes included, is zero: rebuild the
  // record from the named fields alone and compare the whole block.
  TExportConfig rebuilt = ZeroConfig();
  rebuilt.Signature.assign("CRV200");
  rebuilt.FieldSeparator.assign(",");
  rebuilt.FileExtension.assign("txt");
  rebuilt.EntityMask = c.EntityMask;
  std::memcpy(rebuilt.FieldOrder, c.FieldOrder, sizeof c.FieldOrder);
  std::memcpy(rebuilt.FieldChecked, fields, sizeof fields);
  std::memcpy(rebuilt.CustomOrder, c.CustomOrder, sizeof c.CustomOrder);
  std::memcpy(rebuilt.CustomChecked, items, sizeof items);
  rebuilt.StartNumber = 1;
  rebuilt.XDecimals = rebuilt.YDecimals = rebuilt.ZDecimals = 3;
  rebuilt.ForcedZValue.assign("0.00");
  rebuilt.CustomSeparator.assign("/");
  rebuilt.EntityNumberStart = 1;
  EXPECT_TRUE(SameConfig(c, rebuilt));
}

}  // namespace
}  // namespace corvane
