#include "plot/point_plot.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <system_error>
#include <vector>

#include "plot/density_raster.h"
#include "plot/plot_colors.h"
#include "plot/png_image.h"
#include "plot/xml_text.h"

namespace corvane::plot {

namespace {

constexpr double kMaxWidth = 900;   // the plot area, in SVG units (pixels at 100 %)
constexpr double kMaxHeight = 700;
constexpr double kLeft = 90;        // room for the Y labels
constexpr double kTop = 50;         // room for the title
constexpr double kLegendWidth = 330;
// Marks shrink as they grow many, so that a crowd still shows its shape.
double MarkRadius(std::size_t points) { return points <= 1000 ? 3.0 : points <= 10000 ? 2.0 : 1.4; }

// Picture coordinates are bounded by the frame; the buffer still holds any double's digits, and a
// value that cannot be written never leaves bytes of the buffer behind.
std::string Fixed(double v, int decimals) {
  char buffer[400];
  if (!std::isfinite(v)) return "0";
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, decimals);
  if (r.ec != std::errc()) return "0";
  return std::string(buffer, r.ptr);
}

// A drawing coordinate for a label: ten significant digits, no locale.
std::string Value(double v) {
  char buffer[64];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::general, 10);
  if (r.ec != std::errc()) return "?";
  return std::string(buffer, r.ptr);
}

std::string Hex(Rgb c) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "#%02x%02x%02x", c.r, c.g, c.b);
  return buffer;
}

std::string Thousands(std::uint64_t n) {
  std::string digits = std::to_string(n), out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

// Where drawing coordinates land in the picture: one scale for X and Y, Y pointing up. Distances
// are taken in halves, so an extent from -1e308 to 1e308 is drawn like any other.
struct Frame {
  double minX = 0, minY = 0, scale = 1, width = 1, height = 1;
  double Px(double x) const { return kLeft + PointPreview::HalfSpan(minX, x) * scale * 2; }
  double Py(double y) const { return kTop + height - PointPreview::HalfSpan(minY, y) * scale * 2; }
};

Frame FrameOf(const PointPreview& p) {
  Frame f;
  if (!p.hasExtent) {
    f.width = kMaxWidth;
    f.height = kMaxHeight / 2;
    return f;
  }
  f.minX = p.minX;
  f.minY = p.minY;
  double halfX = PointPreview::HalfSpan(p.minX, p.maxX), halfY = PointPreview::HalfSpan(p.minY, p.maxY);
  // An extent that is no extent (not finite, or inverted) is drawn as a point's.
  if (!(halfX >= 0 && std::isfinite(halfX))) halfX = 0;
  if (!(halfY >= 0 && std::isfinite(halfY))) halfY = 0;
  const double largest = std::max(halfX, halfY);
  // A drawing whose points lie on one line (or are one point) still gets an area to show them.
  const double least = largest > 0 ? largest * 1e-3 : 0.5;
  f.scale = std::min(kMaxWidth * 0.5 / std::max(halfX, least), kMaxHeight * 0.5 / std::max(halfY, least));
  if (!std::isfinite(f.scale) || f.scale <= 0) f.scale = 1;
  f.width = std::max(halfX * f.scale * 2, 1.0);
  f.height = std::max(halfY * f.scale * 2, 1.0);
  return f;
}

bool Drawable(const PointPreview& p, std::size_t i) {
  return std::isfinite(p.x[i]) && std::isfinite(p.y[i]);
}

void Marks(const PointPreview& p, const Frame& f, std::string& svg) {
  const std::string radius = Fixed(MarkRadius(p.size()), 1);
  // One group per type, in the legend's order; within it the points in the data file's order.
  std::vector<std::vector<std::uint32_t>> byType(kEntityOptionCount);
  for (std::size_t i = 0; i < p.size(); ++i) {
    if (Drawable(p, i)) byType[p.type[i]].push_back(static_cast<std::uint32_t>(i));
  }
  for (int t = 0; t < kEntityOptionCount; ++t) {
    if (byType[t].empty()) continue;
    svg += "<g class=\"type-" + std::to_string(t) + "\" fill=\"" + Hex(EntityColor(t)) + "\">\n";
    for (std::uint32_t i : byType[t]) {
      svg += "<circle class=\"pt\" cx=\"" + Fixed(f.Px(p.x[i]), 1) + "\" cy=\"" + Fixed(f.Py(p.y[i]), 1) +
             "\" r=\"" + radius + "\"/>\n";
    }
    svg += "</g>\n";
  }
}

void Raster(const PointPreview& p, const Frame& f, std::string& svg) {
  RasterView view;
  view.left = f.minX;
  // The top edge is the extent's (or, for a flat one, one pixel above its bottom).
  view.top = PointPreview::HalfSpan(p.minY, p.maxY) * f.scale * 2 >= 1 ? p.maxY : f.minY + 1 / f.scale;
  view.scale = f.scale;
  view.width = static_cast<std::uint32_t>(std::ceil(f.width)) + 1;
  view.height = static_cast<std::uint32_t>(std::ceil(f.height)) + 1;
  const DensityImage image = RasterizeDensity(p, view);
  const std::string png = EncodeIndexedPng(image.width, image.height, DensityPalette(), image.indexes);
  svg += "<image class=\"density\" x=\"" + Fixed(kLeft, 1) + "\" y=\"" + Fixed(kTop, 1) + "\" width=\"" +
         std::to_string(image.width) + "\" height=\"" + std::to_string(image.height) +
         "\" image-rendering=\"pixelated\" preserveAspectRatio=\"none\" xlink:href=\"data:image/png;base64," +
         Base64(png) + "\"/>\n";
}

std::string Text(double x, double y, const std::string& body, const std::string& attributes = "") {
  return "<text x=\"" + Fixed(x, 1) + "\" y=\"" + Fixed(y, 1) + "\"" + attributes + ">" + body + "</text>\n";
}

// The legend: the report's summary (entities counted) with the points each type gave, then the
// totals, how the points are drawn and the extent. Returns its height.
double Legend(const PointPreview& p, bool raster, std::size_t threshold, double x, std::string& svg) {
  double y = kTop + 12;
  svg += Text(x, y, "Entities (as the report counts them)", " font-weight=\"bold\"");
  y += 22;
  auto entry = [&](int option, const std::string& label, const std::string& countText, const std::string& data) {
    svg += "<rect x=\"" + Fixed(x, 1) + "\" y=\"" + Fixed(y - 10, 1) + "\" width=\"12\" height=\"12\" fill=\"" +
           Hex(EntityColor(option)) + "\"/>\n";
    svg += Text(x + 18, y, XmlText(label) + " : " + countText, data);
    y += 20;
  };
  for (const PreviewTypeCount& e : p.summary) {
    const std::uint64_t points = p.pointCounts[static_cast<std::size_t>(e.option)];
    entry(e.option, e.label,
          Thousands(static_cast<std::uint64_t>(std::max<std::int64_t>(e.count, 0))) + " (" + Thousands(points) +
              (points == 1 ? " point)" : " points)"),
          " class=\"count\" data-option=\"" + std::to_string(e.option) + "\" data-count=\"" +
              std::to_string(e.count) + "\"");
  }
  if (p.summary.empty()) {
    svg += Text(x, y, "No summary: the drawing did not convert to its end.", " fill=\"#a00\"");
    y += 20;
    for (const std::string& line : p.reportLines) {
      if (line.empty()) continue;
      svg += Text(x, y, XmlText(line.substr(0, 60)), " fill=\"#a00\" font-size=\"11\"");
      y += 16;
    }
  }
  y += 10;
  svg += Text(x, y, "Points: " + Thousands(p.size()), " class=\"total\" data-points=\"" + std::to_string(p.size()) + "\"");
  y += 20;
  if (p.pointsWithoutPlace > 0) {
    svg += Text(x, y, "Not drawn (a coordinate is not a finite number): " + Thousands(p.pointsWithoutPlace),
                " class=\"unplaced\" data-unplaced=\"" + std::to_string(p.pointsWithoutPlace) + "\" fill=\"#a00\"");
    y += 20;
  }
  if (raster) {
    svg += Text(x, y, "Over " + Thousands(threshold) + " points: drawn as density,", " font-size=\"11\" fill=\"#555\"");
    y += 15;
    svg += Text(x, y, "stronger colour = more points", " font-size=\"11\" fill=\"#555\"");
  } else {
    svg += Text(x, y, "One mark per point", " font-size=\"11\" fill=\"#555\"");
  }
  y += 24;
  if (p.hasExtent) {
    svg += Text(x, y, "Extent", " font-weight=\"bold\"");
    y += 20;
    svg += Text(x, y, "X " + Value(p.minX) + " to " + Value(p.maxX));
    y += 20;
    svg += Text(x, y, "Y " + Value(p.minY) + " to " + Value(p.maxY));
    y += 20;
  } else {
    svg += Text(x, y, "No point to show");
    y += 20;
  }
  return y;
}

}  // namespace

std::string PlotSvg(const PointPreview& p, const PlotOptions& options) {
  const Frame f = FrameOf(p);
  const bool raster = p.size() > options.rasterThreshold;
  std::string body;
  // The frame of the extent, with its corner values; Y grows upwards.
  const double pad = MarkRadius(p.size()) + 2;
  body += "<rect class=\"extent\" x=\"" + Fixed(kLeft - pad, 1) + "\" y=\"" + Fixed(kTop - pad, 1) + "\" width=\"" +
          Fixed(f.width + 2 * pad, 1) + "\" height=\"" + Fixed(f.height + 2 * pad, 1) +
          "\" fill=\"none\" stroke=\"#999\"/>\n";
  if (p.hasExtent) {
    const double bottom = kTop + f.height + pad;
    body += Text(kLeft - pad, bottom + 16, Value(p.minX), " font-size=\"11\"");
    body += Text(kLeft + f.width + pad, bottom + 16, Value(p.maxX), " font-size=\"11\" text-anchor=\"end\"");
    body += Text(kLeft - pad - 4, bottom, Value(p.minY), " font-size=\"11\" text-anchor=\"end\"");
    body += Text(kLeft - pad - 4, kTop - pad + 10, Value(p.maxY), " font-size=\"11\" text-anchor=\"end\"");
    body += Text(kLeft + f.width / 2, bottom + 16, "X", " font-size=\"11\" text-anchor=\"middle\"");
    if (f.height > 60) {
      body += Text(kLeft - pad - 4, kTop + f.height / 2, "Y \xE2\x86\x91", " font-size=\"11\" text-anchor=\"end\"");
    }
  }
  if (raster) {
    Raster(p, f, body);
  } else {
    Marks(p, f, body);
  }
  const double legendX = kLeft + f.width + pad + 40;
  std::string legend;
  const double legendBottom = Legend(p, raster, options.rasterThreshold, legendX, legend);
  const double width = legendX + kLegendWidth;
  const double height = std::max(kTop + f.height + pad + 30, legendBottom + 10);

  std::string svg;
  svg.reserve(body.size() + legend.size() + 1024);
  svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" width=\"" +
         Fixed(width, 0) + "\" height=\"" + Fixed(height, 0) + "\" viewBox=\"0 0 " + Fixed(width, 0) + " " +
         Fixed(height, 0) + "\" font-family=\"sans-serif\" font-size=\"13\">\n";
  svg += "<rect width=\"100%\" height=\"100%\" fill=\"#fff\"/>\n";
  svg += Text(kLeft - pad, 24, XmlText(options.title), " font-size=\"16\" font-weight=\"bold\" class=\"title\"");
  svg += body;
  svg += legend;
  svg += "</svg>\n";
  return svg;
}

}  // namespace corvane::plot
