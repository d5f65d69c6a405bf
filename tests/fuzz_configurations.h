// The two configurations the conversion fuzzer runs, shared with the tests that hold the data
// lines against their rules: everything ticked, with prefixes and counters near the 32-bit limit,
// and a variant that forces Z, filters blocks and leaves some options out.
#pragma once

#include "config/export_config.h"

namespace corvane::fuzz_configurations {

inline TExportConfig Everything() {
  TExportConfig c = ZeroConfig();
  c.Signature.assign("CRV200");
  c.FieldSeparator.assign(";");
  c.FileExtension.assign("txt");
  c.EntityMask = kAllEntityOptions & ~EntityBitValue(entity_bit::kThreePointsOnly);
  for (int k = 0; k < kFieldCount; ++k) {
    c.FieldOrder[k] = k;
    c.FieldChecked[k] = 1;
  }
  for (int k = 0; k < kCustomItemCount; ++k) {
    c.CustomOrder[k] = k;
    c.CustomChecked[k] = 1;
  }
  c.NumberPrefix.assign("P");
  c.XPrefix.assign("x=");
  c.YPrefix.assign("y=");
  c.ZPrefix.assign("z=");
  c.CustomPrefix.assign("[");
  c.CustomSeparator.assign("|");
  c.CustomLabel.assign("label");
  // Near the top of the 32-bit range, so the counters must go on past it.
  c.StartNumber = 2147483600;
  c.SequenceStart = 2147483640;
  c.EntityNumberStart = 2147483000;
  c.XDecimals = 3;
  c.YDecimals = 14;
  c.ZDecimals = 0;
  c.ForcedZValue.assign("0");
  c.IncludeHeader = 1;
  return c;
}

inline TExportConfig Variant() {
  TExportConfig c = Everything();
  c.EntityMask = kAllEntityOptions & ~(EntityBitValue(entity_bit::kAdded2D) | EntityBitValue(entity_bit::kAdded3D) |
                                       EntityBitValue(entity_bit::kFitPoints));
  c.BlockNames.assign("A*,?B,,*X?");
  c.ForceZ = 1;
  c.ForcedZValue.assign("-1.5");
  c.XDecimals = 0;
  c.YDecimals = 7;
  c.ZDecimals = 2;
  c.FieldSeparator.assign("");
  c.IncludeHeader = 0;
  return c;
}

}  // namespace corvane::fuzz_configurations
