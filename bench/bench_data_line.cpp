// The data-line composer with every field and custom item ticked, into a real file (the composed
// lines are written out every 256 KiB, as in a conversion): with the texts given, and the way the
// readers hand points over.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
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
  std::FILE* sink = std::fopen("/dev/null", "wb");  // a data file removed while written would fail at Close
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

// The readers' routes: the values in the entity's slots (filled from text with the reader's slack
// behind it), the vertices of one entity (its texts composed once), and entities of one point each.
void FillSlots(EntityValues& v, const std::string& padded) {
  const std::string_view text(padded);
  v.XText.SetFromLine(text.substr(0, 11), 1);   // 5028.750000
  v.YText.SetFromLine(text.substr(12, 11), 2);  // 8004.125000
  v.ZText.SetFromLine(text.substr(24, 10), 3);  // 100.500000
  v.Handle.Set(text.substr(35, 4));
  v.Layer.Set(text.substr(40, 9));
}

void WriteVerticesOfOneEntity(benchmark::State& state) {
  const RunSettings run = EverythingTicked();
  std::FILE* sink = std::fopen("/dev/null", "wb");  // a data file removed while written would fail at Close
  LineReader noInput(std::string_view{});
  DataFileWriter writer(sink, "sink");
  FileState file(run, noInput, writer);
  const std::string padded = "5028.750000 8004.125000 100.500000 1A2F BREAKLINE" + std::string(kLineSlack, ' ');
  FillSlots(file.values, padded);
  for (auto _ : state) WriteEntityPoint(file, Coord(file.values.ZText), "3DPOLYLINE");
  writer.Close();
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(WriteVerticesOfOneEntity);

void WriteEntitiesOfOnePoint(benchmark::State& state) {
  const RunSettings run = EverythingTicked();
  std::FILE* sink = std::fopen("/dev/null", "wb");  // a data file removed while written would fail at Close
  LineReader noInput(std::string_view{});
  DataFileWriter writer(sink, "sink");
  FileState file(run, noInput, writer);
  const std::string padded = "5028.750000 8004.125000 100.500000 1A2F BREAKLINE" + std::string(kLineSlack, ' ');
  FillSlots(file.values, padded);
  for (auto _ : state) {
    WriteLoneEntityPoint(file, Coord(file.values.ZText), "POINT");
    file.CountEntity(entity_bit::kPoints);
  }
  writer.Close();
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(WriteEntitiesOfOnePoint);

}  // namespace
