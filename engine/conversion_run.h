// A conversion run: every selected DXF file becomes one data file, and the run keeps a report.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "config/export_config.h"
#include "engine/run_checks.h"
#include "engine/run_observer.h"
#include "engine/report_text.h"
#include "engine/run_plan.h"
#include "engine/run_request.h"
#include "engine/run_state.h"

namespace corvane {

struct RunResult {
  // Set when the run was refused before anything happened; nothing else is filled then.
  std::optional<RunRefusal> refusal;
  std::vector<std::string> report;
  std::size_t filesWithErrors = 0;  // files that got an "*** Error, ... ***" line
  // Those lines of `report`, as they stand there, each with its drawing.
  std::vector<ReportErrorLine> errorLines;
  bool stopped = false;
  // The text of an error that ended the whole run (a data file could not be written); the
  // front end shows it in its error box.
  std::string fatalError;
  // Per file of the request, in list order: the data file it wrote (also when the drawing then
  // got an error line), or empty when none was opened (not started, refused, not readable).
  std::vector<std::string> dataFiles;
  // Set when the report file could not be written.
  std::string reportWriteError;
};

// Converts every file of the request with a copy of `config`; the run may be called on any
// thread. A request that CheckRun refuses is refused here too, before anything is written. The observer sees the progress and is asked for the stop flag; RunFinished always
// follows RunStarted, whatever ends the run. The report is returned and saved to
// request.reportPath. No data file ever replaces a drawing, the report, the configuration in use,
// a file of the program or another data file of the run: such a file gets a report line instead.
RunResult RunConversion(const TExportConfig& config, const RunRequest& request,
                        RunObserver& observer);

// Saves the report lines as the run does (request.reportPath unless reportSavedByCaller): "" or
// the "Cannot create file" text.
std::string SaveRunReport(const std::string& path, const std::vector<std::string>& report);

// The run state the lists and a configuration give: selected fields and custom items, separators,
// block patterns, hint lines and the header line.
RunSettings PrepareRunSettings(const TExportConfig& config, const RunLists& lists,
                               const ConfigExtension& extension = {});

}  // namespace corvane
