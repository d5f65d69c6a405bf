#include "config/default_config.h"

#include <stdexcept>
#include <string>

#include "config/config_text.h"

namespace corvane {

TExportConfig MakeDefaultConfig() {
  using namespace entity_bit;
  TExportConfig c = ZeroConfig();
  c.Signature.assign(kConfigSignature);
  c.FieldSeparator.assign(",");
  c.FileExtension.assign("txt");
  c.EntityMask = EntityBitValue(kPoints) | EntityBitValue(kLines) |
                 EntityBitValue(k2DPolylines) | EntityBitValue(k3DPolylines) |
                 EntityBitValue(kSingleLineText) | EntityBitValue(kMultilineText);
  // BlockNames stays empty: every block insertion passes once Blocks is ticked.

  // Rows in the order of the field-name list: number, X, Y, Z ticked, custom data not.
  for (int k = 0; k < kFieldCount; ++k) c.FieldOrder[k] = k;
  c.FieldChecked[0] = c.FieldChecked[1] = c.FieldChecked[2] = c.FieldChecked[3] = 1;
  c.FieldChecked[4] = 0;

  // Ticking custom data then gives entity type and layer, e.g. "LINE/WALLS".
  for (int k = 0; k < kCustomItemCount; ++k) c.CustomOrder[k] = k;
  c.CustomChecked[0] = c.CustomChecked[1] = 1;

  c.StartNumber = 1;
  c.XDecimals = c.YDecimals = c.ZDecimals = 3;
  c.ForceZ = 0;
  c.ForcedZValue.assign(kForcedZWhenEmpty);
  c.CustomSeparator.assign("/");
  c.SequenceStart = 0;
  c.EntityNumberStart = 1;
  c.IncludeHeader = 0;
  return c;
}

ConfigWithExtension MakePnezdBlocksConfig() {
  ConfigWithExtension c{MakeDefaultConfig(), {}};
  // Set by name, through the rules the window and corvane-cli apply to the same choices.
  for (const char* setting : {"Entities=blocks", "Fields=N,Y,X,Z,C", "CustomItems=text", "FieldSeparator=,",
                              "ZDecimals=2", "NumberAttribute=PNT", "ZAttribute=ELEV", "TextAttributes=DESC"}) {
    std::string error;
    if (!SetConfigField(c.record, c.extension, setting, error)) throw std::logic_error(error);
  }
  return c;
}

}  // namespace corvane
