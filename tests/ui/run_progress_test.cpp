// A conversion run driven through the progress window, over real drawings in a temporary folder:
// what reaches the window, "Stop process" in the middle of a batch, and the windows afterwards.
#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <thread>

#include "engine/report_date.h"
#include "tests/test_support.h"
#include "ui/Unit2.h"
#include "ui/run_progress.h"

using namespace corvane;
namespace fs = std::filesystem;

namespace {

// A drawing of `count` points.
std::string PointDrawing(int count) {
  std::string entities;
  for (int i = 0; i < count; ++i) {
    const std::string x = std::to_string(i) + ".25";
    entities += test::Pairs({"0", "POINT", "8", "SURVEY", "10", x, "20", "7.5", "30", "1.0"});
  }
  return test::DxfWithEntities(entities);
}

// Holds the run at the start of one file until the user has pressed "Stop process", so the
// test acts at a known point of the batch whatever the machine's speed. The wait gives up after
// a long time only so that a broken window cannot hang the test run.
class HoldAtFile : public ProgressObserver {
 public:
  HoldAtFile(std::atomic<bool>& stop, std::size_t file) : ProgressObserver(stop), file_(file) {}
  void FileStarted(std::size_t index, std::string_view stepText) override {
    ProgressObserver::FileStarted(index, stepText);
    if (index != file_) return;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!StopRequested() && std::chrono::steady_clock::now() < giveUp)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }

 private:
  std::size_t file_;
};

struct Batch {
  test::TempDir dir;
  std::vector<std::string> paths;
  explicit Batch(int points) {
    for (const char* name : {"a.dxf", "b.dxf", "c.dxf"})
      paths.push_back(dir.Write(name, PointDrawing(points)));
  }
  bool DataFileExists(const char* name) const { return fs::exists(dir.path() / name); }
};

}  // namespace

class RunProgressTest : public QObject {
  Q_OBJECT

 private slots:
  void ProgressFitsTheBarForAnySize() {
    QCOMPARE(ScaleProgress(50, 200).maximum, 200);
    QCOMPARE(ScaleProgress(50, 200).position, 50);
    // Position past the end (the last block) stays at the end.
    QCOMPARE(ScaleProgress(300, 200).position, 200);
    // Some hundred gigabytes and more in 128-byte units.
    const std::uint64_t huge = std::uint64_t{1} << 40;
    const BarRange half = ScaleProgress(huge / 2, huge);
    QVERIFY(half.maximum > 0);
    QCOMPARE(half.position * 2, half.maximum);
    const BarRange full = ScaleProgress(UINT64_MAX, UINT64_MAX);
    QVERIFY(full.maximum > 1000);
    QCOMPARE(full.position, full.maximum);
    QCOMPARE(ScaleProgress(0, 0).maximum, 0);
  }

  void TheRunsStepAndProgressReachTheWindow() {
    Batch batch(400);
    QWidget mainWindow;
    mainWindow.show();
    TForm2 progress(&mainWindow);
    const TExportConfig config = test::TestConfig();
    const RunRequest request = test::RequestFor(config, batch.paths);

    RunResult result = RunWithProgress(progress, &mainWindow, config, request);
    QVERIFY(!result.stopped);
    QCOMPARE(result.filesWithErrors, std::size_t{0});
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) QVERIFY2(batch.DataFileExists(name), name);
    QCOMPARE(test::SplitCrLf(test::ReadFile(batch.dir.path() / "c.txt")).size(), std::size_t{400});
    // The window keeps the last file's step and a full bar while hidden.
    QCOMPARE(progress.StepLabel()->text(), QStringLiteral("Processing c.dxf"));
    QCOMPARE(progress.FileCountLabel()->text(), QStringLiteral("File 3 of 3"));
    QVERIFY(progress.Bar()->maximum() > 1);
    QCOMPARE(progress.Bar()->value(), progress.Bar()->maximum());
    QVERIFY(!progress.isVisible());
    QVERIFY(mainWindow.isEnabled());
  }

  void StopProcessDuringTheSecondFileEndsTheBatch() {
    Batch batch(400);
    QWidget mainWindow;
    mainWindow.show();
    TForm2 progress(&mainWindow);
    const TExportConfig config = test::TestConfig();
    RunRequest request = test::RequestFor(config, batch.paths);
    request.reportPath = batch.dir.File("CorvaneLog.txt");
    HoldAtFile observer(progress.StopFlag(), 1);

    bool clicked = false, shown = false, mainDisabled = false, stopLive = false;
    bool closeRefused = false;
    QString stepAtClick, countAtClick;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
      if (clicked || progress.StepLabel()->text() != QStringLiteral("Processing b.dxf")) return;
      shown = progress.isVisible();
      mainDisabled = !mainWindow.isEnabled();
      stopLive = progress.StopButton()->isEnabled();
      closeRefused = !mainWindow.close() && mainWindow.isVisible();
      stepAtClick = progress.StepLabel()->text();
      countAtClick = progress.FileCountLabel()->text();
      QTest::mouseClick(progress.StopButton(), Qt::LeftButton);
      clicked = true;
    });
    user.start(5);
    const RunResult result = RunWithProgress(progress, &mainWindow, config, request, observer);
    user.stop();

    QVERIFY(clicked);
    QVERIFY(shown);
    QVERIFY(mainDisabled);
    QVERIFY(stopLive);
    QVERIFY(closeRefused);
    QCOMPARE(countAtClick, QStringLiteral("File 2 of 3"));
    QVERIFY(result.stopped);
    QVERIFY(!result.report.empty());
    QCOMPARE(result.report.back(), std::string("*** Process canceled by user ***"));
    const std::vector<std::string> saved =
        test::SplitCrLf(test::ReadFile(batch.dir.path() / "CorvaneLog.txt"));
    QVERIFY(!saved.empty());
    QCOMPARE(saved.back(), std::string("*** Process canceled by user ***"));
    // The first file is whole, the second ends where the run stopped, the third never started.
    QCOMPARE(test::SplitCrLf(test::ReadFile(batch.dir.path() / "a.txt")).size(), std::size_t{400});
    QVERIFY(test::SplitCrLf(test::ReadFile(batch.dir.path() / "b.txt")).size() < 400);
    QVERIFY(!batch.DataFileExists("c.txt"));
    QVERIFY(!progress.isVisible());
    QVERIFY(mainWindow.isEnabled());
    QVERIFY(mainWindow.isVisible());
    // The flag stays raised until the next run clears it.
    QVERIFY(progress.StopFlag().load());

    // The next run starts without the last run's count.
    QString countAtStart = QStringLiteral("not seen");
    QTimer::singleShot(0, &progress, [&] { countAtStart = progress.FileCountLabel()->text(); });
    const RunResult again = RunWithProgress(progress, &mainWindow, config, request);
    QVERIFY(!again.stopped);
    QVERIFY(batch.DataFileExists("c.txt"));
    QCOMPARE(countAtStart, QString());
    QCOMPARE(progress.FileCountLabel()->text(), QStringLiteral("File 3 of 3"));
  }

  // Several jobs start files at once: the window names the drawing started last, and its number
  // is always that drawing's, never a neighbour's.
  void TheFileNumberIsThatOfTheStepShown() {
    std::atomic<bool> stop{false};
    ProgressObserver observer(stop);
    observer.RunStarted(40);
    QCOMPARE(observer.FileCount(), std::size_t{40});
    unsigned seen = 0;
    QString text;
    std::size_t number = 0;
    QVERIFY(!observer.StepTextSince(seen, text, &number));
    observer.FileStarted(2, "Processing c.dxf");
    observer.FileStarted(5, "Processing f.dxf");
    QVERIFY(observer.StepTextSince(seen, text, &number));
    QCOMPARE(text, QStringLiteral("Processing f.dxf"));
    QCOMPARE(number, std::size_t{6});

    std::atomic<bool> done{false};
    std::vector<std::thread> jobs;
    for (int job = 0; job < 4; ++job) {
      jobs.emplace_back([&observer, &done, job] {
        for (std::size_t i = 0; !done.load(); ++i) {
          const std::size_t index = (i * 4 + job) % 40;
          observer.FileStarted(index, "Processing " + std::to_string(index + 1));
        }
      });
    }
    int checked = 0;
    for (const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
         std::chrono::steady_clock::now() < until;) {
      if (!observer.StepTextSince(seen, text, &number)) continue;
      ++checked;
      if (text != QStringLiteral("Processing %1").arg(number)) {
        done = true;
        for (std::thread& job : jobs) job.join();
        QFAIL(qPrintable(text + QStringLiteral(" shown as file %1").arg(number)));
      }
    }
    done = true;
    for (std::thread& job : jobs) job.join();
    QVERIFY(checked > 0);
  }

  void ARunEndedByAnErrorStillGivesTheWindowsBack() {
    Batch batch(10);
    QWidget mainWindow;
    mainWindow.show();
    TForm2 progress(&mainWindow);
    const TExportConfig config = test::TestConfig();
    // The destination is there when the run is checked and gone after the first file.
    const fs::path out = batch.dir.path() / "out";
    fs::create_directory(out);
    const RunRequest request = test::RequestFor(config, batch.paths, out.string());
    struct RemovingObserver : ProgressObserver {
      using ProgressObserver::ProgressObserver;
      fs::path folder;
      void FileFinished(std::size_t index) override {
        if (index == 0) fs::remove_all(folder);
      }
    } observer(progress.StopFlag());
    observer.folder = out;
    const RunResult result = RunWithProgress(progress, &mainWindow, config, request, observer);
    QVERIFY(!result.fatalError.empty());
    QVERIFY(!progress.isVisible());
    QVERIFY(mainWindow.isEnabled());
    QVERIFY(mainWindow.close());
  }

  void TheReportDateIsTheLocalDateAndTime() {
    std::atomic<bool> stop{false};
    ProgressObserver observer(stop);
    const QString text = QString::fromLocal8Bit(observer.ReportDateTime());
    QVERIFY(text.contains(QLatin1Char(' ')));
    QVERIFY(text.contains(QString::number(QDate::currentDate().year() % 100)));
    // The command-line tool's report says the same, from the same rule (a second may pass).
    bool same = false;
    for (int attempt = 0; attempt < 3 && !same; ++attempt) {
      same = observer.ReportDateTime() == ReportDateTimeText();
    }
    QVERIFY2(same, qPrintable(text + QStringLiteral(" / ") +
                              QString::fromLocal8Bit(ReportDateTimeText())));
    QVERIFY(!observer.StopRequested());
    stop = true;
    QVERIFY(observer.StopRequested());
  }

  // The application told to quit mid-run (a session ending) ends the window's loop: the run is
  // stopped there, as "Stop process" would, rather than converting the rest of the batch while the
  // window's thread waits. Last of this program: the application stays in its quitting state.
  void AQuitDuringARunStopsItAndWaitsForIt() {
    Batch batch(400);
    QWidget mainWindow;
    mainWindow.show();
    TForm2 progress(&mainWindow);
    const TExportConfig config = test::TestConfig();
    RunRequest request = test::RequestFor(config, batch.paths);
    request.reportPath = batch.dir.File("CorvaneLog.txt");
    HoldAtFile observer(progress.StopFlag(), 1);
    QTimer session;
    QObject::connect(&session, &QTimer::timeout, [&] {
      if (progress.StepLabel()->text() == QStringLiteral("Processing b.dxf")) QCoreApplication::exit(0);
    });
    session.start(5);
    const RunResult result = RunWithProgress(progress, &mainWindow, config, request, observer);
    session.stop();
    QVERIFY(result.stopped);
    QCOMPARE(result.report.back(), std::string("*** Process canceled by user ***"));
    QVERIFY(!batch.DataFileExists("c.txt"));
    QVERIFY(mainWindow.isEnabled());
  }
};

QTEST_MAIN(RunProgressTest)
#include "run_progress_test.moc"
