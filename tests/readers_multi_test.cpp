// The POLYLINE, LWPOLYLINE, SPLINE and 3DFACE readers, driven through whole conversions of
// small drawings.
#include <gtest/gtest.h>

#include <algorithm>
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
using namespace entity_bit;


constexpr std::uint32_t Bit(int bit) { return EntityBitValue(bit); }

// Fields N, X, Y, Z and C with 3 decimals; the custom field holds type, layer and handle.
TExportConfig Config(std::uint32_t mask) {
  TExportConfig c = TestConfig(true);
  c.EntityMask = mask;
  c.CustomOrder[0] = 0;
  c.CustomOrder[1] = 1;
  c.CustomOrder[2] = 2;
  c.CustomChecked[2] = 1;
  for (int k = 3; k < kCustomItemCount; ++k) c.CustomChecked[k] = 0;
  return c;
}


// The X values of the data lines: enough to tell which vertices went out.
Lines Xs(const test::Conversion& c) {
  Lines xs;
  for (const std::string& line : c.dataLines) {
    const std::size_t a = line.find(',') + 1;
    xs.push_back(line.substr(a, line.find(',', a) - a));
  }
  return xs;
}

std::string Polyline(std::string_view flags, std::string_view layer = "P") {
  return Pairs({"0", "POLYLINE", "5", "2B", "8", layer, "66", "1", "10", "0", "20", "0", "30", "0",
                "70", flags});
}
std::string Vertex(std::string_view x, std::string_view flags, std::string_view z = "5") {
  std::string s = Pairs({"0", "VERTEX", "8", "V", "10", x, "20", "1", "30", z});
  if (!flags.empty()) s += Pairs({"70", flags});
  return s;
}
const std::string kSeqend = Pairs({"0", "SEQEND", "8", "P"});

TEST(PolylineReader, WorkedExample3D) {
  const std::string entities =
      Pairs({"0", "POLYLINE", "5", "2B", "8", "PIPES", "66", "1", "10", "0.0", "20", "0.0", "30",
             "5.0", "70", "8", "0", "VERTEX", "8", "PIPES", "10", "1.0", "20", "1.0", "30", "5.0",
             "70", "32", "0", "VERTEX", "8", "PIPES", "10", "3.0", "20", "1.0", "30", "7.0", "70",
             "40", "0", "SEQEND", "8", "PIPES"});
  auto c = ConvertText(DxfWithEntities(entities), Config(Bit(k3DPolylines)));
  EXPECT_EQ(c.dataLines, (Lines{"1,1.000,1.000,5.000,3DPOLYLINE/PIPES/2B"}));
  EXPECT_EQ(FileBody(c), (Lines{" 3D Polylines : 1 "}));

  c = ConvertText(DxfWithEntities(entities), Config(Bit(k3DPolylines) | Bit(kAdded3D)));
  EXPECT_EQ(c.dataLines, (Lines{"1,1.000,1.000,5.000,3DPOLYLINE/PIPES/2B",
                                "2,3.000,1.000,7.000,3DPOLYLINE/PIPES/2B"}));
}

TEST(PolylineReader, VertexFlagsDecideWhichVerticesGoOut) {
  // X names the vertex's flags.
  std::string vertices;
  for (const char* f : {"0", "1", "2", "8", "16", "32", "40", "48"}) vertices += Vertex(f, f);
  const std::string twoD = DxfWithEntities(Polyline("0") + vertices + kSeqend);
  const std::string threeD = DxfWithEntities(Polyline("8") + vertices + kSeqend);
  struct Case {
    const char* name;
    const std::string& dxf;
    std::uint32_t mask;
    Lines xs;
    Lines body;
  };
  const Case cases[] = {
      {"2D", twoD, Bit(k2DPolylines), {"0.000", "16.000", "48.000"}, {" 2D Polylines : 1 "}},
      {"2D all", twoD, Bit(k2DPolylines) | Bit(kAdded2D),
       {"0.000", "1.000", "2.000", "8.000", "16.000", "32.000", "40.000", "48.000"},
       {" 2D Polylines : 1 "}},
      {"2D off", twoD, Bit(k3DPolylines) | Bit(kAdded3D), {}, {" 3D Polylines : 0 "}},
      {"3D", threeD, Bit(k3DPolylines), {"16.000", "32.000", "48.000"}, {" 3D Polylines : 1 "}},
      {"3D all", threeD, Bit(k3DPolylines) | Bit(kAdded3D),
       {"0.000", "1.000", "2.000", "8.000", "16.000", "32.000", "40.000", "48.000"},
       {" 3D Polylines : 1 "}},
      {"3D off", threeD, Bit(k2DPolylines) | Bit(kAdded2D), {}, {" 2D Polylines : 0 "}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    const auto c = ConvertText(k.dxf, Config(k.mask));
    EXPECT_EQ(Xs(c), k.xs);
    EXPECT_EQ(FileBody(c), k.body);
  }
}

TEST(PolylineReader, MissingFlagsAndCoordinatesCarryOver) {
  // First vertex without 70 is judged as 0; later ones as an ordinary vertex of their kind.
  const std::string entities = Polyline("8") + Vertex("1", "") + Vertex("2", "") +
                               Pairs({"0", "VERTEX", "10", "3", "20", "4"}) + kSeqend;
  auto c = ConvertText(DxfWithEntities(entities), Config(Bit(k3DPolylines)));
  EXPECT_EQ(c.dataLines, (Lines{"1,2.000,1.000,5.000,3DPOLYLINE/P/2B",
                                "2,3.000,4.000,5.000,3DPOLYLINE/P/2B"}));
  c = ConvertText(DxfWithEntities(entities), Config(Bit(k3DPolylines) | Bit(kAdded3D)));
  EXPECT_EQ(Xs(c), (Lines{"1.000", "2.000", "3.000"}));

  // A 2D vertex without 30 takes the previous vertex's Z.
  c = ConvertText(DxfWithEntities(Polyline("0") + Vertex("1", "0", "9") +
                                  Pairs({"0", "VERTEX", "10", "2", "20", "3"}) + kSeqend),
                  Config(Bit(k2DPolylines)));
  EXPECT_EQ(c.dataLines, (Lines{"1,1.000,1.000,9.000,2DPOLYLINE/P/2B",
                                "2,2.000,3.000,9.000,2DPOLYLINE/P/2B"}));
}

TEST(PolylineReader, EndsOnlyAtAGroupZeroSeqendOrTheNextEntity) {
  const std::string line = Pairs({"0", "LINE", "8", "L", "10", "7", "20", "7", "30", "7", "11", "8",
                                  "21", "8", "31", "8"});
  const std::uint32_t mask = Bit(k2DPolylines) | Bit(kLines);
  struct Case {
    const char* name;
    std::string entities;
    Lines xs;
    Lines body;
  };
  const Case cases[] = {
      // A vertex on a layer named SEQEND is an ordinary vertex.
      {"layer SEQEND",
       Polyline("0") + Pairs({"0", "VERTEX", "8", "SEQEND", "10", "1", "20", "1", "70", "0"}) +
           Vertex("2", "0") + kSeqend + line,
       {"1.000", "2.000", "7.000", "8.000"}, {" Lines : 1 ", " 2D Polylines : 1 "}},
      {"no vertex", Polyline("0") + kSeqend + line, {"7.000", "8.000"},
       {" Lines : 1 ", " 2D Polylines : 1 "}},
      // The header followed at once by another entity.
      {"header only", Polyline("0") + line, {"7.000", "8.000"}, {" Lines : 1 ", " 2D Polylines : 1 "}},
      // The SEQEND is missing: the last vertex is still judged, the LINE read as usual.
      {"no SEQEND", Polyline("0") + Vertex("1", "0") + Vertex("2", "0") + line,
       {"1.000", "2.000", "7.000", "8.000"}, {" Lines : 1 ", " 2D Polylines : 1 "}},
      // Consumed without output when its kind is off, vertices on a layer named LINE included.
      {"kind off", Polyline("8") + Pairs({"0", "VERTEX", "8", "LINE", "10", "1", "20", "1", "30", "1"}) +
                       kSeqend + line,
       {"7.000", "8.000"}, {" Lines : 1 ", " 2D Polylines : 0 "}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    const auto c = ConvertText(DxfWithEntities(k.entities), Config(mask));
    EXPECT_EQ(Xs(c), k.xs);
    EXPECT_EQ(FileBody(c), k.body);
  }
}

TEST(PolylineReader, GroupSeventyThatIsNotAnIntegerEndsThatFileOnly) {
  for (const char* bad : {"", "1.5", "abc", "0x8", "+", "2147483648", "-2147483649", "8 8"}) {
    SCOPED_TRACE(bad);
    // Line 18 is the value line of the VERTEX's group 70 below.
    const std::string dxf = "  0\nSECTION\n  2\nENTITIES\n" +
                            Pairs({"0", "POINT", "10", "1", "20", "2", "30", "3", "0", "POLYLINE",
                                   "0", "VERTEX", "70", bad}) +
                            kSeqend + "  0\nENDSEC\n";
    const auto c = ConvertText(dxf, Config(Bit(kPoints) | Bit(k2DPolylines)));
    EXPECT_EQ(c.dataLines, (Lines{"1,1.000,2.000,3.000,POINT/!NoLayer!/!NoHandle!"}));
    EXPECT_EQ(FileBody(c), (Lines{"*** Error, group 70 value \"" + std::string(bad) +
                                  "\" in line 18 is not an integer ***"}));
    EXPECT_EQ(c.result.filesWithErrors, 1u);
  }
  for (const char* good : {" +8 ", "-2147483640", "2147483647", "0008"}) {
    SCOPED_TRACE(good);
    const auto c = ConvertText(DxfWithEntities(Polyline(good) + Vertex("1", "32") + kSeqend),
                               Config(Bit(k3DPolylines)));
    EXPECT_EQ(Xs(c), (Lines{"1.000"}));
  }
}

TEST(PolylineReader, BadFileDoesNotStopTheNextOne) {
  test::TempDir dir;
  const std::string bad = dir.Write(
      "a.dxf", DxfWithEntities(Polyline("0") + Vertex("1", "0") + Vertex("2", "x") + kSeqend));
  const std::string good = dir.Write("b.dxf", DxfWithEntities(Polyline("0") + Vertex("3", "0") + kSeqend));
  const TExportConfig cfg = Config(Bit(k2DPolylines));
  test::TestObserver observer;
  const RunResult r = RunConversion(cfg, test::RequestFor(cfg, {bad, good}), observer);
  EXPECT_EQ(test::SplitCrLf(test::ReadFile(dir.path() / "a.txt")),
            (Lines{"1,1.000,1.000,5.000,2DPOLYLINE/P/2B"}));
  EXPECT_EQ(test::SplitCrLf(test::ReadFile(dir.path() / "b.txt")),
            (Lines{"1,3.000,1.000,5.000,2DPOLYLINE/P/2B"}));
  EXPECT_EQ(r.filesWithErrors, 1u);
  const Lines& rep = r.report;
  EXPECT_NE(std::find(rep.begin(), rep.end(), "*** Error, group 70 value \"x\" in line 54 is not an integer ***"),
            rep.end());
  EXPECT_NE(std::find(rep.begin(), rep.end(), " 2D Polylines : 1 "), rep.end());
}

TEST(LwPolylineReader, ElevationIsTheZOfEveryVertex) {
  const std::string lw = Pairs({"0", "LWPOLYLINE", "5", "9", "8", "K", "90", "2", "70", "1", "10",
                                "1", "20", "2", "42", "0.5", "10", "3", "20", "4"});
  auto c = ConvertText(DxfWithEntities(lw), Config(Bit(k2DPolylines)));
  EXPECT_EQ(c.dataLines, (Lines{"1,1.000,2.000,0.000,LWPOLYLINE/K/9", "2,3.000,4.000,0.000,LWPOLYLINE/K/9"}));
  EXPECT_EQ(FileBody(c), (Lines{" 2D Polylines : 1 "}));

  const std::string elevated = Pairs({"0", "LWPOLYLINE", "8", "K", "38", "12.5", "10", "1", "20", "2",
                                      "10", "3", "20", "4"});
  c = ConvertText(DxfWithEntities(elevated), Config(Bit(k2DPolylines)));
  EXPECT_EQ(c.dataLines, (Lines{"1,1.000,2.000,12.500,LWPOLYLINE/K/!NoHandle!",
                                "2,3.000,4.000,12.500,LWPOLYLINE/K/!NoHandle!"}));
}

TEST(SplineReader, ControlAndFitPointOptions) {
  const std::string spline = DxfWithEntities(
      Pairs({"0", "SPLINE", "8", "S", "70", "8", "71", "3", "40", "0", "12", "9", "22", "9", "32", "9",
             "10", "1", "20", "1", "30", "1", "10", "2", "20", "2", "30", "2", "11", "5", "21", "5",
             "31", "5", "11", "6", "21", "6", "31", "6"}));
  struct Case {
    std::uint32_t options;
    Lines xs;
  };
  const Case cases[] = {
      {Bit(kControlPoints), {"1.000", "2.000"}},
      {Bit(kFitPoints), {"5.000", "6.000"}},
      {Bit(kControlPoints) | Bit(kFitPoints), {"1.000", "2.000", "5.000", "6.000"}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.options);
    const auto c = ConvertText(spline, Config(Bit(kSplines) | k.options));
    EXPECT_EQ(Xs(c), k.xs);
    EXPECT_EQ(FileBody(c), (Lines{" Splines : 1 "}));
  }
}

TEST(SplineReader, PlanarSplineWithoutZGroupsKeepsItsPoints) {
  const std::string spline = DxfWithEntities(
      Pairs({"0", "SPLINE", "8", "S", "10", "1", "20", "1", "10", "2", "20", "2", "11", "5", "21", "5",
             "11", "6", "21", "6"}));
  auto c = ConvertText(spline, Config(Bit(kSplines) | Bit(kControlPoints) | Bit(kFitPoints)));
  EXPECT_EQ(c.dataLines, (Lines{"1,1.000,1.000,0.000,SPLINE/S/!NoHandle!", "2,2.000,2.000,0.000,SPLINE/S/!NoHandle!",
                                "3,5.000,5.000,0.000,SPLINE/S/!NoHandle!", "4,6.000,6.000,0.000,SPLINE/S/!NoHandle!"}));
  c = ConvertText(spline, Config(Bit(kSplines) | Bit(kFitPoints)));
  EXPECT_EQ(Xs(c), (Lines{"5.000", "6.000"}));
}

TEST(FaceReader, TriangleWithAndWithoutThreePointsOnly) {
  const std::string face = DxfWithEntities(
      Pairs({"0", "3DFACE", "5", "F1", "8", "TIN", "10", "1", "20", "1", "30", "1", "11", "2", "21",
             "2", "31", "2", "12", "3", "22", "3", "32", "3", "13", "3", "23", "3", "33", "3"}));
  auto c = ConvertText(face, Config(Bit(k3DFaces)));
  EXPECT_EQ(c.dataLines, (Lines{"1,1.000,1.000,1.000,3DFACE/TIN/F1", "2,2.000,2.000,2.000,3DFACE/TIN/F1",
                                "3,3.000,3.000,3.000,3DFACE/TIN/F1", "4,3.000,3.000,3.000,3DFACE/TIN/F1"}));
  EXPECT_EQ(FileBody(c), (Lines{" 3D Faces : 1 "}));
  c = ConvertText(face, Config(Bit(k3DFaces) | Bit(kThreePointsOnly)));
  EXPECT_EQ(Xs(c), (Lines{"1.000", "2.000", "3.000"}));

  // A face written without Z groups keeps all its corners.
  const std::string flat = DxfWithEntities(Pairs({"0", "3DFACE", "10", "1", "20", "1", "11", "2", "21",
                                                  "2", "12", "3", "22", "3", "13", "4", "23", "4"}));
  c = ConvertText(flat, Config(Bit(k3DFaces)));
  EXPECT_EQ(c.dataLines, (Lines{"1,1.000,1.000,0.000,3DFACE/!NoLayer!/!NoHandle!",
                                "2,2.000,2.000,0.000,3DFACE/!NoLayer!/!NoHandle!",
                                "3,3.000,3.000,0.000,3DFACE/!NoLayer!/!NoHandle!",
                                "4,4.000,4.000,0.000,3DFACE/!NoLayer!/!NoHandle!"}));
  c = ConvertText(flat, Config(Bit(k3DFaces) | Bit(kThreePointsOnly)));
  EXPECT_EQ(Xs(c), (Lines{"1.000", "2.000", "3.000"}));
}

TEST(MultiPointReaders, FileCutOffInsideAnEntityKeepsWhatWasGathered) {
  struct Case {
    const char* name;
    std::string tail;
    Lines xs;
    std::string summary;
  };
  const Case cases[] = {
      // The vertex in hand is judged; the SEQEND never comes.
      {"polyline", Polyline("8") + Vertex("1", "32") + Pairs({"0", "VERTEX", "10", "2"}), {"1.000", "2.000"},
       " 3D Polylines : 1 "},
      // Nothing of the second vertex but its name: no vertex in hand.
      {"polyline after VERTEX", Polyline("8") + Vertex("1", "32") + Pairs({"0", "VERTEX"}), {"1.000"},
       " 3D Polylines : 1 "},
      {"polyline header", Pairs({"0", "POLYLINE", "70", "8", "10"}), {}, " 3D Polylines : 1 "},
      {"lwpolyline", Pairs({"0", "LWPOLYLINE", "10", "1", "20", "1", "10", "2"}), {"1.000"},
       " 2D Polylines : 1 "},
      {"spline", Pairs({"0", "SPLINE", "10", "1", "20", "1", "30", "1", "10", "2", "20", "2"}),
       {"1.000", "2.000"}, " Splines : 1 "},
      {"3dface", Pairs({"0", "3DFACE", "10", "1", "20", "1", "30", "1", "11", "2", "21"}),
       {"1.000", "2.000"}, " 3D Faces : 1 "},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    const auto c = ConvertText("  0\nSECTION\n  2\nENTITIES\n" + k.tail,
                               Config(Bit(k2DPolylines) | Bit(k3DPolylines) | Bit(kSplines) |
                                      Bit(kControlPoints) | Bit(k3DFaces)));
    EXPECT_EQ(Xs(c), k.xs);
    const Lines body = FileBody(c);
    ASSERT_FALSE(body.empty());
    EXPECT_EQ(body.front(), kTruncated);
    EXPECT_NE(std::find(body.begin(), body.end(), k.summary), body.end());
  }
}

}  // namespace
}  // namespace corvane
