#include "engine/conversion_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#endif

#include "engine/convert_file.h"
#include "engine/folder_listing.h"
#include "files/file_io.h"
#include "files/path_text.h"
#include "tests/test_support.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;
using test::DxfWithEntities;
using test::ReadFile;
using test::RequestFor;
using test::SplitCrLf;
using test::TempDir;
using test::TestConfig;
using test::TestObserver;
using Lines = std::vector<std::string>;

const char kSep = static_cast<char>(fs::path::preferred_separator);

std::string PointPairs(const std::string& x, const std::string& y, const std::string& z) {
  return "  0\nPOINT\n  8\nPTS\n 10\n" + x + "\n 20\n" + y + "\n 30\n" + z + "\n";
}

TEST(ConversionReport, HeadFileBlockAndOneSummaryLinePerEnabledOption) {
  TempDir dir;
  TExportConfig cfg = TestConfig();
  cfg.EntityMask = EntityBitValue(entity_bit::kLines) | EntityBitValue(entity_bit::k3DFaces) |
                   EntityBitValue(entity_bit::kControlPoints);
  const std::string dxf = dir.Write("plan.dxf", DxfWithEntities(""));
  TestObserver observer;
  const RunResult r = RunConversion(cfg, RequestFor(cfg, {dxf}), observer);
  const std::string data = (dir.path() / "plan.txt").string();
  EXPECT_EQ(r.report, (Lines{"Corvane report created 07/12/2026 10:00:00", "",
                             "Number of processed files : 1", "", "DXF File  : " + dxf,
                             "Data File : " + data, "", " Lines : 0 ", " 3D Faces : 0 ", "", ""}));
  EXPECT_EQ(r.filesWithErrors, 0u);
  EXPECT_FALSE(r.stopped);
  EXPECT_EQ(observer.steps, (Lines{"Processing plan.dxf"}));
}

TEST(ConversionReport, BlocksLineShowsThePatternList) {
  TExportConfig cfg = TestConfig();
  cfg.EntityMask = EntityBitValue(entity_bit::kBlocks);
  cfg.BlockNames.assign("*");
  auto c = test::ConvertText(DxfWithEntities(""), cfg);
  ASSERT_GE(c.report.size(), 8u);
  EXPECT_EQ(c.report[7], " Blocks : 0 (*)");
  cfg.BlockNames.assign("");
  c = test::ConvertText(DxfWithEntities(""), cfg);
  EXPECT_EQ(c.report[7], " Blocks : 0 ()");
}

TEST(ConversionReport, NoFileSelectedStillWritesTheHead) {
  TempDir dir;
  TExportConfig cfg = TestConfig();
  RunRequest request = RequestFor(cfg, {});
  request.reportPath = (dir.path() / "CorvaneLog.txt").string();
  TestObserver observer;
  const RunResult r = RunConversion(cfg, request, observer);
  EXPECT_EQ(r.report, (Lines{"Corvane report created 07/12/2026 10:00:00", "",
                             "Number of processed files : 0", ""}));
  EXPECT_EQ(ReadFile(request.reportPath),
            "Corvane report created 07/12/2026 10:00:00\r\n\r\nNumber of processed files : 0\r\n\r\n");
}

TEST(ConversionReport, MissingDrawingIsReportedAndGetsNoDataFile) {
  TempDir dir;
  TExportConfig cfg = TestConfig();
  cfg.EntityMask = EntityBitValue(entity_bit::kPoints);
  const std::string good = dir.Write("b.dxf", DxfWithEntities(PointPairs("1", "2", "3")));
  const std::string missing = (dir.path() / "a.dxf").string();
  TestObserver observer;
  const RunResult r = RunConversion(cfg, RequestFor(cfg, {missing, good}), observer);
  EXPECT_EQ(r.report[4], "DXF File  : " + missing);
  EXPECT_EQ(r.report[5], "*** Error, file is used by another application ***");
  EXPECT_EQ(r.report[6], "");
  EXPECT_EQ(r.report[7], "DXF File  : " + good);
  EXPECT_FALSE(fs::exists(dir.path() / "a.txt"));
  EXPECT_TRUE(fs::exists(dir.path() / "b.txt"));
  EXPECT_EQ(r.filesWithErrors, 1u);
}

// The front ends learn which lines are errors, and of which drawing, from the result itself: a
// drawing whose name looks like a report line must not pass for one.
TEST(ConversionReport, ErrorLinesComeWithTheirDrawing) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows allows no \"*\" in a file name";
#endif
  TempDir dir;
  TExportConfig cfg = TestConfig();
  cfg.EntityMask = EntityBitValue(entity_bit::kPoints);
  const std::string bad = dir.Write("*** Error, b.dxf", DxfWithEntities(PointPairs("1,5", "2", "3")));
  const std::string good = dir.Write("c.dxf", DxfWithEntities(PointPairs("7", "8", "9")));
  const std::string missing = (dir.path() / "a.dxf").string();
  TestObserver observer;
  const RunResult r = RunConversion(cfg, RequestFor(cfg, {missing, bad, good}), observer);
  ASSERT_EQ(r.errorLines.size(), 2u);
  EXPECT_EQ(r.errorLines[0].drawing, missing);
  EXPECT_EQ(r.errorLines[0].line, "*** Error, file is used by another application ***");
  EXPECT_EQ(r.errorLines[1].drawing, bad);
  EXPECT_EQ(r.errorLines[1].line, "*** Error, \"1,5\" in line 20 is not a number ***");
  for (const ReportErrorLine& error : r.errorLines) {
    EXPECT_NE(std::find(r.report.begin(), r.report.end(), error.line), r.report.end()) << error.line;
  }
}

#if !defined(_WIN32)
// A file name may hold a line break or an escape sequence: the report shows them as "?", so its
// lines stay as the run made them, while the data file takes the name as it is.
TEST(ConversionReport, ControlCharactersInNamesShowAsQuestionMarks) {
  TempDir dir;
  TExportConfig cfg = TestConfig();
  cfg.EntityMask = EntityBitValue(entity_bit::kPoints);
  const std::string drawing = dir.Write("a\nb\x1b[2J.dxf", DxfWithEntities(PointPairs("1", "2", "3")));
  RunRequest request = RequestFor(cfg, {drawing});
  request.reportPath = (dir.path() / "report.txt").string();
  TestObserver observer;
  const RunResult r = RunConversion(cfg, request, observer);
  const std::string shown = (dir.path() / "a?b?[2J").string();
  EXPECT_EQ(r.report[4], "DXF File  : " + shown + ".dxf");
  EXPECT_EQ(r.report[5], "Data File : " + shown + ".txt");
  EXPECT_EQ(SplitCrLf(ReadFile(request.reportPath)), r.report);
  EXPECT_NE(ReadFile(dir.path() / "a\nb\x1b[2J.txt").find("1.000"), std::string::npos);
  EXPECT_EQ(r.filesWithErrors, 0u);
}
#endif

// Names come as 8-bit texts (the ANSI code page on Windows): a folder, a drawing and a report
// named with letters outside ASCII are found, converted and written under those very names, and
// a folder listing gives the name back as the same text.
TEST(ConversionReport, NamesWithLettersOutsideAsciiConvert) {
  TempDir dir;
  TExportConfig cfg = TestConfig();
  cfg.EntityMask = EntityBitValue(entity_bit::kPoints);
  const std::string folder = dir.Str() + kSep + "pl\xE4ne" + kSep;
  const std::string drawing = folder + "d_\xE9t\xE9.dxf";
  test::WriteFile(PathFromText(drawing), DxfWithEntities(PointPairs("1", "2", "3")));
  std::string listError;
  EXPECT_EQ(ListDxfFiles(folder, listError), Lines{"d_\xE9t\xE9.dxf"}) << listError;

  RunRequest request = RequestFor(cfg, {drawing});
  request.reportPath = folder + "r\xE9sum\xE9.txt";
  TestObserver observer;
  const RunResult r = RunConversion(cfg, request, observer);
  EXPECT_EQ(r.report[4], "DXF File  : " + drawing);
  EXPECT_EQ(r.report[5], "Data File : " + folder + "d_\xE9t\xE9.txt");
  EXPECT_EQ(r.filesWithErrors, 0u);
  EXPECT_NE(ReadFile(PathFromText(folder + "d_\xE9t\xE9.txt")).find("1.000"), std::string::npos);
  EXPECT_EQ(SplitCrLf(ReadFile(PathFromText(request.reportPath))), r.report);
}

TEST(ConversionReport, FilesWithoutAUsableEntitiesLineAreNotValid) {
  TExportConfig cfg = TestConfig();
  cfg.IncludeHeader = 1;
  const std::string head = "  0\nSECTION\n  2\n";
  for (const std::string& dxf :
       {head + "ENTITIES \n  0\nENDSEC\n", head + "entities\n  0\nENDSEC\n", head + "ENTITIES\n",
        std::string("  0\nSECTION\n  2\nHEADER\n  0\nENDSEC\n"),
        // ENTITIES that is a value of some other group is no section start.
        std::string("  1\nENTITIES\n  0\nEOF\n")}) {
    const auto c = test::ConvertText(dxf, cfg);
    ASSERT_GE(c.report.size(), 8u);
    EXPECT_EQ(c.report[7], "*** Error, not a valid DXF file ***") << dxf;
    EXPECT_EQ(c.report[8], "");
    EXPECT_EQ(c.report.size(), 9u);
    // The data file stays, holding only the header line.
    EXPECT_EQ(c.data, "Number,X Coord.,Y Coord.,Z Coord.\r\n");
  }
}

TEST(ConversionReport, OnlyTheSectionNamedEntitiesStartsTheMainLoop) {
  // A layer and a block named ENTITIES are group-2 values too, before the real section; the
  // block's own point must not be exported as drawing content.
  const std::string dxf =
      "  0\nSECTION\n  2\nTABLES\n  0\nTABLE\n  2\nLAYER\n  0\nLAYER\n  2\nENTITIES\n 70\n0\n"
      "  0\nENDTAB\n  0\nENDSEC\n  0\nSECTION\n  2\nBLOCKS\n  0\nBLOCK\n  8\n0\n  2\nENTITIES\n"
      " 70\n0\n  0\nPOINT\n  8\n0\n 10\n111.0\n 20\n222.0\n 30\n333.0\n  0\nENDBLK\n  0\nENDSEC\n"
      "  0\nSECTION\n  2\nENTITIES\n  0\nPOINT\n  8\nENTITIES\n 10\n1.0\n 20\n2.0\n 30\n3.0\n"
      "  0\nENDSEC\n  0\nEOF\n";
  TExportConfig cfg = TestConfig();
  cfg.EntityMask = EntityBitValue(entity_bit::kPoints);
  const auto c = test::ConvertText(dxf, cfg);
  EXPECT_EQ(c.dataLines, (Lines{"1,1.000,2.000,3.000"}));
  EXPECT_EQ(c.report[7], " Points : 1 ");
}

TEST(ConversionReport, StopDuringTheSecondOfThreeFiles) {
  TempDir dir;
  TExportConfig cfg = TestConfig();
  cfg.EntityMask = EntityBitValue(entity_bit::kPoints);
  std::string many;
  for (int i = 0; i < 50; ++i) many += PointPairs(std::to_string(i), "0", "0");
  const std::string a = dir.Write("a.dxf", DxfWithEntities(many));
  const std::string b = dir.Write("b.dxf", DxfWithEntities(many));
  const std::string c = dir.Write("c.dxf", DxfWithEntities(many));
  TestObserver observer;
  observer.stopInFile = 1;
  observer.stopAfterPasses = 40;
  const RunResult r = RunConversion(cfg, RequestFor(cfg, {a, b, c}), observer);
  const std::string sep(1, kSep);
  const Lines expected{"Corvane report created 07/12/2026 10:00:00", "", "Number of processed files : 3",
                       "", "DXF File  : " + a, "Data File : " + dir.Str() + sep + "a.txt", "",
                       " Points : 50 ", "", "", "DXF File  : " + b,
                       "Data File : " + dir.Str() + sep + "b.txt", "", "",
                       "*** Process canceled by user ***"};
  EXPECT_EQ(r.report, expected);
  EXPECT_TRUE(r.stopped);
  // The stopped file keeps the lines written before the stop.
  const auto stoppedLines = SplitCrLf(ReadFile(dir.path() / "b.txt"));
  EXPECT_GT(stoppedLines.size(), 0u);
  EXPECT_LT(stoppedLines.size(), 50u);
  EXPECT_EQ(stoppedLines[0], "1,0.000,0.000,0.000");
  EXPECT_FALSE(fs::exists(dir.path() / "c.txt"));
}

TEST(DataFileGuards, AnEarlierOutputIsNeverReplaced) {
  TempDir dir;
  TExportConfig cfg = TestConfig();
  cfg.EntityMask = EntityBitValue(entity_bit::kPoints);
  const std::string first = dir.Write("a.b.dxf", DxfWithEntities(PointPairs("1", "1", "1")));
  const std::string second = dir.Write("a.c.dxf", DxfWithEntities(PointPairs("2", "2", "2")));
  TestObserver observer;
  const RunResult r = RunConversion(cfg, RequestFor(cfg, {first, second}), observer);
  EXPECT_EQ(ReadFile(dir.path() / "a.txt"), "1,1.000,1.000,1.000\r\n");
  const Lines tail(r.report.end() - 3, r.report.end());
  EXPECT_EQ(tail[0], "DXF File  : " + second);
  EXPECT_EQ(tail[1].rfind("*** Error, the data file ", 0), 0u) << tail[1];
  EXPECT_NE(tail[1].find("earlier file"), std::string::npos);
  EXPECT_EQ(tail[2], "");
  EXPECT_EQ(r.filesWithErrors, 1u);
}

TEST(DataFileGuards, DrawingsAndTheReportAreNeverReplaced) {
  TempDir dir;
  const std::string drawing = DxfWithEntities(PointPairs("1", "1", "1"));
  TExportConfig cfg = TestConfig();
  for (const char* ext : {"dxf", "DxF"}) {
    cfg.FileExtension.assign(ext);
    const std::string path = dir.Write("p.dxf", drawing);
    TestObserver observer;
    const RunResult r = RunConversion(cfg, RequestFor(cfg, {path}), observer);
    EXPECT_EQ(ReadFile(path), drawing);
    EXPECT_NE(r.report[5].find("would replace a DXF file"), std::string::npos) << r.report[5];
  }
  // A drawing named like a data file would be overwritten by its own output.
  cfg.FileExtension.assign("txt");
  const std::string odd = dir.Write("q.txt", drawing);
  TestObserver observer;
  RunResult r = RunConversion(cfg, RequestFor(cfg, {odd}), observer);
  EXPECT_EQ(ReadFile(odd), drawing);
  EXPECT_EQ(r.filesWithErrors, 1u);

  // A report that a data file of the run would replace refuses the whole run before anything is
  // written, rather than losing one of the two.
  cfg.FileExtension.assign("log");
  const std::string path = dir.Write("CorvaneLog.dxf", drawing);
  RunRequest request = RequestFor(cfg, {path});
  request.reportPath = (dir.path() / "CorvaneLog.log").string();
  r = RunConversion(cfg, request, observer);
  ASSERT_TRUE(r.refusal.has_value());
  EXPECT_NE(r.refusal->message.find("is the data file of"), std::string::npos) << r.refusal->message;
  EXPECT_FALSE(fs::exists(request.reportPath));
}

TEST(RunRefusals, ExtensionsThatLeaveTheFolderOrHideControlCharacters) {
  TExportConfig cfg = TestConfig();
  for (const char* ext : {"a/b", "..\\x", "c:", "t\tx"}) {
    cfg.FileExtension.assign(ext);
    TestObserver observer;
    const RunResult r = RunConversion(cfg, RequestFor(cfg, {"nowhere.dxf"}), observer);
    ASSERT_TRUE(r.refusal.has_value()) << ext;
    EXPECT_NE(r.refusal->message.find(ext), std::string::npos);
    EXPECT_TRUE(r.report.empty());
  }
}

TEST(RunRefusals, NoKnownFieldTickedIsRefused) {
  TExportConfig cfg = TestConfig();
  RunRequest request = RequestFor(cfg, {});
  for (auto& row : request.lists.fieldRows) row.checked = false;
  TestObserver observer;
  RunResult r = RunConversion(cfg, request, observer);
  ASSERT_TRUE(r.refusal.has_value());
  EXPECT_EQ(r.refusal->message, "  Please, select data to be exported.  ");
  EXPECT_EQ(r.refusal->kind, RunRefusal::Kind::kInformation);
  // A ticked row whose name does not start with a known code does not count either.
  request.lists.fieldRows[0] = FieldRow{"xcoord", true};
  r = RunConversion(cfg, request, observer);
  EXPECT_TRUE(r.refusal.has_value());
}

#if defined(_WIN32)
// A drawing whose name has letters the ANSI code page lacks is listed with "?" for them, never
// with look-alike letters that could name another drawing; its report line says what is wrong
// with the name and what to do, in both programs, rather than blaming another application.
TEST(ConversionReport, ANameOutsideTheCodePageIsListedWithQuestionMarksAndExplained) {
  TempDir dir;
  TExportConfig cfg = TestConfig();
  cfg.EntityMask = EntityBitValue(entity_bit::kPoints);
  // "działka.dxf", and "dzialka.dxf" beside it: the name a "best fit" conversion would give the
  // first, so that the second would be converted in its place.
  test::WriteFile(dir.path() / L"dzia\u0142ka.dxf", DxfWithEntities(PointPairs("1", "2", "3")));
  dir.Write("dzialka.dxf", DxfWithEntities(PointPairs("7", "8", "9")));
  std::string listError;
  const Lines names = ListDxfFiles(dir.Str(), listError);
  EXPECT_EQ(names, (Lines{"dzia?ka.dxf", "dzialka.dxf"})) << listError;
  const std::string shown = "dzia?ka.dxf";
  TestObserver observer;
  const std::string drawing = dir.Str() + kSep + shown;
  const RunResult r = RunConversion(cfg, RequestFor(cfg, {drawing}), observer);
  EXPECT_EQ(r.report[5], std::string("*** Error, ") + kNameOutsideCodePageText + " ***");
  EXPECT_EQ(r.filesWithErrors, 1u);
}

// A data file held open by another program without sharing (a spreadsheet showing it) ends the
// run with a reason Windows users know, not "Permission denied".
TEST(OutputErrors, ADataFileInUseByAnotherProgramIsSaidSo) {
  TempDir dir;
  TExportConfig cfg = TestConfig();
  cfg.EntityMask = EntityBitValue(entity_bit::kPoints);
  const std::string drawing = dir.Write("a.dxf", DxfWithEntities(PointPairs("1", "2", "3")));
  test::WriteFile(dir.path() / "a.txt", "held\r\n");
  const HANDLE held = CreateFileW((dir.path() / "a.txt").c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  TestObserver observer;
  const RunResult r = RunConversion(cfg, RequestFor(cfg, {drawing}), observer);
  CloseHandle(held);
  EXPECT_EQ(r.fatalError, "Cannot create file \"" + dir.File("a.txt") + "\". " + kFileInUseText);
  EXPECT_EQ(ReadFile(dir.path() / "a.txt"), "held\r\n");
}
#endif

TEST(OutputErrors, AMissingDestinationIsRefusedBeforeAnythingIsWritten) {
  TempDir dir;
  TExportConfig cfg = TestConfig();
  const std::string a = dir.Write("a.dxf", DxfWithEntities(""));
  RunRequest request = RequestFor(cfg, {a}, (dir.path() / "missing").string());
  request.reportPath = (dir.path() / "report.txt").string();
  TestObserver observer;
  const RunResult r = RunConversion(cfg, request, observer);
  ASSERT_TRUE(r.refusal.has_value());
  EXPECT_EQ(r.refusal->kind, RunRefusal::Kind::kError);
  EXPECT_NE(r.refusal->message.find("does not exist"), std::string::npos) << r.refusal->message;
  EXPECT_TRUE(r.report.empty());
  EXPECT_FALSE(std::filesystem::exists(request.reportPath));
}

TEST(OutputErrors, AReportWhoseFolderIsMissingIsRefusedBeforeAnythingIsConverted) {
  TempDir dir;
  TExportConfig cfg = TestConfig();
  const std::string drawing = dir.Write("p.dxf", DxfWithEntities(PointPairs("1", "1", "1")));
  RunRequest request = RequestFor(cfg, {drawing});
  request.reportPath = (dir.path() / "no-such-folder" / "report.txt").string();
  TestObserver observer;
  const RunResult r = RunConversion(cfg, request, observer);
  ASSERT_TRUE(r.refusal.has_value());
  EXPECT_EQ(r.refusal->kind, RunRefusal::Kind::kError);
  EXPECT_NE(r.refusal->message.find("does not exist"), std::string::npos) << r.refusal->message;
  EXPECT_FALSE(fs::exists(dir.path() / "p.txt"));
}

TEST(OutputErrors, AReadOnlyReportIsReportedNotReplaced) {
  TempDir dir;
  TExportConfig cfg = TestConfig();
  RunRequest request = RequestFor(cfg, {});
  request.reportPath = dir.Write("report.txt", "kept\r\n");
  fs::permissions(request.reportPath, fs::perms::owner_read | fs::perms::group_read);
  TestObserver observer;
  const RunResult r = RunConversion(cfg, request, observer);
  EXPECT_EQ(r.reportWriteError.rfind("Cannot create file \"" + request.reportPath + "\". ", 0), 0u)
      << r.reportWriteError;
  EXPECT_EQ(r.report.size(), 4u);
  EXPECT_EQ(ReadFile(request.reportPath), "kept\r\n");
}

TEST(Counters, PointNumbersGoPastTheLargest32BitValue) {
  TExportConfig cfg = TestConfig(true);
  cfg.EntityMask = EntityBitValue(entity_bit::kPoints);
  cfg.StartNumber = 2147483647;
  cfg.EntityNumberStart = 2147483647;
  cfg.CustomChecked[0] = cfg.CustomChecked[1] = 0;
  cfg.CustomChecked[7] = 1;
  const auto c = test::ConvertText(DxfWithEntities(PointPairs("1", "2", "3") + PointPairs("4", "5", "6")), cfg);
  ASSERT_EQ(c.dataLines.size(), 2u);
  EXPECT_EQ(c.dataLines[0], "2147483647,1.000,2.000,3.000,2147483647");
  EXPECT_EQ(c.dataLines[1], "2147483648,4.000,5.000,6.000,2147483648");
}

TEST(BadNumbers, EndTheFileWithALineThatNamesTheTextAndGoOn) {
  TempDir dir;
  TExportConfig cfg = TestConfig();
  cfg.EntityMask = EntityBitValue(entity_bit::kPoints);
  const std::string bad =
      dir.Write("a.dxf", DxfWithEntities(PointPairs("1", "1", "1") + PointPairs("1,5", "2", "3")));
  const std::string good = dir.Write("b.dxf", DxfWithEntities(PointPairs("7", "8", "9")));
  TestObserver observer;
  const RunResult r = RunConversion(cfg, RequestFor(cfg, {bad, good}), observer);
  EXPECT_EQ(ReadFile(dir.path() / "a.txt"), "1,1.000,1.000,1.000\r\n");
  EXPECT_EQ(r.report[7], "*** Error, \"1,5\" in line 30 is not a number ***");
  EXPECT_EQ(r.report[8], "");
  EXPECT_EQ(r.report[9], "DXF File  : " + good);
  EXPECT_EQ(ReadFile(dir.path() / "b.txt"), "1,7.000,8.000,9.000\r\n");
  EXPECT_EQ(r.filesWithErrors, 1u);

  // A forced Z value that is not a number would fail every drawing the same way: the run is
  // refused before it starts, with the text the report line would have had.
  cfg.ForceZ = 1;
  cfg.ForcedZValue.assign("1.2.3");
  const auto c = test::ConvertText(DxfWithEntities(PointPairs("1", "1", "1")), cfg);
  ASSERT_TRUE(c.result.refusal.has_value());
  EXPECT_EQ(c.result.refusal->message, "The forced Z value \"1.2.3\" is not a number");
  EXPECT_TRUE(c.report.empty());
}

TEST(HeaderLine, FollowsTheTickedRowsInTheirOrder) {
  TExportConfig cfg = TestConfig(true);
  cfg.IncludeHeader = 1;
  cfg.CustomChecked[0] = 0;
  cfg.CustomChecked[1] = 0;
  cfg.CustomOrder[0] = 1;  // layer shown first, then the type
  cfg.CustomOrder[1] = 0;
  cfg.CustomChecked[0] = cfg.CustomChecked[1] = 1;
  const auto custom = test::ShippedCustomItems();
  auto c = test::ConvertText(DxfWithEntities(""), cfg);
  EXPECT_EQ(c.dataLines[0], "Number,X Coord.,Y Coord.,Z Coord.," + custom[1] + "/" + custom[0]);

  // Y before X, a prefix in front of the custom title, and "C" with no item ticked.
  cfg.FieldOrder[1] = 2;
  cfg.FieldOrder[2] = 1;
  cfg.CustomPrefix.assign("#");
  for (auto& tick : cfg.CustomChecked) tick = 0;
  c = test::ConvertText(DxfWithEntities(""), cfg);
  EXPECT_EQ(c.dataLines[0], "Number,Y Coord.,X Coord.,Z Coord.,#");
}

TEST(Progress, MaximumIsTheSizeIn128ByteUnits) {
  TempDir dir;
  TExportConfig cfg = TestConfig();
  const std::string small = dir.Write("s.dxf", "  0\nEOF\n");
  std::string bigText = DxfWithEntities(std::string(1000, ' ') + "\n");
  const std::string big = dir.Write("b.dxf", bigText);
  TestObserver observer;
  RunConversion(cfg, RequestFor(cfg, {small, big}), observer);
  EXPECT_EQ(observer.maxima, (std::vector<std::uint64_t>{0, bigText.size() / 128}));
  EXPECT_EQ(observer.lastPosition, bigText.size() / 128);
}

// Records every call in order, as a window that polls them would see them.
class RecordingObserver : public RunObserver {
 public:
  std::string ReportDateTime() override { return Add("date"), "now"; }
  void RunStarted(std::size_t n) override { Add("run " + std::to_string(n)); }
  void FileStarted(std::size_t i, std::string_view text) override {
    Add("start " + std::to_string(i) + " " + std::string(text));
  }
  void ProgressMaximum(std::size_t i, std::uint64_t) override { Add("max " + std::to_string(i)); }
  void ProgressPosition(std::size_t i, std::uint64_t units) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (calls.empty() || calls.back() != "pos " + std::to_string(i)) calls.push_back("pos " + std::to_string(i));
    positions.push_back(units);
  }
  void FileFinished(std::size_t i) override { Add("finish " + std::to_string(i)); }
  bool StopRequested() override { return false; }
  void RunFinished() override { Add("end"); }

  std::vector<std::string> calls;  // consecutive positions of one file count once
  std::vector<std::uint64_t> positions;

 private:
  void Add(std::string call) {
    std::lock_guard<std::mutex> lock(mutex_);
    calls.push_back(std::move(call));
  }
  std::mutex mutex_;
};

TEST(Progress, ObserverCallsComeInTheOrderAWindowReliesOn) {
  TempDir dir;
  TExportConfig cfg = TestConfig();
  // A long section before ENTITIES: its skip must still move the bar.
  std::string blocks = "  0\nSECTION\n  2\nBLOCKS\n";
  for (int i = 0; i < 40000; ++i) blocks += "999\nfiller comment line of a long block section\n";
  blocks += "  0\nENDSEC\n";
  const std::string a = dir.Write("a.dxf", blocks + DxfWithEntities(PointPairs("1", "2", "3")));
  const std::string missing = dir.File("missing.dxf");
  RecordingObserver observer;
  RunConversion(cfg, RequestFor(cfg, {a, missing}), observer);
  EXPECT_EQ(observer.calls, (Lines{"date", "run 2", "start 0 Processing a.dxf", "max 0", "pos 0",
                                   "finish 0", "start 1 Processing missing.dxf", "finish 1", "end"}));
  // Positions never go back, and the skip reported more than the start and the end.
  EXPECT_TRUE(std::is_sorted(observer.positions.begin(), observer.positions.end()));
  EXPECT_GT(observer.positions.size(), 5u);  // the input is read in blocks of 512 KiB

  // A refused run calls nothing.
  RecordingObserver refused;
  RunRequest request = RequestFor(cfg, {a});
  request.lists.fieldRows.clear();
  EXPECT_TRUE(RunConversion(cfg, request, refused).refusal.has_value());
  EXPECT_TRUE(refused.calls.empty());
}

TEST(Jobs, ManyJobsGiveTheSameFilesAndReport) {
  TempDir one, many;
  TExportConfig cfg = TestConfig(true);
  cfg.CustomChecked[6] = cfg.CustomChecked[7] = 1;
  std::vector<std::string> inOne, inMany;
  for (int f = 0; f < 7; ++f) {
    std::string body;
    for (int i = 0; i < 200 * (f + 1); ++i) body += PointPairs(std::to_string(i * f), "0.5", "-2");
    const std::string name = "d" + std::to_string(f) + ".dxf";
    inOne.push_back(one.Write(name, DxfWithEntities(body)));
    inMany.push_back(many.Write(name, DxfWithEntities(body)));
  }
  inOne.push_back(one.Write("broken.dxf", "no entities"));
  inMany.push_back(many.Write("broken.dxf", "no entities"));
  RunRequest r1 = RequestFor(cfg, inOne);
  RunRequest r4 = RequestFor(cfg, inMany);
  r1.reportPath = (one.path() / "log").string();
  r4.reportPath = (many.path() / "log").string();
  r4.jobs = 4;
  TestObserver o1, o4;
  RunConversion(cfg, r1, o1);
  RunConversion(cfg, r4, o4);
  std::string report1 = ReadFile(r1.reportPath), report4 = ReadFile(r4.reportPath);
  // The folders differ; everything else must be byte for byte the same.
  for (std::size_t at; (at = report4.find(many.Str())) != std::string::npos;)
    report4.replace(at, many.Str().size(), one.Str());
  EXPECT_EQ(report1, report4);
  for (int f = 0; f < 7; ++f) {
    const std::string name = "d" + std::to_string(f) + ".txt";
    EXPECT_EQ(ReadFile(one.path() / name), ReadFile(many.path() / name)) << name;
  }
}

}  // namespace
}  // namespace corvane
