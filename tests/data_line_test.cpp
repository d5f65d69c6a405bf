// Data lines as the composer writes them, held against a composer written straight from the rules
// (fields in the user's order, joined by the separators, coordinates through the reference
// formatter), over many random configurations: every field and custom item ticked or not, in any
// order, repeated fields, prefixes and texts of every length around the composer's 4-, 8- and
// 16-byte moves, forced Z values, counters near the 32-bit limit; with the texts given, and as the
// readers hand points over (one line per entity, or many lines of one entity).
#include "engine/data_line.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "engine/conversion_run.h"
#include "engine/data_file_writer.h"
#include "engine/errors.h"
#include "engine/line_reader.h"
#include "tests/format_coordinate_reference.h"
#include "tests/fuzz_configurations.h"
#include "test_support.h"

namespace corvane {
namespace {

using reference::FormatCoordinateReference;

struct PointTexts {
  std::string x, y, z, handle, layer, entityName, blockName, textValue;
};

// The composer's rules, spelled out without any of its tricks; std::nullopt where a selected
// coordinate is not a number. Counters advance as the composer's do.
std::optional<std::string> ReferenceLine(const RunSettings& run, const PointTexts& t, std::int64_t& pointNumber,
                                         std::int64_t& sequenceNumber, std::int64_t entityNumber) {
  const TExportConfig& cfg = run.config;
  auto coordinate = [](const std::string& text, int decimals) {
    return FormatCoordinateReference(text.empty() ? "0" : text, decimals);
  };
  std::vector<std::string> fields;
  for (FieldCode field : run.SelectedFields) {
    std::string text;
    switch (field) {
      case FieldCode::kNumber:
        text = std::string(cfg.NumberPrefix.view()) + std::to_string(pointNumber++);
        break;
      case FieldCode::kX:
      case FieldCode::kY:
      case FieldCode::kZ: {
        const bool isX = field == FieldCode::kX, isY = field == FieldCode::kY;
        const std::string value = isX ? t.x : isY ? t.y : cfg.ForceZ ? std::string(cfg.ForcedZValue.view()) : t.z;
        const auto formatted = coordinate(value, isX ? cfg.XDecimals : isY ? cfg.YDecimals : cfg.ZDecimals);
        if (!formatted) return std::nullopt;
        text = std::string(isX ? cfg.XPrefix.view() : isY ? cfg.YPrefix.view() : cfg.ZPrefix.view()) + *formatted;
        break;
      }
      case FieldCode::kCustom: {
        text = std::string(cfg.CustomPrefix.view());
        for (std::size_t i = 0; i < run.SelectedCustomItems.size(); ++i) {
          if (i > 0) text += run.customSeparator;
          switch (run.SelectedCustomItems[i]) {
            case 0: text += t.entityName; break;
            case 1: text += t.layer; break;
            case 2: text += t.handle; break;
            case 3: text += t.blockName; break;
            case 4: text += t.textValue; break;
            case 5: text += cfg.CustomLabel.view(); break;
            case 6: text += std::to_string(sequenceNumber++); break;
            case 7: text += std::to_string(entityNumber); break;
          }
        }
        break;
      }
    }
    fields.push_back(text);
  }
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) line += (i > 0 ? run.fieldSeparator : "") + fields[i];
  return line + "\r\n";
}

class Random {
 public:
  explicit Random(std::uint64_t seed) : engine_(seed) {}
  int Pick(int n) { return static_cast<int>(engine_() % static_cast<unsigned>(n)); }
  // Lengths cluster around the composer's move sizes, up to `most`.
  std::string Text(std::size_t most, const char* alphabet = "abcXYZ;,/|- 09_") {
    static constexpr int kLengths[] = {0, 1, 2, 3, 4, 5, 7, 8, 9, 15, 16, 17, 24, 31, 32, 33, 47, 50, 64};
    std::size_t length = static_cast<std::size_t>(kLengths[Pick(std::size(kLengths))]);
    if (length > most) length = most;
    const int size = static_cast<int>(std::char_traits<char>::length(alphabet));
    std::string s;
    for (std::size_t i = 0; i < length; ++i) s += alphabet[Pick(size)];
    return s;
  }
  std::string Coordinate() {
    static const char* const kForms[] = {"5028.750000", "-0.0004", "0.0", "", "12.", "7", "+3.25", "-99.995",
                                         "1.5e3", " 42 ", "9999999999999.99", "123456789012345.678", "abc",
                                         "0.49999999999999999999", "-1234567.123456789"};
    if (Pick(3) == 0) return kForms[Pick(std::size(kForms))];
    std::string s = Pick(4) == 0 ? "-" : "";
    s += Text(14, "0123456789999");
    if (Pick(4) != 0) s += "." + Text(20, "0123456789999");
    return s;
  }

 private:
  std::mt19937_64 engine_;
};

// GCC 12 warns, wrongly, that ShortText::assign may write past its field when the text's length is
// only known as a range; assign cuts every text to the field's capacity.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wstringop-overflow"
#endif
// A configuration drawn at random, with field rows that may repeat a field or name none of the five.
RunSettings RandomRun(Random& random, RunRequest& request) {
  TExportConfig c = test::TestConfig(true);
  c.NumberPrefix.assign(random.Text(50));
  c.XPrefix.assign(random.Text(50));
  c.YPrefix.assign(random.Text(50));
  c.ZPrefix.assign(random.Text(50));
  c.CustomPrefix.assign(random.Text(50));
  c.CustomLabel.assign(random.Text(50));
  c.FieldSeparator.assign(random.Text(10));
  c.CustomSeparator.assign(random.Text(10));
  c.XDecimals = random.Pick(17) - 1;
  c.YDecimals = random.Pick(15);
  c.ZDecimals = random.Pick(15);
  c.ForceZ = random.Pick(3) == 0;
  c.ForcedZValue.assign(random.Pick(4) == 0 ? std::string("x1") : random.Coordinate());
  c.StartNumber = random.Pick(2) == 0 ? 2147483646 : random.Pick(2000) - 1000;
  c.SequenceStart = random.Pick(2) == 0 ? -2147483647 - 1 : random.Pick(10);
  c.EntityNumberStart = random.Pick(100000);
  for (int k = 0; k < kCustomItemCount; ++k) {
    c.CustomOrder[k] = random.Pick(8);
    c.CustomChecked[k] = random.Pick(3) != 0;
  }
  request.lists.fieldRows.clear();
  const int rows = 1 + random.Pick(7);
  for (int k = 0; k < rows; ++k) {
    static const char* const kRows[] = {"Number", "X Coord.", "Y Coord.", "Z Coord.", "Custom data", "Other"};
    request.lists.fieldRows.push_back(FieldRow{kRows[random.Pick(6)], random.Pick(5) != 0});
  }
  return PrepareRunSettings(c, request.lists);
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

// The two configurations the conversion fuzzer runs: everything ticked with prefixes and counters
// near the 32-bit limit, and a variant that forces Z and writes the custom field twice.
std::vector<RunSettings> FuzzerRuns(RunRequest& request) {
  request.lists.fieldRows = {{"Number", true}, {"X Coord.", true}, {"Y Coord.", true}, {"Z Coord.", true},
                       {"Custom data", true}};
  std::vector<RunSettings> runs{PrepareRunSettings(fuzz_configurations::Everything(), request.lists)};
  request.lists.fieldRows.push_back({"Custom data", true});
  runs.push_back(PrepareRunSettings(fuzz_configurations::Variant(), request.lists));
  return runs;
}

PointTexts RandomPoint(Random& random) {
  static const char* const kNames[] = {"POINT", "LINE", "2DPOLYLINE", "3DFACE", "LWPOLYLINE"};
  return PointTexts{random.Coordinate(), random.Coordinate(), random.Coordinate(), random.Text(20),
                    random.Text(64),     kNames[random.Pick(5)], random.Text(40),      random.Text(64)};
}

struct Composed {
  std::string text;
  bool failed = false;
  std::int64_t pointNumber = 0, sequenceNumber = 0;
};

// Writes the points through the real composer into a real file, as a reader would (the entity
// number moves after each point), stopping at the first line that fails.
// The output buffer is kept from call to call, as a job keeps it from file to file.
// How the points reach the composer: with their texts given (every point its own entity), or as
// the readers hand them over from the entity's value slots: every point an entity with a single
// point, or all points one entity whose texts stay (those of the first point).
enum class Route { kTextsGiven, kLonePoints, kOneEntity };

// A value slot is filled from a line of the reader, which has slack behind it.
std::string_view WithSlack(const std::string& text, std::string& storage) {
  storage = text + std::string(kLineSlack, '#');
  return std::string_view(storage.data(), text.size());
}

Composed Compose(const RunSettings& run, const std::vector<PointTexts>& points, const std::string& path,
                 Route route = Route::kTextsGiven) {
  static ByteBuffer output;
  static LineReader noInput(std::string_view{});
  Composed result;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  EXPECT_NE(file, nullptr);
  DataFileWriter writer(file, path, output);
  FileState state(run, noInput, writer);
  state.SequenceNumber = run.config.SequenceStart;
  std::string slack;
  for (const PointTexts& t : points) {
    try {
      if (route == Route::kTextsGiven) {
        WriteDataLine(state, CoordText{t.x, 1}, CoordText{t.y, 2}, CoordText{t.z, 3}, t.handle, t.layer,
                      t.entityName, t.blockName, t.textValue);
      } else {
        EntityValues& v = state.values;
        const PointTexts& texts = route == Route::kOneEntity ? points.front() : t;
        v.XText.SetFromLine(WithSlack(t.x, slack), 1);
        v.YText.SetFromLine(WithSlack(t.y, slack), 2);
        v.ZText.SetFromLine(WithSlack(t.z, slack), 3);
        v.Handle.Set(WithSlack(texts.handle, slack));
        v.Layer.Set(WithSlack(texts.layer, slack));
        v.BlockName.Set(WithSlack(texts.blockName, slack));
        v.TextValue.Set(WithSlack(texts.textValue, slack));
        if (route == Route::kLonePoints) {
          ExportLonePoint(state, Coord(v.ZText), texts.entityName);
        } else {
          ExportPoint(state, Coord(v.ZText), texts.entityName);
        }
      }
    } catch (const FileConversionError&) {
      result.failed = true;
      break;
    }
    if (route != Route::kOneEntity) ++state.EntityNumber;
  }
  writer.Close();
  result.text = test::ReadFile(path);
  // A new name each time: writing over a file waits for the old one to reach the disk.
  std::filesystem::remove(path);
  result.pointNumber = state.PointNumber;
  result.sequenceNumber = state.SequenceNumber;
  return result;
}

TEST(DataLine, AgreesWithTheRulesOverRandomConfigurations) {
  test::TempDir dir;
  Random random(20261207);
  RunRequest request = test::RequestFor(test::TestConfig(true), {});
  int failures = 0, lines = 0;
  const std::vector<RunSettings> fuzzerRuns = FuzzerRuns(request);
  for (int round = 0; round < 4000; ++round) {
    const RunSettings run = round < 200 ? fuzzerRuns[round % 2] : RandomRun(random, request);
    const Route route = static_cast<Route>(round % 3);
    std::vector<PointTexts> points;
    for (int k = 0, n = 1 + random.Pick(6); k < n; ++k) {
      points.push_back(RandomPoint(random));
      if (route == Route::kOneEntity) {
        const PointTexts& first = points.front();
        PointTexts& last = points.back();
        last.handle = first.handle;
        last.layer = first.layer;
        last.entityName = first.entityName;
        last.blockName = first.blockName;
        last.textValue = first.textValue;
      }
    }

    std::string expected;
    bool expectFailure = false;
    std::int64_t pointNumber = run.config.StartNumber, sequenceNumber = run.config.SequenceStart;
    std::int64_t entityNumber = run.config.EntityNumberStart;
    for (const PointTexts& t : points) {
      const auto line = ReferenceLine(run, t, pointNumber, sequenceNumber, entityNumber);
      if (!line) {
        expectFailure = true;
        break;
      }
      expected += *line;
      if (route != Route::kOneEntity) ++entityNumber;
      ++lines;
    }
    failures += expectFailure;

    const Composed composed = Compose(run, points, dir.File("line" + std::to_string(round) + ".txt"), route);
    ASSERT_EQ(composed.failed, expectFailure) << "round " << round;
    ASSERT_EQ(composed.text, expected) << "round " << round;
    if (!expectFailure) {
      ASSERT_EQ(composed.pointNumber, pointNumber) << "round " << round;
      ASSERT_EQ(composed.sequenceNumber, sequenceNumber) << "round " << round;
    }
  }
  // The draw must exercise both outcomes, or half of the rules went untried.
  EXPECT_GT(failures, 100);
  EXPECT_GT(lines, 5000);
}

TEST(DataLine, AForcedZValueThatIsNotANumberFailsTheLineOnlyWhenZIsWritten) {
  test::TempDir dir;
  TExportConfig c = test::TestConfig(true);
  c.ForceZ = 1;
  c.ForcedZValue.assign("1,5");
  const PointTexts point{"1", "2", "3", "h", "L", "POINT", "", ""};
  RunRequest request = test::RequestFor(c, {});
  RunSettings run = PrepareRunSettings(c, request.lists);
  EXPECT_TRUE(Compose(run, {point}, dir.File("a.txt")).failed);

  request.lists.fieldRows = {FieldRow{"X Coord.", true}, FieldRow{"Z Coord.", false}};
  run = PrepareRunSettings(c, request.lists);
  const Composed composed = Compose(run, {point}, dir.File("b.txt"));
  EXPECT_FALSE(composed.failed);
  EXPECT_EQ(composed.text, "1.000\r\n");
}

// The point and entity numbers keep their text from line to line and move it on in place: across
// every carry into a new digit, from negative to positive, and after jumps back and forth.
TEST(DataLine, NumbersStayRightAcrossCarriesAndJumps) {
  test::TempDir dir;
  TExportConfig c = test::TestConfig(true);
  RunRequest request = test::RequestFor(c, {});
  request.lists.fieldRows = {{"Number", true}, {"Custom data", true}};
  c.CustomOrder[0] = 7;
  c.CustomChecked[0] = 1;
  c.CustomChecked[1] = 0;
  for (std::int32_t start : {-12, -1, 0, 7, 95, 995, 999990, 2147483640}) {
    c.StartNumber = start;
    c.EntityNumberStart = start;
    const RunSettings run = PrepareRunSettings(c, request.lists);
    ASSERT_EQ(run.SelectedCustomItems, std::vector<int>{7});
    const PointTexts point{"1", "2", "3", "h", "L", "POINT", "", ""};
    // Every entity here has one point, so both numbers move on by one per line.
    const Composed composed = Compose(run, std::vector<PointTexts>(30, point), dir.File("n.txt"));
    std::string expected;
    for (std::int64_t k = 0; k < 30; ++k) expected += std::to_string(start + k) + "," + std::to_string(start + k) + "\r\n";
    EXPECT_EQ(composed.text, expected) << "from " << start;
  }

  // Entity numbers that stay, jump back and jump ahead between lines.
  RunSettings run = PrepareRunSettings(c, request.lists);
  std::FILE* file = std::fopen(dir.File("j.txt").c_str(), "wb");
  ASSERT_NE(file, nullptr);
  LineReader noInput(std::string_view{});
  DataFileWriter writer(file, dir.File("j.txt"));
  FileState state(run, noInput, writer);
  std::string expected;
  std::int64_t pointNumber = c.StartNumber;
  for (std::int64_t entity : {9, 9, 10, 10, 3, 99, 100, -5, -4, 1000000, 999999, 1000000}) {
    state.EntityNumber = entity;
    WriteDataLine(state, CoordText{"1", 1}, CoordText{"2", 2}, CoordText{"3", 3}, "h", "L", "POINT", "", "");
    expected += std::to_string(pointNumber++) + "," + std::to_string(entity) + "\r\n";
  }
  writer.Close();
  EXPECT_EQ(test::ReadFile(dir.File("j.txt")), expected);
}

}  // namespace
}  // namespace corvane
