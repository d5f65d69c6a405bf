// The options beyond the 576-byte record: their block after it in a ".crv" file, and their names
// for --set and --show-config.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

#include "config/config_text.h"
#include "config/crv_file.h"
#include "config/default_config.h"
#include "tests/test_support.h"

namespace corvane {
namespace {

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string U16(std::uint16_t v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }
std::string U32(std::uint32_t v) {
  return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF), static_cast<char>((v >> 16) & 0xFF),
          static_cast<char>(v >> 24)};
}
std::string Entry(std::uint16_t option, const std::string& value) { return U16(option) + U32(static_cast<std::uint32_t>(value.size())) + value; }
std::string Head(std::uint16_t count, std::uint16_t version = 1) { return "CRVX" + U16(version) + U16(count); }

std::string Record(const TExportConfig& c) { return std::string(reinterpret_cast<const char*>(&c), kExportConfigSize); }

TEST(ConfigExtensionFile, IsWrittenOnlyWhenAnOptionIsSetAndLaidOutAsDocumented) {
  test::TempDir dir;
  const std::string path = (dir.path() / "a.crv").string();
  const TExportConfig record = MakeDefaultConfig();
  ASSERT_EQ(WriteConfigFile(path, record, ConfigExtension{}), "");
  EXPECT_EQ(ReadBytes(path), Record(record));

  ConfigExtension e;
  e.ZAttribute = "ELEV";
  e.Layers = "PTS*";
  ASSERT_EQ(WriteConfigFile(path, record, e), "");
  // Entries in option-number order: Z attribute is 2, layers 4.
  EXPECT_EQ(ReadBytes(path), Record(record) + Head(2) + Entry(2, "ELEV") + Entry(4, "PTS*"));
}

TEST(ConfigExtensionFile, LoadedChangedSavedAndComparedKeepsRecordOptionsAndUnknownEntries) {
  test::TempDir dir;
  const std::string path = (dir.path() / "survey.crv").string();
  // A file from a later program: an option this one does not know, which it must pass on.
  const std::string later = Entry(0x0042, std::string("\x01\x02\0w", 4));
  WriteBytes(path, Record(MakeDefaultConfig()) + Head(3) + Entry(1, "PNT") + later + Entry(3, "DESC,CODE"));

  TExportConfig working = ZeroConfig(), saved = ZeroConfig();
  ConfigExtension extension, savedExtension;
  ASSERT_TRUE(ReadConfigFile(path, working, saved, extension, savedExtension).accepted);
  EXPECT_EQ(extension.NumberAttribute, "PNT");
  EXPECT_EQ(extension.TextAttributes, "DESC,CODE");
  EXPECT_TRUE(extension == savedExtension);

  std::string error;
  ASSERT_TRUE(SetConfigField(working, extension, "zattribute = ELEV", error)) << error;
  ASSERT_TRUE(SetConfigField(working, extension, "NumberAttribute=", error)) << error;
  EXPECT_FALSE(extension == savedExtension);  // the change prompt sees the change
  EXPECT_TRUE(SameConfig(working, saved));

  const std::string copy = (dir.path() / "copy.crv").string();
  ASSERT_EQ(WriteConfigFile(copy, working, extension), "");
  EXPECT_EQ(ReadBytes(copy), Record(saved) + Head(3) + Entry(2, "ELEV") + Entry(3, "DESC,CODE") + later);
  TExportConfig again = ZeroConfig(), againSaved = ZeroConfig();
  ConfigExtension againExtension, againSavedExtension;
  ASSERT_TRUE(ReadConfigFile(copy, again, againSaved, againExtension, againSavedExtension).accepted);
  EXPECT_TRUE(againExtension == extension);

  // Turning every option off gives back a plain 576-byte record... unless unknown entries remain.
  againExtension.ZAttribute.clear();
  againExtension.TextAttributes.clear();
  againExtension.unknown.clear();
  ASSERT_EQ(WriteConfigFile(copy, again, againExtension), "");
  EXPECT_EQ(ReadBytes(copy).size(), kExportConfigSize);
}

TEST(ConfigExtensionFile, HostileBlocksAreRefusedNamingTheFileAndChangeNothing) {
  test::TempDir dir;
  const std::string path = (dir.path() / "bad.crv").string();
  const std::string record = Record(MakeDefaultConfig());
  const struct {
    std::string tail;
    std::string says;
  } cases[] = {
      {"CRV", "cut short"},
      {Head(1), "cut short"},
      {Head(1) + U16(1) + U32(10) + "PNT", "cut short: it needs 10 bytes, 3 are left"},
      {Head(1) + U16(1) + U32(0xFFFFFFFFu) + "PNT", "needs 4294967295 bytes"},
      {Head(0xFFFF) + Entry(1, "PNT"), "65535 entries do not fit"},
      {Head(1, 2) + Entry(1, "PNT"), "version 2"},
      {Head(1) + Entry(0x8001, "x"), "needs a newer Corvane"},
      {Head(2) + Entry(1, "PNT") + Entry(1, "NO"), "given twice"},
      {Head(1) + Entry(1, "P\nT"), "NumberAttribute holds a control character"},
      {Head(1) + Entry(4, std::string(1001, 'L')), "Layers takes at most 1000 bytes"},
      {Head(1) + Entry(1, "PNT") + "zz", "2 bytes that belong to none"},
      {Head(1) + Entry(1, "PNT") + std::string(70000, 'x'), "more than 65536"},
  };
  for (const auto& c : cases) {
    WriteBytes(path, record + c.tail);
    TExportConfig working = ZeroConfig(), saved = ZeroConfig();
    ConfigExtension extension, savedExtension;
    extension.Layers = "KEEP";
    const ConfigFileResult read = ReadConfigFile(path, working, saved, extension, savedExtension);
    EXPECT_FALSE(read.accepted) << c.says;
    EXPECT_EQ(read.status, ConfigReadStatus::kDamaged);
    EXPECT_NE(read.message.find("\"" + path + "\" is damaged"), std::string::npos) << read.message;
    EXPECT_NE(read.message.find(c.says), std::string::npos) << read.message;
    EXPECT_TRUE(SameConfig(working, ZeroConfig()));
    EXPECT_EQ(extension.Layers, "KEEP");
  }
  // Bytes behind the record that are no extension were always ignored, and still are.
  WriteBytes(path, record + "notes written by hand");
  TExportConfig working = ZeroConfig(), saved = ZeroConfig();
  ConfigExtension extension, savedExtension;
  extension.Layers = "STALE";
  EXPECT_TRUE(ReadConfigFile(path, working, saved, extension, savedExtension).accepted);
  EXPECT_TRUE(extension.Empty());
}

TEST(ConfigExtensionText, ShownOnlyWhenSetAndSetByNameWithTheTextRules) {
  TExportConfig config = MakeDefaultConfig();
  ConfigExtension extension;
  EXPECT_EQ(DescribeConfig(config, extension), DescribeConfig(config));
  std::string error;
  ASSERT_TRUE(SetConfigField(config, extension, "TextAttributes= \"DESC\\tX\" ", error) == false);
  EXPECT_EQ(error, "TextAttributes holds a control character");
  ASSERT_TRUE(SetConfigField(config, extension, "layersleftout=  GRID*,TITLE  ", error)) << error;
  EXPECT_EQ(extension.LayersLeftOut, "GRID*,TITLE");
  EXPECT_EQ(DescribeConfig(config, extension).back(), "LayersLeftOut = \"GRID*,TITLE\"");
  EXPECT_FALSE(SetConfigField(config, extension, "Layers=" + std::string(1001, 'x'), error));
  EXPECT_EQ(error, "Layers takes at most 1000 bytes, not 1001");
  EXPECT_FALSE(SetConfigField(config, extension, "Layer=x", error));
  EXPECT_NE(error.find("ZAttribute, TextAttributes, Layers, LayersLeftOut"), std::string::npos) << error;
  // The record's own SetConfigField knows only the record.
  EXPECT_FALSE(SetConfigField(config, "Layers=x", error));
}

}  // namespace
}  // namespace corvane

namespace corvane {
namespace {

TEST(ConfigExtensionSwitches, AreYesOrNoSavedOnlyWhenOnAndAFileHoldingAnythingElseIsRefused) {
  TExportConfig config = MakeDefaultConfig();
  ConfigExtension extension;
  std::string error;
  ASSERT_TRUE(SetConfigField(config, extension, "worldcoordinates=On", error)) << error;
  ASSERT_TRUE(SetConfigField(config, extension, "BlockContents=1", error)) << error;
  EXPECT_EQ(extension.WorldCoordinates, "yes");
  EXPECT_EQ(DescribeConfig(config, extension).back(), "BlockContents = \"yes\"");
  EXPECT_FALSE(SetConfigField(config, extension, "BlockContents=maybe", error));
  EXPECT_EQ(error, "BlockContents takes yes or no (or 1/0, true/false, on/off), not \"maybe\"");
  EXPECT_EQ(extension.BlockContents, "yes");

  test::TempDir dir;
  const std::string path = (dir.path() / "w.crv").string();
  ASSERT_EQ(WriteConfigFile(path, config, extension), "");
  EXPECT_EQ(ReadBytes(path), Record(config) + Head(2) + Entry(6, "yes") + Entry(7, "yes"));
  // Off again: the file keeps its 576 bytes.
  ASSERT_TRUE(SetConfigField(config, extension, "WorldCoordinates=no", error)) << error;
  ASSERT_TRUE(SetConfigField(config, extension, "BlockContents=", error)) << error;
  EXPECT_TRUE(extension.Empty());
  ASSERT_EQ(WriteConfigFile(path, config, extension), "");
  EXPECT_EQ(ReadBytes(path).size(), 576u);

  ConfigExtension read;
  EXPECT_EQ(DecodeConfigExtension(Head(1) + Entry(6, "yes"), read), std::nullopt);
  EXPECT_TRUE(WorldCoordinatesOn(read));
  EXPECT_FALSE(BlockContentsOn(read));
  const auto refused = DecodeConfigExtension(Head(1) + Entry(7, "no"), read);
  ASSERT_TRUE(refused.has_value());
  EXPECT_EQ(*refused, "BlockContents holds something other than yes");
  EXPECT_TRUE(WorldCoordinatesOn(read));  // left as it was
}

}  // namespace
}  // namespace corvane
