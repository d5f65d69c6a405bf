// The runs the error-path tests share: drawings among good ones, each run checked for what it
// must leave behind (the good drawings converted, the user's own files, the report).
#pragma once

#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <unistd.h>
#endif

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "engine/conversion_run.h"
#include "tests/test_support.h"

namespace corvane::test {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

inline constexpr std::string_view kNotValidLine = "*** Error, not a valid DXF file ***";

// A point on a layer.
inline std::string PointOn(std::string_view x, std::string_view y, std::string_view z,
                           std::string_view layer = "P") {
  return Pairs({"0", "POINT", "8", layer, "10", x, "20", y, "30", z});
}

// A run over drawings in `in/`, with data files in `out/`, a report file, and a file of the user's
// in the destination that no run may touch.
class BadInputRun : public ::testing::Test {
 protected:
  BadInputRun() {
    cfg_ = TestConfig(true);
    cfg_.EntityMask = EntityBitValue(entity_bit::kPoints);
    fs::create_directories(dir_.path() / "in");
    fs::create_directories(dir_.path() / "out");
    test::WriteFile(Unrelated(), kUnrelatedText);
  }

  std::string In(const std::string& name) const { return (dir_.path() / "in" / name).string(); }
  std::string Out(const std::string& name) const { return (dir_.path() / "out" / name).string(); }
  fs::path Unrelated() const { return dir_.path() / "out" / "notes.txt"; }
  std::string Drawing(const std::string& name, std::string_view content) const {
    test::WriteFile(dir_.path() / "in" / name, content);
    return In(name);  // with the system's own separators, as the report shows it
  }
  // A good drawing of two points whose layer names it.
  std::string Good(const std::string& name) const {
    return Drawing(name, DxfWithEntities(PointOn("1", "2", "3", name) + PointOn("4", "5", "6", name)));
  }
  static Lines GoodLines(const std::string& name) {
    return {"1,1.000,2.000,3.000,POINT/" + name, "2,4.000,5.000,6.000,POINT/" + name};
  }

  RunResult Run(const std::vector<std::string>& paths, RunObserver& observer) {
    RunRequest request = RequestFor(cfg_, paths, (dir_.path() / "out").string());
    request.reportPath = ReportPath();
    return RunConversion(cfg_, request, observer);
  }
  RunResult Run(const std::vector<std::string>& paths) {
    TestObserver observer;
    return Run(paths, observer);
  }
  std::string ReportPath() const { return (dir_.path() / "CorvaneLog.txt").string(); }

  Lines DataLines(const std::string& name) const { return SplitCrLf(ReadFile(Out(name))); }

  // What every run here must leave: the good drawings converted, the user's own file as it was,
  // and the saved report equal to the returned one.
  void ExpectNeighboursIntact(const RunResult& r, const std::vector<std::string>& goodNames) {
    for (const std::string& name : goodNames) {
      const std::string stem = name.substr(0, name.find('.'));
      EXPECT_EQ(DataLines(stem + ".txt"), GoodLines(name)) << name;
      const Lines block = test::ReportBlock(r, In(name));
      EXPECT_NE(std::find(block.begin(), block.end(), " Points : 2 "), block.end()) << name;
    }
    EXPECT_EQ(ReadFile(Unrelated()), kUnrelatedText);
    EXPECT_EQ(SplitCrLf(ReadFile(ReportPath())), r.report);
  }
  // A drawing whose block is its data file and one error line.
  void ExpectRefusedAsNotDxf(const RunResult& r, const std::string& name) {
    const std::string stem = name.substr(0, name.find('.'));
    EXPECT_EQ(test::ReportBlock(r, In(name)), (Lines{"Data File : " + Out(stem + ".txt"), std::string(kNotValidLine)}))
        << name;
  }

  static constexpr std::string_view kUnrelatedText = "the user's own notes\r\n";
  TempDir dir_;
  TExportConfig cfg_;
};

// Files that cannot be read or written, in a run of several files.
class HostileFiles : public ::testing::Test {
 protected:
  HostileFiles() {
    cfg_ = TestConfig();
    cfg_.EntityMask = EntityBitValue(entity_bit::kPoints);
    drawing_ = DxfWithEntities(PointOn("1", "2", "3", "P") + PointOn("4", "5", "6", "P"));
  }
#if defined(_WIN32)
  static bool Root() { return false; }
#else
  static bool Root() { return ::geteuid() == 0; }
#endif
  std::string Good(const std::string& name) const { return dir_.Write(name, drawing_); }
  RunResult Run(const std::vector<std::string>& paths, const std::string& dest = "") {
    RunRequest request = RequestFor(cfg_, paths, dest);
    request.reportPath = (dir_.path() / "CorvaneLog.txt").string();
    TestObserver observer;
    return RunConversion(cfg_, request, observer);
  }

  TempDir dir_;
  TExportConfig cfg_;
  std::string drawing_;
  const Lines points_{"1,1.000,2.000,3.000", "2,4.000,5.000,6.000"};
};

}  // namespace corvane::test
