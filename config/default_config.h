// The configuration that ships as "default.crv": the program falls back to it when the
// configuration in use cannot be loaded, so it is a sensible start for a survey export.
#pragma once

#include "config/export_config.h"

namespace corvane {

// Points, lines, 2D and 3D polylines and both kinds of text; number, X, Y and Z with three
// decimals, separated by commas, into ".txt" files. Every byte not named here is zero.
TExportConfig MakeDefaultConfig();

}  // namespace corvane
