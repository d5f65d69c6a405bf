// A conversion run: every selected DXF file becomes one data file, and the run keeps a report.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "config/export_config.h"
#include "engine/run_observer.h"
#include "engine/run_state.h"

namespace corvane {

// One selected drawing: its folder, its name as listed, and the folder its data file goes to.
// A separator is appended to a non-empty folder that does not end with one.
struct InputFile {
  std::string dxfFolder;
  std::string name;
  std::string destFolder;
};

// A row of the exported-fields list, in displayed order: its text (whose first character is the
// field code) and its check mark.
struct FieldRow {
  std::string text;
  bool checked = false;
};

struct RunRequest {
  std::vector<InputFile> files;
  std::vector<FieldRow> fieldRows;
  std::vector<std::string> customItemNames;  // the custom-item list: titles of the header line
  std::vector<std::string> hintLines;        // the hint list: line 2*i labels option i
  std::string reportPath;                    // empty: the report is only returned
  int jobs = 1;                              // files converted at once; output is the same for any
};

struct RunResult {
  // Set when the run was refused before anything happened; nothing else is filled then.
  std::optional<std::string> refusal;
  std::vector<std::string> report;
  std::size_t filesWithErrors = 0;  // files that got an "*** Error, ... ***" line
  bool stopped = false;
  // The text of an error that ended the whole run (a data file could not be written); the
  // front end shows it in its error box.
  std::string fatalError;
  // Set when the report file could not be written.
  std::string reportWriteError;
};

// The message of a run the configuration or the field rows do not allow, if any.
std::optional<std::string> CheckRun(const TExportConfig& config, const RunRequest& request);

// Converts every file of the request with a copy of `config`. The observer sees the progress and
// is asked for the stop flag; the report is returned and written to request.reportPath (atomically).
RunResult RunConversion(const TExportConfig& config, const RunRequest& request,
                        RunObserver& observer);

// The run state a request and a configuration give: selected fields and custom items, separators,
// block patterns, hint lines and the header line.
RunSettings PrepareRunSettings(const TExportConfig& config, const RunRequest& request);

// The data file path of a DXF file name: the destination folder, the name up to and including
// its first ".", then the extension.
std::string DataFilePath(const std::string& destFolder, const std::string& name,
                         std::string_view extension);

// The folder with the native separator appended unless it already ends with one (or is empty).
std::string WithSeparator(const std::string& folder);

}  // namespace corvane
