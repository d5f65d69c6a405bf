// The point preview holds exactly what a run writes: the data file's bytes, one point per data
// line with its numbers and entity type, and the report's counts.
#include "engine/point_preview.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "config/crv_file.h"
#include "engine/conversion_run.h"
#include "engine/coordinate_value.h"
#include "files/text_rules.h"
#include "tests/fuzz_configurations.h"
#include "tests/test_support.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

PreviewRequest PreviewRequestFor(const TExportConfig& config, const std::string& dxfPath) {
  PreviewRequest request;
  request.dxfPath = dxfPath;
  request.lists.fieldRows = FieldRowsFromConfig(config, test::ShippedFieldNames());
  request.lists.customItemNames = test::ShippedCustomItems();
  request.lists.hintLines = test::ShippedHints();
  return request;
}

TExportConfig DefaultCrv() {
  TExportConfig config = ZeroConfig();
  TExportConfig saved = ZeroConfig();
  EXPECT_TRUE(ReadConfigFile(std::string(CORVANE_PROGRAM_DIR) + "/default.crv", config, saved).accepted);
  return config;
}

std::vector<std::string> ExampleDrawings() {
  std::vector<std::string> paths;
  for (const auto& entry : fs::directory_iterator(fs::path(CORVANE_SOURCE_DIR) / "examples")) {
    if (entry.path().extension() == ".dxf") paths.push_back(entry.path().string());
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

// The field `index` of a line cut at `separator` (which must not be empty).
std::string_view Field(std::string_view line, std::string_view separator, std::size_t index) {
  for (std::size_t k = 0; k < index; ++k) {
    const std::size_t at = line.find(separator);
    if (at == std::string_view::npos) return {};
    line.remove_prefix(at + separator.size());
  }
  return line.substr(0, line.find(separator));
}

// Converts `dxfPath` with a run and with the preview, and holds them equal: the same bytes, one
// point per data line, and the report's lines and counts. Returns the preview.
PointPreview ExpectSameAsRun(const TExportConfig& config, const std::string& dxfPath) {
  TempDir out;
  test::TestObserver observer;
  const RunRequest request = test::RequestFor(config, {dxfPath}, out.Str());
  const RunResult run = RunConversion(config, request, observer);
  EXPECT_FALSE(run.refusal.has_value());
  const std::string dataPath = DataFilePath(WithSeparator(out.Str()), fs::path(dxfPath).filename().string(),
                                            config.FileExtension.view());
  const std::string data = test::ReadFile(dataPath);

  PointPreview preview = PreviewPoints(config, PreviewRequestFor(config, dxfPath));
  SCOPED_TRACE(dxfPath);
  EXPECT_EQ(preview.Bytes(), data);
  EXPECT_EQ(preview.lineStart.size(), preview.size() + 1);
  EXPECT_EQ(preview.x.size(), preview.size());
  EXPECT_EQ(preview.y.size(), preview.size());
  EXPECT_EQ(preview.z.size(), preview.size());
  EXPECT_EQ(preview.lineStart.back(), preview.fileBytes.size());
  if (config.IncludeHeader) {
    const std::string header = PrepareRunSettings(config, request.lists).HeaderLine;
    EXPECT_EQ(preview.HeaderLine(), header);
  } else {
    EXPECT_FALSE(preview.HasHeader());
  }
  // Every line ends in CR LF, and the lines one after another are the file.
  std::string joined(preview.HeaderLine());
  if (preview.HasHeader()) joined += "\r\n";
  for (std::size_t i = 0; i < preview.size(); ++i) {
    joined += preview.Line(i);
    joined += "\r\n";
  }
  EXPECT_EQ(joined, data);

  // The report's block of this drawing, without its "Data File" line, and its summary.
  std::vector<std::string> block = test::ReportBlock(run, dxfPath);
  if (!block.empty() && block.front().rfind("Data File : ", 0) == 0) block.erase(block.begin());
  std::vector<std::string> previewLines;
  for (const std::string& line : preview.reportLines) {
    if (!line.empty()) previewLines.push_back(line);
  }
  EXPECT_EQ(previewLines, block);
  for (const PreviewTypeCount& entry : preview.summary) {
    EXPECT_NE(std::find(block.begin(), block.end(), entry.line), block.end()) << entry.line;
    EXPECT_EQ(entry.count, preview.entityCounts[static_cast<std::size_t>(entry.option)]);
    EXPECT_EQ(entry.line.rfind(" " + entry.label + " : " + std::to_string(entry.count) + " ", 0), 0u);
  }
  // Every point's type is an option that is counted and enabled.
  for (std::uint8_t type : preview.type) {
    EXPECT_TRUE(type <= 14 && type != 7 && type != 9 && type != 11) << int(type);
    EXPECT_TRUE((config.EntityMask >> type) & 1u) << int(type);
  }
  return preview;
}

// The numbers in the line are the preview's numbers, rounded: fields N, X, Y, Z, comma separated,
// without prefixes, with the record's decimals.
void ExpectNumbersMatchLines(const PointPreview& p, const TExportConfig& config) {
  for (std::size_t i = 0; i < p.size(); ++i) {
    const std::string_view line = p.Line(i);
    const double values[3] = {p.x[i], p.y[i], p.z[i]};
    const int decimals[3] = {config.XDecimals, config.YDecimals, config.ZDecimals};
    for (int k = 0; k < 3; ++k) {
      const double written = CoordinateValue(Field(line, ",", static_cast<std::size_t>(k + 1)));
      const double tolerance = 0.5 * std::pow(10.0, -decimals[k]) * 1.000001 + 1e-9 * std::fabs(written);
      EXPECT_NEAR(values[k], written, tolerance) << line;
    }
  }
}

TEST(PointPreview, ExamplesWithDefaultCrvAreTheDataFiles) {
  const TExportConfig config = DefaultCrv();
  const std::vector<std::string> drawings = ExampleDrawings();
  ASSERT_GE(drawings.size(), 2u);
  for (const std::string& dxf : drawings) {
    const PointPreview p = ExpectSameAsRun(config, dxf);
    EXPECT_EQ(p.end, PreviewEnd::kComplete);
    EXPECT_GT(p.size(), 0u);
    ExpectNumbersMatchLines(p, config);
    ASSERT_TRUE(p.hasExtent);
    for (std::size_t i = 0; i < p.size(); ++i) {
      EXPECT_TRUE(p.x[i] >= p.minX && p.x[i] <= p.maxX && p.y[i] >= p.minY && p.y[i] <= p.maxY);
    }
  }
}

TEST(PointPreview, ExamplesWithOtherRecordsAreTheDataFiles) {
  std::vector<TExportConfig> configs;
  configs.push_back(test::TestConfig(true));  // custom items: type and layer
  TExportConfig header = test::TestConfig(false);
  header.IncludeHeader = 1;
  header.ForceZ = 1;
  header.ForcedZValue.assign("12.25");
  header.ZDecimals = 1;
  configs.push_back(header);
  TExportConfig few = test::TestConfig(true);
  few.EntityMask = EntityBitValue(entity_bit::kPoints) | EntityBitValue(entity_bit::kLines) |
                   EntityBitValue(entity_bit::kBlocks);
  few.BlockNames.assign("A*,T?EE");
  few.XDecimals = 0;
  few.YDecimals = 6;
  configs.push_back(few);
  configs.push_back(fuzz_configurations::Everything());
  configs.push_back(fuzz_configurations::Variant());
  for (const TExportConfig& config : configs) {
    for (const std::string& dxf : ExampleDrawings()) {
      const PointPreview p = ExpectSameAsRun(config, dxf);
      EXPECT_EQ(p.end, PreviewEnd::kComplete);
      if (config.ForceZ) {
        for (double z : p.z) EXPECT_EQ(z, CoordinateValue(config.ForcedZValue.view()));
      }
    }
  }
  ExpectNumbersMatchLines(ExpectSameAsRun(configs[1], ExampleDrawings()[0]), configs[1]);
}

// The fuzzer's drawings (fuzz/corpus/conversion: every entity type, damaged files, bad numbers,
// pairs out of step) with both configurations the fuzzer draws.
TEST(PointPreview, FuzzCorpusWithFuzzConfigurationsIsTheDataFiles) {
  std::vector<std::string> drawings;
  for (const auto& entry : fs::directory_iterator(fs::path(CORVANE_SOURCE_DIR) / "fuzz/corpus/conversion")) {
    drawings.push_back(entry.path().string());
  }
  std::sort(drawings.begin(), drawings.end());
  ASSERT_GT(drawings.size(), 100u);
  // Every fifth drawing keeps the test short; the choice is fixed, so a failure repeats.
  std::size_t points = 0, failed = 0;
  for (const TExportConfig& config : {fuzz_configurations::Everything(), fuzz_configurations::Variant()}) {
    for (std::size_t i = 0; i < drawings.size(); i += 5) {
      const PointPreview p = ExpectSameAsRun(config, drawings[i]);
      points += p.size();
      if (p.end != PreviewEnd::kComplete) ++failed;
      if (::testing::Test::HasFailure()) return;
    }
  }
  EXPECT_GT(points, 1000u);
  EXPECT_GT(failed, 0u);  // damaged drawings are among them, and end as the run ends them
}

TEST(PointPreview, TypesFollowTheReadersEntityNames) {
  TempDir dir;
  const std::string dxf = dir.Write(
      "all.dxf", test::DxfWithEntities(test::Pairs({"0", "POINT", "10", "1", "20", "2", "30", "3",       //
                                                    "0", "LINE", "10", "0", "20", "0", "30", "0", "11",  //
                                                    "5", "21", "5", "31", "0",                           //
                                                    "0", "LWPOLYLINE", "10", "1", "20", "1", "10", "2",  //
                                                    "20", "2",                                           //
                                                    "0", "INSERT", "2", "DOOR", "10", "7", "20", "8",    //
                                                    "0", "TEXT", "1", "hello", "10", "-4", "20", "9"})));
  const TExportConfig config = test::TestConfig(true);
  const PointPreview p = ExpectSameAsRun(config, dxf);
  ASSERT_EQ(p.size(), 7u);
  const std::vector<std::uint8_t> types = {0, 5, 5, 6, 6, 4, 12};
  EXPECT_EQ(p.type, types);
  EXPECT_EQ(p.entityCounts[entity_bit::kLines], 1);
  EXPECT_EQ(p.entityCounts[entity_bit::k2DPolylines], 1);
  EXPECT_EQ(p.pointCounts[entity_bit::kLines], 2u);
  EXPECT_EQ(p.minX, -4.0);
  EXPECT_EQ(p.maxX, 7.0);
  EXPECT_EQ(p.minY, 0.0);
  EXPECT_EQ(p.maxY, 9.0);
  EXPECT_EQ(p.Line(0), "1,1.000,2.000,3.000,POINT/!NoLayer!");
}

std::string ManyPoints(std::size_t count) {
  std::string entities;
  for (std::size_t i = 0; i < count; ++i) {
    entities += "  0\nPOINT\n  8\n0\n 10\n" + std::to_string(i) + ".5\n 20\n" + std::to_string(i % 977) +
                "\n 30\n0\n";
  }
  return test::DxfWithEntities(entities);
}

// A coordinate beyond the doubles is exported as the run exports it, and has no place in the
// extent: one such point must not stretch the picture to infinity.
TEST(PointPreview, PointsWithoutAFiniteCoordinateStayOutOfTheExtent) {
  TempDir dir;
  const std::string dxf = dir.Write(
      "far.dxf", test::DxfWithEntities(test::Pairs({"0", "POINT", "10", "1", "20", "2",          //
                                                    "0", "POINT", "10", "1e999", "20", "50",     //
                                                    "0", "POINT", "10", "3", "20", "-4",         //
                                                    "0", "POINT", "10", "70", "20", "-1e999"})));
  const PointPreview p = ExpectSameAsRun(test::TestConfig(), dxf);
  ASSERT_EQ(p.size(), 4u);
  EXPECT_TRUE(p.hasExtent);
  EXPECT_EQ(p.minX, 1.0);
  EXPECT_EQ(p.maxX, 3.0);
  EXPECT_EQ(p.minY, -4.0);
  EXPECT_EQ(p.maxY, 2.0);
  EXPECT_EQ(p.pointsWithoutPlace, 2u);
}

TEST(PointPreview, ACancelSetBeforeStartsStopsAtOnce) {
  TempDir dir;
  const std::string dxf = dir.Write("many.dxf", ManyPoints(1000));
  std::atomic<bool> cancel{true};
  const TExportConfig config = test::TestConfig();
  const PointPreview p = PreviewPoints(config, PreviewRequestFor(config, dxf), &cancel);
  EXPECT_EQ(p.end, PreviewEnd::kCanceled);
  EXPECT_EQ(p.size(), 0u);
  EXPECT_TRUE(p.summary.empty());
}

TEST(PointPreview, ACancelDuringTheWorkStopsItAndProgressIsTold) {
  TempDir dir;
  const std::string dxf = dir.Write("many.dxf", ManyPoints(200000));  // about 8 MB
  const std::uint64_t size = fs::file_size(dxf);
  std::atomic<bool> cancel{false};
  std::vector<std::uint64_t> told;
  const TExportConfig config = test::TestConfig();
  const PointPreview p = PreviewPoints(config, PreviewRequestFor(config, dxf), &cancel,
                                       [&](std::uint64_t bytes, std::uint64_t total) {
                                         EXPECT_EQ(total, size);
                                         told.push_back(bytes);
                                         if (bytes >= 2u << 20) cancel = true;
                                       });
  EXPECT_EQ(p.end, PreviewEnd::kCanceled);
  EXPECT_GT(p.size(), 0u);
  EXPECT_LT(p.size(), 200000u);
  EXPECT_TRUE(p.summary.empty());
  ASSERT_GE(told.size(), 2u);
  EXPECT_TRUE(std::is_sorted(told.begin(), told.end()));
  // The lines kept are the first lines of the full preview.
  const PointPreview full = PreviewPoints(config, PreviewRequestFor(config, dxf));
  EXPECT_EQ(full.end, PreviewEnd::kComplete);
  EXPECT_EQ(full.size(), 200000u);
  EXPECT_EQ(full.Bytes().compare(0, p.Bytes().size(), p.Bytes()), 0);
}

TEST(PointPreview, RefusesWhatTheRunButtonRefusesAndTellsAMissingDrawing) {
  TExportConfig config = test::TestConfig();
  config.EntityMask = 0;
  PointPreview p = PreviewPoints(config, PreviewRequestFor(config, "/nonexistent/x.dxf"));
  EXPECT_EQ(p.end, PreviewEnd::kRefused);
  ASSERT_TRUE(p.refusal.has_value());
  config = test::TestConfig();
  p = PreviewPoints(config, PreviewRequestFor(config, "/nonexistent/x.dxf"));
  EXPECT_EQ(p.end, PreviewEnd::kCannotOpen);
  ASSERT_EQ(p.reportLines.size(), 1u);
  EXPECT_EQ(p.reportLines[0], "*** Error, file is used by another application ***");
}

TEST(PointPreview, PreviewsRunSideBySideOnWorkerThreads) {
  const TExportConfig config = DefaultCrv();
  const std::string dxf = ExampleDrawings()[0];
  const PointPreview alone = PreviewPoints(config, PreviewRequestFor(config, dxf));
  std::vector<PointPreview> results(4);
  std::vector<std::thread> threads;
  for (auto& r : results) {
    threads.emplace_back([&] { r = PreviewPoints(config, PreviewRequestFor(config, dxf)); });
  }
  for (auto& t : threads) t.join();
  for (const auto& r : results) {
    EXPECT_EQ(r.Bytes(), alone.Bytes());
    EXPECT_EQ(r.x, alone.x);
  }
}

TEST(CoordinateValue, ReadsTheDxfNumberFormOnly) {
  EXPECT_EQ(CoordinateValue(""), 0.0);
  EXPECT_EQ(CoordinateValue(" 12.5 "), 12.5);
  EXPECT_EQ(CoordinateValue("+1e3"), 1000.0);
  EXPECT_EQ(CoordinateValue("-.5"), -0.5);
  EXPECT_EQ(CoordinateValue("5."), 5.0);
  EXPECT_EQ(CoordinateValue("1e-5000"), 0.0);
  EXPECT_TRUE(std::isinf(CoordinateValue("1e5000")));
  EXPECT_TRUE(std::isnan(CoordinateValue("1,5")));
  EXPECT_TRUE(std::isnan(CoordinateValue("inf")));
  EXPECT_TRUE(std::isnan(CoordinateValue("nan")));
  EXPECT_TRUE(std::isnan(CoordinateValue(".")));
  EXPECT_TRUE(std::isnan(CoordinateValue("1e")));
  EXPECT_TRUE(std::isnan(CoordinateValue("--1")));
}

// The quick way for short numbers gives the correctly rounded double, as the long way does.
TEST(CoordinateValue, ShortNumbersAreReadExactlyAsTheLongWayReadsThem) {
  std::uint64_t seed = 12345;
  auto next = [&] {
    seed = seed * 6364136223846793005ull + 1442695040888963407ull;
    return seed >> 33;
  };
  for (int k = 0; k < 200000; ++k) {
    std::string text = (next() % 2) ? "-" : "";
    const int whole = static_cast<int>(next() % 12), fraction = static_cast<int>(next() % 12);
    for (int i = 0; i < whole; ++i) text += static_cast<char>('0' + next() % 10);
    if (whole == 0) text += '0';
    if (fraction > 0) text += '.';
    for (int i = 0; i < fraction; ++i) text += static_cast<char>('0' + next() % 10);
    if (next() % 5 == 0) text += "e" + std::to_string(static_cast<int>(next() % 40) - 20);
    double expected = 0;
    const char* start = text.data() + (text[0] == '-' ? 1 : 0);
    std::from_chars(start, text.data() + text.size(), expected);
    if (text[0] == '-') expected = -expected;
    ASSERT_EQ(CoordinateValue(text), expected) << text;
  }
  EXPECT_EQ(CoordinateValue("12345678901234567890123"), 12345678901234567890123.0);
  EXPECT_EQ(CoordinateValue("0.000000000000000000000000123"), 1.23e-25);
  EXPECT_EQ(CoordinateValue("9007199254740993"), 9007199254740992.0);  // 2^53 + 1 rounds to even
}

}  // namespace
}  // namespace corvane
