// Time to a full point preview of a drawing (what the desktop program's preview waits for before
// its first picture), and to the SVG picture corvane-cli --plot writes from it.
//
//   preview_speed PROGRAM_DIR DRAWING.dxf CONFIG.crv [RUNS] [SVG_OUT]
//
// PROGRAM_DIR holds the lookup lists (a build folder). Prints each run's seconds, the best, the
// points and their memory, the picture's time and size, and the peak RSS of the process.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "config/crv_file.h"
#include "config/lookup_lists.h"
#include "engine/point_preview.h"
#include "engine/run_request.h"
#include "plot/point_index.h"
#include "plot/point_plot.h"

int main(int argc, char** argv) {
  using namespace corvane;
  if (argc < 4) {
    std::fprintf(stderr, "usage: preview_speed PROGRAM_DIR DRAWING.dxf CONFIG.crv [RUNS] [SVG_OUT]\n");
    return 2;
  }
  const int runs = argc > 4 ? std::max(1, std::atoi(argv[4])) : 5;
  LookupLists lists;
  if (const std::string error = LoadLookupLists(argv[1], lists); !error.empty()) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 2;
  }
  TExportConfig config = ZeroConfig(), saved = ZeroConfig();
  if (!ReadConfigFile(argv[3], config, saved).accepted) {
    std::fprintf(stderr, "cannot read %s\n", argv[3]);
    return 2;
  }
  PreviewRequest request;
  request.dxfPath = argv[2];
  request.lists = RunListsFor(config, lists);

  using Clock = std::chrono::steady_clock;
  double best = 1e9;
  PointPreview preview;
  for (int i = 0; i < runs; ++i) {
    preview = PointPreview{};  // the last run's memory is given back first, as a new preview would
    const auto start = Clock::now();
    preview = PreviewPoints(config, request);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    best = std::min(best, seconds);
    std::printf("preview run %d: %.3f s\n", i + 1, seconds);
  }
  if (preview.end != PreviewEnd::kComplete) {
    std::fprintf(stderr, "the preview did not complete\n");
    return 1;
  }
  const double pointBytes = static_cast<double>(preview.size()) * (3 * sizeof(double) + 1 + sizeof(std::uint64_t));
  std::printf("best: %.3f s for %zu points; points %.1f MB, data lines %.1f MB\n", best, preview.size(),
              pointBytes / 1e6, static_cast<double>(preview.fileBytes.size()) / 1e6);

  auto start = Clock::now();
  const plot::PointIndex index(preview);
  const double indexSeconds = std::chrono::duration<double>(Clock::now() - start).count();
  start = Clock::now();
  std::int64_t found = 0;
  for (int q = 0; q < 1000; ++q) {
    const double x = preview.minX + (preview.maxX - preview.minX) * q / 1000.0;
    found += index.Nearest(x, (preview.minY + preview.maxY) / 2, (preview.maxX - preview.minX) / 200) >= 0;
  }
  const double querySeconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::printf("hover index: built in %.3f s; 1000 look-ups in %.4f s (%lld found)\n", indexSeconds, querySeconds,
              static_cast<long long>(found));

  start = Clock::now();
  plot::PlotOptions options;
  options.title = argv[2];
  const std::string svg = plot::PlotSvg(preview, options);
  const double svgSeconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::printf("picture: %.3f s, %zu bytes (%s)\n", svgSeconds, svg.size(),
              preview.size() > options.rasterThreshold ? "density raster" : "one mark per point");
  if (argc > 5) {
    std::FILE* f = std::fopen(argv[5], "wb");
    if (f == nullptr || std::fwrite(svg.data(), 1, svg.size(), f) != svg.size() || std::fclose(f) != 0) return 1;
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("peak RSS: %ld KiB\n", usage.ru_maxrss);
  return 0;
}
