#include "cli/plot_step.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "cli/console_text.h"
#include "engine/point_preview.h"
#include "engine/report_text.h"
#include "engine/run_outputs.h"
#include "engine/run_plan.h"
#include "plot/plot_file.h"
#include "plot/point_plot.h"

namespace corvane {

namespace {

struct PlotOutcome {
  std::string path;
  std::string error;  // empty: saved
  bool stopped = false;
};

void Tell(const std::string& text) {
  std::string shown = "corvane-cli: " + text;
  ShowControlsAsQuestionMarks(shown);
  WriteText(stderr, shown + "\n");
}

}  // namespace

PlotStepResult WritePlots(const TExportConfig& config, const RunRequest& request, const RunResult& result,
                          std::atomic<bool>& stop, bool quiet) {
  const std::vector<PlannedFile> plan = PlanFiles(config, request);
  const auto guard = GuardBesideRun(plan, request, result.dataFiles);
  std::vector<std::size_t> drawings;
  for (std::size_t i = 0; i < result.dataFiles.size() && i < plan.size(); ++i) {
    if (!result.dataFiles[i].empty()) drawings.push_back(i);
  }
  std::vector<PlotOutcome> outcomes(drawings.size());
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    for (std::size_t k; (k = next.fetch_add(1)) < drawings.size();) {
      const std::size_t i = drawings[k];
      PlotOutcome& out = outcomes[k];
      out.path = PlotFilePath(result.dataFiles[i]);
      if (stop.load()) {
        out.stopped = true;
        continue;
      }
      out.error = DrawCatchingErrors(plan[i].dxfPath, [&]() -> std::string {
        PreviewRequest preview;
        preview.dxfPath = plan[i].dxfPath;
        preview.lists = request.lists;
        preview.extension = request.extension;
        const PointPreview points = PreviewPoints(config, preview, &stop);
        if (points.end == PreviewEnd::kCanceled) {
          out.stopped = true;
          return {};
        }
        if (points.end == PreviewEnd::kOutOfMemory || points.end == PreviewEnd::kRefused) {
          return points.end == PreviewEnd::kRefused ? points.refusal->message : points.error;
        }
        plot::PlotOptions options;
        options.title = request.files[i].name;
        return plot::SavePlot(*guard, out.path, plot::PlotSvg(points, options));
      });
    }
  };
  // Two data files that are different files give different pictures, so the order in which
  // jobs save them changes nothing.
  const std::size_t jobs = std::clamp<std::size_t>(static_cast<std::size_t>(std::max(1, request.jobs)), 1,
                                                   std::max<std::size_t>(drawings.size(), 1));
  if (jobs == 1) {
    work();
  } else {
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < jobs; ++t) threads.emplace_back(work);
    for (auto& t : threads) t.join();
  }
  PlotStepResult step;
  for (const PlotOutcome& out : outcomes) {
    if (out.stopped) {
      step.ok = false;
      continue;
    }
    if (!out.error.empty()) {
      std::string line = ErrorLineText(out.error);
      ShowControlsAsQuestionMarks(line);
      Tell(line);
      step.reportLines.push_back(std::move(line));
      step.ok = false;
    } else if (!quiet) {
      Tell("plot written: " + out.path);
    }
  }
  if (std::any_of(outcomes.begin(), outcomes.end(), [](const PlotOutcome& o) { return o.stopped; })) {
    Tell("plots stopped by the user");
    step.reportLines.emplace_back(kCanceledLine);
  }
  return step;
}

}  // namespace corvane
