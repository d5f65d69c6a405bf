// Survey point blocks: a block insertion's attributes as the point number, Z and text value, and
// the layer filter, through whole conversions of small drawings. Every expected line is worked out
// by hand from the drawing above it.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/point_preview.h"
#include "tests/test_support.h"

namespace corvane {
namespace {

using test::ConvertText;
using test::DxfWithEntities;
using test::FileBody;
using test::kTruncated;
using test::Pairs;
using test::TestConfig;
using Lines = std::vector<std::string>;
using Attributes = std::vector<std::pair<std::string, std::string>>;

constexpr std::uint32_t Bit(int bit) { return EntityBitValue(bit); }

// Fields N, Y, X, Z, C (the order of a PNEZD file) with a comma; X and Y with 3 decimals, Z with 2;
// the custom field holds the text value alone.
TExportConfig Pnezd(std::uint32_t mask = Bit(entity_bit::kBlocks)) {
  TExportConfig c = TestConfig(true);
  c.EntityMask = mask;
  const std::int32_t order[kFieldCount] = {0, 2, 1, 3, 4};
  for (int k = 0; k < kFieldCount; ++k) c.FieldOrder[k] = order[k];
  const std::int32_t items[kCustomItemCount] = {4, 0, 1, 2, 3, 5, 6, 7};
  for (int k = 0; k < kCustomItemCount; ++k) {
    c.CustomOrder[k] = items[k];
    c.CustomChecked[k] = k == 0 ? 1 : 0;
  }
  c.ZDecimals = 2;
  return c;
}

ConfigExtension Survey() {
  ConfigExtension e;
  e.NumberAttribute = "PNT";
  e.ZAttribute = "ELEV";
  e.TextAttributes = "DESC";
  return e;
}

// An insertion of block SPT with group 66 = 1, its attributes and the SEQEND, as CAD programs write it.
std::string Insert(const std::string& x, const std::string& y, const std::string& z, const Attributes& attributes,
                   const std::string& layer = "PTS", const std::string& block = "SPT") {
  std::string s = Pairs({"0", "INSERT", "5", "2A", "8", layer, "2", block, "10", x, "20", y, "30", z, "66", "     1"});
  for (const auto& [tag, value] : attributes) {
    s += Pairs({"0", "ATTRIB", "5", "2B", "8", layer, "10", x, "20", y, "30", z, "1", value, "2", tag, "70", "0"});
  }
  return s + Pairs({"0", "SEQEND", "5", "2C", "8", layer});
}

TEST(SurveyPointBlocks, GiveThePnezdLines) {
  const std::string dxf = DxfWithEntities(
      Insert("5000.0", "7000.0", "0.0", {{"PNT", "1001"}, {"ELEV", "101.25"}, {"DESC", "MH"}}) +
      Insert("5012.3456", "7001.5", "0.0", {{"PNT", "1002"}, {"ELEV", "99.999"}, {"DESC", "TREE OAK"}}) +
      // Tags in another letter case and order; a value with blanks around it.
      Insert("4999.9995", "6999.0004", "12.0", {{"desc", "CP"}, {"Elev", " -0.004 "}, {"pnt", "1003"}}));
  const auto c = ConvertText(dxf, Pnezd(), Survey());
  EXPECT_EQ(c.dataLines, (Lines{"1001,7000.000,5000.000,101.25,MH", "1002,7001.500,5012.346,100.00,TREE OAK",
                                "1003,6999.000,5000.000,0.00,CP"}));
  EXPECT_EQ(FileBody(c), (Lines{" Blocks : 3 ()", " Z attributes that are not numbers : 0 "}));
  // The run's report says which options beyond the record were used.
  EXPECT_EQ(Lines(c.report.begin() + 4, c.report.begin() + 8),
            (Lines{"Point number from attribute : PNT", "Z from attribute : ELEV", "Text value from attributes : DESC", ""}));
}

TEST(SurveyPointBlocks, WithoutTheirNumberTakeTheCounterWhichMovesOnlyForThem) {
  TExportConfig config = Pnezd();
  config.NumberPrefix.assign("P");
  config.StartNumber = 1;
  const std::string dxf = DxfWithEntities(Insert("1", "2", "3", {{"PNT", "1001"}}) + Insert("4", "5", "6", {}) +
                                          Insert("7", "8", "9", {{"PNT", "   "}}) + Insert("1", "1", "1", {{"PNT", "A7"}}));
  const auto c = ConvertText(dxf, config, Survey());
  EXPECT_EQ(c.dataLines, (Lines{"P1001,2.000,1.000,3.00,", "P1,5.000,4.000,6.00,", "P2,8.000,7.000,9.00,",
                                "PA7,1.000,1.000,1.00,"}));
}

TEST(SurveyPointBlocks, ZThatIsNoNumberKeepsTheInsertionsZAndIsCounted) {
  const std::string dxf = DxfWithEntities(
      Insert("1", "2", "12.5", {{"ELEV", "n/a"}}) + Insert("1", "2", "3", {{"ELEV", "1,5"}}) +
      Insert("1", "2", "4", {{"ELEV", ""}}) + Insert("1", "2", "5", {}) + Insert("1", "2", "6", {{"ELEV", "1e3"}}));
  ConfigExtension e;
  e.ZAttribute = "ELEV";
  const auto c = ConvertText(dxf, Pnezd(), e);
  EXPECT_EQ(c.dataLines, (Lines{"1,2.000,1.000,12.50,", "2,2.000,1.000,3.00,", "3,2.000,1.000,4.00,",
                                "4,2.000,1.000,5.00,", "5,2.000,1.000,1000.00,"}));
  // A missing attribute is not counted: only those that are there and no number.
  EXPECT_EQ(FileBody(c), (Lines{" Blocks : 5 ()", " Z attributes that are not numbers : 3 "}));

  // The forced Z still wins over both.
  TExportConfig forced = Pnezd();
  forced.ForceZ = 1;
  forced.ForcedZValue.assign("7");
  EXPECT_EQ(ConvertText(dxf, forced, e).dataLines[4], "5,2.000,1.000,7.00,");
}

TEST(SurveyPointBlocks, TextValueFromTagsInOrderOrEveryAttributeWithTheCustomSeparator) {
  const std::string dxf = DxfWithEntities(Insert("1", "2", "3", {{"DESC", "MH"}, {"PNT", "1001"}, {"CODE", "X1"}}) +
                                          Insert("1", "2", "3", {{"PNT", "1002"}}));
  TExportConfig config = Pnezd();
  config.CustomSeparator.assign("/");
  ConfigExtension every;
  every.TextAttributes = "*";
  EXPECT_EQ(ConvertText(dxf, config, every).dataLines,
            (Lines{"1,2.000,1.000,3.00,MH/1001/X1", "2,2.000,1.000,3.00,1002"}));
  // A missing tag is an empty value, so the columns stay in place.
  ConfigExtension tags;
  tags.TextAttributes = "code, desc";
  EXPECT_EQ(ConvertText(dxf, config, tags).dataLines, (Lines{"1,2.000,1.000,3.00,X1/MH", "2,2.000,1.000,3.00,/"}));
}

TEST(SurveyPointBlocks, ValuesOverGroupsThreeAndOneAndEightBitTextsAreKept) {
  const std::string dxf = DxfWithEntities(
      Pairs({"0", "INSERT", "8", "PTS", "2", "SPT", "10", "1", "20", "2", "30", "3", "66", "1",
             // A long value comes in pieces; the blank at the end of the first is part of it. The
             // embedded text object behind group 101 repeats the value and is not taken.
             "0", "ATTRIB", "8", "PTS", "3", "LONG DESCRIPTION ", "1", "CONTINUED", "2", "DESC", "101",
             "Embedded Object", "1", "IGNORED", "0", "ATTRIB", "1", "Caf\xE9 \xA7 2", "2", "NOTE", "0", "SEQEND"}));
  ConfigExtension e;
  e.TextAttributes = "DESC,NOTE";
  TExportConfig config = Pnezd();
  config.CustomSeparator.assign("|");
  EXPECT_EQ(ConvertText(dxf, config, e).dataLines, (Lines{"1,2.000,1.000,3.00,LONG DESCRIPTION CONTINUED|Caf\xE9 \xA7 2"}));
}

TEST(SurveyPointBlocks, ListsWithoutAttributesOrWithoutSeqendEndWhereTheyShould) {
  const std::string point = Pairs({"0", "POINT", "8", "PTS", "10", "9", "20", "9", "30", "9"});
  const TExportConfig config = Pnezd(Bit(entity_bit::kBlocks) | Bit(entity_bit::kPoints));
  // 66 = 1 but the SEQEND comes at once: the insertion is written, the next entity read.
  auto c = ConvertText(DxfWithEntities(Insert("1", "2", "3", {}) + point), config, Survey());
  EXPECT_EQ(c.dataLines, (Lines{"1,2.000,1.000,3.00,", "2,9.000,9.000,9.00,"}));
  EXPECT_EQ(FileBody(c), (Lines{" Points : 1 ", " Blocks : 1 ()", " Z attributes that are not numbers : 0 "}));

  // No SEQEND, the next entity follows: the list ends there and the entity is read as ever.
  std::string noSeqend = Insert("1", "2", "3", {{"PNT", "5"}});
  noSeqend.resize(noSeqend.find("  0\nSEQEND"));
  c = ConvertText(DxfWithEntities(noSeqend + point), config, Survey());
  EXPECT_EQ(c.dataLines, (Lines{"5,2.000,1.000,3.00,", "1,9.000,9.000,9.00,"}));

  // No SEQEND at the end of the file: what was read is written, and the report says the file is cut.
  const std::string dxf = DxfWithEntities("");
  const std::string cut = dxf.substr(0, dxf.find("  0\nENDSEC\n  0\nEOF")) + noSeqend;
  c = ConvertText(cut, config, Survey());
  EXPECT_EQ(c.dataLines, (Lines{"5,2.000,1.000,3.00,"}));
  EXPECT_EQ(FileBody(c), (Lines{std::string(kTruncated), " Points : 0 ", " Blocks : 1 ()",
                                " Z attributes that are not numbers : 0 "}));
}

TEST(SurveyPointBlocks, AttributesOfInsertionsNotExportedWriteNothing) {
  const std::string dxf = DxfWithEntities(Insert("1", "2", "3", {{"PNT", "7"}}, "PTS", "TREE") +
                                          Insert("4", "5", "6", {{"PNT", "8"}}, "PTS", "SPT") +
                                          Pairs({"0", "POINT", "8", "PTS", "10", "9", "20", "9", "30", "9"}));
  // Block insertions off: their attributes pass by like any entity without a reader.
  auto c = ConvertText(dxf, Pnezd(Bit(entity_bit::kPoints)), Survey());
  EXPECT_EQ(c.dataLines, (Lines{"1,9.000,9.000,9.00,"}));
  // The block filter rejects TREE: no line, no count, and SPT takes the entity number it would have had.
  TExportConfig filtered = Pnezd();
  filtered.BlockNames.assign("S*");
  filtered.CustomOrder[0] = 7;
  c = ConvertText(dxf, filtered, Survey());
  EXPECT_EQ(c.dataLines, (Lines{"8,5.000,4.000,6.00,0"}));
  EXPECT_EQ(FileBody(c), (Lines{" Blocks : 1 (S*)", " Z attributes that are not numbers : 0 "}));
}

// The point preview (and --plot, which draws it) shows the points these options give: the data
// file's bytes, the attribute's Z, the report's lines.
TEST(SurveyPointBlocks, PreviewShowsWhatTheRunWrites) {
  const std::string dxf = DxfWithEntities(
      Insert("5000.0", "7000.0", "0.0", {{"PNT", "1001"}, {"ELEV", "101.25"}, {"DESC", "MH"}}) +
      Insert("1", "2", "3", {{"ELEV", "x"}}, "GRID") + Insert("4", "5", "6", {{"ELEV", "?"}}));
  ConfigExtension extension = Survey();
  extension.LayersLeftOut = "GRID";
  const auto c = ConvertText(dxf, Pnezd(), extension);
  test::TempDir dir;
  PreviewRequest request;
  request.dxfPath = dir.Write("drawing.dxf", dxf);
  request.lists.fieldRows = test::FieldRowsOf(Pnezd());
  request.lists.customItemNames = test::ShippedCustomItems();
  request.lists.hintLines = test::ShippedHints();
  request.extension = extension;
  const PointPreview preview = PreviewPoints(Pnezd(), request);
  ASSERT_EQ(preview.end, PreviewEnd::kComplete);
  EXPECT_EQ(preview.Bytes(), c.data);
  EXPECT_EQ(c.dataLines, (Lines{"1001,7000.000,5000.000,101.25,MH", "1,5.000,4.000,6.00,"}));
  ASSERT_EQ(preview.size(), 2u);
  EXPECT_EQ(preview.z[0], 101.25);
  EXPECT_EQ(preview.errorLineCount, 0u);
  EXPECT_EQ(preview.reportLines, (Lines{" Blocks : 2 ()", " Z attributes that are not numbers : 1 ", ""}));
}

// One entity of each kind on its own layer; the custom field holds the layer.
std::string LayeredDrawing() {
  return DxfWithEntities(
      Pairs({"0", "POINT", "8", "PTS", "10", "1", "20", "1", "30", "0"}) +
      Pairs({"0", "POINT", "8", "GRID", "10", "2", "20", "2", "30", "0"}) +
      Pairs({"0", "LINE", "8", "GRID-2", "10", "3", "20", "3", "30", "0", "11", "4", "21", "4", "31", "0"}) +
      Pairs({"0", "INSERT", "8", "Pts-old", "2", "SPT", "10", "5", "20", "5", "30", "0"}) +
      Pairs({"0", "TEXT", "8", "TITLE", "1", "Plan", "10", "6", "20", "6", "30", "0"}));
}

TEST(LayerFilter, ExportsAndLeavesOutLayersByPatternAloneAndTogether) {
  TExportConfig config = Pnezd(kAllEntityOptions);
  config.CustomOrder[0] = 1;
  ConfigExtension only;
  only.Layers = "pts*";
  auto c = ConvertText(LayeredDrawing(), config, only);
  // Left-out entities take no number and are not counted.
  EXPECT_EQ(c.dataLines, (Lines{"1,1.000,1.000,0.00,PTS", "2,5.000,5.000,0.00,Pts-old"}));
  EXPECT_EQ(c.report[4], "Layers to export : pts*");
  EXPECT_EQ(FileBody(c)[0], " Points : 1 ");
  EXPECT_EQ(FileBody(c)[5], " Lines : 0 ");

  ConfigExtension leftOut;
  leftOut.LayersLeftOut = "GRID*, ";
  EXPECT_EQ(ConvertText(LayeredDrawing(), config, leftOut).dataLines,
            (Lines{"1,1.000,1.000,0.00,PTS", "2,5.000,5.000,0.00,Pts-old", "3,6.000,6.000,0.00,TITLE"}));

  ConfigExtension both;
  both.Layers = "P*,T?TLE,GRID-?";
  both.LayersLeftOut = "*OLD,GRID-2";
  EXPECT_EQ(ConvertText(LayeredDrawing(), config, both).dataLines,
            (Lines{"1,1.000,1.000,0.00,PTS", "2,6.000,6.000,0.00,TITLE"}));

  // A list of nothing but commas leaves nothing out.
  ConfigExtension commas;
  commas.LayersLeftOut = ",";
  EXPECT_EQ(ConvertText(LayeredDrawing(), config, commas).dataLines.size(), 6u);
}

}  // namespace
}  // namespace corvane
