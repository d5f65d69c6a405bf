// Where each drawing of a run is read from and its data file written to, with the files those
// paths reach: looked up once, before the run, and shared by its checks and its jobs.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "config/export_config.h"
#include "engine/run_request.h"
#include "files/output_guard.h"

namespace corvane {

struct PlannedFile {
  std::string dxfPath;
  std::string dataPath;
  FileTarget dxfTarget;
  FileTarget dataTarget;
  // Earlier files of the run whose data file is the same file: this one waits for them, since
  // whichever of them creates it first keeps it.
  std::vector<std::size_t> sameDataFileBefore;
};

// Every path of the request, resolved; with several jobs the look-ups are shared among threads.
std::vector<PlannedFile> PlanFiles(const TExportConfig& config, const RunRequest& request);

// The data file path of a DXF file name: the destination folder, the name up to and including
// its first ".", then the extension.
std::string DataFilePath(const std::string& destFolder, const std::string& name,
                         std::string_view extension);

}  // namespace corvane
