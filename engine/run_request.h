// What a front end hands a conversion run, and why a run may be refused before it starts.
#pragma once

#include <string>
#include <vector>

#include "config/config_extension.h"
#include "config/export_config.h"
#include "config/lookup_lists.h"

namespace corvane {

// One selected drawing: its folder, its name as listed, and the folder its data file goes to.
// A separator is appended to a non-empty folder that does not end with one. An empty destFolder
// means the drawing's own folder only when dxfFolder is empty too (a drawing named without a
// folder, in the working folder); otherwise no destination was chosen and the run is refused.
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

// The rows a record shows in the exported-fields list: row k is the line FieldOrder[k] of the
// field-name list, ticked as FieldChecked[k]. An index outside the list gives a row without text,
// which exports nothing. Both programs build their rows here, so they export the same fields.
std::vector<FieldRow> FieldRowsFromConfig(const TExportConfig& config,
                                          const std::vector<std::string>& fieldNames);

// The lists a run takes beside the record, the same for a run, a preview and a plot: the
// exported-fields rows in displayed order, the custom-item list (the titles of the header line)
// and the hint list (line 2*i labels option i in the report).
struct RunLists {
  std::vector<FieldRow> fieldRows;
  std::vector<std::string> customItemNames;
  std::vector<std::string> hintLines;
};

// The lists a record and the lookup lists give, as both programs hand them to a run.
RunLists RunListsFor(const TExportConfig& config, const LookupLists& lookup);

struct RunRequest {
  std::vector<InputFile> files;
  RunLists lists;
  std::string reportPath;                    // empty: the report is only returned
  // A report that could only be written by replacing what must not be replaced (a folder, a
  // read-only file) refuses the run before it starts. The desktop program's report is its own
  // automatic log, which must never keep a user from converting: it leaves this off, and a
  // report it cannot write is told after the run.
  bool refuseUnwritableReport = false;
  // Set by a front end that adds lines to the report after the run (corvane-cli's pictures): the
  // run checks the report path as ever, and the front end saves the report (SaveRunReport).
  bool reportSavedByCaller = false;
  // The configuration files of this run (the one in use, one just saved): never written over.
  std::vector<std::string> configPaths;
  // The program's own files (ProgramFiles): never written over either.
  std::vector<std::string> programFiles;
  int jobs = 1;                              // files converted at once; output is the same for any
  // The options beyond the record that the configuration carries (all off: the run is the record's).
  ConfigExtension extension;
};

// Why a run did not start. The front end shows an information box for kInformation (the user
// has to choose something first) and its error box for kError (a path or a list is wrong).
struct RunRefusal {
  enum class Kind { kInformation, kError };
  Kind kind = Kind::kError;
  std::string message;  // the user text, without a final full stop for kError
};

}  // namespace corvane
