// The points inside blocks: whole conversions of small drawings with a BLOCKS section, each expected
// line worked out by hand (tools/check_blocks_with_ezdxf.py compares larger ones with ezdxf).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/convert_file.h"
#include "engine/conversion_run.h"
#include "engine/data_file_writer.h"
#include "engine/line_reader.h"
#include "engine/point_preview.h"
#include "files/output_guard.h"
#include "tests/test_support.h"

namespace corvane {
namespace {

using test::ConvertText;
using test::FileBody;
using test::Pairs;
using test::TestConfig;
using Lines = std::vector<std::string>;

// A drawing with a BLOCKS section holding `blocks` and an ENTITIES section holding `entities`.
std::string DxfWithBlocks(const std::string& blocks, const std::string& entities) {
  return Pairs({"0", "SECTION", "2", "HEADER", "9", "$ACADVER", "1", "AC1009", "0", "ENDSEC", "0", "SECTION", "2",
                "BLOCKS"}) +
         blocks + Pairs({"0", "ENDSEC", "0", "SECTION", "2", "ENTITIES"}) + entities +
         Pairs({"0", "ENDSEC", "0", "EOF"});
}

std::string Block(const std::string& name, const std::string& x, const std::string& y, const std::string& contents) {
  return Pairs({"0", "BLOCK", "8", "0", "2", name, "70", "0", "10", x, "20", y, "30", "0", "3", name}) + contents +
         Pairs({"0", "ENDBLK", "8", "0"});
}

std::string Insert(const std::string& name, const std::string& layer, const std::string& x, const std::string& y,
                   std::initializer_list<std::string_view> more = {}) {
  return Pairs({"0", "INSERT", "8", layer, "2", name, "10", x, "20", y, "30", "0"}) + Pairs(more);
}

// Fields N, X, Y, Z and the custom field: type, layer and block name.
TExportConfig Config() {
  TExportConfig c = TestConfig(true);
  c.CustomChecked[3] = 1;
  return c;
}

ConfigExtension Contents() {
  ConfigExtension e;
  e.BlockContents = "yes";
  return e;
}

// Block B, base (1,1): a POINT on layer "0" at (2,1), a LINE on layer W from (1,1) to (1,2).
const std::string kBlockB =
    Block("B", "1", "1",
          Pairs({"0", "POINT", "8", "0", "10", "2", "20", "1", "30", "0"}) +
              Pairs({"0", "LINE", "8", "W", "10", "1", "20", "1", "30", "0", "11", "1", "21", "2", "31", "0"}));

TEST(BlockContents, ArePlacedByBaseScaleAndRotationAfterTheInsertionsOwnPoint) {
  // Turned 90 degrees, scaled by 2: (2,1) is 1 right of the base, so 2 up from the insertion point.
  const std::string dxf =
      DxfWithBlocks(kBlockB, Insert("b", "L", "10", "20", {"41", "2", "42", "2", "43", "2", "50", "90"}));
  const auto on = ConvertText(dxf, Config(), Contents());
  EXPECT_EQ(on.dataLines, (Lines{"1,10.000,20.000,0.000,INSERT/L/b", "2,10.000,22.000,0.000,POINT/L/b",
                                 "3,10.000,20.000,0.000,LINE/W/b", "4,8.000,20.000,0.000,LINE/W/b"}));
  // Off, the insertion writes its own point only; the counts are the drawing's entities either way.
  const auto off = ConvertText(dxf, Config());
  EXPECT_EQ(off.dataLines, (Lines{"1,10.000,20.000,0.000,INSERT/L/b"}));
  EXPECT_EQ(FileBody(on), FileBody(off));
}

TEST(BlockContents, FollowTheEntityOptionsTheLayerFilterAndTheBlockFilter) {
  const std::string dxf = DxfWithBlocks(kBlockB, Insert("B", "L", "0", "0") + Insert("B", "M", "5", "0"));
  TExportConfig noLines = Config();
  noLines.EntityMask &= ~EntityBitValue(entity_bit::kLines);
  EXPECT_EQ(ConvertText(dxf, noLines, Contents()).dataLines,
            (Lines{"1,0.000,0.000,0.000,INSERT/L/B", "2,1.000,0.000,0.000,POINT/L/B", "3,5.000,0.000,0.000,INSERT/M/B",
                   "4,6.000,0.000,0.000,POINT/M/B"}));
  // Layer "0" inside is judged as the insertion's layer; layer W as W.
  ConfigExtension onlyM = Contents();
  onlyM.Layers = "M";
  EXPECT_EQ(ConvertText(dxf, noLines, onlyM).dataLines,
            (Lines{"1,5.000,0.000,0.000,INSERT/M/B", "2,6.000,0.000,0.000,POINT/M/B"}));
  ConfigExtension withoutW = Contents();
  withoutW.LayersLeftOut = "W";
  EXPECT_EQ(ConvertText(dxf, Config(), withoutW).dataLines.size(), 4u);
  // An insertion the block filter rejects writes nothing, inside or out.
  TExportConfig otherBlocks = Config();
  otherBlocks.BlockNames.assign("X*");
  EXPECT_TRUE(ConvertText(dxf, otherBlocks, Contents()).dataLines.empty());
}

TEST(BlockContents, NestAndRepeatInColumnsAndRows) {
  // C holds B inserted at (0,0) turned 90 degrees, so B's point (1 right of its base) lies 1 up; the
  // drawing has C in 2 columns and 2 rows, 10 and 100 apart.
  const std::string dxf = DxfWithBlocks(kBlockB + Block("C", "0", "0", Insert("B", "0", "0", "0", {"50", "90"})),
                                        Insert("C", "L", "0", "0", {"70", "2", "71", "2", "44", "10", "45", "100"}));
  TExportConfig pointsOnly = Config();
  pointsOnly.EntityMask = EntityBitValue(entity_bit::kPoints) | EntityBitValue(entity_bit::kBlocks);
  EXPECT_EQ(ConvertText(dxf, pointsOnly, Contents()).dataLines,
            (Lines{"1,0.000,0.000,0.000,INSERT/L/C", "2,0.000,0.000,0.000,INSERT/L/C", "3,0.000,1.000,0.000,POINT/L/C",
                   "4,10.000,0.000,0.000,INSERT/L/C", "5,10.000,1.000,0.000,POINT/L/C",
                   "6,0.000,100.000,0.000,INSERT/L/C", "7,0.000,101.000,0.000,POINT/L/C",
                   "8,10.000,100.000,0.000,INSERT/L/C", "9,10.000,101.000,0.000,POINT/L/C"}));
}

TEST(BlockContents, ABlockThatInsertsItselfIsReportedAndEnds) {
  const std::string dxf = DxfWithBlocks(
      Block("S", "0", "0", Pairs({"0", "POINT", "8", "0", "10", "1", "20", "0", "30", "0"}) + Insert("S", "0", "5", "0")),
      Insert("S", "L", "0", "0"));
  const auto c = ConvertText(dxf, Config(), Contents());
  EXPECT_EQ(c.dataLines, (Lines{"1,0.000,0.000,0.000,INSERT/L/S", "2,1.000,0.000,0.000,POINT/L/S",
                                "3,5.000,0.000,0.000,INSERT/L/S"}));
  ASSERT_FALSE(FileBody(c).empty());
  EXPECT_EQ(FileBody(c)[0],
            "*** Error, the block \"S\" inserts itself: the points inside that insertion of it are not written ***");
}

// The point preview (and --plot, which draws it) shows the points a run with both options writes,
// and the report's error line.
TEST(BlockContents, PreviewShowsWhatTheRunWrites) {
  const std::string dxf = DxfWithBlocks(
      kBlockB + Block("S", "0", "0", Insert("S", "0", "1", "1")),
      Insert("B", "L", "10", "20", {"50", "90", "210", "0", "220", "0", "230", "-1"}) + Insert("S", "L", "0", "0"));
  ConfigExtension extension = Contents();
  extension.WorldCoordinates = "yes";
  const auto c = ConvertText(dxf, Config(), extension);
  test::TempDir dir;
  PreviewRequest request;
  request.dxfPath = dir.Write("drawing.dxf", dxf);
  request.lists.fieldRows = test::FieldRowsOf(Config());
  request.lists.customItemNames = test::ShippedCustomItems();
  request.lists.hintLines = test::ShippedHints();
  request.extension = extension;
  const PointPreview preview = PreviewPoints(Config(), request);
  ASSERT_EQ(preview.end, PreviewEnd::kComplete);
  EXPECT_EQ(preview.Bytes(), c.data);
  // Mirrored: the insertion at X -10, its point 1 up from it (turned 90 degrees), X negated again.
  EXPECT_EQ(Lines(c.dataLines.begin(), c.dataLines.begin() + 2),
            (Lines{"1,-10.000,20.000,0.000,INSERT/L/B", "2,-10.000,21.000,0.000,POINT/L/B"}));
  ASSERT_EQ(preview.size(), c.dataLines.size());
  EXPECT_EQ(preview.x[1], -10.0);
  EXPECT_EQ(preview.errorLineCount, 1u);
}

// The main loop over a drawing with block definitions kept within `bound` bytes, and at most
// `pointBound` points written from inside one insertion.
std::string ConvertWithBound(const std::string& dxf, std::size_t bound, std::vector<std::string>& lines,
                             std::uint64_t pointBound = kInsertionPointBound, RunObserver* observer = nullptr,
                             DrawingEnd expectedEnd = DrawingEnd::kComplete) {
  const TExportConfig config = Config();
  RunSettings run = PrepareRunSettings(config, test::RequestFor(config, {}).lists, Contents());
  run.blockMemoryBound = bound;
  run.insertionPointBound = pointBound;
  test::TempDir dir;
  const std::string path = (dir.path() / "out.txt").string();
  {
    OutputGuard guard;
    const OpenedDataFile opened = guard.OpenDataFile(path);
    DataFileWriter out(opened.file, path);
    LineReader in(dxf, 4096);
    FileState state(run, in, out);
    FileOutcome outcome;
    EXPECT_EQ(ConvertOpenedDrawing(state, observer, 0, outcome), expectedEnd);
    lines = outcome.lines;
    out.Close();
  }
  return test::ReadFile(path);
}

TEST(BlockContents, BeyondTheMemoryBoundAreReportedAndTheInsertionsStillWritten) {
  const std::string dxf = DxfWithBlocks(kBlockB + Block("D", "0", "0", Pairs({"0", "POINT", "10", "7", "20", "7"})),
                                        Insert("B", "L", "0", "0") + Insert("D", "L", "0", "0"));
  std::vector<std::string> lines;
  EXPECT_EQ(test::SplitCrLf(ConvertWithBound(dxf, 1 << 20, lines)).size(), 6u);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], " Points : 0 ");
  // Room for B's entities but not for D's point: D is not kept, nor anything after it.
  const std::string small = ConvertWithBound(dxf, 256, lines);
  EXPECT_EQ(test::SplitCrLf(small), (Lines{"1,0.000,0.000,0.000,INSERT/L/B", "2,1.000,0.000,0.000,POINT/L/B",
                                           "3,0.000,0.000,0.000,LINE/W/B", "4,0.000,1.000,0.000,LINE/W/B",
                                           "5,0.000,0.000,0.000,INSERT/L/D"}));
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], "*** Error, the block definitions take more than 256 bytes: the points inside block \"D\" and "
                      "the blocks defined after it are not written ***");
}

// Three levels of 10 x 10 MINSERTs ask for a million points from a drawing of a few lines.
std::string MillionPointDrawing() {
  return DxfWithBlocks(
      Block("C", "0", "0", Pairs({"0", "POINT", "8", "0", "10", "1", "20", "1"})) +
          Block("B", "0", "0", Insert("C", "0", "0", "0", {"70", "10", "71", "10", "44", "1", "45", "1"})) +
          Block("A", "0", "0", Insert("B", "0", "0", "0", {"70", "10", "71", "10", "44", "1", "45", "1"})),
      Insert("A", "L", "0", "0", {"70", "10", "71", "10", "44", "1", "45", "1"}) + Insert("C", "L", "5", "5"));
}

TEST(BlockContents, OneInsertionWritesAtMostItsBoundOfInnerPointsAndTheNextOneItsOwn) {
  std::vector<std::string> lines;
  const Lines data = test::SplitCrLf(ConvertWithBound(MillionPointDrawing(), kBlockMemoryBound, lines, 250));
  // The insertion's own line, 250 from inside it; then the next insertion, whole.
  ASSERT_EQ(data.size(), 1u + 250u + 2u);
  EXPECT_EQ(data[0], "1,0.000,0.000,0.000,INSERT/L/A");
  EXPECT_EQ(data[251], "252,5.000,5.000,0.000,INSERT/L/C");
  EXPECT_EQ(data[252], "253,6.000,6.000,0.000,POINT/L/C");
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], "*** Error, an insertion of the block \"A\" would write more than 250 points from inside it: "
                      "the rest of them are not written ***");
}

// A stop asked for while one insertion writes its points ends the drawing without waiting for all.
class StopAfterAsking : public test::TestObserver {
 public:
  bool StopRequested() override { return ++asked_ > 2; }

 private:
  int asked_ = 0;
};

TEST(BlockContents, AStopIsHeardWhileOneInsertionWritesItsPoints) {
  std::vector<std::string> lines;
  StopAfterAsking observer;
  const std::string data =
      ConvertWithBound(MillionPointDrawing(), kBlockMemoryBound, lines, kInsertionPointBound, &observer, DrawingEnd::kStopped);
  const std::size_t written = test::SplitCrLf(data).size();
  EXPECT_GT(written, 1u);
  EXPECT_LT(written, 500000u);
}

}  // namespace
}  // namespace corvane
