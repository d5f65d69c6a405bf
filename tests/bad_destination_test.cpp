// A destination that cannot take the data files: something other than a file in the place of one,
// a read-only file or folder, a full disk, a folder that disappears during the run. For each, what
// the user is told, and that nothing written before it is lost.
#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "engine/conversion_run.h"
#include "tests/error_run_fixtures.h"
#include "tests/test_support.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;
using test::BadInputRun;
using test::DxfWithEntities;
using test::HostileFiles;
using test::ReadFile;
using test::SplitCrLf;
using test::TestObserver;
using Lines = std::vector<std::string>;

// ---- Something in the place of a data file, a read-only file or folder, a full disk -------

// A data file that cannot be created or written ends the run; the files before it and the report
// gathered so far stay, and the report says why.
class HostileDestination : public HostileFiles {
 protected:
  void ExpectRunEndedAt(const RunResult& r, const std::string& failed, std::string_view reason) {
    const std::string target = (dir_.path() / "b.txt").string();
    ASSERT_FALSE(r.report.empty());
    const std::string& last = r.report.back();
    EXPECT_EQ(last.rfind("*** Error, " + std::string(reason) + " file \"" + target + "\". ", 0), 0u) << last;
    EXPECT_EQ(last.substr(last.size() - 4), " ***");
    EXPECT_EQ(r.fatalError, last.substr(11, last.size() - 15));
    EXPECT_EQ(test::ReportBlock(r, a_), (Lines{"Data File : " + (dir_.path() / "a.txt").string(), " Points : 2 "}));
    EXPECT_NE(std::find(r.report.begin(), r.report.end(), "DXF File  : " + failed), r.report.end());
    EXPECT_EQ(std::find(r.report.begin(), r.report.end(), "DXF File  : " + c_), r.report.end());
    EXPECT_EQ(SplitCrLf(ReadFile(dir_.path() / "a.txt")), points_);
    EXPECT_FALSE(fs::exists(dir_.path() / "c.txt"));
    EXPECT_EQ(SplitCrLf(ReadFile(dir_.path() / "CorvaneLog.txt")), r.report);
  }
  std::string a_ = Good("a.dxf"), b_ = Good("b.dxf"), c_ = Good("c.dxf");
};

#if !defined(_WIN32)  // permission bits, /proc, /dev and file-size limits are POSIX matters
TEST_F(HostileFiles, SomethingOtherThanAFileInThePlaceOfTheDataFileIsLeftAlone) {
  // A folder, or a link to a device: nothing the run may empty. That drawing is refused; the
  // others are converted.
  fs::create_directory(dir_.path() / "b.txt");
  if (fs::exists("/dev/null")) fs::create_symlink("/dev/null", dir_.path() / "c.txt");
  const std::string a = Good("a.dxf"), b = Good("b.dxf"), c = Good("c.dxf");
  const RunResult r = Run({a, b, c});
  EXPECT_TRUE(r.fatalError.empty()) << r.fatalError;
  EXPECT_EQ(test::ReportBlock(r, b), Lines{"*** Error, the data file " + (dir_.path() / "b.txt").string() +
                               " is not a regular file ***"});
  EXPECT_TRUE(fs::is_directory(dir_.path() / "b.txt"));
  if (fs::exists("/dev/null")) {
    EXPECT_EQ(test::ReportBlock(r, c).size(), 1u);
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
  }
  EXPECT_EQ(SplitCrLf(ReadFile(dir_.path() / "a.txt")), points_);
}
#endif

#if !defined(_WIN32)  // permission bits, /proc, /dev and file-size limits are POSIX matters
TEST_F(HostileDestination, AReadOnlyDataFile) {
  if (Root()) GTEST_SKIP() << "root writes every file";
  const fs::path target = dir_.path() / "b.txt";
  test::WriteFile(target, "kept\r\n");
  fs::permissions(target, fs::perms::owner_read);
  ExpectRunEndedAt(Run({a_, b_, c_}), b_, "Cannot create");
  EXPECT_EQ(ReadFile(target), "kept\r\n");
}
#endif

#if !defined(_WIN32)  // permission bits, /proc, /dev and file-size limits are POSIX matters
TEST_F(HostileDestination, AReadOnlyDestinationFolder) {
  if (Root()) GTEST_SKIP() << "root writes into every folder";
  // The drawings stay readable in their folder; only the destination refuses new files. The
  // folder's removal at the end gives it its permissions back first, also when the test fails.
  const fs::path out = dir_.path() / "out";
  fs::create_directory(out);
  fs::permissions(out, fs::perms::owner_read | fs::perms::owner_exec);
  const RunResult r = Run({a_, b_}, out.string());
  ASSERT_FALSE(r.report.empty());
  EXPECT_EQ(r.report.back().rfind("*** Error, Cannot create file \"" + (out / "a.txt").string() + "\". ", 0), 0u)
      << r.report.back();
  EXPECT_FALSE(r.fatalError.empty());
  EXPECT_EQ(std::find(r.report.begin(), r.report.end(), "DXF File  : " + b_), r.report.end());
}
#endif

#if !defined(_WIN32)  // permission bits, /proc, /dev and file-size limits are POSIX matters
TEST_F(HostileDestination, AFullDisk) {
  // The process may write files of at most `limit` bytes: a.txt fits, b.txt (a large drawing) does
  // not, as on a disk that fills up during b. In the small case the last write fails as the file is
  // closed; in the large one a block written while the next is composed fails.
  struct Case {
    int points;
    rlim_t limit;
  };
  for (const Case& k : {Case{400, 4096}, Case{40000, 600 << 10}}) {
    SCOPED_TRACE(k.points);
    std::string many;
    for (int i = 0; i < k.points; ++i) many += test::PointOn(std::to_string(i), "2", "3");
    b_ = dir_.Write("b.dxf", DxfWithEntities(many));
    fs::remove(dir_.path() / "b.txt");
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    struct rlimit small = old;
    small.rlim_cur = k.limit;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const RunResult r = Run({a_, b_, c_});
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    ExpectRunEndedAt(r, b_, "Cannot write");
    // What reached the disk is the beginning of the data file, in order.
    const std::string written = ReadFile(dir_.path() / "b.txt");
    EXPECT_LE(written.size(), k.limit);
    EXPECT_EQ(written.rfind("1,0.000,2.000,3.000\r\n2,1.000,2.000,3.000\r\n", 0), 0u) << written.substr(0, 60);
  }
}
#endif

// ---- A destination folder that disappears -------------------------------------------------

// Removes the destination folder once the first file has finished.
class RemovingObserver : public TestObserver {
 public:
  explicit RemovingObserver(fs::path folder) : folder_(std::move(folder)) {}
  void FileFinished(std::size_t index) override {
    if (index == 0) removed = fs::remove_all(folder_) > 0;
  }
  bool removed = false;

 private:
  fs::path folder_;
};

TEST_F(BadInputRun, ADestinationThatVanishesBetweenFilesEndsTheRunWithTheReportKept) {
  // The user's file lies elsewhere here: the destination goes with everything in it.
  test::WriteFile(dir_.path() / "elsewhere.txt", kUnrelatedText);
  const std::string a = Good("a.dxf"), b = Good("b.dxf"), c = Good("c.dxf");
  const std::string drawings = ReadFile(a) + ReadFile(b) + ReadFile(c);
  RemovingObserver observer(dir_.path() / "out");
  const RunResult r = Run({a, b, c}, observer);
  ASSERT_TRUE(observer.removed);

  // The first file was complete when its folder went.
  const Lines first = test::ReportBlock(r, a);
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(first.front(), "Data File : " + Out("a.txt"));
  EXPECT_NE(std::find(first.begin(), first.end(), " Points : 2 "), first.end());
  // The second cannot be created: the run ends there, saying why, and the third is not started.
  const std::string cannot = "Cannot create file \"" + Out("b.txt") + "\". ";
  EXPECT_EQ(r.fatalError.rfind(cannot, 0), 0u) << r.fatalError;
  ASSERT_FALSE(r.report.empty());
  EXPECT_EQ(r.report.back(), "*** Error, " + r.fatalError + " ***");
  // The line that ended the run belongs to the drawing whose conversion ended it.
  ASSERT_FALSE(r.errorLines.empty());
  EXPECT_EQ(r.errorLines.back().drawing, b);
  EXPECT_EQ(r.errorLines.back().line, r.report.back());
  const Lines second = test::ReportBlock(r, b);
  ASSERT_FALSE(second.empty());
  EXPECT_EQ(second.front(), "Data File : " + Out("b.txt"));
  EXPECT_EQ(std::find(r.report.begin(), r.report.end(), "DXF File  : " + c), r.report.end());
  EXPECT_FALSE(r.stopped);
  // Nothing is written in its place: no folder comes back, the drawings and other files stay.
  EXPECT_FALSE(fs::exists(dir_.path() / "out"));
  EXPECT_EQ(SplitCrLf(ReadFile(ReportPath())), r.report);
  EXPECT_EQ(ReadFile(dir_.path() / "elsewhere.txt"), kUnrelatedText);
  EXPECT_EQ(ReadFile(a) + ReadFile(b) + ReadFile(c), drawings);
}

#if !defined(_WIN32)  // Windows refuses to remove a folder with a file open in it
// Removes the destination folder as soon as the second file has opened its data file.
class RemovingDuringObserver : public TestObserver {
 public:
  explicit RemovingDuringObserver(fs::path folder) : folder_(std::move(folder)) {}
  void ProgressPosition(std::size_t index, std::uint64_t position) override {
    TestObserver::ProgressPosition(index, position);
    if (index == 1 && !removed) removed = fs::remove_all(folder_) > 0;
  }
  bool removed = false;

 private:
  fs::path folder_;
};

TEST_F(BadInputRun, ADestinationThatVanishesWhileTheLastFileIsWrittenIsNotReportedAsSuccess) {
  // Every write of b.txt goes to a file that no longer has a name: the run must not end as if
  // b.txt were there.
  const std::string a = Good("a.dxf"), b = Good("b.dxf");
  RemovingDuringObserver observer(dir_.path() / "out");
  const RunResult r = Run({a, b}, observer);
  ASSERT_TRUE(observer.removed);
  EXPECT_EQ(r.fatalError.rfind("Cannot write file \"" + Out("b.txt") + "\". ", 0), 0u) << r.fatalError;
  ASSERT_FALSE(r.report.empty());
  EXPECT_EQ(r.report.back(), "*** Error, " + r.fatalError + " ***");
  EXPECT_FALSE(fs::exists(dir_.path() / "out"));
  EXPECT_EQ(SplitCrLf(ReadFile(ReportPath())), r.report);
}
#endif

}  // namespace
}  // namespace corvane
