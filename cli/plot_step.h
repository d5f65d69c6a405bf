// corvane-cli --plot: after a run, a picture of each drawing's exported points beside its data file.
#pragma once

#include <atomic>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "config/export_config.h"
#include "engine/conversion_run.h"
#include "engine/run_request.h"

namespace corvane {

// What the pictures add to the run's outcome: false when a picture was refused, failed or
// stopped, and the report lines that say so (none when every picture was saved).
struct PlotStepResult {
  bool ok = true;
  std::vector<std::string> reportLines;
};

// Runs `draw`, which makes and saves the picture of `dxfPath` and gives its error (empty when
// saved), and turns any exception into that error instead. No exception may leave a plot thread:
// it would end the program with the run's report unsaved.
template <class Draw>
std::string DrawCatchingErrors(const std::string& dxfPath, Draw&& draw) {
  try {
    return draw();
  } catch (const std::bad_alloc&) {
    return "There is not enough memory to draw \"" + dxfPath + "\"";
  } catch (const std::exception& e) {
    return "The picture of \"" + dxfPath + "\" could not be made: " + e.what();
  } catch (...) {
    return "The picture of \"" + dxfPath + "\" could not be made";
  }
}

// Draws every drawing of `request` whose data file the run wrote (result.dataFiles), with up to
// request.jobs at once, and saves the pictures through the run's guard rule. Tells each saved
// picture on standard error unless `quiet`, and every picture that could not be saved. Stops, as
// the run does, when `stop` is set.
PlotStepResult WritePlots(const TExportConfig& config, const RunRequest& request, const RunResult& result,
                          std::atomic<bool>& stop, bool quiet);

}  // namespace corvane
