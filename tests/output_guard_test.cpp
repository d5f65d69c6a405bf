// No run may replace a file it was not asked to write, whatever the spelling of the path: every
// case here destroyed a user's file once.
#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/resource.h>
#endif
#if !defined(_WIN32)
#include <sys/stat.h>
#endif
#if !defined(_WIN32)
#include <unistd.h>
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "config/crv_file.h"
#include "config/default_config.h"
#include "engine/conversion_run.h"
#include "files/output_guard.h"
#include "tests/test_support.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;
using test::DxfWithEntities;
using test::Pairs;
using test::ReadFile;
using test::RequestFor;
using test::SplitCrLf;
using test::TempDir;
using test::TestConfig;
using test::TestObserver;
using Lines = std::vector<std::string>;

std::string Points(int n, int firstX = 0) {
  std::string s;
  for (int i = 0; i < n; ++i) {
    s += Pairs({"0", "POINT", "8", "P", "10", std::to_string(firstX + i), "20", "2", "30", "3"});
  }
  return DxfWithEntities(s);
}

TExportConfig PointsOnly() {
  TExportConfig cfg = TestConfig();
  cfg.EntityMask = EntityBitValue(entity_bit::kPoints);
  return cfg;
}

RunResult Convert(const TExportConfig& cfg, RunRequest request, RunObserver* observer = nullptr) {
  TestObserver fallback;
  return RunConversion(cfg, request, observer != nullptr ? *observer : fallback);
}

bool ReportHas(const RunResult& r, const std::string& line) {
  return std::find(r.report.begin(), r.report.end(), line) != r.report.end();
}

// ---- Data files are judged by the file they reach ----

TEST(GuardsByIdentity, ADrawingOfTheRunIsNeverItsDataFileWhateverItsExtension) {
  // A drawing saved as a.txt next to a.dxf: a.dxf's data file would be that drawing.
  TempDir dir;
  const std::string dxf = dir.Write("a.dxf", Points(1));
  const std::string txt = dir.Write("a.txt", Points(2));
  for (const auto& order : {Lines{dxf, txt}, Lines{txt, dxf}}) {
    const RunResult r = Convert(PointsOnly(), RequestFor(PointsOnly(), order));
    EXPECT_EQ(ReadFile(txt), Points(2));
    EXPECT_TRUE(ReportHas(r, "*** Error, the data file " + txt + " would replace a DXF file ***"));
    EXPECT_EQ(r.filesWithErrors, 2u);  // a.txt's own data file is a.txt too
  }
}

#if !defined(_WIN32)  // symlinks, FIFOs, devices, file-size limits and permission bits are POSIX matters
TEST(GuardsByIdentity, ALinkToADrawingOrToANameEndingInDxfIsNotFollowedIntoIt) {
  TempDir dir;
  const std::string keep = dir.Write("keep.dxf", Points(3));
  fs::create_symlink(keep, dir.path() / "site_plan.txt");
  fs::create_symlink(dir.path() / "not-yet.DXF", dir.path() / "other.txt");  // leads nowhere yet
  const std::string site = dir.Write("site_plan.dxf", Points(1));
  const std::string other = dir.Write("other.dxf", Points(1));
  const RunResult r = Convert(PointsOnly(), RequestFor(PointsOnly(), {site, other}));
  EXPECT_EQ(ReadFile(keep), Points(3));
  EXPECT_FALSE(fs::exists(dir.path() / "not-yet.DXF"));
  EXPECT_TRUE(fs::is_symlink(dir.path() / "site_plan.txt"));
  EXPECT_EQ(r.filesWithErrors, 2u);
}
#endif

#if !defined(_WIN32)
TEST(GuardsByIdentity, ResolvingThroughRememberedFoldersReachesWhatTheWholeWayReaches) {
  // Folders reached through links, names that are links (to files elsewhere, or to nothing),
  // missing names, relative paths and "..": the remembered folder must never hide a link.
  TempDir dir;
  fs::create_directories(dir.path() / "real" / "sub");
  fs::create_directories(dir.path() / "elsewhere");
  dir.Write("real/a.dxf", Points(1));
  dir.Write("elsewhere/far.txt", "x");
  fs::create_directory_symlink(dir.path() / "real", dir.path() / "via");
  fs::create_symlink(dir.path() / "elsewhere" / "far.txt", dir.path() / "real" / "b.txt");
  fs::create_symlink(dir.path() / "elsewhere" / "none.txt", dir.path() / "real" / "c.txt");
  const std::string base = dir.Str();
  const std::vector<std::string> paths = {
      base + "/real/a.dxf",  base + "/via/a.dxf",   base + "/via/b.txt",      base + "/via/c.txt",
      base + "/via/new.txt", base + "/real/a.txt",  base + "/via/sub/../a.dxf", base + "/via/.",
      base + "/via/sub/..",  base + "/via/sub/",    "relative-name.txt",
  };
  TargetResolver resolver;
  for (int round = 0; round < 2; ++round) {  // the second round from remembered folders
    for (const std::string& path : paths) {
      SCOPED_TRACE(path);
      const FileTarget expected = ResolveTarget(path);
      const FileTarget got = resolver.Resolve(path);
      EXPECT_EQ(got.path, expected.path);
      EXPECT_EQ(got.exists, expected.exists);
      EXPECT_EQ(got.regular, expected.regular);
      EXPECT_TRUE(got.identity == expected.identity);
    }
  }
}
#endif

TEST(GuardsByIdentity, TheConfigurationInUseAndTheReportByAnyOtherNameAreKept) {
  TempDir dir;
  const std::string drawing = dir.Write("p.dxf", Points(1));
  const std::string config = dir.Write("p.txt", "configuration bytes");
  RunRequest request = RequestFor(PointsOnly(), {drawing});
  request.configPaths = {(dir.path() / "sub" / ".." / "p.txt").string()};
  fs::create_directory(dir.path() / "sub");
  RunResult r = Convert(PointsOnly(), request);
  EXPECT_EQ(ReadFile(config), "configuration bytes");
  EXPECT_TRUE(ReportHas(
      r, "*** Error, the data file " + dir.File("p.txt") + " would replace the configuration file in use ***"));

  // A hard link is the same file under another name: the report is protected by identity.
  const std::string report = dir.Write("log.txt", "old report");
  fs::remove(config);
  fs::create_hard_link(report, dir.path() / "p.txt");
  request = RequestFor(PointsOnly(), {drawing});
  request.reportPath = report;
  r = Convert(PointsOnly(), request);
  ASSERT_TRUE(r.refusal.has_value());
  EXPECT_EQ(r.refusal->kind, RunRefusal::Kind::kError);
  EXPECT_EQ(ReadFile(report), "old report");
}

TEST(GuardsByIdentity, ADataFileIsClaimedOnlyOnceItWasCreated) {
  // a.b.dxf is missing, so no a.txt is written for it: a.c.dxf may write a.txt.
  TempDir dir;
  const std::string missing = dir.File("a.b.dxf");
  const std::string present = dir.Write("a.c.dxf", Points(2));
  for (int jobs : {1, 2}) {
    RunRequest request = RequestFor(PointsOnly(), {missing, present});
    request.jobs = jobs;
    const RunResult r = Convert(PointsOnly(), request);
    EXPECT_EQ(SplitCrLf(ReadFile(dir.path() / "a.txt")).size(), 2u) << jobs;
    EXPECT_TRUE(ReportHas(r, "Data File : " + dir.File("a.txt"))) << jobs;
    EXPECT_EQ(r.filesWithErrors, 1u) << jobs;
  }
}

TEST(GuardsByIdentity, TheFirstOfTwoDrawingsWithOneDataFileKeepsItWithAnyNumberOfJobs) {
  TempDir dir;
  std::vector<std::string> paths;
  for (const char* name : {"a.1.dxf", "a.2.dxf", "a.3.dxf", "a.4.dxf"}) {
    paths.push_back(dir.Write(name, Points(static_cast<int>(paths.size()) + 1)));
  }
  std::string expected;
  for (int jobs : {1, 3}) {
    RunRequest request = RequestFor(PointsOnly(), paths);
    request.jobs = jobs;
    const RunResult r = Convert(PointsOnly(), request);
    EXPECT_EQ(SplitCrLf(ReadFile(dir.path() / "a.txt")).size(), 1u) << jobs;
    EXPECT_EQ(r.filesWithErrors, 3u) << jobs;
    std::string text;
    for (const auto& line : r.report) text += line + "\n";
    if (expected.empty()) expected = text;
    EXPECT_EQ(text, expected) << jobs;
  }
}

TEST(GuardsByIdentity, AFolderOfHundredsOfDrawingsIsPlannedAlikeWithAnyNumberOfJobs) {
  // Enough drawings for the jobs to share the looking-up of where each file leads; two drawings
  // at a time have one data file, and the first of them in the run keeps it.
  TempDir dir;
  constexpr int kPairs = 300;
  std::vector<std::string> paths;
  for (int i = 0; i < kPairs; ++i) {
    paths.push_back(dir.Write("d" + std::to_string(i) + ".1.dxf", Points(1, i)));
    paths.push_back(dir.Write("d" + std::to_string(i) + ".2.dxf", Points(2, i)));
  }
  std::string expected;
  for (int jobs : {1, 2, 4}) {
    for (int i = 0; i < kPairs; ++i) fs::remove(dir.path() / ("d" + std::to_string(i) + ".txt"));
    RunRequest request = RequestFor(PointsOnly(), paths);
    request.jobs = jobs;
    const RunResult r = Convert(PointsOnly(), request);
    EXPECT_EQ(r.filesWithErrors, static_cast<std::size_t>(kPairs)) << jobs;
    for (int i = 0; i < kPairs; i += 37) {
      EXPECT_EQ(SplitCrLf(ReadFile(dir.path() / ("d" + std::to_string(i) + ".txt"))).size(), 1u) << jobs << " " << i;
    }
    std::string text;
    for (const auto& line : r.report) text += line + "\n";
    if (expected.empty()) expected = text;
    EXPECT_EQ(text, expected) << jobs;
  }
}

TEST(GuardsByIdentity, OfJobsOpeningOneNewDataFileAtOnceOnlyOneKeepsIt) {
  // The file is judged again once it is open: two jobs that both found it missing must not both
  // write it.
  TempDir dir;
  constexpr int kJobs = 8;
  for (int round = 0; round < 50; ++round) {
    OutputGuard guard;
    const std::string path = dir.File("d" + std::to_string(round) + ".txt");
    std::atomic<int> ready{0};
    std::atomic<int> kept{0};
    std::vector<std::thread> jobs;
    for (int j = 0; j < kJobs; ++j) {
      jobs.emplace_back([&] {
        ++ready;
        while (ready.load() < kJobs) std::this_thread::yield();
        const OpenedDataFile opened = guard.OpenDataFile(path);
        if (opened.file == nullptr) return;
        ++kept;
        std::fclose(opened.file);
      });
    }
    for (std::thread& job : jobs) job.join();
    EXPECT_EQ(kept.load(), 1) << round;
  }
}

TEST(GuardsByIdentity, AnEarlierDataFileIsEmptiedBeforeItIsWrittenAgain) {
  TempDir dir;
  const std::string path = dir.Write("d.txt", "the lines of an earlier, longer run\r\n");
  OutputGuard guard;
  const OpenedDataFile opened = guard.OpenDataFile(path);
  ASSERT_NE(opened.file, nullptr) << opened.refusal << opened.error;
  std::fputs("new\r\n", opened.file);
  std::fclose(opened.file);
  EXPECT_EQ(ReadFile(path), "new\r\n");
}

#if !defined(_WIN32)  // symlinks, FIFOs, devices, file-size limits and permission bits are POSIX matters
TEST(GuardsByIdentity, OpeningConfirmsTheFileThatWasChecked) {
  TempDir dir;
  OutputGuard guard;
  const std::string report = dir.Write("report.txt", "report");
  guard.Protect(report, ProtectedKind::kReport);
  // Through a link in the folder part of the path.
  fs::create_directory_symlink(dir.path(), dir.path() / "again");
  OpenedDataFile opened = guard.OpenDataFile((dir.path() / "again" / "report.txt").string());
  EXPECT_EQ(opened.file, nullptr);
  EXPECT_NE(opened.refusal.find("would replace the report file"), std::string::npos) << opened.refusal;
  // A data file written once is protected from then on.
  const std::string data = dir.File("d.txt");
  opened = guard.OpenDataFile(data);
  ASSERT_NE(opened.file, nullptr);
  std::fclose(opened.file);
  opened = guard.OpenDataFile((dir.path() / "again" / "d.txt").string());
  EXPECT_EQ(opened.file, nullptr);
  EXPECT_NE(opened.refusal.find("already written"), std::string::npos);
  EXPECT_EQ(ReadFile(report), "report");
}

TEST(GuardsByIdentity, AFolderReplacedByALinkDuringTheRunIsJudgedByWhereItLeadsNow) {
  // The report is written last, so it is still missing while the data files are written: only
  // its path can protect it, and a folder remembered from earlier must not hide the new way.
  TempDir dir;
  fs::create_directories(dir.path() / "out");
  fs::create_directories(dir.path() / "reports");
  OutputGuard guard;
  guard.Protect(dir.File("reports/r.txt"), ProtectedKind::kReport);
  OpenedDataFile opened = guard.OpenDataFile(dir.File("out/a.txt"));
  ASSERT_NE(opened.file, nullptr);
  std::fclose(opened.file);
  fs::rename(dir.path() / "out", dir.path() / "out.before");
  fs::create_directory_symlink(dir.path() / "reports", dir.path() / "out");
  opened = guard.OpenDataFile(dir.File("out/r.txt"));
  EXPECT_EQ(opened.file, nullptr);
  EXPECT_NE(opened.refusal.find("would replace the report file"), std::string::npos) << opened.refusal;
  EXPECT_FALSE(fs::exists(dir.path() / "reports" / "r.txt"));
}
#endif

// ---- The report file ----

TEST(ReportFile, NamingADrawingOrTheConfigurationRefusesTheRunBeforeAnythingIsWritten) {
  TempDir dir;
  const std::string drawing = dir.Write("survey.dxf", Points(2));
  const std::string other = dir.Write("other.DXF", Points(1));
  const std::string config = dir.File("job.crv");
  ASSERT_EQ(WriteConfigFile(config, MakeDefaultConfig()), "");
  const std::string configBytes = ReadFile(config);
  for (const std::string& reportPath : {drawing, config, other}) {
    RunRequest request = RequestFor(PointsOnly(), {drawing});
    request.configPaths = {config};
    request.reportPath = reportPath;
    const RunResult r = Convert(PointsOnly(), request);
    ASSERT_TRUE(r.refusal.has_value()) << reportPath;
    EXPECT_EQ(r.refusal->kind, RunRefusal::Kind::kError);
    EXPECT_NE(r.refusal->message.find(reportPath), std::string::npos) << r.refusal->message;
  }
  EXPECT_EQ(ReadFile(drawing), Points(2));
  EXPECT_EQ(ReadFile(other), Points(1));
  EXPECT_EQ(ReadFile(config), configBytes);
  EXPECT_FALSE(fs::exists(dir.path() / "survey.txt"));
}

#if !defined(_WIN32)  // symlinks, FIFOs, devices, file-size limits and permission bits are POSIX matters
TEST(ReportFile, ALinkIsKeptAndTheFileItReachesIsSaved) {
  TempDir dir;
  const std::string real = dir.Write("real.txt", "old");
  const std::string link = dir.File("link.txt");
  fs::create_symlink(real, link);
  RunRequest request = RequestFor(PointsOnly(), {});
  request.reportPath = link;
  const RunResult r = Convert(PointsOnly(), request);
  EXPECT_EQ(r.reportWriteError, "");
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(SplitCrLf(ReadFile(real)), r.report);
}
#endif

#if !defined(_WIN32)  // symlinks, FIFOs, devices, file-size limits and permission bits are POSIX matters
TEST(ReportFile, AFifoOrADeviceIsWrittenToNeverReplaced) {
  TempDir dir;
  const std::string fifo = dir.File("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] { received = ReadFile(fifo); });
  RunRequest request = RequestFor(PointsOnly(), {});
  request.reportPath = fifo;
  RunResult r = Convert(PointsOnly(), request);
  reader.join();
  EXPECT_EQ(r.reportWriteError, "");
  EXPECT_EQ(SplitCrLf(received), r.report);
  struct stat st;
  ASSERT_EQ(::stat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));

  if (fs::exists("/dev/null")) {
    request.reportPath = "/dev/null";
    r = Convert(PointsOnly(), request);
    EXPECT_EQ(r.reportWriteError, "");
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
  }
}
#endif

// ---- Runs with several jobs end honestly ----

// Holds the first file at its start until the second has started too, then stops: two files
// are in flight when the stop comes. (A front end's observer must never block; a test's may.)
class StopWithTwoInFlight : public RunObserver {
 public:
  std::string ReportDateTime() override { return "now"; }
  void FileStarted(std::size_t index, std::string_view) override {
    ++started_;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (index == 0 && started_.load() < 2 && std::chrono::steady_clock::now() < until) {
      std::this_thread::yield();
    }
  }
  void RunFinished() override { ++finished; }
  bool StopRequested() override { return started_.load() >= 2; }
  std::atomic<int> finished{0};

 private:
  std::atomic<int> started_{0};
};

TEST(SeveralJobs, AStopReportsEveryFileInFlightAndStartsNoOther) {
  TempDir dir;
  std::vector<std::string> paths;
  for (int i = 0; i < 4; ++i) paths.push_back(dir.Write("f" + std::to_string(i) + ".dxf", Points(20000)));
  RunRequest request = RequestFor(PointsOnly(), paths);
  request.jobs = 2;
  StopWithTwoInFlight observer;
  const RunResult r = Convert(PointsOnly(), request, &observer);
  EXPECT_TRUE(r.stopped);
  EXPECT_EQ(observer.finished.load(), 1);
  EXPECT_EQ(r.report.back(), "*** Process canceled by user ***");
  // Both files in flight are listed, stopped (no summary), and their data files end on a whole line.
  for (int i = 0; i < 2; ++i) {
    EXPECT_TRUE(ReportHas(r, "DXF File  : " + paths[i])) << i;
    const std::string data = ReadFile(dir.path() / ("f" + std::to_string(i) + ".txt"));
    EXPECT_TRUE(data.empty() || data.substr(data.size() - 2) == "\r\n");
  }
  EXPECT_FALSE(ReportHas(r, " Points : 20000 "));
  for (int i = 2; i < 4; ++i) {
    EXPECT_FALSE(ReportHas(r, "DXF File  : " + paths[i])) << i;
    EXPECT_FALSE(fs::exists(dir.path() / ("f" + std::to_string(i) + ".txt"))) << i;
  }
}

#if !defined(_WIN32)  // symlinks, FIFOs, devices, file-size limits and permission bits are POSIX matters
TEST(SeveralJobs, EveryDataFileTheRunCreatedIsInItsReport) {
  // Data files may be at most 4 KiB: the first file's grows past it while others are converted.
  TempDir dir;
  std::vector<std::string> paths;
  paths.push_back(dir.Write("big.dxf", Points(2000)));
  for (int i = 0; i < 5; ++i) paths.push_back(dir.Write("s" + std::to_string(i) + ".dxf", Points(3)));
  struct rlimit old {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  struct rlimit small = old;
  small.rlim_cur = 4096;
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  RunRequest request = RequestFor(PointsOnly(), paths);
  request.jobs = 3;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const RunResult r = Convert(PointsOnly(), request);
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);

  ASSERT_FALSE(r.fatalError.empty());
  EXPECT_EQ(r.report.back(), "*** Error, " + r.fatalError + " ***");
  EXPECT_NE(r.fatalError.find("big.txt"), std::string::npos) << r.fatalError;
  bool listedSoFar = true;
  for (const std::string& path : paths) {
    const bool listed = ReportHas(r, "DXF File  : " + path);
    EXPECT_TRUE(listedSoFar || !listed) << "the listed files are the first ones: " << path;
    listedSoFar = listed;
    const fs::path data = fs::path(path).replace_extension(".txt");
    if (fs::exists(data)) {
      EXPECT_TRUE(listed) << data;
    }
  }
}
#endif

// An observer whose progress call fails like an allocation that found no memory.
class FailingObserver : public TestObserver {
 public:
  void ProgressMaximum(std::size_t index, std::uint64_t units) override {
    if (index == 1) throw std::bad_alloc();
    TestObserver::ProgressMaximum(index, units);
  }
  void RunFinished() override { ++finished; }
  std::atomic<int> finished{0};
};

TEST(SeveralJobs, AnUnexpectedExceptionEndsTheRunLikeAnOutputError) {
  for (int jobs : {1, 2}) {
    TempDir dir;
    const std::vector<std::string> paths = {dir.Write("a.dxf", Points(2)), dir.Write("b.dxf", Points(2)),
                                            dir.Write("c.dxf", Points(2))};
    RunRequest request = RequestFor(PointsOnly(), paths);
    request.jobs = jobs;
    request.reportPath = dir.File("report.txt");
    FailingObserver observer;
    const RunResult r = Convert(PointsOnly(), request, &observer);
    EXPECT_EQ(observer.finished.load(), 1) << jobs;
    EXPECT_NE(r.fatalError.find("not enough memory"), std::string::npos) << r.fatalError;
    EXPECT_EQ(r.report.back(), "*** Error, " + r.fatalError + " ***");
    EXPECT_EQ(SplitCrLf(ReadFile(request.reportPath)), r.report);
    EXPECT_TRUE(ReportHas(r, "DXF File  : " + paths[0]));
    // With one job the first file was complete before the second failed; with two it may have
    // been stopped in flight, and is listed either way.
    if (jobs == 1) {
      EXPECT_EQ(SplitCrLf(ReadFile(dir.path() / "a.txt")).size(), 2u);
      EXPECT_FALSE(fs::exists(dir.path() / "c.txt"));
    }
    if (fs::exists(dir.path() / "c.txt")) {
      EXPECT_TRUE(ReportHas(r, "DXF File  : " + paths[2]));
    }
  }
}

// ---- Saving configurations ----

#if !defined(_WIN32)  // symlinks, FIFOs, devices, file-size limits and permission bits are POSIX matters
TEST(SavingFiles, AReadOnlyConfigurationIsRefusedAndALinkIsFollowed) {
  TempDir dir;
  const std::string locked = dir.File("locked.crv");
  ASSERT_EQ(WriteConfigFile(locked, MakeDefaultConfig()), "");
  const std::string before = ReadFile(locked);
  fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  TExportConfig changed = MakeDefaultConfig();
  changed.XDecimals = 7;
  const std::string error = WriteConfigFile(locked, changed);
  EXPECT_EQ(error.rfind("Cannot create file \"" + locked + "\". ", 0), 0u) << error;
  EXPECT_EQ(ReadFile(locked), before);
  EXPECT_EQ(dir.EntryCount(), 1u);  // no temporary file left behind

  const std::string real = dir.File("real.crv");
  fs::create_symlink(real, dir.path() / "shortcut.crv");
  ASSERT_EQ(WriteConfigFile(dir.File("shortcut.crv"), changed), "");
  EXPECT_TRUE(fs::is_symlink(dir.path() / "shortcut.crv"));
  EXPECT_EQ(ReadFile(real).size(), kExportConfigSize);
}
#endif

}  // namespace
}  // namespace corvane
