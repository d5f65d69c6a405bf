// The configuration that ships as "default.crv": the program falls back to it when the
// configuration in use cannot be loaded, so it is a sensible start for a survey export.
#pragma once

#include "config/config_extension.h"
#include "config/export_config.h"

namespace corvane {

// Points, lines, 2D and 3D polylines and both kinds of text; number, X, Y and Z with three
// decimals, separated by commas, into ".txt" files. Every byte not named here is zero.
TExportConfig MakeDefaultConfig();

// The configuration that ships as "configurations/pnezd-blocks.crv": the point file survey
// packages import (point, northing, easting, elevation, description) from a drawing of survey
// point blocks. Block insertions only; number from the attribute PNT, Z from ELEV, the text value
// from DESC; fields N, Y, X, Z and the custom field holding the text value, with commas.
struct ConfigWithExtension {
  TExportConfig record;
  ConfigExtension extension;
};
ConfigWithExtension MakePnezdBlocksConfig();

}  // namespace corvane
