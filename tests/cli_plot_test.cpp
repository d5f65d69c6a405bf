// corvane-cli --plot end to end: one SVG per drawing beside its data file that parses as XML, one
// mark per point below the raster threshold, the report's counts in its legend, a run otherwise
// unchanged, and no picture ever replacing what a data file may not replace.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <map>
#include <new>
#include <stdexcept>
#include <sstream>
#include <string>
#include <vector>

#include "cli/plot_step.h"
#include "plot/point_plot.h"
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

// What tests/plot_svg_facts.py reads from a picture (it fails on a file that is not XML).
struct SvgFacts {
  bool parsed = false;
  std::size_t marks = 0;
  std::size_t points = 0;
  std::map<int, long long> counts;  // entity option -> count in the legend
  int imageWidth = 0, imageHeight = 0;
};

SvgFacts ReadSvgFacts(const TempDir& dir, const fs::path& svg) {
  const std::string out = dir.File("facts.txt");
  const std::string command = "python3 " + Quote(std::string(CORVANE_SOURCE_DIR) + "/tests/plot_svg_facts.py") +
                              " " + Quote(svg.string()) + " >" + Quote(out) + " 2>&1";
  SvgFacts facts;
  const int status = std::system(command.c_str());
  std::istringstream lines(ReadFile(out));
  fs::remove(out);
  if (status != 0) {
    ADD_FAILURE() << svg << ": " << lines.str();
    return facts;
  }
  facts.parsed = true;
  for (std::string word; lines >> word;) {
    if (word == "marks") {
      lines >> facts.marks;
    } else if (word == "points") {
      lines >> facts.points;
    } else if (word == "count") {
      int option = 0;
      long long count = 0;
      lines >> option >> count;
      facts.counts[option] = count;
    } else if (word == "image") {
      lines >> facts.imageWidth >> facts.imageHeight;
    }
  }
  return facts;
}

// The summary lines of the report on standard output: " Label : N " per option, in order. The
// legend is held to them by label order: the report's k-th summary line is the k-th count.
std::vector<long long> SummaryCounts(const std::string& report, const std::string& dxf) {
  std::vector<long long> counts;
  std::size_t at = report.find("DXF File  : " + dxf + "\n");
  if (at == std::string::npos) return counts;
  at = report.find("\n\n", report.find("Data File : ", at));  // the block's empty line
  for (at += 2; at < report.size() && report[at] == ' ';) {
    const std::size_t end = report.find('\n', at);
    const std::string line = report.substr(at, end - at);
    counts.push_back(std::stoll(line.substr(line.rfind(" : ") + 3)));
    at = end + 1;
  }
  return counts;
}

std::vector<long long> LegendCounts(const SvgFacts& facts) {
  std::vector<long long> counts;
  for (const auto& [option, count] : facts.counts) counts.push_back(count);
  return counts;
}

std::size_t LineCount(const std::string& data) {
  std::size_t n = 0;
  for (std::size_t at = 0; (at = data.find("\r\n", at)) != std::string::npos; at += 2) ++n;
  return n;
}

std::string ManyPoints(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) {
    s += "0\nPOINT\n8\nP\n10\n" + std::to_string(i % 1000) + ".5\n20\n" + std::to_string(i / 1000) + "\n";
  }
  return test::DxfWithEntities(s);
}

TEST(CliPlot, ExamplesGetOnePicturePerDrawingAndTheRunStaysTheSame) {
  TempDir dir;
  fs::create_directories(dir.path() / "in");
  for (const char* name : {"site_plan.dxf", "survey_points.dxf"}) {
    fs::copy_file(fs::path(CORVANE_SOURCE_DIR) / "examples" / name, dir.path() / "in" / name,
                  fs::copy_options::none);
  }
  fs::create_directories(dir.path() / "plain");
  fs::create_directories(dir.path() / "plotted");
  const CliRun plain = RunCliProgram(dir, "-d plain in");
  const CliRun plotted = RunCliProgram(dir, "--plot -d plotted in");
  EXPECT_EQ(plain.status, 0) << plain.err;
  EXPECT_EQ(plotted.status, 0) << plotted.err;
  // The report differs only in the folder names it shows.
  std::string expected = plain.out;
  for (std::size_t at; (at = expected.find("plain/")) != std::string::npos;) expected.replace(at, 6, "plotted/");
  EXPECT_EQ(plotted.out.substr(plotted.out.find('\n')), expected.substr(expected.find('\n')));
  for (const char* stem : {"site_plan", "survey_points"}) {
    const std::string data = ReadFile(dir.path() / "plotted" / (std::string(stem) + ".txt"));
    EXPECT_EQ(data, ReadFile(dir.path() / "plain" / (std::string(stem) + ".txt")));
    EXPECT_FALSE(fs::exists(dir.path() / "plain" / (std::string(stem) + ".svg")));
    const SvgFacts facts = ReadSvgFacts(dir, dir.path() / "plotted" / (std::string(stem) + ".svg"));
    ASSERT_TRUE(facts.parsed);
    EXPECT_GT(facts.marks, 0u);
    EXPECT_EQ(facts.marks, LineCount(data)) << stem;  // default.crv writes no header line
    EXPECT_EQ(facts.points, LineCount(data));
    EXPECT_EQ(LegendCounts(facts), SummaryCounts(plotted.out, "in/" + std::string(stem) + ".dxf")) << stem;
    EXPECT_NE(plotted.err.find("plot written: plotted/" + std::string(stem) + ".svg"), std::string::npos);
  }
}

TEST(CliPlot, OneMarkPerPointUpToTheThresholdThenADensityRaster) {
  TempDir dir;
  const int n = static_cast<int>(plot::kRasterThreshold);
  dir.Write("at.dxf", ManyPoints(n));
  dir.Write("over.dxf", ManyPoints(n + 1));
  const CliRun r = RunCliProgram(dir, "-q --plot -j2 at.dxf over.dxf");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(r.err.empty()) << r.err;
  const SvgFacts at = ReadSvgFacts(dir, dir.path() / "at.svg");
  EXPECT_EQ(at.marks, plot::kRasterThreshold);
  EXPECT_EQ(at.imageWidth, 0);
  const SvgFacts over = ReadSvgFacts(dir, dir.path() / "over.svg");
  EXPECT_EQ(over.marks, 0u);
  EXPECT_EQ(over.points, plot::kRasterThreshold + 1);
  EXPECT_GT(over.imageWidth, 100);
  EXPECT_GT(over.imageHeight, 0);
  EXPECT_EQ(over.counts.at(0), n + 1);
  // The raster keeps the picture small: mostly empty pixels cost next to nothing.
  EXPECT_LT(fs::file_size(dir.path() / "over.svg"), 200u * 1024);
}

TEST(CliPlot, NoPictureReplacesWhatADataFileMayNotReplace) {
  TempDir dir;
  const std::string points = ManyPoints(3);
  // A drawing whose own name is the picture's name.
  dir.Write("a.svg", points);
  CliRun r = RunCliProgram(dir, "--plot a.svg");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(ReadFile(dir.path() / "a.svg"), points);
  EXPECT_NE(r.err.find("the plot file a.svg would replace a DXF file"), std::string::npos) << r.err;
  EXPECT_TRUE(fs::exists(dir.path() / "a.txt"));

  // The data file of the run, when the extension is "svg".
  dir.Write("b.dxf", points);
  r = RunCliProgram(dir, "--plot --set FileExtension=svg b.dxf");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(LineCount(ReadFile(dir.path() / "b.svg")), 3u);
  EXPECT_NE(r.err.find("the plot file b.svg would replace a file written earlier in this run"), std::string::npos)
      << r.err;

  // The report, and the configuration in use.
  dir.Write("c.dxf", points);
  dir.Write("c.svg", "report before");
  r = RunCliProgram(dir, "-q --plot -r c.svg c.dxf");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(ReadFile(dir.path() / "c.svg").find("Corvane report created"), std::string::npos);
  EXPECT_NE(r.err.find("would replace the report file"), std::string::npos) << r.err;
  fs::copy_file(fs::path(CORVANE_PROGRAM_DIR) / "default.crv", dir.path() / "d.svg");
  dir.Write("d.dxf", points);
  const std::string config = ReadFile(dir.path() / "d.svg");
  r = RunCliProgram(dir, "-q --plot -c d.svg d.dxf");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(ReadFile(dir.path() / "d.svg"), config);
  EXPECT_NE(r.err.find("would replace the configuration file in use"), std::string::npos) << r.err;

  // Another spelling of a drawing is no way around: a link to it.
  dir.Write("e.dxf", points);
  fs::create_directories(dir.path() / "out");
  fs::create_symlink(dir.path() / "e.dxf", dir.path() / "out" / "e.svg");
  r = RunCliProgram(dir, "-q --plot -d out e.dxf");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(ReadFile(dir.path() / "e.dxf"), points);
  EXPECT_NE(r.err.find("would replace a DXF file"), std::string::npos) << r.err;

  // Without --plot, nothing of the kind is written or refused.
  dir.Write("f.dxf", points);
  r = RunCliProgram(dir, "f.dxf");
  EXPECT_EQ(r.status, 0);
  EXPECT_FALSE(fs::exists(dir.path() / "f.svg"));
}

// A picture never replaces a file of the program either: here a file in its configurations folder.
TEST(CliPlot, NoPictureReplacesAFileOfTheProgram) {
  TempDir dir;
  const fs::path program = dir.path() / "program";
  fs::create_directories(program / "configurations");
  for (const char* name : {"corvane-cli", "corvane.dat", "corvane2.dat", "hints.dat", "default.crv"}) {
    fs::copy_file(fs::path(CORVANE_PROGRAM_DIR) / name, program / name);
  }
  dir.Write("program/configurations/keep.svg", "a file of the user's");
  dir.Write("w/keep.dxf", ManyPoints(2));
  const std::string err = dir.File("err.log");
  const std::string command = "cd " + Quote(dir.Str()) + " && " + Quote((program / "corvane-cli").string()) +
                              " -q --plot -d program/configurations w/keep.dxf 2>" + Quote(err);
  const int raw = std::system(command.c_str());
  EXPECT_EQ(WEXITSTATUS(raw), 1);
  EXPECT_EQ(ReadFile(program / "configurations" / "keep.svg"), "a file of the user's");
  EXPECT_NE(ReadFile(err).find("the plot file program/configurations/keep.svg would replace a file of the program"),
            std::string::npos)
      << ReadFile(err);
}

TEST(CliPlot, ADrawingThatEndsEarlyIsDrawnWithWhatItsDataFileHolds) {
  TempDir dir;
  dir.Write("bad.dxf", test::DxfWithEntities("0\nPOINT\n10\n1\n20\n2\n0\nPOINT\n10\n1,5\n20\n2\n"));
  const CliRun r = RunCliProgram(dir, "-q --plot bad.dxf");
  EXPECT_EQ(r.status, 1);  // the drawing's error line, as without --plot
  const SvgFacts facts = ReadSvgFacts(dir, dir.path() / "bad.svg");
  EXPECT_EQ(facts.marks, 1u);
  EXPECT_TRUE(facts.counts.empty());  // the report has no summary for it either
  EXPECT_NE(ReadFile(dir.path() / "bad.svg").find("not a number"), std::string::npos);
}

// A picture that cannot be made, for whatever reason, is an error line of its own; nothing is
// thrown past the plot threads, which would end the program before the report is saved.
TEST(CliPlot, AnExceptionWhileDrawingBecomesThatPicturesError) {
  EXPECT_EQ(DrawCatchingErrors("w/a.dxf", []() -> std::string { return {}; }), "");
  EXPECT_EQ(DrawCatchingErrors("w/a.dxf", []() -> std::string { return "refused"; }), "refused");
  EXPECT_EQ(DrawCatchingErrors("w/a.dxf", []() -> std::string { throw std::bad_alloc(); }),
            "There is not enough memory to draw \"w/a.dxf\"");
  EXPECT_EQ(DrawCatchingErrors("w/a.dxf", []() -> std::string { throw std::length_error("too long"); }),
            "The picture of \"w/a.dxf\" could not be made: too long");
  EXPECT_EQ(DrawCatchingErrors("w/a.dxf", []() -> std::string { throw 7; }),
            "The picture of \"w/a.dxf\" could not be made");
}

// The picture shows what the run writes with the survey-block and layer options: a point per
// data line, and none for the blocks a layer list leaves out.
TEST(CliPlot, PicturesFollowTheSurveyBlockAndLayerOptions) {
  TempDir dir;
  fs::copy_file(fs::path(CORVANE_SOURCE_DIR) / "examples" / "survey_blocks.dxf", dir.path() / "s.dxf");
  const std::string crv = Quote((fs::path(CORVANE_PROGRAM_DIR) / "configurations" / "pnezd-blocks.crv").string());
  const CliRun all = RunCliProgram(dir, "-q --plot -c " + crv + " s.dxf");
  ASSERT_EQ(all.status, 0) << all.err;
  const std::string data = ReadFile(dir.path() / "s.txt");
  ASSERT_GT(LineCount(data), 0u);
  const SvgFacts facts = ReadSvgFacts(dir, dir.path() / "s.svg");
  EXPECT_EQ(facts.points, LineCount(data));
  EXPECT_EQ(facts.marks, LineCount(data));

  const CliRun none = RunCliProgram(dir, "-q --plot -c " + crv + " --set Layers=NO-SUCH-LAYER s.dxf");
  ASSERT_EQ(none.status, 0) << none.err;
  EXPECT_EQ(ReadFile(dir.path() / "s.txt"), "");
  EXPECT_EQ(ReadSvgFacts(dir, dir.path() / "s.svg").points, 0u);
}

}  // namespace
}  // namespace corvane
