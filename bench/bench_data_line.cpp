// WriteDataLine with every field and custom item ticked, as the readers call it for a vertex, into
// a real file (the composed lines are written out every 256 KiB, as in a conversion).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string_view>

#include "config/export_config.h"
#include "engine/conversion_run.h"
#include "engine/data_file_writer.h"
#include "engine/data_line.h"
#include "engine/line_reader.h"

namespace {

using namespace corvane;

RunSettings EverythingTicked() {
  TExportConfig c = ZeroConfig();
  c.FieldSeparator.assign(",");
  c.CustomSeparator.assign("/");
  c.CustomLabel.assign("survey");
  c.XDecimals = c.YDecimals = c.ZDecimals = 3;
  RunRequest request;
  for (const char* row : {"Number", "X Coord.", "Y Coord.", "Z Coord.", "Custom data"}) {
    request.fieldRows.push_back(FieldRow{row, true});
  }
  for (int k = 0; k < kCustomItemCount; ++k) {
    c.CustomOrder[k] = k;
    c.CustomChecked[k] = 1;
  }
  return PrepareRunSettings(c, request);
}

void WriteDataLines(benchmark::State& state) {
  const RunSettings run = EverythingTicked();
  std::FILE* sink = std::tmpfile();
  LineReader noInput(std::string_view{});
  DataFileWriter writer(sink, "sink");
  FileState file(run, noInput, writer);
  for (auto _ : state) {
    WriteDataLine(file, CoordText{"5028.750000", 1}, CoordText{"8004.125000", 2}, CoordText{"100.500000", 3},
                  "1A2F", "BREAKLINE", "3DPOLYLINE", "", "");
  }
  writer.Close();
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(WriteDataLines);

}  // namespace
