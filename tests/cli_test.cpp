// corvane-cli end to end: the real program on real folders.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <thread>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "cli/cli_options.h"
#include "cli/input_files.h"
#include "config/crv_file.h"
#include "tests/cli_support.h"
#include "tests/test_support.h"

#ifndef CORVANE_CLI_PATH
#define CORVANE_CLI_PATH "corvane-cli"
#endif

namespace corvane {
namespace {

namespace fs = std::filesystem;
using test::DxfWithEntities;
using test::ReadFile;
using test::SplitCrLf;
using test::TempDir;
using test::CliRun;
using test::Quote;
using test::RunCliProgram;

std::string Points(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) {
    s += "  0\nPOINT\n  8\nP\n 10\n" + std::to_string(i) + ".25\n 20\n" + std::to_string(2 * i) +
         "\n 30\n-1.5\n";
  }
  return DxfWithEntities(s);
}

TEST(CliUsage, HelpVersionAndUsageErrors) {
  TempDir dir;
  CliRun r = RunCliProgram(dir, "--help");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("Usage: corvane-cli"), std::string::npos);
  EXPECT_EQ(RunCliProgram(dir, "--version").status, 0);
  for (const char* bad : {"", "--jobs 0 x.dxf", "--jobs many x.dxf", "--bogus x.dxf", "--config"}) {
    r = RunCliProgram(dir, bad);
    EXPECT_EQ(r.status, 2) << bad;
    EXPECT_NE(r.err.find("corvane-cli: "), std::string::npos) << bad;
    EXPECT_TRUE(r.out.empty()) << bad;
  }
}

TEST(CliUsage, ParsesLongFormsWithEqualsAndStopsAtDoubleDash) {
  std::string error;
  const auto o = ParseCliOptions({"--dest=out", "-j", "3", "-q", "--", "-odd.dxf"}, error);
  ASSERT_TRUE(o.has_value()) << error;
  EXPECT_EQ(o->destFolder, "out");
  EXPECT_EQ(o->jobs, 3);
  EXPECT_TRUE(o->quiet);
  EXPECT_EQ(o->inputs, (std::vector<std::string>{"-odd.dxf"}));
}

TEST(CliUsage, ShortOptionsBundleAndTakeAttachedValues) {
  std::string error;
  auto o = ParseCliOptions({"-qj2", "-dout", "-r", "log.txt", "a.dxf"}, error);
  ASSERT_TRUE(o.has_value()) << error;
  EXPECT_TRUE(o->quiet);
  EXPECT_EQ(o->jobs, 2);
  EXPECT_EQ(o->destFolder, "out");
  EXPECT_EQ(o->reportPath, "log.txt");
  o = ParseCliOptions({"-j2", "--set", "XDecimals=2", "--set=Fields=N,X", "--save-config", "x.crv"}, error);
  ASSERT_TRUE(o.has_value()) << error;  // saving alone needs no INPUT
  EXPECT_EQ(o->settings, (std::vector<std::string>{"XDecimals=2", "Fields=N,X"}));
  EXPECT_FALSE(ParseCliOptions({"-qx", "a.dxf"}, error).has_value());
  EXPECT_NE(error.find("-x"), std::string::npos);
}

TEST(CliUsage, AnEmptyValueNeverMeansTheDefault) {
  // --dest="$UNSET" must not quietly write beside the drawings.
  TempDir dir;
  dir.Write("a.dxf", Points(1));
  for (const char* bad : {"--dest= a.dxf", "--config= a.dxf", "--report= a.dxf", "-d '' a.dxf",
                          "--set NoEquals a.dxf"}) {
    const CliRun r = RunCliProgram(dir, bad);
    EXPECT_EQ(r.status, 2) << bad;
    EXPECT_NE(r.err.find("corvane-cli: "), std::string::npos) << bad;
  }
  EXPECT_FALSE(fs::exists(dir.path() / "a.txt"));
  dir.Write("afile", "not a folder");
  const CliRun r = RunCliProgram(dir, "--dest afile a.dxf");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("\"afile\" is not a folder"), std::string::npos) << r.err;
}

TEST(CliInputs, FoldersStandForTheirDxfFilesInNameOrder) {
  TempDir dir;
  fs::create_directories(dir.path() / "in" / "sub.dxf");  // a folder, not a drawing
  dir.Write("in/b.DXF", Points(1));
  dir.Write("in/a.dxf", Points(2));
  dir.Write("in/c.Dxf", Points(3));
  dir.Write("in/notes.txt", "not a drawing");
  std::vector<InputFile> files;
  std::string error;
  std::vector<std::string> warnings;
  ASSERT_TRUE(ExpandInputs({(dir.path() / "in").string(), "loose.dxf"}, "", files, warnings, error));
  ASSERT_EQ(files.size(), 4u);
  EXPECT_EQ(files[0].name, "a.dxf");
  EXPECT_EQ(files[1].name, "b.DXF");
  EXPECT_EQ(files[2].name, "c.Dxf");
  EXPECT_EQ(files[3].name, "loose.dxf");
  EXPECT_EQ(files[3].dxfFolder, "");
  EXPECT_TRUE(warnings.empty());
}

TEST(CliInputs, FoldersLeaveOutHiddenFilesAndSayWhenTheyHoldNoDrawing) {
  TempDir dir;
  dir.Write("in/._plan.dxf", "resource fork of another system");
  dir.Write("in/plan.dxf", Points(1));
  dir.Write("in/Aerial.dxf", Points(1));
  fs::create_directories(dir.path() / "empty");
  const CliRun r = RunCliProgram(dir, "in empty");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("Number of processed files : 2\n"), std::string::npos);
  EXPECT_LT(r.out.find("in/Aerial.dxf"), r.out.find("in/plan.dxf"));
  EXPECT_FALSE(fs::exists(dir.path() / "in" / "._plan.txt"));
  EXPECT_NE(r.err.find("warning: folder \"empty\" holds no DXF drawing"), std::string::npos) << r.err;
}

TEST(CliRun, ConvertsAFolderWithTheDefaultConfiguration) {
  TempDir dir;
  dir.Write("in/a.dxf", Points(2));
  dir.Write("in/B.DXF", Points(1));
  const CliRun r = RunCliProgram(dir, "in");
  EXPECT_EQ(r.status, 0) << r.err;
  // default.crv: N, X, Y, Z with three decimals, comma separated, extension txt.
  EXPECT_EQ(ReadFile(dir.path() / "in" / "a.txt"), "1,0.250,0.000,-1.500\r\n2,1.250,2.000,-1.500\r\n");
  EXPECT_EQ(ReadFile(dir.path() / "in" / "B.txt"), "1,0.250,0.000,-1.500\r\n");
  EXPECT_NE(r.out.find("Number of processed files : 2\n"), std::string::npos);
  // Names sort as a user reads them: letter case does not put "B" before "a".
  EXPECT_LT(r.out.find("DXF File  : in/a.dxf"), r.out.find("DXF File  : in/B.DXF"));
  EXPECT_NE(r.out.find(" Points : 2 \n"), std::string::npos);
  EXPECT_TRUE(r.err.empty()) << r.err;  // no progress bar when stderr is not a terminal
}

TEST(CliRun, DestinationReportAndQuiet) {
  TempDir dir;
  dir.Write("a.dxf", Points(3));
  fs::create_directories(dir.path() / "out");
  CliRun r = RunCliProgram(dir, "-d out -r run.log a.dxf");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::exists(dir.path() / "out" / "a.txt"));
  std::string lf = ReadFile(dir.path() / "run.log");
  for (std::size_t at; (at = lf.find("\r\n")) != std::string::npos;) lf.replace(at, 2, "\n");
  EXPECT_EQ(lf, r.out);

  r = RunCliProgram(dir, "-q -d out a.dxf missing.dxf");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.out.empty());
  EXPECT_NE(r.err.find("missing.dxf: *** Error, file is used by another application ***"),
            std::string::npos)
      << r.err;

  r = RunCliProgram(dir, "-d nowhere a.dxf");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("nowhere"), std::string::npos);
}

TEST(CliRun, RefusedConfigurationsAreUsageErrors) {
  TempDir dir;
  dir.Write("a.dxf", Points(1));
  dir.Write("bad.crv", "CRV200 but no length byte");
  CliRun r = RunCliProgram(dir, "-c bad.crv a.dxf");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("This is not a Corvane 2.0 configuration file"), std::string::npos);
  EXPECT_NE(r.err.find("\"bad.crv\""), std::string::npos) << "the refused file is named: " << r.err;
  r = RunCliProgram(dir, "-c none.crv a.dxf");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("Cannot open file \"none.crv\""), std::string::npos);
  EXPECT_FALSE(fs::exists(dir.path() / "a.txt"));
}

// A configuration made byte by byte from the record layout, as another program would write it.
std::string HandMadeConfig() {
  std::string b(576, '\0');
  auto text = [&](std::size_t at, const std::string& s) {
    b[at] = static_cast<char>(s.size());
    b.replace(at + 1, s.size(), s);
  };
  auto i32 = [&](std::size_t at, std::int32_t v) {
    for (int k = 0; k < 4; ++k) b[at + k] = static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * k)) & 0xFF);
  };
  text(0, "CRV200");
  text(7, ";");      // field separator
  text(18, "csv");   // extension
  i32(32, 0x1);      // points only
  const int fieldOrder[5] = {4, 0, 2, 1, 3};  // custom data first, then N, Y, X, Z
  for (int k = 0; k < 5; ++k) {
    i32(140 + 4 * k, fieldOrder[k]);
    b[160 + k] = 1;
  }
  const int customOrder[8] = {1, 0, 2, 3, 4, 5, 6, 7};  // layer first, then the type
  for (int k = 0; k < 8; ++k) i32(168 + 4 * k, customOrder[k]);
  b[200] = 1;
  b[201] = 1;
  text(208, "PT");   // number prefix
  i32(260, 100);     // start number
  i32(316, 2);
  i32(372, 1);
  i32(428, 0);
  text(433, "0.00");
  text(444, "@");    // custom prefix
  text(495, "|");    // custom separator
  b[572] = 1;        // header line
  return b;
}

TEST(CliRun, AConfigurationWrittenFromTheLayoutAloneGivesItsHeaderLine) {
  TempDir dir;
  dir.Write("a.dxf", Points(1));
  dir.Write("hand.crv", HandMadeConfig());
  const CliRun r = RunCliProgram(dir, "--config hand.crv a.dxf");
  ASSERT_EQ(r.status, 0) << r.err;
  const auto custom = test::ShippedCustomItems();
  const auto lines = SplitCrLf(ReadFile(dir.path() / "a.csv"));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "@" + custom[1] + "|" + custom[0] + ";Number;Y Coord.;X Coord.;Z Coord.");
  EXPECT_EQ(lines[1], "@P|POINT;PT100;0.0;0.25;-2");
}

TEST(CliRun, ManyJobsWriteTheSameBytes) {
  TempDir dir;
  for (int f = 0; f < 6; ++f) {
    dir.Write("one/f" + std::to_string(f) + ".dxf", Points(100 * (f + 1)));
    dir.Write("many/f" + std::to_string(f) + ".dxf", Points(100 * (f + 1)));
  }
  const CliRun one = RunCliProgram(dir, "-r one.log one");
  const CliRun many = RunCliProgram(dir, "-j 4 -r many.log many");
  EXPECT_EQ(one.status, 0);
  EXPECT_EQ(many.status, 0);
  std::string a = ReadFile(dir.path() / "one.log"), b = ReadFile(dir.path() / "many.log");
  a = a.substr(a.find("\r\n"));  // the date line may differ
  b = b.substr(b.find("\r\n"));
  for (std::size_t at; (at = b.find("many/")) != std::string::npos;) b.replace(at, 5, "one/");
  EXPECT_EQ(a, b);
  for (int f = 0; f < 6; ++f) {
    const std::string name = "f" + std::to_string(f) + ".txt";
    EXPECT_EQ(ReadFile(dir.path() / "one" / name), ReadFile(dir.path() / "many" / name));
  }
}

// ---- Configurations from the command line ----

TEST(CliConfig, AConfigurationBuiltWithSetIsSavedShownAndConvertsAsOneBuiltFieldByField) {
  TempDir dir;
  const std::string sets =
      "--set Entities=points,lines,2dpolylines --set Fields=N,X,Y,Z,C --set XDecimals=2 "
      "--set 'FieldSeparator=;' --set CustomItems=layer,type";
  CliRun r = RunCliProgram(dir, sets + " --save-config job.crv");
  ASSERT_EQ(r.status, 0) << r.err;
  const CliRun shownBefore = RunCliProgram(dir, sets + " --show-config");
  const CliRun shownAfter = RunCliProgram(dir, "-c job.crv --show-config");
  EXPECT_EQ(shownAfter.status, 0);
  EXPECT_EQ(shownAfter.out, shownBefore.out);
  EXPECT_NE(shownAfter.out.find("Entities = points,lines,2dpolylines\n"), std::string::npos) << shownAfter.out;
  EXPECT_NE(shownAfter.out.find("FieldSeparator = \";\"\n"), std::string::npos);

  // The same record made field by field, as the window would store it.
  TExportConfig hand = test::TestConfig(true);
  ASSERT_EQ(ReadConfigFile(std::string(CORVANE_PROGRAM_DIR) + "/default.crv", hand, hand).accepted, true);
  hand.EntityMask = EntityBitValue(entity_bit::kPoints) | EntityBitValue(entity_bit::kLines) |
                    EntityBitValue(entity_bit::k2DPolylines);
  for (int k = 0; k < kFieldCount; ++k) {
    hand.FieldOrder[k] = k;
    hand.FieldChecked[k] = 1;
  }
  const int custom[kCustomItemCount] = {1, 0, 2, 3, 4, 5, 6, 7};
  for (int k = 0; k < kCustomItemCount; ++k) {
    hand.CustomOrder[k] = custom[k];
    hand.CustomChecked[k] = k < 2;
  }
  hand.XDecimals = 2;
  hand.FieldSeparator.assign(";");
  ASSERT_EQ(WriteConfigFile(dir.File("hand.crv"), hand), "");

  fs::create_directories(dir.path() / "a");
  for (const char* name : {"site_plan.dxf", "survey_points.dxf"}) {
    fs::copy_file(fs::path(CORVANE_SOURCE_DIR) / "examples" / name, dir.path() / "a" / name);
  }
  fs::create_directories(dir.path() / "b");
  fs::copy(dir.path() / "a", dir.path() / "b", fs::copy_options::recursive);
  ASSERT_EQ(RunCliProgram(dir, "-c job.crv a").status, 0);
  ASSERT_EQ(RunCliProgram(dir, "-c hand.crv b").status, 0);
  for (const char* name : {"site_plan.txt", "survey_points.txt"}) {
    const std::string viaSet = ReadFile(dir.path() / "a" / name);
    EXPECT_FALSE(viaSet.empty()) << name;
    EXPECT_EQ(viaSet, ReadFile(dir.path() / "b" / name)) << name;
  }
}

TEST(CliConfig, BadSettingsAndDangerousSaveTargetsAreUsageErrors) {
  TempDir dir;
  dir.Write("a.dxf", Points(1));
  for (const char* bad : {"--set XDecimals=15 a.dxf", "--set Colour=red --show-config",
                          "--set Fields=N,N --show-config", "--save-config a.dxf",
                          "--save-config other.DXF a.dxf"}) {
    const CliRun r = RunCliProgram(dir, bad);
    EXPECT_EQ(r.status, 2) << bad;
    EXPECT_NE(r.err.find("corvane-cli: "), std::string::npos) << bad;
  }
  EXPECT_EQ(ReadFile(dir.path() / "a.dxf"), Points(1));
  EXPECT_FALSE(fs::exists(dir.path() / "a.txt"));
  EXPECT_FALSE(fs::exists(dir.path() / "other.DXF"));
}

// The window's refusals hold here too: a selection that converts nothing is refused before the
// data files of an earlier run are emptied, and the first check that fails speaks.
TEST(CliRun, ASelectionTheWindowRefusesIsRefusedAndWritesNothing) {
  TempDir dir;
  dir.Write("a.dxf", Points(1));
  dir.Write("out/a.txt", "earlier results");
  const struct {
    const char* settings;
    const char* message;
  } cases[] = {
      {"--set Entities=none", "corvane-cli: Please, select DXF entities to be processed.\n"},
      {"--set Entities=none --set Fields=none", "corvane-cli: Please, select DXF entities to be processed.\n"},
      {"--set Entities=2dadded", "corvane-cli: Please, select DXF entities to be processed.\n"},
      {"--set Fields=none", "corvane-cli: Please, select data to be exported.\n"},
      {"--set Entities=splines", "corvane-cli: Please, select type of points to be exported for the Spline entity.\n"},
      // The window refuses it too, and marks its box while the value is typed.
      {"--set ForceZ=yes --set ForcedZValue=1.2.3 --set Fields=N,X,Y,Z",
       "corvane-cli: The forced Z value \"1.2.3\" is not a number\n"},
  };
  for (const auto& k : cases) {
    for (const char* save : {"", " --save-config new.crv"}) {
      const std::string args = std::string(k.settings) + save + " -r log.txt -d out a.dxf";
      const CliRun r = RunCliProgram(dir, args);
      EXPECT_EQ(r.status, 2) << args;
      EXPECT_EQ(r.err, k.message) << args;
      EXPECT_TRUE(r.out.empty()) << args;
    }
  }
  EXPECT_EQ(ReadFile(dir.path() / "out" / "a.txt"), "earlier results");
  EXPECT_FALSE(fs::exists(dir.path() / "log.txt"));
  EXPECT_FALSE(fs::exists(dir.path() / "new.crv"));
}

// ---- Files the tool must never lose ----

TEST(CliFiles, TheReportNeverTakesThePlaceOfADrawingOrTheConfiguration) {
  TempDir dir;
  const std::string drawing = Points(2);
  dir.Write("w/survey_points.dxf", drawing);
  fs::copy_file(fs::path(CORVANE_PROGRAM_DIR) / "default.crv", dir.path() / "w" / "job.crv");
  const std::string config = ReadFile(dir.path() / "w" / "job.crv");
  for (const char* args : {"-r w/survey_points.dxf w", "-c w/job.crv -r w/job.crv w",
                           "-r w/survey_points.txt w", "-r nowhere/log.txt w"}) {
    const CliRun r = RunCliProgram(dir, args);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_TRUE(r.out.empty()) << args;
    EXPECT_NE(r.err.find("corvane-cli: The "), std::string::npos) << args << ": " << r.err;
  }
  EXPECT_EQ(ReadFile(dir.path() / "w" / "survey_points.dxf"), drawing);
  EXPECT_EQ(ReadFile(dir.path() / "w" / "job.crv"), config);
  EXPECT_FALSE(fs::exists(dir.path() / "w" / "survey_points.txt"));
}

TEST(CliFiles, AReportThatCannotBeWrittenIsAFailure) {
  TempDir dir;
  dir.Write("a.dxf", Points(1));
  CliRun r = RunCliProgram(dir, "a.dxf", "/dev/full");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot write the report to standard output"), std::string::npos) << r.err;
  r = RunCliProgram(dir, "a.dxf", "&-");  // standard output closed
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot write the report to standard output"), std::string::npos) << r.err;

  // A report that is read-only or a folder is known before the first drawing is converted.
  dir.Write("locked.log", "kept");
  fs::permissions(dir.path() / "locked.log", fs::perms::owner_read);
  fs::create_directory(dir.path() / "folder.log");
  fs::remove(dir.path() / "a.txt");
  for (const char* report : {"locked.log", "folder.log"}) {
    r = RunCliProgram(dir, std::string("-q -r ") + report + " a.dxf");
    EXPECT_EQ(r.status, 2) << report;
    EXPECT_NE(r.err.find(std::string("Cannot create file \"") + report + "\""), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("Cannot create file"), r.err.rfind("Cannot create file")) << "said once";
    EXPECT_FALSE(fs::exists(dir.path() / "a.txt")) << report;
  }
  EXPECT_EQ(ReadFile(dir.path() / "locked.log"), "kept");

  // A pipe named through /dev/stdout (a link whose text is no path) is written through.
  const std::string piped = "cd " + Quote(dir.Str()) + " && " + Quote(CORVANE_CLI_PATH) +
                            " -q -r /dev/stdout a.dxf | cat >piped.log";
  EXPECT_EQ(std::system(piped.c_str()), 0);
  EXPECT_NE(ReadFile(dir.path() / "piped.log").find("Number of processed files : 1"), std::string::npos);
}

// A refused command has written nothing, not even the configuration it was asked to save.
TEST(CliConfig, ACommandRefusedAfterSaveConfigSavesNothing) {
  TempDir dir;
  dir.Write("a.dxf", Points(1));
  dir.Write("keep.log", "precious");
  for (const char* args : {"--save-config keep.log -r keep.log a.dxf", "--save-config new.crv -d nowhere a.dxf",
                           "--save-config new.crv -r nowhere/x.log a.dxf"}) {
    const CliRun r = RunCliProgram(dir, std::string("-q ") + args);
    EXPECT_EQ(r.status, 2) << args << ": " << r.err;
  }
  EXPECT_EQ(ReadFile(dir.path() / "keep.log"), "precious");
  EXPECT_FALSE(fs::exists(dir.path() / "new.crv"));
  EXPECT_FALSE(fs::exists(dir.path() / "a.txt"));
}

// No data file or report replaces what the program needs to start: a copy of the program folder
// keeps working after drawings named like its files were converted into it.
TEST(CliFiles, NothingReplacesTheProgramsOwnFiles) {
  TempDir dir;
  const fs::path program = dir.path() / "program";
  fs::create_directories(program / "configurations");
  for (const char* name : {"corvane-cli", "corvane.dat", "corvane2.dat", "hints.dat", "default.crv"}) {
    fs::copy_file(fs::path(CORVANE_PROGRAM_DIR) / name, program / name);
  }
  fs::copy_file(program / "default.crv", program / "configurations" / "survey.crv");
  const std::string hints = ReadFile(program / "hints.dat");
  const std::string defaults = ReadFile(program / "default.crv");
  dir.Write("w/hints.dxf", Points(1));
  dir.Write("w/default.dxf", Points(1));
  dir.Write("w/survey.dxf", Points(1));
  const std::string cli = Quote((program / "corvane-cli").string());
  const std::string cd = "cd " + Quote(dir.Str()) + " && ";
  const std::string err = dir.File("err.log");
  std::string command = cd + cli + " -q --set FileExtension=dat -d program w 2>" + Quote(err);
  EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 1);
  EXPECT_NE(ReadFile(err).find("the data file program/hints.dat would replace a file of the program"),
            std::string::npos)
      << ReadFile(err);
  command = cd + cli + " -q --set FileExtension=crv -d program w 2>" + Quote(err);
  EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 1);
  command = cd + cli + " -q --set FileExtension=crv -d program/configurations w 2>" + Quote(err);
  EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 1);
  command = cd + cli + " -q -r program/hints.dat w 2>" + Quote(err);
  EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 2);
  EXPECT_NE(ReadFile(err).find("is a file of the program"), std::string::npos) << ReadFile(err);
  // Nor does a saved configuration, with or without drawings to convert; the configurations
  // folder is where saved configurations belong.
  const std::string program_cli = ReadFile(program / "corvane-cli");
  for (const char* target : {"program/hints.dat", "program/corvane-cli", "program/default.crv"}) {
    for (const char* inputs : {"", " w/survey.dxf"}) {
      command = cd + cli + " -q --save-config " + target + inputs + " 2>" + Quote(err);
      EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 2) << target << inputs;
      EXPECT_NE(ReadFile(err).find("is a file of the program"), std::string::npos) << ReadFile(err);
    }
  }
  EXPECT_EQ(ReadFile(program / "corvane-cli"), program_cli);
  command = cd + cli + " -q --save-config program/configurations/mine.crv 2>" + Quote(err);
  EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 0) << ReadFile(err);
  EXPECT_EQ(ReadFile(program / "configurations" / "mine.crv"), defaults);

  EXPECT_EQ(ReadFile(program / "hints.dat"), hints);
  EXPECT_EQ(ReadFile(program / "default.crv"), defaults);
  EXPECT_EQ(ReadFile(program / "configurations" / "survey.crv"), defaults);
  EXPECT_TRUE(fs::exists(program / "survey.dat")) << "other drawings are still converted";
  command = cd + cli + " -q w/hints.dxf 2>" + Quote(err);
  EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 0) << ReadFile(err);
}

// An installed copy: the shipped configurations and the marker beside the program are the
// package's and stay untouched; the configurations folder in the user's data folder is the
// user's, where a save may replace a file, and a run's data file may not.
TEST(CliFiles, AnInstalledCopyGuardsItsShippedFilesAndTheUsersConfigurations) {
  TempDir dir;
  const fs::path program = dir.path() / "program";
  fs::create_directories(program / "configurations");
  for (const char* name : {"corvane-cli", "corvane.dat", "corvane2.dat", "hints.dat", "default.crv"}) {
    fs::copy_file(fs::path(CORVANE_PROGRAM_DIR) / name, program / name);
  }
  dir.Write("program/installed", "");
  fs::copy_file(program / "default.crv", program / "configurations" / "survey.crv");
  const fs::path mine = dir.path() / "data" / "Tessoran" / "corvane2" / "configurations";
  fs::create_directories(mine);
  dir.Write("data/Tessoran/corvane2/configurations/site.crv", ReadFile(program / "default.crv"));
  dir.Write("w/site.dxf", Points(1));
  const std::string defaults = ReadFile(program / "default.crv");

  const std::string cd = "cd " + Quote(dir.Str()) + " && XDG_DATA_HOME=" + Quote(dir.File("data")) +
                         " " + Quote((program / "corvane-cli").string());
  const std::string err = " 2>" + Quote(dir.File("err.log"));
  for (const char* target : {"program/configurations/survey.crv", "program/installed"}) {
    const std::string command = cd + " -q --set XDecimals=1 --save-config " + target + err;
    EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 2) << target;
    EXPECT_NE(ReadFile(dir.File("err.log")).find("is a file of the program"), std::string::npos)
        << ReadFile(dir.File("err.log"));
  }
  EXPECT_EQ(ReadFile(program / "configurations" / "survey.crv"), defaults);
  EXPECT_EQ(ReadFile(program / "installed"), "");

  std::string command = cd + " -q --set FileExtension=crv -d " + Quote(mine.string()) + " w" + err;
  EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 1);
  EXPECT_NE(ReadFile(dir.File("err.log")).find("would replace a file of the program"), std::string::npos)
      << ReadFile(dir.File("err.log"));
  EXPECT_EQ(ReadFile(mine / "site.crv"), defaults);

  command = cd + " -q --set XDecimals=1 --save-config " + Quote((mine / "site.crv").string()) + err;
  EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 0) << ReadFile(dir.File("err.log"));
  EXPECT_NE(ReadFile(mine / "site.crv"), defaults);
}

// SIGTERM and SIGHUP stop as Ctrl-C does: the file in hand ends on a whole line, and the report
// is completed and printed.
TEST(CliFiles, TerminationSignalsStopLikeCtrlC) {
  TempDir dir;
  std::string big;
  for (int i = 0; i < 20000; ++i) {
    big += "  0\nPOINT\n  8\nP\n 10\n" + std::to_string(i) + ".25\n 20\n1\n 30\n2\n";
  }
  std::string many;
  for (int k = 0; k < 40; ++k) many += big;
  dir.Write("big.dxf", DxfWithEntities(many));
  for (int sig : {SIGTERM, SIGHUP}) {
    for (const bool quiet : {false, true}) {
      const std::string out = dir.File("out.log"), err = dir.File("err.log");
      fs::remove(dir.path() / "big.txt");
      const pid_t child = ::fork();
      ASSERT_GE(child, 0);
      if (child == 0) {
        ::chdir(dir.Str().c_str());
        std::freopen(out.c_str(), "w", stdout);
        std::freopen(err.c_str(), "w", stderr);
        ::execl(CORVANE_CLI_PATH, CORVANE_CLI_PATH, quiet ? "-q" : "-j1", "big.dxf", nullptr);
        ::_exit(127);
      }
      // Wait until the data file has lines, then signal while the drawing is being converted.
      const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
      while (std::chrono::steady_clock::now() < until) {
        std::error_code ec;
        if (fs::file_size(dir.path() / "big.txt", ec) > 0 && !ec) break;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
      }
      ::kill(child, sig);
      int raw = 0;
      ::waitpid(child, &raw, 0);
      ASSERT_TRUE(WIFEXITED(raw)) << "killed by the signal instead of stopping: " << sig;
      EXPECT_EQ(WEXITSTATUS(raw), 1);
      const std::string data = ReadFile(dir.path() / "big.txt");
      ASSERT_FALSE(data.empty());
      EXPECT_EQ(data.substr(data.size() - 2), "\r\n");
      EXPECT_LT(SplitCrLf(data).size(), 800000u) << "the signal came after the end; make the drawing larger";
      if (quiet) {
        EXPECT_TRUE(ReadFile(out).empty());
        EXPECT_EQ(ReadFile(err), "corvane-cli: stopped by the user\n");
      } else {
        EXPECT_NE(ReadFile(out).find("*** Process canceled by user ***\n"), std::string::npos);
      }
    }
  }
}

}  // namespace
}  // namespace corvane
