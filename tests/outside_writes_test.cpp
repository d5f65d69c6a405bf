// corvane-cli never writes outside the run: a file reached through another name keeps its bytes,
// a configuration is saved only as a regular file and never over the run's own outputs, a report
// that cannot be saved is known before the run, and pictures' failures reach the report. Also the
// record both programs use, and the protected files derived from what the build ships.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <string>

#include "config/export_config.h"
#include "config/program_paths.h"
#include "tests/cli_support.h"
#include "tests/test_support.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;
using test::CliRun;
using test::Quote;
using test::ReadFile;
using test::RunCliProgram;
using test::TempDir;

std::string Points(int n, double scale = 1) {
  std::string s;
  for (int i = 0; i < n; ++i) {
    s += "0\nPOINT\n8\nP\n10\n" + std::to_string(i * scale) + "\n20\n" + std::to_string(i % 7) + "\n";
  }
  return test::DxfWithEntities(s);
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The shipped defaults with some bytes of the record changed, as a hand-made file may hold them.
std::string PatchedDefaults(std::size_t offset, const std::string& bytes) {
  std::string record = ReadFile(fs::path(CORVANE_PROGRAM_DIR) / "default.crv");
  record.replace(offset, bytes.size(), bytes);
  return record;
}

TEST(OutsideWrites, AFileWithOtherNamesIsNeverEmptiedThroughOne) {
  TempDir dir;
  dir.Write("in/a.dxf", Points(3));
  dir.Write("other/keep.dxf", "a drawing elsewhere");
  dir.Write("other/keep.txt", "a list elsewhere");
  // Named like a drawing or not, the file a hard link leads to is not this run's.
  for (const char* other : {"other/keep.dxf", "other/keep.txt"}) {
    fs::remove(dir.path() / "in/a.txt");
    fs::create_hard_link(dir.path() / other, dir.path() / "in/a.txt");
    const CliRun r = RunCliProgram(dir, "in/a.dxf");
    EXPECT_EQ(r.status, 1) << other;
    EXPECT_TRUE(Has(r.out, "*** Error, the data file in/a.txt has other names (hard links)")) << r.out;
  }
  EXPECT_EQ(ReadFile(dir.path() / "other/keep.dxf"), "a drawing elsewhere");
  EXPECT_EQ(ReadFile(dir.path() / "other/keep.txt"), "a list elsewhere");

  // A picture too; the data file itself, with one name, is rewritten as ever.
  fs::remove(dir.path() / "in/a.txt");
  dir.Write("in/a.txt", "an earlier data file");
  fs::create_hard_link(dir.path() / "other/keep.txt", dir.path() / "in/a.svg");
  const CliRun r = RunCliProgram(dir, "-r rep.txt --plot in/a.dxf");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(ReadFile(dir.path() / "other/keep.txt"), "a list elsewhere");
  EXPECT_TRUE(Has(r.err, "the plot file in/a.svg has other names")) << r.err;
  EXPECT_EQ(test::SplitCrLf(ReadFile(dir.path() / "in/a.txt")).size(), 3u);
}

TEST(OutsideWrites, BothProgramsRunTheRecordTheWindowShows) {
  TempDir dir;
  dir.Write("a.dxf", Points(2));
  // Entity bits beyond the seventeen options mean nothing: alone, or beside a sub-option whose
  // parent is off, they select nothing, and the run is refused before the data file is touched.
  for (const std::string mask : {std::string("\x00\x00\x02\x00", 4), std::string("\x80\x00\x02\x00", 4)}) {
    dir.Write("a.txt", "earlier");
    dir.Write("m.crv", PatchedDefaults(offsetof(TExportConfig, EntityMask), mask));
    const CliRun r = RunCliProgram(dir, "-c m.crv a.dxf");
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(Has(r.err, "Please, select DXF entities to be processed.")) << r.err;
    EXPECT_EQ(ReadFile(dir.path() / "a.txt"), "earlier");
  }
  // Blanks around the block names are not part of them: the report and --show-config show them
  // as the window's box does.
  std::string names = "  TREE* ";
  names.insert(names.begin(), static_cast<char>(names.size()));
  dir.Write("b.crv", PatchedDefaults(offsetof(TExportConfig, BlockNames), names));
  const CliRun run = RunCliProgram(dir, "-c b.crv --set Entities=points,blocks a.dxf");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(Has(run.out, "(TREE*)")) << run.out;
  const CliRun shown = RunCliProgram(dir, "-c b.crv --show-config");
  EXPECT_TRUE(Has(shown.out, "\"TREE*\"")) << shown.out;
}

TEST(OutsideWrites, HugeAndInfiniteCoordinatesMakeAPictureOfBoundedSize) {
  TempDir dir;
  dir.Write("wide.dxf", test::DxfWithEntities("0\nPOINT\n10\n1e308\n20\n0\n0\nPOINT\n10\n-1e308\n20\n1\n"
                                              "0\nPOINT\n10\n1e999\n20\n2\n0\nPOINT\n10\n5\n20\n-1e999\n"));
  const CliRun r = RunCliProgram(dir, "-q --plot wide.dxf");
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string svg = ReadFile(dir.path() / "wide.svg");
  EXPECT_FALSE(Has(svg, "inf")) << svg.substr(0, 600);
  EXPECT_FALSE(Has(svg, "nan"));
  EXPECT_EQ(svg.find('\0'), std::string::npos);
  EXPECT_TRUE(Has(svg, "data-unplaced=\"2\"")) << svg;
  EXPECT_TRUE(Has(svg, "<circle class=\"pt\" cx=\"90.0\""));    // -1e308 on the left edge
  EXPECT_TRUE(Has(svg, "<circle class=\"pt\" cx=\"990.0\""));   // 1e308 on the right edge
  // The data file keeps every point as the drawing gives it.
  EXPECT_EQ(test::SplitCrLf(ReadFile(dir.path() / "wide.txt")).size(), 4u);
  EXPECT_LT(svg.size(), 20000u);
}

TEST(OutsideWrites, AConfigurationIsSavedOnlyAsARegularFile) {
  TempDir dir;
  ASSERT_EQ(::mkfifo(dir.File("pipe.crv").c_str(), 0600), 0);
  dir.Write("a.dxf", Points(2));
  // With a time limit: a program that waits on the FIFO must fail the test, not hang it.
  const std::string limited = "timeout 20 " + Quote(CORVANE_CLI_PATH);
  for (const char* arguments : {" --save-config pipe.crv", " --save-config pipe.crv a.dxf"}) {
    const std::string err = dir.File("err.log");
    const int raw = std::system(("cd " + Quote(dir.Str()) + " && " + limited + arguments + " 2>" + Quote(err) +
                                 " </dev/null >/dev/null").c_str());
    EXPECT_EQ(WEXITSTATUS(raw), 2) << arguments;
    EXPECT_TRUE(Has(ReadFile(err), "Cannot create file \"pipe.crv\". Not a regular file")) << ReadFile(err);
  }
  EXPECT_FALSE(fs::exists(dir.path() / "a.txt"));
  EXPECT_TRUE(fs::is_fifo(dir.path() / "pipe.crv"));
}

TEST(OutsideWrites, AReportThatCannotBeSavedIsKnownBeforeTheRun) {
  TempDir dir;
  dir.Write("a.dxf", Points(2));
  dir.Write("locked/rep.txt", "the report before");
  const std::string folder = dir.File("locked");
  // The folder forbids new files (the save's temporary one); the report in it is writable. Root
  // passes over permissions, but not over an immutable folder.
  const bool root = ::geteuid() == 0;
  if (root) {
    if (std::system(("chattr +i " + Quote(folder) + " 2>/dev/null").c_str()) != 0) GTEST_SKIP() << "no chattr";
  } else {
    fs::permissions(folder, fs::perms(0555));
  }
  const CliRun r = RunCliProgram(dir, "-r locked/rep.txt a.dxf");
  if (root) std::system(("chattr -i " + Quote(folder)).c_str());
  fs::permissions(folder, fs::perms(0755));
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(Has(r.err, "Cannot create file \"locked/rep.txt\"")) << r.err;
  EXPECT_FALSE(fs::exists(dir.path() / "a.txt"));
  EXPECT_EQ(ReadFile(dir.path() / "locked/rep.txt"), "the report before");
}

TEST(OutsideWrites, AConfigurationIsNeverSavedOverTheRunsOwnOutputs) {
  TempDir dir;
  dir.Write("a.dxf", Points(2));
  fs::create_directories(dir.path() / "out");
  CliRun r = RunCliProgram(dir, "-d out --save-config out/a.txt a.dxf");
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(Has(r.err, "The configuration file \"out/a.txt\" is the data file of \"a.dxf\"")) << r.err;
  r = RunCliProgram(dir, "-d out --plot --save-config out/a.svg a.dxf");
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(Has(r.err, "The configuration file \"out/a.svg\" is the plot file of \"a.dxf\"")) << r.err;
  EXPECT_TRUE(fs::is_empty(dir.path() / "out"));
  // Without pictures that name is free.
  r = RunCliProgram(dir, "-d out --save-config out/a.svg a.dxf");
  EXPECT_EQ(r.status, 0) << r.err;
}

TEST(OutsideWrites, PicturesThatCouldNotBeSavedAreInTheReportAndLeaveNothing) {
  TempDir dir;
  dir.Write("keep.dxf", "a drawing");
  dir.Write("a.dxf", Points(3));
  fs::create_symlink(dir.path() / "keep.dxf", dir.path() / "a.svg");
  CliRun r = RunCliProgram(dir, "-q --plot -r rep.txt a.dxf");
  EXPECT_EQ(r.status, 1);
  const std::string report = ReadFile(dir.path() / "rep.txt");
  EXPECT_TRUE(Has(report, "*** Error, the plot file a.svg would replace a DXF file ***\r\n")) << report;
  // Told once on standard error, not again as a drawing's error line.
  EXPECT_EQ(r.err.find("would replace"), r.err.rfind("would replace")) << r.err;
  EXPECT_EQ(ReadFile(dir.path() / "keep.dxf"), "a drawing");

  // A full disk (here a file size limit) cuts the picture: none is left, and the report says so.
  dir.Write("b.dxf", Points(400));
  const std::string err = dir.File("err.log");
  const int raw = std::system(("cd " + Quote(dir.Str()) + " && trap '' XFSZ && ulimit -f 40 && " +
                               Quote(CORVANE_CLI_PATH) + " -q --plot -r rep.txt b.dxf 2>" + Quote(err) + " >/dev/null")
                                  .c_str());
  EXPECT_EQ(WEXITSTATUS(raw), 1) << ReadFile(err);
  EXPECT_EQ(test::SplitCrLf(ReadFile(dir.path() / "b.txt")).size(), 400u);
  EXPECT_FALSE(fs::exists(dir.path() / "b.svg"));
  EXPECT_TRUE(Has(ReadFile(dir.path() / "rep.txt"), "*** Error, Cannot write file \"b.svg\".")) << ReadFile(err);
}

// A drawing whose data file was refused gets no picture: not one named after nothing.
TEST(OutsideWrites, NoPictureForADrawingWhoseDataFileWasRefused) {
  TempDir dir;
  dir.Write("a.dxf", Points(2));
  dir.Write("b.dxf", Points(2));
  dir.Write("other.txt", "elsewhere");
  fs::create_hard_link(dir.path() / "other.txt", dir.path() / "b.txt");
  const CliRun r = RunCliProgram(dir, "-q --plot a.dxf b.dxf");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(fs::exists(dir.path() / "a.svg"));
  EXPECT_FALSE(fs::exists(dir.path() / "b.svg"));
  EXPECT_FALSE(fs::exists(dir.path() / ".svg"));
  EXPECT_EQ(ReadFile(dir.path() / "other.txt"), "elsewhere");
}

// A stop while the pictures are made is a stop: the exit status and the report say so.
TEST(OutsideWrites, AStopDuringThePicturesIsNoSuccess) {
  TempDir dir;
  std::string drawings;
  for (int i = 0; i < 12; ++i) {
    dir.Write("d" + std::to_string(i) + ".dxf", Points(60000, 0.37));
    drawings += " d" + std::to_string(i) + ".dxf";
  }
  const std::string status = dir.File("status");
  const std::string script = "cd " + Quote(dir.Str()) + " && (" + Quote(CORVANE_CLI_PATH) + " -q --plot -r rep.txt" +
                             drawings + " 2>err.log >/dev/null & pid=$!; while [ ! -e d0.svg ]; do sleep 0.005; done; " +
                             "kill -INT $pid; wait $pid; echo $? >" + Quote(status) + ")";
  std::system(script.c_str());
  EXPECT_EQ(ReadFile(status), "1\n") << ReadFile(dir.path() / "err.log");
  EXPECT_FALSE(fs::exists(dir.path() / "d11.svg"));
  EXPECT_TRUE(Has(ReadFile(dir.path() / "err.log"), "plots stopped by the user"));
  EXPECT_TRUE(Has(ReadFile(dir.path() / "rep.txt"), "*** Process canceled by user ***"));
}

TEST(OutsideWrites, EveryFileTheBuildShipsIsAFileOfTheProgram) {
  TempDir dir;
  const fs::path program = dir.path() / "program";
  fs::create_directories(program / "help");
  for (const char* name : {"corvane-cli", "corvane.dat", "corvane2.dat", "hints.dat", "default.crv", "help/main.png"}) {
    fs::copy_file(fs::path(CORVANE_PROGRAM_DIR) / name, program / name);
  }
  const std::string picture = ReadFile(program / "help/main.png");
  const std::string err = dir.File("err.log");
  const int raw = std::system(("cd " + Quote(dir.Str()) + " && program/corvane-cli --save-config program/help/main.png 2>" +
                               Quote(err)).c_str());
  EXPECT_EQ(WEXITSTATUS(raw), 2);
  EXPECT_TRUE(Has(ReadFile(err), "is a file of the program")) << ReadFile(err);
  EXPECT_EQ(ReadFile(program / "help/main.png"), picture);

  // Every picture of the help page, as the source holds them.
  const std::vector<std::string> shipped = ShippedProgramFiles(PortablePlaces(program.string() + "/"));
  std::size_t pictures = 0;
  for (const auto& entry : fs::directory_iterator(fs::path(CORVANE_SOURCE_DIR) / "data/help")) {
    const std::string expected = (program / "help" / entry.path().filename()).string();
    EXPECT_NE(std::find(shipped.begin(), shipped.end(), expected), shipped.end()) << expected;
    ++pictures;
  }
  EXPECT_GT(pictures, 0u);
}

}  // namespace
}  // namespace corvane
