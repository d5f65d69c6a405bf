// Saving a picture beside a data file, through the run's guard, so a picture never replaces what
// a data file may not replace.
#pragma once

#include <string>
#include <string_view>

#include "files/output_guard.h"

namespace corvane::plot {

// Writes `svg` to `plotPath` through `guard` (OutputGuard::OpenDataFile with the noun "plot
// file"), which then protects it from the files written after it. Returns "" when saved, else the
// reason as a sentence without a final full stop: the guard's refusal, or the "Cannot create file"
// or "Cannot write file" text. A picture that could not be written whole is removed.
std::string SavePlot(OutputGuard& guard, const std::string& plotPath, std::string_view svg);

}  // namespace corvane::plot
