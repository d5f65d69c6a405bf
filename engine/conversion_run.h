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
  // The configuration files of this run (the one in use, one just saved): never written over.
  std::vector<std::string> configPaths;
  // The program's own files (ProgramFiles): never written over either.
  std::vector<std::string> programFiles;
  int jobs = 1;                              // files converted at once; output is the same for any
};

// Why a run did not start. The front end shows an information box for kInformation (the user
// has to choose something first) and its error box for kError (a path or a list is wrong).
struct RunRefusal {
  enum class Kind { kInformation, kError };
  Kind kind = Kind::kError;
  std::string message;  // the user text, without a final full stop for kError
};

struct RunResult {
  // Set when the run was refused before anything happened; nothing else is filled then.
  std::optional<RunRefusal> refusal;
  std::vector<std::string> report;
  std::size_t filesWithErrors = 0;  // files that got an "*** Error, ... ***" line
  bool stopped = false;
  // The text of an error that ended the whole run (a data file could not be written); the
  // front end shows it in its error box.
  std::string fatalError;
  // Set when the report file could not be written.
  std::string reportWriteError;
};

// Why the configuration, the field rows or the paths of a request do not allow a run, if they
// don't: a file extension that would leave the folder, no known field ticked, a short hint list,
// or a report path that names a drawing, the configuration in use, a file of the program, a data
// file of the run or a folder that does not exist.
std::optional<RunRefusal> CheckRun(const TExportConfig& config, const RunRequest& request);

// Converts every file of the request with a copy of `config`; the run may be called on any
// thread. The observer sees the progress and is asked for the stop flag; RunFinished always
// follows RunStarted, whatever ends the run. The report is returned and saved to
// request.reportPath. No data file ever replaces a drawing, the report, the configuration in use,
// a file of the program or another data file of the run: such a file gets a report line instead.
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
