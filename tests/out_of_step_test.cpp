// One line too few or too many shifts every later pair: codes become values and values codes.
// Without a check the rest of the drawing would be lost without a word; with it the file says
// where, and reading is back in step at the first line that cannot be a code.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/test_support.h"

namespace corvane {
namespace {

using test::ConvertText;
using test::DxfWithEntities;
using test::FileBody;
using test::Pairs;
using test::TestConfig;
using Lines = std::vector<std::string>;

std::string ManyPoints(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) {
    s += Pairs({"0", "POINT", "8", "P", "10", std::to_string(i), "20", "1", "30", "2"});
  }
  return s;
}

// The number, from 1, of the first line of `dxf` that is exactly `line`.
std::size_t LineOf(const std::string& dxf, const std::string& line) {
  std::size_t number = 1, at = 0;
  for (;;) {
    const std::size_t end = dxf.find('\n', at);
    if (dxf.compare(at, end - at, line) == 0) return number;
    if (end == std::string::npos) return 0;
    at = end + 1;
    ++number;
  }
}

struct Case {
  const char* what;
  std::string entities;  // before the many points
  std::string badLine;   // the first line that cannot be a code
};

TEST(PairsOutOfStep, AreReportedAndPutBackInStepBeforeManyPoints) {
  const std::vector<Case> cases = {
      // A DIMENSION (no reader takes it) whose group-1 value line is gone: "0" is read as that
      // value, and the name POINT where a code is due.
      {"missing line", "  0\nDIMENSION\n  8\nDIM\n  1\n", "POINT"},
      // A line too many inside a POINT.
      {"extra line", "  0\nPOINT\n  8\nP\nSTRAY\n 10\n-1\n 20\n1\n 30\n2\n", "STRAY"},
      // A POINT whose layer value is missing: its X value comes where a code is due.
      {"missing layer", "  0\nPOINT\n  8\n 10\n-1.5\n 20\n1\n 30\n2\n", "-1.5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string dxf = DxfWithEntities(c.entities + ManyPoints(1000));
    TExportConfig cfg = TestConfig();
    cfg.EntityMask = EntityBitValue(entity_bit::kPoints);
    const auto conversion = ConvertText(dxf, cfg);
    const Lines body = FileBody(conversion);
    ASSERT_EQ(body.size(), 2u);
    EXPECT_EQ(body[0], "*** Error, the group codes are out of step at line " +
                           std::to_string(LineOf(dxf, c.badLine)) + " ***");
    const int expected = c.entities.find("\nPOINT\n") != std::string::npos ? 1001 : 1000;
    EXPECT_EQ(body[1], " Points : " + std::to_string(expected) + " ");
    ASSERT_EQ(conversion.dataLines.size(), static_cast<std::size_t>(expected));
    EXPECT_EQ(conversion.dataLines.back(), std::to_string(expected) + ",999.000,1.000,2.000");
    EXPECT_EQ(conversion.result.filesWithErrors, 1u);
  }
  // The point whose layer was lost still has its coordinates.
  const std::string dxf = DxfWithEntities(cases[2].entities);
  TExportConfig cfg = TestConfig();
  cfg.EntityMask = EntityBitValue(entity_bit::kPoints);
  EXPECT_EQ(ConvertText(dxf, cfg).dataLines, Lines{"1,-1.500,1.000,2.000"});
}

TEST(PairsOutOfStep, InsideAPolylineItsLaterVerticesAndTheNextEntitiesSurvive) {
  // The second vertex lost its group-10 code line: its X value comes where a code is due.
  const std::string polyline =
      Pairs({"0", "POLYLINE", "8", "L", "66", "1", "70", "8", "0", "VERTEX", "8", "L", "10", "1", "20",
             "1", "30", "1", "70", "32"}) +
      "  0\nVERTEX\n  8\nL\n2.5\n 20\n2\n 30\n2\n 70\n32\n" +
      Pairs({"0", "VERTEX", "8", "L", "10", "3", "20", "3", "30", "3", "70", "32", "0", "SEQEND"});
  const std::string dxf = DxfWithEntities(polyline + ManyPoints(50));
  TExportConfig cfg = TestConfig();
  cfg.EntityMask = EntityBitValue(entity_bit::kPoints) | EntityBitValue(entity_bit::k3DPolylines);
  const auto c = ConvertText(dxf, cfg);
  const Lines body = FileBody(c);
  ASSERT_FALSE(body.empty());
  EXPECT_EQ(body[0], "*** Error, the group codes are out of step at line " +
                         std::to_string(LineOf(dxf, "2.5")) + " ***");
  ASSERT_EQ(c.dataLines.size(), 53u);
  EXPECT_EQ(c.dataLines[0], "1,1.000,1.000,1.000");
  EXPECT_EQ(c.dataLines[1], "2,1.000,2.000,2.000");  // its X was lost with the shift: it carries over
  EXPECT_EQ(c.dataLines[2], "3,3.000,3.000,3.000");
  EXPECT_NE(std::find(body.begin(), body.end(), " 3D Polylines : 1 "), body.end());
  EXPECT_NE(std::find(body.begin(), body.end(), " Points : 50 "), body.end());
}

// The pairs go out of step right before the next entity's name: the name comes where a code is due
// and ends the polyline (its SEQEND is missing). The name, not the line after it, goes back to the
// main loop, whether or not the lines around it lie whole in one block.
TEST(PairsOutOfStep, AnEntityNameInPlaceOfACodeAfterAVertexStartsThatEntity) {
  const std::string polyline =
      Pairs({"0", "POLYLINE", "8", "L", "0", "VERTEX", "10", "1", "20", "2", "30", "3", "9"}) + "  0\n";
  const std::string dxf = DxfWithEntities(polyline + "INSERT\n 10\n5\n 20\n6\n 30\n7\n" + ManyPoints(2));
  TExportConfig cfg = TestConfig();
  cfg.EntityMask = EntityBitValue(entity_bit::kPoints) | EntityBitValue(entity_bit::k2DPolylines) |
                   EntityBitValue(entity_bit::kBlocks);
  const auto c = ConvertText(dxf, cfg);
  ASSERT_EQ(c.dataLines.size(), 4u);
  EXPECT_EQ(c.dataLines[0], "1,1.000,2.000,3.000");
  EXPECT_EQ(c.dataLines[1], "2,5.000,6.000,7.000");  // the INSERT
  const Lines body = FileBody(c);
  EXPECT_TRUE(std::any_of(body.begin(), body.end(), [](const std::string& l) { return l.rfind(" Blocks : 1 ", 0) == 0; }));
}

TEST(PairsOutOfStep, BlankLinesAfterTheEndOfTheDrawingAreNotJudged) {
  const std::string dxf = DxfWithEntities(ManyPoints(2)) + "\n\n   \n";
  TExportConfig cfg = TestConfig();
  cfg.EntityMask = EntityBitValue(entity_bit::kPoints);
  const auto c = ConvertText(dxf, cfg);
  EXPECT_EQ(FileBody(c), Lines{" Points : 2 "});
  EXPECT_EQ(c.result.filesWithErrors, 0u);
}

}  // namespace
}  // namespace corvane
