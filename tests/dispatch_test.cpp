// The dispatcher: which line starts which reader, under which option, and how the main loop
// keeps its place in the pair structure around entities no reader takes.
#include <gtest/gtest.h>

#include <initializer_list>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "engine/conversion_run.h"
#include "engine/convert_file.h"
#include "engine/data_file_writer.h"
#include "engine/dispatch.h"
#include "engine/line_reader.h"
#include "files/output_guard.h"
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
using namespace entity_bit;


constexpr std::uint32_t Bit(int bit) { return EntityBitValue(bit); }

// Fields N, X, Y, Z and C; the custom field holds the entity type and the layer.
TExportConfig Config(std::uint32_t mask) {
  TExportConfig c = TestConfig(true);
  c.EntityMask = mask;
  return c;
}


std::multiset<std::string> Types(const test::Conversion& c) {
  std::multiset<std::string> types;
  for (const std::string& line : c.dataLines) {
    const std::size_t from = line.rfind(',') + 1;
    types.insert(line.substr(from, line.find('/', from) - from));
  }
  return types;
}

// One entity of every kind a reader takes, each with one point (two for LINE).
std::string EveryKind() {
  std::string s;
  for (const char* name : {"POINT", "CIRCLE", "ELLIPSE", "ARC", "TEXT", "MTEXT", "INSERT"}) {
    s += Pairs({"0", name, "8", "L", "10", "1", "20", "2", "30", "3"});
  }
  s += Pairs({"0", "LINE", "8", "L", "10", "1", "20", "2", "30", "3", "11", "4", "21", "5", "31", "6"});
  s += Pairs({"0", "3DFACE", "8", "L", "10", "1", "20", "1", "30", "1", "11", "2", "21", "2", "31", "2",
              "12", "3", "22", "3", "32", "3", "13", "3", "23", "3", "33", "3"});
  s += Pairs({"0", "LWPOLYLINE", "8", "L", "10", "1", "20", "1"});
  s += Pairs({"0", "SPLINE", "8", "L", "10", "1", "20", "1", "30", "1"});
  s += Pairs({"0", "POLYLINE", "8", "L", "70", "0", "0", "VERTEX", "10", "1", "20", "1", "30", "0",
              "0", "SEQEND", "8", "L"});
  return s;
}

TEST(Dispatch, EachNameRunsItsReaderOnlyUnderItsOption) {
  const std::string dxf = DxfWithEntities(EveryKind());
  struct Case {
    std::uint32_t mask;
    std::multiset<std::string> types;
  };
  const Case cases[] = {
      {0, {}},
      {Bit(kLines), {"LINE", "LINE"}},
      {Bit(kPoints), {"POINT"}},
      {Bit(kCircles), {"CIRCLE"}},
      {Bit(kEllipses), {"ELLIPSE"}},
      {Bit(kArcs), {"ARC"}},
      {Bit(kSingleLineText), {"TEXT"}},
      {Bit(kMultilineText), {"MTEXT"}},
      {Bit(kBlocks), {"INSERT"}},
      {Bit(k3DFaces), {"3DFACE", "3DFACE", "3DFACE", "3DFACE"}},
      {Bit(k3DFaces) | Bit(kThreePointsOnly), {"3DFACE", "3DFACE", "3DFACE"}},
      {Bit(k2DPolylines), {"LWPOLYLINE", "2DPOLYLINE"}},
      {Bit(kSplines) | Bit(kControlPoints), {"SPLINE"}},
      // The polyline here is a 2D one: consumed, nothing written.
      {Bit(k3DPolylines), {}},
      // Sub-options alone start nothing.
      {Bit(kAdded2D) | Bit(kAdded3D) | Bit(kControlPoints) | Bit(kThreePointsOnly) | Bit(kFitPoints), {}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.mask);
    EXPECT_EQ(Types(ConvertText(dxf, Config(k.mask))), k.types);
  }
}

TEST(Dispatch, SummaryCountsEveryEnabledOptionInOrder) {
  std::string entities = EveryKind();
  for (int i = 0; i < 11; ++i) entities += Pairs({"0", "LINE", "10", "1", "20", "1", "30", "1"});
  const auto c = ConvertText(DxfWithEntities(entities), Config(kAllEntityOptions));
  EXPECT_EQ(FileBody(c), (Lines{" Points : 1 ", " Circles : 1 ", " Arcs : 1 ", " Ellipses : 1 ",
                                " Blocks : 1 ()", " Lines : 12 ", " 2D Polylines : 2 ",
                                " 3D Polylines : 0 ", " Splines : 1 ", " Single line text : 1 ",
                                " Multiline text : 1 ", " 3D Faces : 1 "}));
}

TEST(Dispatch, NamesCountOnlyAsTheValueOfAGroupZero) {
  // Entities no reader takes, on layers and with values named like entities; then a POINT that
  // must still be found.
  const std::string entities =
      Pairs({"0", "HATCH", "8", "LINE", "2", "SOLID", "10", "0", "20", "0", "30", "0"}) +
      Pairs({"0", "DIMENSION", "8", "TEXT", "1", "POINT", "2", "POLYLINE", "3", "0", "1", "INSERT"}) +
      Pairs({"0", "ATTRIB", "8", "POINT", "1", "LWPOLYLINE", "2", "3DFACE", "10", "5", "20", "5"}) +
      Pairs({"0", "POINT", "8", "P", "10", "1", "20", "2", "30", "3"});
  const auto c = ConvertText(DxfWithEntities(entities), Config(kAllEntityOptions));
  EXPECT_EQ(c.dataLines, (Lines{"1,1.000,2.000,3.000,POINT/P"}));
  const Lines body = FileBody(c);
  ASSERT_EQ(body.size(), 12u);
  EXPECT_EQ(body[0], " Points : 1 ");
  EXPECT_EQ(body[5], " Lines : 0 ");
  EXPECT_EQ(body[9], " Single line text : 0 ");
}

TEST(Dispatch, NamesMustMatchExactly) {
  // A trailing space or another letter case is not the entity's name: its pairs pass by.
  const std::string entities = Pairs({"0", "LINE ", "8", "A", "10", "1", "20", "1", "30", "1"}) +
                               Pairs({"0", "line", "8", "A", "10", "1", "20", "1", "30", "1"}) +
                               Pairs({"0", "Point", "8", "A", "10", "1", "20", "1", "30", "1"}) +
                               Pairs({"0", " POINT", "8", "A", "10", "1", "20", "1", "30", "1"}) +
                               Pairs({"0", "POINT", "8", "B", "10", "2", "20", "2", "30", "2"});
  const auto c = ConvertText(DxfWithEntities(entities), Config(Bit(kLines) | Bit(kPoints)));
  EXPECT_EQ(c.dataLines, (Lines{"1,2.000,2.000,2.000,POINT/B"}));
  EXPECT_EQ(FileBody(c), (Lines{" Points : 1 ", " Lines : 0 "}));
}

TEST(Dispatch, CrLfAndLfDrawingsGiveTheSameOutput) {
  std::string lf = DxfWithEntities(EveryKind() + Pairs({"0", "HATCH", "8", "LINE"}));
  std::string crlf;
  for (char ch : lf) {
    if (ch == '\n') crlf += '\r';
    crlf += ch;
  }
  const TExportConfig cfg = Config(kAllEntityOptions);
  const auto a = ConvertText(lf, cfg);
  const auto b = ConvertText(crlf, cfg);
  EXPECT_EQ(a.dataLines.size(), 15u);
  EXPECT_EQ(a.data, b.data);
  EXPECT_EQ(FileBody(a), FileBody(b));
}

// A data file opened the way a run opens one, with nothing protected.
std::FILE* OpenDataFileForTest(const std::string& path) {
  OutputGuard guard;
  const OpenedDataFile opened = guard.OpenDataFile(path);
  EXPECT_NE(opened.file, nullptr) << opened.refusal << opened.error;
  return opened.file;
}

// The main loop over an in-memory text read in blocks of `blockSize` bytes, so that block
// boundaries fall inside and between the pairs the readers hold.
std::string ConvertInBlocks(std::string_view dxf, const TExportConfig& cfg, std::size_t blockSize) {
  const RunSettings run = PrepareRunSettings(cfg, test::RequestFor(cfg, {}).lists);
  test::TempDir dir;
  const std::string path = (dir.path() / "out.txt").string();
  {
    DataFileWriter out(OpenDataFileForTest(path), path);
    LineReader in(dxf, blockSize);
    FileState state(run, in, out);
    EXPECT_EQ(ConvertDrawing(state, nullptr, 0), DrawingEnd::kComplete);
    out.Close();
  }
  return test::ReadFile(path);
}

TEST(Dispatch, BlockBoundariesAnywhereDoNotChangeTheOutput) {
  // Every reader, a polyline handing the next entity's name back, and an entity no reader takes.
  const std::string entities =
      EveryKind() +
      Pairs({"0", "POLYLINE", "5", "7", "8", "Q", "70", "8", "0", "VERTEX", "10", "1", "20", "1",
             "30", "1", "70", "32", "0", "VERTEX", "10", "2", "20", "2", "30", "2", "70", "32"}) +
      Pairs({"0", "HATCH", "8", "LINE", "0", "POINT", "8", "LAST", "10", "9", "20", "9", "30", "9"});
  const TExportConfig cfg = Config(kAllEntityOptions);
  const std::string expected = ConvertText(DxfWithEntities(entities), cfg).data;
  ASSERT_EQ(test::SplitCrLf(expected).size(), 18u);
  for (std::size_t block = 1; block <= 24; ++block) {
    SCOPED_TRACE(block);
    EXPECT_EQ(ConvertInBlocks(DxfWithEntities(entities), cfg, block), expected);
  }
}

}  // namespace
}  // namespace corvane
