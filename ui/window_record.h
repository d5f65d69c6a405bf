// The record as the run button hands it to a conversion: the working record with the window read
// into it, and the lists a conversion needs beside it. The run and the point preview both take it
// from TForm1::RecordFromWindow, so a preview shows what a run would write.
#pragma once

#include <string>
#include <vector>

#include "config/config_extension.h"
#include "config/export_config.h"
#include "engine/run_request.h"

namespace corvane {

struct WindowRecord {
  TExportConfig config{};
  RunLists lists;
  ConfigExtension extension;  // the options beyond the record
};

}  // namespace corvane
