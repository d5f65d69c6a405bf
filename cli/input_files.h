// Turning the INPUTs of the command line into the run's list of drawings.
#pragma once

#include <string>
#include <vector>

#include "engine/conversion_run.h"

namespace corvane {

// A folder stands for its drawings as the desktop program's file list shows them (ListDxfFiles);
// anything else is taken as a DXF file, so a missing file is reported by the run like any file it
// cannot open. Data files go to destFolder, or beside each drawing when it is empty. A folder
// without drawings adds a line to `warnings`. Returns false with `error` set when a folder
// cannot be listed.
bool ExpandInputs(const std::vector<std::string>& inputs, const std::string& destFolder,
                  std::vector<InputFile>& files, std::vector<std::string>& warnings,
                  std::string& error);

}  // namespace corvane
