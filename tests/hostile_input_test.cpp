// Drawings and files that no CAD program writes: garbage, cut-off files, absurd lengths, and files
// or folders in a drawing's place that cannot be read. Each must end in a clear report line, without
// a crash, and without losing what was already written.
#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/resource.h>
#include <sys/stat.h>
#endif

#include <csignal>
#if !defined(_WIN32)
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "engine/conversion_run.h"
#include "engine/line_reader.h"
#include "tests/error_run_fixtures.h"
#include "tests/test_support.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;
using test::ConvertText;
using test::DxfWithEntities;
using test::FileBody;
using test::kTruncated;
using test::LineNumberOf;
using test::Pairs;
using test::ReadFile;
using test::RequestFor;
using test::SplitCrLf;
using test::TempDir;
using test::TestConfig;
using test::TestObserver;
using Lines = std::vector<std::string>;

constexpr std::string_view kNotValid = "*** Error, not a valid DXF file ***";
constexpr std::string_view kCannotOpen = "*** Error, file is used by another application ***";

// Fields N, X, Y, Z and C (entity type and layer), 3 decimals, every entity option.
const TExportConfig& Config() {
  static const TExportConfig c = TestConfig(true);
  return c;
}

std::string Point(std::string_view x, std::string_view y, std::string_view z, std::string_view layer) {
  return Pairs({"0", "POINT", "8", layer, "10", x, "20", y, "30", z});
}

bool Has(const Lines& lines, std::string_view line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}


std::string NotANumber(std::string_view text, std::uint64_t line) {
  return "*** Error, \"" + std::string(text) + "\" in line " + std::to_string(line) + " is not a number ***";
}

std::string Garbage(std::size_t size, unsigned seed, bool withLineEnds) {
  std::mt19937 random(seed);
  std::string s(size, '\0');
  for (char& c : s) {
    c = static_cast<char>(random() & 0xFF);
    // Ctrl-Z would end the input at once and hide everything behind it.
    if (c == 26 || (!withLineEnds && (c == '\n' || c == '\r'))) c = 'g';
  }
  return s;
}

TEST(HostileDrawing, InputsWithoutAnEntitiesSectionAreNotValid) {
  const std::string drawing = DxfWithEntities(Point("1", "2", "3", "P"));
  const std::string cases[] = {
      "",
      "ENTITIES",
      "ENTITIES\n  0\nPOINT\n 10\n1\n",
      "  2\nENTITIES",  // nothing after the section name
      Garbage(64 << 10, 1, true),
      std::string(100000, '\0'),
      // Ctrl-Z ends the input before the section.
      "  0\nSECTION\n  2\n\x1a" "ENTITIES\n  0\nPOINT\n",
      std::string("\x1a") + drawing,
  };
  for (const std::string& dxf : cases) {
    SCOPED_TRACE(dxf.substr(0, 40));
    const auto c = ConvertText(dxf, Config());
    EXPECT_EQ(FileBody(c), Lines{std::string(kNotValid)});
    EXPECT_EQ(c.data, "");
    EXPECT_EQ(c.result.filesWithErrors, 1u);
  }
}

TEST(HostileDrawing, GarbageAfterGoodEntitiesKeepsThemAndEndsWithAReportLine) {
  const std::string first = Point("1", "2", "3", "FIRST");
  for (unsigned seed = 1; seed <= 20; ++seed) {
    SCOPED_TRACE(seed);
    const auto c = ConvertText(DxfWithEntities(first + Garbage(4096, seed, true)), Config());
    ASSERT_FALSE(c.dataLines.empty());
    EXPECT_EQ(c.dataLines[0], "1,1.000,2.000,3.000,POINT/FIRST");
    // Either the summary, after the truncation line when the garbage left an entity open, or the
    // error of a number the garbage made up; garbage that puts the pairs out of step says so
    // first.
    Lines body = FileBody(c);
    if (!body.empty() && body[0].rfind("*** Error, the group codes are out of step at line ", 0) == 0) {
      body.erase(body.begin());
    }
    const bool summary = (body.size() == 12 || (body.size() == 13 && body[0] == kTruncated)) &&
                         body.back().rfind(" 3D Faces : ", 0) == 0;
    const bool error = body.size() == 1 && body[0].rfind("*** Error, ", 0) == 0;
    EXPECT_TRUE(summary || error) << (body.empty() ? "no report line" : body.back());
  }
}

TEST(HostileDrawing, NulBytesAreKeptInTextsAndTrimmedAroundValues) {
  const std::string nul(1, '\0');
  const std::string bad = "2" + nul + "5";
  const std::string dxf = DxfWithEntities(
      Point(nul + " 1.5" + nul, "2", "3", "A" + nul + "B") +
      // Not an entity name: its pairs pass by.
      Pairs({"0", "POI" + nul + "NT", "10", "9", "20", "9"}) + Point("4", bad, "6", "C") +
      Point("7", "8", "9", "NEVER"));
  const auto c = ConvertText(dxf, Config());
  EXPECT_EQ(c.dataLines, Lines{"1,1.500,2.000,3.000,POINT/A" + nul + "B"});
  // The NUL is shown as "?" in the report.
  EXPECT_EQ(FileBody(c), Lines{NotANumber("2?5", LineNumberOf(dxf, bad))});
}

TEST(HostileDrawing, LongValuesAreKeptUpToTheLineCapAndTheRestIsSkipped) {
  std::string million(1000000, ' ');
  for (std::size_t i = 0; i < million.size(); ++i) million[i] = static_cast<char>('A' + i % 26);
  // A 3 MiB line whose tail looks like pairs: none of it may come back as lines.
  std::string huge(3 << 20, 'H');
  huge.replace(kMaxLineLength + 10, 30, "  0\rPOINT\r 10\r99\r 20\r99\r 30\r99");
  const std::string dxf = DxfWithEntities(Point("1", "1", "1", million) + Point("2", "2", "2", huge) +
                                          Pairs({"0", "HATCH", "1", huge}) + Point("3", "3", "3", "LAST"));
  const auto c = ConvertText(dxf, Config());
  ASSERT_EQ(c.dataLines.size(), 3u);
  EXPECT_EQ(c.dataLines[0], "1,1.000,1.000,1.000,POINT/" + million);
  EXPECT_EQ(c.dataLines[1], "2,2.000,2.000,2.000,POINT/" + std::string(kMaxLineLength, 'H'));
  EXPECT_EQ(c.dataLines[2], "3,3.000,3.000,3.000,POINT/LAST");
  EXPECT_TRUE(Has(FileBody(c), " Points : 3 "));
  EXPECT_EQ(c.result.filesWithErrors, 0u);
}

TEST(HostileDrawing, HugeNumberTextsAreReadOrReportedNotGuessed) {
  const std::string manyDigits = "1." + std::string(4998, '5');   // read through long double
  const std::string bigInteger(4000, '9');                         // 10^4000 still fits
  const std::string tiny = "0." + std::string(4998, '0') + "1";  // rounds to zero
  const std::string tooBig = "1e5000";                             // beyond every float type
  const std::string dxf = DxfWithEntities(Point(manyDigits, bigInteger, tiny, "OK") +
                                          Point("1", tooBig, "1", "BAD") + Point("2", "2", "2", "AFTER"));
  const auto c = ConvertText(dxf, Config());
  EXPECT_EQ(c.dataLines, Lines{"1,1.556,1E4000,0.000,POINT/OK"});
  EXPECT_EQ(FileBody(c), Lines{NotANumber(tooBig, LineNumberOf(dxf, tooBig))});

  const std::string flags = "1" + std::string(5000, '0');
  const std::string polyline = DxfWithEntities(Point("1", "2", "3", "OK") + Pairs({"0", "POLYLINE", "70", flags}));
  const auto p = ConvertText(polyline, Config());
  EXPECT_EQ(p.dataLines, Lines{"1,1.000,2.000,3.000,POINT/OK"});
  // A long or unprintable text is quoted short and safe for a terminal.
  EXPECT_EQ(FileBody(p), Lines{"*** Error, group 70 value \"" + flags.substr(0, 60) + "...\" in line " +
                               std::to_string(LineNumberOf(polyline, flags)) + " is not an integer ***"});
  const auto e = ConvertText(DxfWithEntities(Point("1\x1b[2J", "2", "3", "ESC")), Config());
  EXPECT_EQ(FileBody(e), Lines{"*** Error, \"1?[2J\" in line 20 is not a number ***"});
}

TEST(HostileDrawing, PolylinesWithoutSeqendOneAfterAnother) {
  constexpr int kCount = 100000;
  std::string entities;
  for (int i = 0; i < kCount; ++i) {
    entities += Pairs({"0", "POLYLINE", "8", "P", "70", "0", "0", "VERTEX", "10", std::to_string(i), "20", "1"});
  }
  const auto c = ConvertText(DxfWithEntities(entities), Config());
  ASSERT_EQ(c.dataLines.size(), static_cast<std::size_t>(kCount));
  EXPECT_EQ(c.dataLines.back(), "100000,99999.000,1.000,0.000,2DPOLYLINE/P");
  EXPECT_TRUE(Has(FileBody(c), " 2D Polylines : 100000 "));
  EXPECT_EQ(c.result.filesWithErrors, 0u);
}

TEST(HostileDrawing, InputCutShortInsideAnEntityKeepsWhatArrived) {
  const std::string head = DxfWithEntities(Point("1", "1", "1", "DONE"));
  const std::string open = head.substr(0, head.rfind("  0\nENDSEC")) + Pairs({"0", "POINT", "8", "CUT", "10", "5"});
  struct Case {
    std::string dxf;
    std::string lastLine;
  };
  const Case cases[] = {
      // The section ends on a code line without its value: that pair is not taken.
      {open + " 20\n", "2,5.000,0.000,0.000,POINT/CUT"},
      {open + " 20\n7", "2,5.000,7.000,0.000,POINT/CUT"},
      // Ctrl-Z ends the input in the middle of the entity; the complete pairs behind it do not count.
      {open + " 20\n7\n\x1a 30\n9\n" + Point("3", "3", "3", "HIDDEN") + "  0\nEOF\n", "2,5.000,7.000,0.000,POINT/CUT"},
      {open + " 20\n7\x1a" "7\n 30\n9\n", "2,5.000,7.000,0.000,POINT/CUT"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.dxf.substr(open.size() - 30));
    const auto c = ConvertText(k.dxf, Config());
    EXPECT_EQ(c.dataLines, (Lines{"1,1.000,1.000,1.000,POINT/DONE", k.lastLine}));
    const Lines body = FileBody(c);
    ASSERT_EQ(body.size(), 13u);
    EXPECT_EQ(body[0], kTruncated);
    EXPECT_EQ(body[1], " Points : 2 ");
    EXPECT_EQ(c.result.filesWithErrors, 1u);
  }
}

// A field-name list edited by hand can tick the custom field twice, and a configuration built in
// code can tick one custom item several times: every copy of a long text must fit the line.
TEST(HostileDrawing, RepeatedCustomTextsOfAnyLengthAreWrittenWhole) {
  const std::string text(600000, 'T');
  const std::string layer(300000, 'L');
  const std::string dxf = DxfWithEntities(Pairs({"0", "TEXT", "8", layer, "1", text, "10", "1", "20", "2", "30", "3"}) +
                                          Point("4", "5", "6", "P"));
  TExportConfig cfg = TestConfig(true);
  for (int k = 0; k < kCustomItemCount; ++k) cfg.CustomChecked[k] = 0;
  cfg.CustomOrder[0] = 4;  // text value
  cfg.CustomOrder[1] = 1;  // layer
  cfg.CustomChecked[0] = cfg.CustomChecked[1] = 1;

  TempDir dir;
  const std::string path = dir.Write("d.dxf", dxf);
  RunRequest request = RequestFor(cfg, {path});
  request.lists.fieldRows = {{"Custom data", true}, {"Number", true}, {"Custom again", true}, {"X Coordinate", false}};
  TestObserver observer;
  RunResult r = RunConversion(cfg, request, observer);
  const std::string custom = text + "/" + layer;
  EXPECT_EQ(SplitCrLf(ReadFile(dir.path() / "d.txt")), (Lines{custom + ",1," + custom, "/P,2,/P"}));
  EXPECT_EQ(r.filesWithErrors, 0u);

  // Every custom slot names the text value: eight copies of it per custom field.
  for (int k = 0; k < kCustomItemCount; ++k) {
    cfg.CustomOrder[k] = 4;
    cfg.CustomChecked[k] = 1;
  }
  request = RequestFor(cfg, {path});
  request.lists.fieldRows = {{"Custom data", true}, {"Custom again", true}};
  r = RunConversion(cfg, request, observer);
  std::string eight = text;
  for (int k = 1; k < 8; ++k) eight += "/" + text;
  EXPECT_EQ(SplitCrLf(ReadFile(dir.path() / "d.txt")), (Lines{eight + "," + eight, "///////,///////"}));
}

using test::HostileFiles;

TEST_F(HostileFiles, AFolderNamedAsADrawingCannotBeOpened) {
  const std::string folder = (dir_.path() / "folder.dxf").string();
  fs::create_directory(folder);
  const std::string good = Good("good.dxf");
  const RunResult r = Run({folder, good});
  EXPECT_EQ(test::ReportBlock(r, folder), Lines{std::string(kCannotOpen)});
  EXPECT_FALSE(fs::exists(dir_.path() / "folder.txt"));
  EXPECT_EQ(SplitCrLf(ReadFile(dir_.path() / "good.txt")), points_);
  EXPECT_EQ(r.filesWithErrors, 1u);
}

#if !defined(_WIN32)  // permission bits, /proc, /dev and file-size limits are POSIX matters
TEST_F(HostileFiles, AnUnreadableDrawingCannotBeOpened) {
  if (Root()) GTEST_SKIP() << "root reads every file";
  const std::string locked = Good("locked.dxf");
  fs::permissions(locked, fs::perms::none);
  const std::string good = Good("good.dxf");
  const RunResult r = Run({locked, good});
  EXPECT_EQ(test::ReportBlock(r, locked), Lines{std::string(kCannotOpen)});
  EXPECT_FALSE(fs::exists(dir_.path() / "locked.txt"));
  EXPECT_EQ(SplitCrLf(ReadFile(dir_.path() / "good.txt")), points_);
}
#endif

#if !defined(_WIN32)  // FIFOs are a POSIX matter
TEST_F(HostileFiles, AFifoNamedLikeADrawingIsRefusedWithoutWaitingForAWriter) {
  // Opening a FIFO for reading waits for a writer that never comes: the run would hang.
  const std::string fifo = dir_.File("pipe.dxf");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string good = Good("good.dxf");
  const RunResult r = Run({fifo, good});
  EXPECT_EQ(test::ReportBlock(r, fifo), Lines{std::string(kCannotOpen)});
  EXPECT_FALSE(fs::exists(dir_.path() / "pipe.txt"));
  EXPECT_EQ(SplitCrLf(ReadFile(dir_.path() / "good.txt")), points_);
}
#endif

#if !defined(_WIN32)  // permission bits, /proc, /dev and file-size limits are POSIX matters
TEST_F(HostileFiles, AReadErrorEndsThatFileOnly) {
  // Reading a process's own memory file at offset 0 fails with an I/O error on Linux.
  const std::string mem = "/proc/self/mem";
  if (!fs::exists(mem)) GTEST_SKIP() << "no " << mem;
  const std::string good = Good("good.dxf");
  const RunResult r = Run({mem, good}, dir_.Str());
  const Lines block = test::ReportBlock(r, mem);
  ASSERT_EQ(block.size(), 2u);
  EXPECT_EQ(block[0], "Data File : " + (dir_.path() / "mem.txt").string());
  EXPECT_EQ(block[1].rfind("*** Error, read error: ", 0), 0u) << block[1];
  EXPECT_EQ(SplitCrLf(ReadFile(dir_.path() / "good.txt")), points_);
  EXPECT_EQ(r.filesWithErrors, 1u);
  EXPECT_TRUE(r.fatalError.empty());
}
#endif


}  // namespace
}  // namespace corvane
