// The files a run must never replace, gathered in one place: the run's own guard for its data
// files, and the guard for what a front end writes beside the data files afterwards (plots), so
// that both follow one rule.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/run_plan.h"
#include "engine/run_request.h"
#include "files/output_guard.h"

namespace corvane {

// Protects what no data file of the run may replace: its drawings, the report, the
// configurations in use and the program's files (any "*.dxf" name is refused by the guard itself).
void ProtectRunFiles(OutputGuard& guard, const std::vector<PlannedFile>& plan, const RunRequest& request);

// The guard for files written beside the data files of a finished run: everything a data file
// may not replace, and the data files of the run (`dataFiles`, empty entries left out). Each file
// opened through it is protected from the next, as data files are from each other.
std::unique_ptr<OutputGuard> GuardBesideRun(const std::vector<PlannedFile>& plan, const RunRequest& request,
                                            const std::vector<std::string>& dataFiles);

// The plot of a drawing: its data file's path with the extension "svg" in place of the
// configured one (plan.txt gives plan.svg, as the drawing plan.dxf would give with "svg").
std::string PlotFilePath(const std::string& dataPath);

inline constexpr std::string_view kPlotFileNoun = "plot file";

}  // namespace corvane
