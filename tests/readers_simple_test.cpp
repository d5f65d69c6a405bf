// The POINT, CIRCLE, ARC, ELLIPSE, TEXT, MTEXT, LINE and INSERT readers, driven through whole
// conversions of small drawings.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

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


// Fields N, X, Y, Z and C with 3 decimals; the custom field holds `items` in this order.
TExportConfig Config(std::uint32_t mask, std::initializer_list<int> items = {0, 1}) {
  TExportConfig c = TestConfig(true);
  c.EntityMask = mask;
  bool used[kCustomItemCount] = {};
  int k = 0;
  for (int item : items) {
    c.CustomOrder[k] = item;
    c.CustomChecked[k++] = 1;
    used[item] = true;
  }
  for (int item = 0; item < kCustomItemCount; ++item) {
    if (used[item]) continue;
    c.CustomOrder[k] = item;
    c.CustomChecked[k++] = 0;
  }
  return c;
}

constexpr std::uint32_t Bit(int bit) { return EntityBitValue(bit); }


TEST(LineEntityReader, WorkedExampleWritesStartThenEndAndCountsOnce) {
  const std::string dxf = DxfWithEntities(Pairs({"0", "LINE", "5", "1A", "8", "WALLS", "10", "1.0",
                                                 "20", "2.0", "30", "0.0", "11", "4.0", "21", "6.0",
                                                 "31", "0.0"}));
  const auto c = ConvertText(dxf, Config(Bit(entity_bit::kLines), {0, 1, 2, 3, 4, 7, 6}));
  EXPECT_EQ(c.dataLines, (Lines{"1,1.000,2.000,0.000,LINE/WALLS/1A///0/0",
                                "2,4.000,6.000,0.000,LINE/WALLS/1A///0/1"}));
  EXPECT_EQ(FileBody(c), (Lines{" Lines : 1 "}));
}

// The texts of an entity's lines are composed once per entity: a text that arrives between two of
// its points, and the next entity with the same texts, must still show in the lines that follow.
TEST(LineEntityReader, TextsArrivingBetweenPointsAndTheNextEntityNumberAreWritten) {
  const std::string dxf = DxfWithEntities(
      Pairs({"0", "LINE", "5", "1A", "10", "1", "20", "2", "30", "0", "8", "KERB", "11", "3", "21", "4", "31", "0",
             "0", "LINE", "5", "1A", "8", "KERB", "10", "5", "20", "6", "30", "0", "5", "1B", "11", "7", "21", "8",
             "31", "0"}));
  const auto c = ConvertText(dxf, Config(Bit(entity_bit::kLines), {1, 2, 7}));
  EXPECT_EQ(c.dataLines, (Lines{"1,1.000,2.000,0.000,!NoLayer!/1A/0", "2,3.000,4.000,0.000,KERB/1A/0",
                                "3,5.000,6.000,0.000,KERB/1A/1", "4,7.000,8.000,0.000,KERB/1B/1"}));
}

TEST(LineEntityReader, DataLineWorkedRun) {
  TExportConfig cfg = Config(Bit(entity_bit::kLines), {1, 0});
  cfg.NumberPrefix.assign("P");
  cfg.ZDecimals = 2;
  const std::string dxf = DxfWithEntities(Pairs({"0", "LINE", "8", "WALLS", "10", "1.5", "20", "2",
                                                 "30", "0", "11", "3.25", "21", "4", "31", "0"}));
  const auto c = ConvertText(dxf, cfg);
  EXPECT_EQ(c.dataLines, (Lines{"P1,1.500,2.000,0.00,WALLS/LINE", "P2,3.250,4.000,0.00,WALLS/LINE"}));
}

TEST(LineEntityReader, PointsWithoutZGroupsAreWrittenWithZeroAndNoneIsLost) {
  TExportConfig cfg = Config(Bit(entity_bit::kLines));
  // A 2D writer: no 30 and 31 at all.
  auto c = ConvertText(DxfWithEntities(Pairs({"0", "LINE", "8", "A", "10", "1", "20", "2", "11",
                                              "3", "21", "4"})),
                       cfg);
  EXPECT_EQ(c.dataLines, (Lines{"1,1.000,2.000,0.000,LINE/A", "2,3.000,4.000,0.000,LINE/A"}));
  EXPECT_EQ(FileBody(c), (Lines{" Lines : 1 "}));
  // Only the start point has its Z: the end point must not inherit it.
  c = ConvertText(DxfWithEntities(Pairs({"0", "LINE", "10", "1", "20", "2", "30", "5", "11", "3",
                                         "21", "4"})),
                  cfg);
  EXPECT_EQ(c.dataLines, (Lines{"1,1.000,2.000,5.000,LINE/!NoLayer!", "2,3.000,4.000,0.000,LINE/!NoLayer!"}));
  // Only the end point has its Z.
  c = ConvertText(DxfWithEntities(Pairs({"0", "LINE", "10", "1", "20", "2", "11", "3", "21", "4",
                                         "31", "7"})),
                  cfg);
  EXPECT_EQ(c.dataLines, (Lines{"1,1.000,2.000,0.000,LINE/!NoLayer!", "2,3.000,4.000,7.000,LINE/!NoLayer!"}));
}

TEST(LineEntityReader, LineWithoutAnyCoordinateIsCountedButWritesNothing) {
  const auto c = ConvertText(DxfWithEntities(Pairs({"0", "LINE", "8", "A", "39", "1"})),
                             Config(Bit(entity_bit::kLines)));
  EXPECT_TRUE(c.dataLines.empty());
  EXPECT_EQ(FileBody(c), (Lines{" Lines : 1 "}));
}

TEST(PairReading, RightAlignedCodesAndPaddedValuesAreTrimmed) {
  const std::string dxf = DxfWithEntities(
      "  0\nPOINT\n     5\n\t2F \n  8\n  WALLS\t\n 10\n 1.25 \n20\n2\n    30   \n3\n"
      " 999\nignored\n1010\n9\n");
  const auto c = ConvertText(dxf, Config(Bit(entity_bit::kPoints), {0, 1, 2}));
  EXPECT_EQ(c.dataLines, (Lines{"1,1.250,2.000,3.000,POINT/WALLS/2F"}));
}

TEST(PointReader, ExportsTheCentreOfEachKindAndCountsItsOwnOption) {
  using namespace entity_bit;
  std::string entities;
  for (const char* name : {"POINT", "CIRCLE", "ARC", "ELLIPSE"}) {
    entities += Pairs({"0", name, "8", "L", "10", "1", "20", "2", "30", "3", "40", "9.5", "11",
                       "7", "21", "8"});
  }
  // A POINT without its Z.
  entities += Pairs({"0", "POINT", "10", "4", "20", "5"});
  const auto c = ConvertText(DxfWithEntities(entities),
                             Config(Bit(kPoints) | Bit(kCircles) | Bit(kArcs) | Bit(kEllipses), {0, 7}));
  EXPECT_EQ(c.dataLines, (Lines{"1,1.000,2.000,3.000,POINT/0", "2,1.000,2.000,3.000,CIRCLE/1",
                                "3,1.000,2.000,3.000,ARC/2", "4,1.000,2.000,3.000,ELLIPSE/3",
                                "5,4.000,5.000,0.000,POINT/4"}));
  EXPECT_EQ(FileBody(c), (Lines{" Points : 2 ", " Circles : 1 ", " Arcs : 1 ", " Ellipses : 1 "}));
}

TEST(TextReader, TextAndMtextExportInsertionPointAndGroupOne) {
  using namespace entity_bit;
  const std::string entities =
      Pairs({"0", "TEXT", "5", "2F", "8", "WALLS", "10", "1", "20", "2", "30", "0", "40", "2.5",
             "1", "Room 1"}) +
      // Long MTEXT: only the final group 1 is the exported text.
      Pairs({"0", "MTEXT", "8", "NOTES", "10", "5", "20", "6", "30", "0", "3", "first part ", "1",
             "last part"});
  const auto c = ConvertText(DxfWithEntities(entities),
                             Config(Bit(kSingleLineText) | Bit(kMultilineText), {0, 1, 2, 3, 4}));
  EXPECT_EQ(c.dataLines, (Lines{"1,1.000,2.000,0.000,TEXT/WALLS/2F//Room 1",
                                "2,5.000,6.000,0.000,MTEXT/NOTES/!NoHandle!//last part"}));
  EXPECT_EQ(FileBody(c), (Lines{" Single line text : 1 ", " Multiline text : 1 "}));
}

TEST(TextReader, MtextEmbeddedObjectDoesNotReplaceTheInsertionPoint) {
  using namespace entity_bit;
  const std::string entities =
      Pairs({"0", "MTEXT", "5", "3C", "8", "NOTES", "10", "5", "20", "6", "30", "1", "1", "Col",
             "101", "Embedded Object", "70", "1", "10", "99", "20", "98", "30", "97", "8", "X"}) +
      Pairs({"0", "POINT", "10", "1", "20", "1", "30", "1"});
  const auto c = ConvertText(DxfWithEntities(entities),
                             Config(Bit(kMultilineText) | Bit(kPoints), {0, 1, 4}));
  EXPECT_EQ(c.dataLines, (Lines{"1,5.000,6.000,1.000,MTEXT/NOTES/Col", "2,1.000,1.000,1.000,POINT/!NoLayer!/"}));
}

TEST(InsertReader, MissingGroupsExportTheirStartingValues) {
  const auto c = ConvertText(DxfWithEntities(Pairs({"0", "INSERT", "10", "1", "20", "2", "30", "3"})),
                             Config(Bit(entity_bit::kBlocks), {1, 2, 3, 4}));
  EXPECT_EQ(c.dataLines, (Lines{"1,1.000,2.000,3.000,!NoLayer!/!NoHandle!/!NoBlockName!/"}));
  EXPECT_EQ(FileBody(c), (Lines{" Blocks : 1 ()"}));
}

TEST(InsertReader, RejectedInsertIsNeitherWrittenNorCounted) {
  TExportConfig cfg = Config(Bit(entity_bit::kBlocks), {0, 3, 7});
  cfg.BlockNames.assign("TREE*");
  const std::string entities =
      Pairs({"0", "INSERT", "8", "A", "2", "DOOR", "10", "1", "20", "1", "30", "0"}) +
      Pairs({"0", "INSERT", "8", "A", "2", "tree1", "10", "2", "20", "2", "30", "0"}) +
      Pairs({"0", "INSERT", "8", "A", "10", "3", "20", "3", "30", "0"}) +
      Pairs({"0", "INSERT", "8", "A", "2", "TREE2", "10", "4", "20", "4", "30", "0"});
  const auto c = ConvertText(DxfWithEntities(entities), cfg);
  EXPECT_EQ(c.dataLines, (Lines{"1,2.000,2.000,0.000,INSERT/tree1/0", "2,4.000,4.000,0.000,INSERT/TREE2/1"}));
  EXPECT_EQ(FileBody(c), (Lines{" Blocks : 2 (TREE*)"}));

  // With a filter, an insert without group 2 goes out only when "!NoBlockName!" passes.
  cfg.BlockNames.assign("!NOBLOCK*");
  const auto d = ConvertText(DxfWithEntities(entities), cfg);
  EXPECT_EQ(d.dataLines, (Lines{"1,3.000,3.000,0.000,INSERT/!NoBlockName!/0"}));
}

TEST(SimpleReaders, FileCutOffInsideAnEntityKeepsWhatWasGathered) {
  using namespace entity_bit;
  const std::string cut(kTruncated);
  struct Case {
    const char* name;
    std::string tail;  // the entity's pairs up to the cut; the file ends there
    Lines data;
    Lines body;
  };
  const Case cases[] = {
      {"point", Pairs({"0", "POINT", "8", "A", "10", "1", "20", "2"}),
       {"1,1.000,2.000,0.000,POINT/A"},
       {cut, " Points : 1 ", " Blocks : 0 ()", " Lines : 0 ", " Single line text : 0 "}},
      // The code line 31 without its value is not applied.
      {"line", Pairs({"0", "LINE", "8", "A", "10", "1", "20", "2", "30", "3", "11", "4", "21", "5"}) + " 31\n",
       {"1,1.000,2.000,3.000,LINE/A", "2,4.000,5.000,0.000,LINE/A"},
       {cut, " Points : 0 ", " Blocks : 0 ()", " Lines : 1 ", " Single line text : 0 "}},
      {"text", Pairs({"0", "TEXT", "10", "1", "20", "2", "1", "Abc"}),
       {"1,1.000,2.000,0.000,TEXT/!NoLayer!"},
       {cut, " Points : 0 ", " Blocks : 0 ()", " Lines : 0 ", " Single line text : 1 "}},
      // Ending on the code line "0" the entity is complete: nothing is cut off.
      {"insert", Pairs({"0", "INSERT", "2", "B", "10", "1", "20", "2", "30", "3"}) + "  0",
       {"1,1.000,2.000,3.000,INSERT/!NoLayer!"},
       {" Points : 0 ", " Blocks : 1 ()", " Lines : 0 ", " Single line text : 0 "}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    const auto c = ConvertText("  0\nSECTION\n  2\nENTITIES\n" + k.tail,
                               Config(Bit(kPoints) | Bit(kLines) | Bit(kSingleLineText) | Bit(kBlocks)));
    EXPECT_EQ(c.dataLines, k.data);
    EXPECT_EQ(FileBody(c), k.body);
  }
}

}  // namespace
}  // namespace corvane
