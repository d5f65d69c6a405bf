// The checks that decide whether a run may start, and the guard of every saved file: the one
// place both programs ask, so their order and their texts are what users of either see.
#include "engine/run_checks.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/conversion_run.h"
#include "engine/data_line.h"
#include "files/save_guard.h"
#include "tests/test_support.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;
using test::DxfWithEntities;
using test::ReadFile;
using test::RequestFor;
using test::TempDir;
using test::TestConfig;

std::string MessageOf(const std::optional<RunRefusal>& refusal) {
  return refusal ? refusal->message : std::string("(runs)");
}

TEST(RunChecks, TheSelectionIsCheckedInTheRunButtonsOrder) {
  using namespace entity_bit;
  const std::string entities = kSelectEntitiesMessage;
  const std::string data = kSelectDataMessage;
  const std::string spline = kSelectSplinePointsMessage;
  const std::uint32_t splines = EntityBitValue(kSplines);
  const struct {
    std::uint32_t mask;
    bool fields;
    std::string expected;
  } cases[] = {
      // Nothing to convert is said first, even when nothing would be exported either.
      {0, false, entities},
      {0, true, entities},
      {EntityBitValue(kAdded2D), true, entities},
      {EntityBitValue(kAdded3D), true, entities},
      {EntityBitValue(kControlPoints), true, entities},
      {EntityBitValue(kThreePointsOnly), true, entities},
      // Sub-options count in pairs, with other boxes, or fit points alone.
      {EntityBitValue(kAdded2D) | EntityBitValue(kAdded3D), true, "(runs)"},
      {EntityBitValue(kFitPoints), true, "(runs)"},
      {EntityBitValue(kPoints) | EntityBitValue(kAdded2D), true, "(runs)"},
      // The field check comes before the spline check.
      {splines, false, data},
      {splines | EntityBitValue(kLines), true, spline},
      {splines | EntityBitValue(kControlPoints), true, "(runs)"},
      {splines | EntityBitValue(kFitPoints), true, "(runs)"},
  };
  for (const auto& k : cases) {
    TExportConfig config = TestConfig();
    config.EntityMask = k.mask;
    for (auto& ticked : config.FieldChecked) ticked = k.fields ? 1 : 0;
    const std::optional<RunRefusal> refusal = CheckSelection(config, test::FieldRowsOf(config));
    EXPECT_EQ(MessageOf(refusal), k.expected) << k.mask << (k.fields ? " with fields" : "");
    if (refusal) {
      EXPECT_EQ(refusal->kind, RunRefusal::Kind::kInformation);
    }
  }
}

TEST(RunChecks, FieldRowsComeFromTheRecordAndOnlyKnownCodesCount) {
  TExportConfig config = TestConfig(true);
  const std::vector<std::string> names = test::ShippedFieldNames();
  // Row k shows the line FieldOrder[k]; an index outside the list shows a row without a text.
  config.FieldOrder[0] = 4;
  config.FieldOrder[4] = 0;
  config.FieldOrder[2] = 9;
  config.FieldChecked[1] = 0;
  const std::vector<FieldRow> rows = FieldRowsFromConfig(config, names);
  ASSERT_EQ(rows.size(), std::size_t{kFieldCount});
  EXPECT_EQ(rows[0].text, names[4]);
  EXPECT_EQ(rows[4].text, names[0]);
  EXPECT_EQ(rows[2].text, "");
  EXPECT_FALSE(rows[1].checked);
  EXPECT_TRUE(rows[0].checked);

  // A hand-edited list whose ticked names start with no field code exports nothing.
  std::vector<FieldRow> edited = rows;
  for (FieldRow& row : edited) row.text = row.text.empty() ? "" : "x" + row.text;
  EXPECT_EQ(MessageOf(CheckSelection(config, edited)), kSelectDataMessage);
}

// A refused run writes nothing: an earlier data file and an earlier report stay as they were,
// whichever check refuses it.
TEST(RunChecks, ARefusedRunWritesNothing) {
  TempDir dir;
  const std::string drawing = dir.Write("a.dxf", DxfWithEntities(test::Pairs({"0", "POINT", "10", "1", "20", "2"})));
  dir.Write("out/a.txt", "earlier data");
  dir.Write("report.txt", "earlier report");
  const std::string out = dir.File("out");
  const struct {
    const char* what;
    void (*spoil)(TExportConfig&, RunRequest&);
  } cases[] = {
      {"no entity", [](TExportConfig& c, RunRequest&) { c.EntityMask = 0; }},
      {"no field", [](TExportConfig& c, RunRequest& r) {
         for (auto& t : c.FieldChecked) t = 0;
         r.lists.fieldRows = test::FieldRowsOf(c);
       }},
      {"a forced Z value that is not a number", [](TExportConfig& c, RunRequest&) {
         c.ForceZ = 1;
         c.ForcedZValue.assign("1.2.3");
       }},
      {"an extension that leaves the folder", [](TExportConfig& c, RunRequest&) { c.FileExtension.assign("../x"); }},
      {"a short hint list", [](TExportConfig&, RunRequest& r) { r.lists.hintLines.resize(10); }},
      {"no destination chosen", [](TExportConfig&, RunRequest& r) { r.files[0].destFolder.clear(); }},
      {"a missing destination", [](TExportConfig&, RunRequest& r) { r.files[0].destFolder += "/gone"; }},
      {"a report over the drawing", [](TExportConfig&, RunRequest& r) {
         r.reportPath = r.files[0].dxfFolder + "/a.dxf";
       }},
  };
  for (const auto& k : cases) {
    TExportConfig config = TestConfig();
    RunRequest request = RequestFor(config, {drawing}, out);
    request.reportPath = dir.File("report.txt");
    k.spoil(config, request);
    const std::optional<RunRefusal> checked = CheckRun(config, request);
    ASSERT_TRUE(checked.has_value()) << k.what;
    test::TestObserver observer;
    const RunResult r = RunConversion(config, request, observer);
    ASSERT_TRUE(r.refusal.has_value()) << k.what;
    EXPECT_EQ(r.refusal->message, checked->message) << k.what;
    EXPECT_TRUE(r.report.empty()) << k.what;
    EXPECT_EQ(ReadFile(dir.path() / "out" / "a.txt"), "earlier data") << k.what;
    EXPECT_EQ(ReadFile(dir.path() / "report.txt"), "earlier report") << k.what;
    EXPECT_EQ(observer.steps.size(), std::size_t{0}) << k.what;
  }
}

// The forced Z value is refused only where a data line would write it, with the report's text.
TEST(RunChecks, AForcedZValueThatIsNotANumberIsRefusedWhereALineWouldWriteIt) {
  TExportConfig config = TestConfig();
  config.ForcedZValue.assign("1.2.3");
  std::vector<FieldRow> rows = test::FieldRowsOf(config);
  const std::string refused = "The forced Z value \"1.2.3\" is not a number";
  const auto check = [&] { return MessageOf(CheckRun(config, RequestFor(config, {}))); };

  EXPECT_EQ(check(), "(runs)");  // not forced: the text is never formatted
  config.ForceZ = 1;
  EXPECT_EQ(check(), refused);
  EXPECT_EQ(CheckRun(config, RequestFor(config, {}))->kind, RunRefusal::Kind::kError);
  // The report line a drawing would have got says the same.
  EXPECT_EQ("*** Error, " + ForcedZNotANumberText("1.2.3") + " ***",
            "*** Error, the forced Z value \"1.2.3\" is not a number ***");

  // No ticked Z row: no line writes the value.
  for (int k = 0; k < kFieldCount; ++k) {
    if (!rows[static_cast<std::size_t>(k)].text.empty() && rows[static_cast<std::size_t>(k)].text[0] == 'Z') {
      config.FieldChecked[k] = 0;
    }
  }
  EXPECT_EQ(check(), "(runs)");

  // Numbers, and the empty value (written as 0), pass.
  config = TestConfig();
  config.ForceZ = 1;
  for (const char* value : {"", "12.5", "0.00", "-3"}) {
    config.ForcedZValue.assign(value);
    EXPECT_EQ(check(), "(runs)") << value;
  }
  for (const char* value : {".", "1.2.3", "1,5", "abc"}) {
    config.ForcedZValue.assign(value);
    EXPECT_NE(check(), "(runs)") << value;
  }
}

TEST(RunChecks, TheDestinationMustBeChosenAndBeAFolder) {
  TempDir dir;
  const std::string drawing = dir.Write("in/a.dxf", "");
  dir.Write("afile", "");
  const TExportConfig config = TestConfig();

  // An empty destination is no folder the user chose: it would be the working folder.
  RunRequest request = RequestFor(config, {drawing}, "");
  request.files[0].destFolder.clear();
  std::optional<RunRefusal> refusal = CheckRun(config, request);
  ASSERT_TRUE(refusal.has_value());
  EXPECT_EQ(refusal->kind, RunRefusal::Kind::kInformation);
  EXPECT_EQ(refusal->message, "No destination folder is chosen for the data files.");

  request = RequestFor(config, {drawing}, dir.File("afile"));
  EXPECT_EQ(MessageOf(CheckRun(config, request)), "The destination \"" + dir.File("afile") + "\" is not a folder");
  request = RequestFor(config, {drawing}, dir.File("none"));
  EXPECT_EQ(MessageOf(CheckRun(config, request)), "The destination folder \"" + dir.File("none") + "\" does not exist");

  // Beside each drawing needs no look: a drawing that is missing, folder and all, is the run's own
  // report line, and the other drawings are still converted.
  request = RequestFor(config, {drawing, dir.File("gone/b.dxf")});
  EXPECT_EQ(MessageOf(CheckRun(config, request)), "(runs)");
  // A drawing named without a folder writes beside itself, in the working folder.
  request.files = {InputFile{"", "a.dxf", ""}};
  EXPECT_EQ(MessageOf(CheckRun(config, request)), "(runs)");
}

TEST(SaveGuard, ASavedFileNeverReplacesWhatItMustNot) {
  TempDir dir;
  const std::string drawing = dir.Write("plan.dat", "a drawing with another extension");
  const std::string data = dir.Write("plan.txt", "data");
  const std::string program = dir.Write("hints.dat", "hints");
  const std::string config = dir.Write("job.crv", "configuration");
  fs::create_directory(dir.path() / "folder");

  SaveGuard guard;
  guard.Protect(program, ProtectedKind::kProgramFile);
  guard.Protect(config, ProtectedKind::kConfiguration);
  guard.Protect(ResolveTarget(drawing), ProtectedKind::kDrawing, drawing);
  guard.Protect(ResolveTarget(data), ProtectedKind::kDataFile, drawing);
  guard.Protect(dir.File("log.txt"), ProtectedKind::kReport);

  const auto said = [&](const std::string& path, SavedFileKind kind) {
    return guard.Check(path, kind).value_or("(saves)");
  };
  const std::string report = "The report file \"";
  const std::string configuration = "The configuration file \"";
  EXPECT_EQ(said(program, SavedFileKind::kReport), report + program + "\" is a file of the program");
#if !defined(_WIN32)  // a link whose own name looks harmless reaches the file it names
  fs::create_symlink(program, dir.path() / "harmless.crv");
  EXPECT_EQ(said(dir.File("harmless.crv"), SavedFileKind::kConfiguration),
            configuration + dir.File("harmless.crv") + "\" is a file of the program");
#endif
  EXPECT_EQ(said(drawing, SavedFileKind::kConfiguration),
            configuration + drawing + "\" is the drawing \"" + drawing + "\" of this run");
  EXPECT_EQ(said(data, SavedFileKind::kReport), report + data + "\" is the data file of \"" + drawing + "\"");
  EXPECT_EQ(said(config, SavedFileKind::kReport), report + config + "\" is the configuration file in use");
  EXPECT_EQ(said(dir.File("log.txt"), SavedFileKind::kConfiguration),
            configuration + dir.File("log.txt") + "\" is the report file");
  EXPECT_EQ(said(dir.File("Other.DXF"), SavedFileKind::kConfiguration),
            configuration + dir.File("Other.DXF") + "\" would replace a DXF file");
  EXPECT_EQ(said(dir.File("no/x.crv"), SavedFileKind::kConfiguration),
            "The folder of the configuration file \"" + dir.File("no/x.crv") + "\" does not exist");
  EXPECT_EQ(said(dir.File("folder"), SavedFileKind::kConfiguration).rfind("Cannot create file \"", 0), 0u);
  EXPECT_EQ(said(dir.File("new.crv"), SavedFileKind::kConfiguration), "(saves)");
  EXPECT_EQ(ReadFile(program), "hints");
}

// The report labels every option from the hint list: one line short is one label missing.
TEST(RunChecks, TheHintListMustHoldEveryLineTheReportNeeds) {
  TempDir dir;
  const std::string drawing = dir.Write("a.dxf", "");
  const TExportConfig config = TestConfig();
  RunRequest request = RequestFor(config, {drawing});
  request.lists.hintLines.resize(36);
  EXPECT_EQ(MessageOf(CheckRun(config, request)), "(runs)");
  request.lists.hintLines.resize(35);
  EXPECT_EQ(MessageOf(CheckRun(config, request)), "The hint list holds 35 lines; the report needs 36");
}

#if !defined(_WIN32)
// A name is judged as given and as reached: a harmless-looking link to a drawing is a drawing, a
// drawing of the run is first of all a DXF file, and ".." after a link leaves the folder the link
// leads to, not the link's own.
TEST(SaveGuard, NamesAreJudgedAsGivenAndAsReached) {
  TempDir dir;
  dir.Write("other.dxf", "a drawing");
  fs::create_symlink(dir.path() / "other.dxf", dir.path() / "keep.crv");
  const std::string plan = dir.Write("plan.dxf", "a drawing of the run");
  const std::string log = dir.Write("real/log.txt", "the report");
  fs::create_directories(dir.path() / "real/sub");
  fs::create_symlink(dir.path() / "real/sub", dir.path() / "ln");

  SaveGuard guard;
  guard.Protect(ResolveTarget(plan), ProtectedKind::kDrawing, plan);
  guard.Protect(log, ProtectedKind::kReport);
  const std::string head = "The configuration file \"";
  EXPECT_EQ(guard.Check(dir.File("keep.crv"), SavedFileKind::kConfiguration).value_or("(saves)"),
            head + dir.File("keep.crv") + "\" would replace a DXF file");
  EXPECT_EQ(guard.Check(plan, SavedFileKind::kConfiguration).value_or("(saves)"),
            head + plan + "\" would replace a DXF file");
  const std::string throughLink = dir.File("ln/../log.txt");
  EXPECT_EQ(guard.Check(throughLink, SavedFileKind::kConfiguration).value_or("(saves)"),
            head + throughLink + "\" is the report file");
  EXPECT_EQ(guard.Check(dir.File("log.txt"), SavedFileKind::kConfiguration).value_or("(saves)"), "(saves)");
  EXPECT_EQ(ReadFile(dir.path() / "other.dxf"), "a drawing");
}
#endif

}  // namespace
}  // namespace corvane
