// World coordinates: the arbitrary axis algorithm, and whole conversions of entities stored in their
// own plane. The expected world points are worked out by hand: (0,0,-1) mirrors X and Z; (1,0,0)
// takes the plane's (x, y, z) to the world's (z, x, y).
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/world_coordinates.h"
#include "tests/test_support.h"

namespace corvane {
namespace {

using test::ConvertText;
using test::DxfWithEntities;
using test::FileBody;
using test::Pairs;
using test::TestConfig;
using Lines = std::vector<std::string>;

void ExpectNear(Vec3 got, Vec3 want) {
  EXPECT_NEAR(got.x, want.x, 1e-12);
  EXPECT_NEAR(got.y, want.y, 1e-12);
  EXPECT_NEAR(got.z, want.z, 1e-12);
}

TEST(ObjectPlane, FollowsTheArbitraryAxisAlgorithmOnBothBranches) {
  // Near the world's Z axis the X axis comes from the world's Y axis...
  ExpectNear(ObjectPlane(Vec3{0, 0, -1}).ToWorld(Vec3{2, 3, 4}), Vec3{-2, 3, -4});
  // ...elsewhere from the world's Z axis; the extrusion need not be of unit length.
  ExpectNear(ObjectPlane(Vec3{5, 0, 0}).ToWorld(Vec3{2, 3, 4}), Vec3{4, 2, 3});
  // Just inside and just outside the 1/64 limit: the two branches.
  const double length = std::sqrt(1 + 0.015 * 0.015);
  ExpectNear(ObjectPlane(Vec3{0.015, 0, 1}).ToWorld(Vec3{1, 0, 0}), Vec3{1 / length, 0, -0.015 / length});
  const Vec3 outside = ObjectPlane(Vec3{0.016, 0, 1}).ToWorld(Vec3{1, 0, 0});
  EXPECT_NEAR(outside.x, 0, 1e-12);
  EXPECT_NEAR(outside.y, 1, 1e-12);
  // The world's plane, and directions that are none, leave points where they are.
  for (Vec3 world : {Vec3{0, 0, 1}, Vec3{0, 0, 7}, Vec3{0, 0, 0}, Vec3{0, 0, 1 + 1e-14}}) {
    EXPECT_TRUE(ObjectPlane(world).IsWorld());
  }
  EXPECT_FALSE(ObjectPlane(Vec3{0, 0, -1}).IsWorld());
}

ConfigExtension World() {
  ConfigExtension e;
  e.WorldCoordinates = "yes";
  return e;
}

std::string Mirrored() { return Pairs({"210", "0.0", "220", "0.0", "230", "-1.0"}); }

TEST(WorldCoordinates, PlaceEveryEntityStoredInItsOwnPlane) {
  const std::string dxf = DxfWithEntities(
      Pairs({"0", "CIRCLE", "8", "A", "10", "12.5", "20", "3.25", "30", "1.0", "40", "2.0"}) + Mirrored() +
      Pairs({"0", "ARC", "8", "A", "10", "-4", "20", "5", "30", "0.5", "40", "1", "50", "0", "51", "90"}) + Mirrored() +
      Pairs({"0", "TEXT", "8", "A", "10", "7", "20", "8", "30", "9", "40", "1", "1", "T"}) +
      Pairs({"210", "1.0", "220", "0.0", "230", "0.0"}) +
      Pairs({"0", "INSERT", "8", "A", "2", "B", "10", "1", "20", "2", "30", "3"}) + Mirrored() +
      // The extrusion comes behind the vertices; every vertex lies at the elevation.
      Pairs({"0", "LWPOLYLINE", "8", "A", "90", "2", "38", "6.5", "10", "1", "20", "2", "10", "3", "20", "4"}) +
      Mirrored() +
      Pairs({"0", "POLYLINE", "8", "A", "66", "1", "10", "0", "20", "0", "30", "4.25", "70", "0"}) + Mirrored() +
      Pairs({"0", "VERTEX", "8", "A", "10", "1", "20", "2", "30", "0", "0", "VERTEX", "8", "A", "10", "3", "20", "4",
             "0", "SEQEND"}) +
      // Stored as world points: their extrusion changes nothing.
      Pairs({"0", "POINT", "8", "A", "10", "1.23456789", "20", "2", "30", "3"}) + Mirrored() +
      Pairs({"0", "LINE", "8", "A", "10", "1", "20", "2", "30", "3", "11", "4", "21", "5", "31", "6"}) + Mirrored());
  const auto world = ConvertText(dxf, TestConfig(), World());
  EXPECT_EQ(world.dataLines,
            (Lines{"1,-12.500,3.250,-1.000", "2,4.000,5.000,-0.500", "3,9.000,7.000,8.000", "4,-1.000,2.000,-3.000",
                   "5,-1.000,2.000,-6.500", "6,-3.000,4.000,-6.500", "7,-1.000,2.000,-4.250",
                   "8,-3.000,4.000,-4.250", "9,1.235,2.000,3.000", "10,1.000,2.000,3.000", "11,4.000,5.000,6.000"}));
  // Off, every point is written as stored.
  EXPECT_EQ(ConvertText(dxf, TestConfig()).dataLines,
            (Lines{"1,12.500,3.250,1.000", "2,-4.000,5.000,0.500", "3,7.000,8.000,9.000", "4,1.000,2.000,3.000",
                   "5,1.000,2.000,6.500", "6,3.000,4.000,6.500", "7,1.000,2.000,0.000", "8,3.000,4.000,0.000",
                   "9,1.235,2.000,3.000", "10,1.000,2.000,3.000", "11,4.000,5.000,6.000"}));
  EXPECT_EQ(FileBody(world), FileBody(ConvertText(dxf, TestConfig())));
}

TEST(WorldCoordinates, LeaveTheWorldPlanesTextsAsWrittenAndStillReportBadNumbers) {
  TExportConfig config = TestConfig();
  config.XDecimals = config.YDecimals = config.ZDecimals = 14;
  // Texts that no double holds exactly: on the world's plane they go out digit for digit.
  const std::string plain = DxfWithEntities(
      Pairs({"0", "CIRCLE", "10", "0.1000000000000049", "20", "123456.78901234", "30", "1e-5", "40", "1"}) +
      // More digits than a double holds: through a double this would round up in the 14th digit.
      Pairs({"0", "CIRCLE", "10", "0.100000000000004999", "20", "2", "30", "3", "40", "1", "210", "0", "220",
             "0", "230", "1"}) +
      Pairs({"0", "LWPOLYLINE", "38", "0.30000000000000004", "10", "0.1000000000000049", "20", "7", "0", "EOF"}));
  EXPECT_EQ(ConvertText(plain, config, World()).data, ConvertText(plain, config).data);

  // A coordinate that is no number fails the file as before, naming its line.
  const std::string bad = DxfWithEntities(Pairs({"0", "CIRCLE", "10", "1.2.3", "20", "2", "30", "3"}) + Mirrored());
  const auto c = ConvertText(bad, TestConfig(), World());
  ASSERT_FALSE(FileBody(c).empty());
  EXPECT_EQ(FileBody(c)[0], FileBody(ConvertText(bad, TestConfig()))[0]);
  EXPECT_NE(FileBody(c)[0].find("\"1.2.3\" in line"), std::string::npos);
}

TEST(WorldCoordinates, VerticesCarryTheirTextsOverAsReadAndMeshesStayAsStored) {
  // The second vertex has no X of its own: it takes the first's as read, not its world value.
  const std::string dxf = DxfWithEntities(
      Pairs({"0", "POLYLINE", "66", "1", "30", "1", "70", "0"}) + Mirrored() +
      Pairs({"0", "VERTEX", "10", "5", "20", "6", "0", "VERTEX", "20", "7", "0", "SEQEND"}) +
      // A polyface mesh (flag 64) holds world points.
      Pairs({"0", "POLYLINE", "66", "1", "70", "64"}) + Mirrored() +
      Pairs({"0", "VERTEX", "10", "5", "20", "6", "30", "2", "70", "192", "0", "SEQEND"}));
  TExportConfig config = TestConfig();
  config.EntityMask |= EntityBitValue(entity_bit::kAdded3D);
  EXPECT_EQ(ConvertText(dxf, config, World()).dataLines,
            (Lines{"1,-5.000,6.000,-1.000", "2,-5.000,7.000,-1.000", "3,5.000,6.000,2.000"}));
}

}  // namespace
}  // namespace corvane
