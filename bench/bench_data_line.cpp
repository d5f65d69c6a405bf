// The data-line composer with every field and custom item ticked, into a real file (the composed
// lines are written out every 1 MiB, as in a conversion): with the texts given, and the way the
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
    request.lists.fieldRows.push_back(FieldRow{row, true});
  }
  for (int k = 0; k < kCustomItemCount; ++k) {
    c.CustomOrder[k] = k;
    c.CustomChecked[k] = 1;
  }
  return PrepareRunSettings(c, request.lists);
}

// A conversion's state with everything ticked, writing to /dev/null (a data file removed while
// written, such as a temporary file, would fail at Close), with the values of a vertex in the
// entity's slots (filled from text with the reader's slack behind it).
struct Composer {
  const RunSettings run = EverythingTicked();
  LineReader noInput{std::string_view{}};
  DataFileWriter writer{std::fopen("/dev/null", "wb"), "sink"};
  FileState file{run, noInput, writer};
  const std::string padded = "5028.750000 8004.125000 100.500000 1A2F BREAKLINE" + std::string(kLineSlack, ' ');

  Composer() {
    const std::string_view text(padded);
    EntityValues& v = file.values;
    v.XText.SetFromLine(text.substr(0, 11), 1);
    v.YText.SetFromLine(text.substr(12, 11), 2);
    v.ZText.SetFromLine(text.substr(24, 10), 3);
    v.Handle.Set(text.substr(35, 4));
    v.Layer.Set(text.substr(40, 9));
  }
  void Finish(benchmark::State& state) {
    writer.Close();
    state.SetItemsProcessed(state.iterations());
  }
};

// The texts given with every line.
void WriteDataLines(benchmark::State& state) {
  Composer c;
  for (auto _ : state) {
    WriteDataLine(c.file, CoordText{"5028.750000", 1}, CoordText{"8004.125000", 2}, CoordText{"100.500000", 3},
                  "1A2F", "BREAKLINE", "3DPOLYLINE", "", "");
  }
  c.Finish(state);
}
BENCHMARK(WriteDataLines);

// The readers' routes: the vertices of one entity (its texts composed once), and entities of one
// point each.
void WriteVerticesOfOneEntity(benchmark::State& state) {
  Composer c;
  for (auto _ : state) ExportPoint(c.file, Coord(c.file.values.ZText), "3DPOLYLINE");
  c.Finish(state);
}
BENCHMARK(WriteVerticesOfOneEntity);

void WriteEntitiesOfOnePoint(benchmark::State& state) {
  Composer c;
  for (auto _ : state) {
    ExportLonePoint(c.file, Coord(c.file.values.ZText), "POINT");
    c.file.CountEntity(entity_bit::kPoints);
  }
  c.Finish(state);
}
BENCHMARK(WriteEntitiesOfOnePoint);

}  // namespace
