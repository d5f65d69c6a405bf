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

// The drawings of the plan that got a data file.
std::vector<std::size_t> DrawingsWithData(const std::vector<PlannedFile>& plan, const RunResult& result) {
  std::vector<std::size_t> drawings;
  for (std::size_t i = 0; i < result.dataFiles.size() && i < plan.size(); ++i) {
    if (!result.dataFiles[i].empty()) drawings.push_back(i);
  }
  return drawings;
}

// Draws the points of drawing `i` and saves the picture at out.path: "" or why it was not saved.
std::string DrawOne(const TExportConfig& config, const RunRequest& request, const PlannedFile& planned,
                    std::size_t i, OutputGuard& guard, std::atomic<bool>& stop, PlotOutcome& out) {
  return DrawCatchingErrors(planned.dxfPath, [&]() -> std::string {
    PreviewRequest preview;
    preview.dxfPath = planned.dxfPath;
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
    return plot::SavePlot(guard, out.path, plot::PlotSvg(points, options));
  });
}

// Runs `work` on up to `jobs` threads, or on this one.
template <typename Work>
void RunOnJobs(int requestedJobs, std::size_t items, Work&& work) {
  // Two data files that are different files give different pictures, so the order in which
  // jobs save them changes nothing.
  const std::size_t jobs = std::clamp<std::size_t>(static_cast<std::size_t>(std::max(1, requestedJobs)), 1,
                                                   std::max<std::size_t>(items, 1));
  if (jobs == 1) {
    work();
    return;
  }
  std::vector<std::thread> threads;
  for (std::size_t t = 0; t < jobs; ++t) threads.emplace_back(work);
  for (auto& t : threads) t.join();
}

// Tells each picture's outcome and gathers the report lines the step adds.
PlotStepResult TellOutcomes(const std::vector<PlotOutcome>& outcomes, bool quiet) {
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

}  // namespace

PlotStepResult WritePlots(const TExportConfig& config, const RunRequest& request, const RunResult& result,
                          std::atomic<bool>& stop, bool quiet) {
  const std::vector<PlannedFile> plan = PlanFiles(config, request);
  const auto guard = GuardBesideRun(plan, request, result.dataFiles);
  const std::vector<std::size_t> drawings = DrawingsWithData(plan, result);
  std::vector<PlotOutcome> outcomes(drawings.size());
  std::atomic<std::size_t> next{0};
  RunOnJobs(request.jobs, drawings.size(), [&] {
    for (std::size_t k; (k = next.fetch_add(1)) < drawings.size();) {
      const std::size_t i = drawings[k];
      PlotOutcome& out = outcomes[k];
      out.path = PlotFilePath(result.dataFiles[i]);
      if (stop.load()) {
        out.stopped = true;
        continue;
      }
      out.error = DrawOne(config, request, plan[i], i, *guard, stop, out);
    }
  });
  return TellOutcomes(outcomes, quiet);
}

}  // namespace corvane
