// The pieces of a plot: XML-safe texts, base64, the PNG encoder's checksums and stream, the
// picture's name beside the data file, and pictures of edge-case previews.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include <zlib.h>

#include "engine/run_outputs.h"
#include "plot/density_raster.h"
#include "plot/png_image.h"
#include "plot/plot_colors.h"
#include "plot/point_index.h"
#include "plot/point_plot.h"
#include "plot/xml_text.h"

namespace corvane {
namespace {

using namespace plot;

TEST(PlotText, XmlTextEscapesAndKeepsOnlyValidUtf8) {
  EXPECT_EQ(XmlText("a<b>&\"c'"), "a&lt;b&gt;&amp;&quot;c&apos;");
  EXPECT_EQ(XmlText("M\xC3\xBCller"), "M\xC3\xBCller");         // UTF-8 stays
  EXPECT_EQ(XmlText("M\xFCller.dxf"), "M?ller.dxf");             // Latin-1 does not
  EXPECT_EQ(XmlText("line\nbreak\x1b[1m"), "line?break?[1m");   // nor do control characters
  EXPECT_EQ(XmlText("\xE2\x82"), "??");                          // a cut sequence
  EXPECT_EQ(XmlText("\xC0\xAF"), "??");                          // an overlong form
  EXPECT_EQ(XmlText("\xED\xA0\x80"), "???");                     // a surrogate
}

TEST(PlotText, Base64AsTheStandardGivesIt) {
  EXPECT_EQ(Base64(""), "");
  EXPECT_EQ(Base64("f"), "Zg==");
  EXPECT_EQ(Base64("fo"), "Zm8=");
  EXPECT_EQ(Base64("foo"), "Zm9v");
  EXPECT_EQ(Base64("foobar"), "Zm9vYmFy");
  EXPECT_EQ(Base64(std::string("\xFF\x00\x80", 3)), "/wCA");
}

TEST(PngImage, ChecksumsAreTheKnownValues) {
  const std::string text = "123456789";
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  EXPECT_EQ(Crc32(bytes, text.size()), 0xCBF43926u);
  // A chunk's CRC may be taken in pieces.
  EXPECT_EQ(Crc32(bytes + 4, 5, Crc32(bytes, 4)), 0xCBF43926u);
}

TEST(PngImage, TheImageDataGivesBackItsBytes) {
  std::string bytes;
  for (int i = 0; i < 300; ++i) bytes += static_cast<char>(i % 7 == 0 ? 200 : 0);
  bytes += std::string(1000, '\x05') + "abc" + std::string(258, '\0') + std::string(259, '\0') + "x";
  for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
  const std::string z = ZlibCompress(bytes);
  EXPECT_EQ(((static_cast<unsigned char>(z[0]) << 8) | static_cast<unsigned char>(z[1])) % 31, 0);
  std::string back(bytes.size() + 16, '\0');
  uLongf size = static_cast<uLongf>(back.size());
  ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(back.data()), &size, reinterpret_cast<const Bytef*>(z.data()),
                       static_cast<uLong>(z.size())),
            Z_OK);
  back.resize(size);
  EXPECT_EQ(back, bytes);
  EXPECT_LT(z.size(), bytes.size() / 2);
}

TEST(PlotFiles, ThePictureIsNamedLikeTheDataFile) {
  EXPECT_EQ(PlotFilePath("out/plan.txt"), "out/plan.svg");
  EXPECT_EQ(PlotFilePath("out.d/site.tar.gz"), "out.d/site.svg");
  EXPECT_EQ(PlotFilePath("C:\\data\\noext.txt"), "C:\\data\\noext.svg");
  EXPECT_EQ(PlotFilePath("plan.txt"), "plan.svg");
}

TEST(PointPlot, EmptyAndSinglePointPreviewsStillMakeAPicture) {
  PointPreview empty;
  empty.lineStart.push_back(0);
  std::string svg = PlotSvg(empty, PlotOptions{"empty \xFF.dxf"});
  EXPECT_NE(svg.find("No point to show"), std::string::npos);
  EXPECT_NE(svg.find("empty ?.dxf"), std::string::npos);
  EXPECT_EQ(svg.find("nan"), std::string::npos);

  PointPreview one;
  one.x = {5};
  one.y = {7};
  one.z = {0};
  one.type = {0};
  one.fileBytes.Assign("1,5,7\r\n");
  one.lineStart = {0, 7};
  one.hasExtent = true;
  one.minX = one.maxX = 5;
  one.minY = one.maxY = 7;
  svg = PlotSvg(one, PlotOptions{"one"});
  EXPECT_NE(svg.find("<circle class=\"pt\""), std::string::npos);
  EXPECT_EQ(svg.find("nan"), std::string::npos);
  EXPECT_EQ(svg.find("inf"), std::string::npos);
}

PointPreview PreviewOf(const std::vector<double>& x, const std::vector<double>& y,
                       const std::vector<std::uint8_t>& type) {
  PointPreview p;
  p.x = x;
  p.y = y;
  p.z.assign(x.size(), 0.0);
  p.type = type;
  p.lineStart.assign(x.size() + 1, 0);
  return p;
}

TEST(DensityRaster, PixelsTakeTheLastTypeAndGrowStrongerWithMorePoints) {
  // A 4 x 2 view of X 0..4 and Y 0..2, one pixel per unit, Y up: row 0 is Y 1..2.
  const PointPreview p = PreviewOf({0.5, 0.5, 0.5, 3.5, 3.9, -1, 5, NAN}, {1.5, 1.5, 1.5, 0.5, 0.2, 1, 1, 1},
                                   {5, 5, 0, 14, 14, 0, 0, 0});
  RasterView view;
  view.left = 0;
  view.top = 2;
  view.scale = 1;
  view.width = 4;
  view.height = 2;
  const DensityImage image = RasterizeDensity(p, view);
  ASSERT_EQ(image.indexes.size(), 8u);
  const auto& palette = DensityPalette();
  const int lastOfFull = 1 + 0 * 16 + 15;        // points (slot 0), the most points: full shade
  const int facesTwo = 1 + 11 * 16 + 9;          // 3D faces (slot 11), 2 of at most 3 points
  EXPECT_EQ(image.indexes[0], lastOfFull);       // X 0..1, Y 1..2: three points, a POINT last
  EXPECT_EQ(image.indexes[4 + 3], facesTwo);     // X 3..4, Y 0..1: two 3D face corners
  int empty = 0;
  for (std::uint8_t index : image.indexes) empty += index == 0;
  EXPECT_EQ(empty, 6);                           // outside the view and NaN are left out
  EXPECT_EQ(palette[lastOfFull].a, 255);
  EXPECT_LT(palette[facesTwo].a, 255);
  const std::vector<std::uint32_t> argb = DensityArgb32(image);
  EXPECT_EQ(argb[1], 0u);  // transparent
  const Rgb points = EntityColor(0);
  EXPECT_EQ(argb[0], 0xFF000000u | (std::uint32_t{points.r} << 16) | (std::uint32_t{points.g} << 8) | points.b);
}

// The grid finds what a look at every point finds, on a drawing with crowds, a thin strip and
// repeated places.
TEST(PointIndex, FindsTheNearestPointAsAFullSearchDoes) {
  std::uint64_t seed = 99;
  auto random = [&] {
    seed = seed * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<double>(seed >> 11) / 9007199254740992.0;
  };
  for (double height : {500.0, 0.5, 0.0}) {
    std::vector<double> x, y;
    for (int i = 0; i < 20000; ++i) {
      const bool crowd = i % 3 == 0;
      x.push_back(crowd ? 100 + random() : 1000 * random());
      y.push_back(crowd ? height / 2 : height * random());
    }
    x.push_back(x[5]);  // the same place twice: the later one is on top
    y.push_back(y[5]);
    x.push_back(NAN);
    y.push_back(1);
    PointPreview p = PreviewOf(x, y, std::vector<std::uint8_t>(x.size(), 0));
    p.hasExtent = true;
    p.minX = *std::min_element(x.begin(), x.end() - 1);
    p.maxX = *std::max_element(x.begin(), x.end() - 1);
    p.minY = *std::min_element(y.begin(), y.end());
    p.maxY = *std::max_element(y.begin(), y.end());
    const PointIndex index(p);
    for (int q = 0; q < 500; ++q) {
      const double qx = 1100 * random() - 50, qy = (height + 20) * random() - 10, radius = 30 * random();
      std::int64_t expected = -1;
      double best = radius * radius;
      for (std::size_t i = 0; i + 1 < x.size(); ++i) {
        const double d = (x[i] - qx) * (x[i] - qx) + (y[i] - qy) * (y[i] - qy);
        if (d <= best) {
          best = d;
          expected = static_cast<std::int64_t>(i);
        }
      }
      ASSERT_EQ(index.Nearest(qx, qy, radius), expected) << qx << " " << qy << " " << radius;
    }
    EXPECT_EQ(index.Nearest(x[5], y[5], 0), static_cast<std::int64_t>(x.size() - 2));
    EXPECT_EQ(index.Nearest(5000, 5000, 1), -1);
  }
}

// The last column and row of a view are drawn like the others: a point just inside the right
// edge shows, one on the edge itself belongs to the next view.
TEST(DensityRaster, TheLastColumnAndRowAreDrawn) {
  const PointPreview p = PreviewOf({3.5, 4.0, 0.5}, {0.5, 0.5, -0.5}, {0, 5, 14});
  RasterView view;
  view.left = 0;
  view.top = 1;
  view.scale = 1;
  view.width = 4;
  view.height = 1;
  const DensityImage image = RasterizeDensity(p, view);
  ASSERT_EQ(image.indexes.size(), 4u);
  EXPECT_NE(image.indexes[3], 0);
  EXPECT_EQ(image.indexes[0] + image.indexes[1] + image.indexes[2], 0);
  view.height = 2;
  EXPECT_NE(RasterizeDensity(p, view).indexes[4], 0);  // the 3D face corner in the second row
}

// A point on the extent's right (or top) edge lands on the column (row) just past the frame's
// width (height): the raster must hold it, or the drawing's outermost points vanish.
TEST(PointPlot, TheRasterHoldsThePointsOnTheExtentsEdges) {
  PointPreview p = PreviewOf({0, 900, 450}, {0, 300, 300}, {0, 0, 0});
  p.hasExtent = true;
  p.minX = 0;
  p.maxX = 900;
  p.minY = 0;
  p.maxY = 300;
  PlotOptions options{"edges"};
  options.rasterThreshold = 0;
  const std::string svg = PlotSvg(p, options);
  const std::size_t image = svg.find("<image class=\"density\"");
  ASSERT_NE(image, std::string::npos);
  const std::size_t width = svg.find(" width=\"", image);
  const std::size_t height = svg.find(" height=\"", image);
  EXPECT_GE(std::stoi(svg.substr(width + 8)), 901) << svg.substr(image, 200);
  EXPECT_GE(std::stoi(svg.substr(height + 9)), 301) << svg.substr(image, 200);
}

// An extent as wide as the doubles go is drawn in the same frame as any other, with its points on
// its edges, and the look-up grid stays within its share of memory.
TEST(PointPlot, AnExtentAsWideAsTheDoublesGoIsDrawnInBounds) {
  PointPreview p = PreviewOf({-1.7e308, 1.7e308, 0}, {0, 1e308, -1e308}, {0, 0, 0});
  p.hasExtent = true;
  p.minX = -1.7e308;
  p.maxX = 1.7e308;
  p.minY = -1e308;
  p.maxY = 1e308;
  for (std::size_t threshold : {std::size_t{100}, std::size_t{0}}) {
    PlotOptions options{"wide"};
    options.rasterThreshold = threshold;
    const std::string svg = PlotSvg(p, options);
    EXPECT_EQ(svg.find("inf"), std::string::npos);
    EXPECT_EQ(svg.find("nan"), std::string::npos);
    EXPECT_EQ(svg.find('\0'), std::string::npos);
    if (threshold > 0) {
      EXPECT_NE(svg.find("cx=\"90.0\""), std::string::npos) << svg;
      EXPECT_NE(svg.find("cx=\"990.0\""), std::string::npos) << svg;
    } else {
      EXPECT_NE(svg.find("class=\"density\""), std::string::npos);
    }
  }
  std::vector<double> x(50001), y(50001, 0.0);
  for (std::size_t i = 0; i < x.size(); ++i) x[i] = static_cast<double>(i);
  x.back() = 1.7e308;
  y.back() = -1.7e308;
  PointPreview many = PreviewOf(x, y, std::vector<std::uint8_t>(x.size(), 0));
  many.hasExtent = true;
  many.minX = 0;
  many.maxX = 1.7e308;
  many.minY = -1.7e308;
  many.maxY = 0;
  const PointIndex index(many);
  EXPECT_LE(index.CellCount(), 50001u / 4 + 1);
  EXPECT_EQ(index.Nearest(1.7e308, -1.7e308, 1), 50000);
  EXPECT_EQ(index.Nearest(7, 0, 0.1), 7);
}

}  // namespace
}  // namespace corvane
