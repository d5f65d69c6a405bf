// Turning the INPUTs of the command line into the run's list of drawings.
#pragma once

#include <string>
#include <vector>

#include "engine/conversion_run.h"

namespace corvane {

// A folder stands for its "*.dxf" files (any letter case), sorted by name; anything else is
// taken as a DXF file, so a missing file is reported by the run like any file it cannot open.
// Data files go to destFolder, or beside each drawing when it is empty. Returns false with
// `error` set when a folder cannot be listed.
bool ExpandInputs(const std::vector<std::string>& inputs, const std::string& destFolder,
                  std::vector<InputFile>& files, std::string& error);

// True for a name ending in ".dxf", in any letter case.
bool IsDxfName(const std::string& name);

}  // namespace corvane
