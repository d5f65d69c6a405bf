// The run button through the real window: its three checks, a whole run compared byte for byte
// with the command-line tool on the same drawings and configuration, a stop in the middle of a
// run, and the errors a run can end with.
#include "ui/message_boxes.h"

#include "engine/run_checks.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QToolButton>
#include <QUrl>
#include <filesystem>

#include <QLineEdit>
#include <QMessageBox>

#include "config/crv_file.h"
#include "config/default_config.h"
#include "files/path_text.h"
#include "tests/test_support.h"
#include "tests/ui/window_test_helpers.h"
#include "ui/Unit2.h"

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

using namespace corvane;
using namespace corvane::uitest;

namespace {

QString CliPath() {
  return QFileInfo(QStringLiteral(CORVANE_APP_PATH)).absolutePath() +
         QStringLiteral("/corvane-cli");
}

QByteArray ExampleDrawing(const char* name) {
  return ReadBytes(QStringLiteral(CORVANE_SOURCE_DIR "/examples/") + QLatin1String(name));
}

// A drawing of `points` POINT entities on two layers, with a LINE and a TEXT between them.
QByteArray GeneratedDrawing(int points) {
  std::string entities;
  entities.reserve(static_cast<std::size_t>(points) * 64);
  for (int i = 0; i < points; ++i) {
    const std::string n = std::to_string(i);
    entities += "  0\nPOINT\n  5\n" + n + "\n  8\n" + (i % 2 ? "KERB" : "CONTROL") + "\n 10\n" + n +
                ".25\n 20\n-" + n + ".5\n 30\n1.125\n";
    if (i % 50 == 0) {
      entities += test::Pairs({"0", "LINE", "8", "WALLS", "10", "1.0", "20", "2.0", "30", "0.0",
                               "11", "3.0", "21", "4.0", "31", "0.5"});
      entities +=
          test::Pairs({"0", "TEXT", "8", "NOTES", "10", "5", "20", "6", "30", "7", "1", "hello"});
    }
  }
  return QByteArray::fromStdString(test::DxfWithEntities(entities));
}

struct RunFixture : WindowFixture {
  TForm2 progress;
  QString drawings = Path(QStringLiteral("drawings"));
  QString out = Path(QStringLiteral("out"));
  std::vector<QUrl> opened;

  RunFixture() {
    QDir().mkpath(drawings);
    QDir().mkpath(out);
    window.SetProgressWindow(&progress);
    window.SetUrlOpener([this](const QUrl& url) {
      opened.push_back(url);
      return true;
    });
  }
  QString ReportPath() const { return dir.filePath(QStringLiteral("CorvaneLog.txt")); }
  void AddDrawing(const QString& name, const QByteArray& bytes) {
    QVERIFY(WriteBytes(drawings + "/" + name, bytes));
  }
  // Lists the drawings folder, selects every file and sends the data files to `out`.
  void SelectAll() {
    QVERIFY(window.SelectFolder(drawings));
    Child<QListWidget>("fl1")->selectAll();
    Edit("Edit1")->setText(QDir::toNativeSeparators(out));
  }
  void SetEntityBoxes(std::uint32_t mask) {
    for (int i = 0; i < kEntityOptionCount; ++i) {
      Child<QCheckBox>(QStringLiteral("c%1").arg(i).toLatin1().constData())
          ->setChecked((mask & EntityBitValue(i)) != 0);
    }
  }
  void TickFields(bool on) {
    for (int row = 0; row < Fields()->count(); ++row) {
      Fields()->item(row)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
  }
  void Run() { Child<QPushButton>("BitBtn3")->click(); }
};

QStringList ReportLines(const QString& path) {
  QStringList lines = QString::fromLocal8Bit(ReadBytes(path)).split(QStringLiteral("\r\n"));
  return lines;
}

}  // namespace

class RunButtonTest : public QObject {
  Q_OBJECT

 private slots:
  void checksInTheirOrder_data();
  void checksInTheirOrder();
  void wholeRunMatchesCommandLineTool();
  void surveyBlocksRunMatchesCommandLineTool();
  void worldCoordinatesAndBlockContentsRunMatchesCommandLineTool();
  void nameThatIsNotValidTextConverts();
  void stopDuringSecondOfThreeFiles();
  void outputErrorShowsBoxAndKeepsWindowUsable();
  void reportThatCannotBeWrittenIsNotOpened();
  void refusedRunShowsErrorBox();
  void rowsWithoutFieldCodesAreRefusedWithInformation();
  void destinationNotChosenOrMissingWritesNothing();
  void configurationLoadedFromElsewhereIsNeverReplaced();
  void reportThatNoProgramOpensIsNamedInABox();
  void runWithNoFileSelectedSaysSo();
  void runWithErrorsAlwaysEndsWithABox();
  void closeDuringARunSaysSoAndOffersStop();
};

void RunButtonTest::checksInTheirOrder_data() {
  QTest::addColumn<quint32>("mask");
  QTest::addColumn<bool>("fields");
  QTest::addColumn<QString>("message");  // empty: the run starts
  const QString entities = QString::fromLatin1(kSelectEntitiesMessage);
  const QString data = QString::fromLatin1(kSelectDataMessage);
  const QString spline = QString::fromLatin1(kSelectSplinePointsMessage);
  QTest::newRow("nothing") << 0u << true << entities;
  QTest::newRow("c7 alone") << 128u << true << entities;
  QTest::newRow("c9 alone") << 512u << true << entities;
  QTest::newRow("c11 alone") << 2048u << true << entities;
  QTest::newRow("c15 alone") << 32768u << true << entities;
  QTest::newRow("c16 alone, no field") << 65536u << false << data;
  QTest::newRow("lines, no field") << 32u << false << data;
  QTest::newRow("splines without points") << (1024u | 1u | 32u) << true << spline;
  QTest::newRow("c16 alone runs") << 65536u << true << QString();
  QTest::newRow("c7 with c9 runs") << 640u << true << QString();
  QTest::newRow("points, c7 under unticked c6, runs") << 129u << true << QString();
  QTest::newRow("splines with fit points run") << (1024u | 65536u) << true << QString();
}

void RunButtonTest::checksInTheirOrder() {
  QFETCH(quint32, mask);
  QFETCH(bool, fields);
  QFETCH(QString, message);
  RunFixture f;
  QVERIFY(f.LoadShippedDefaults());
  f.AddDrawing(QStringLiteral("site_plan.dxf"), ExampleDrawing("site_plan.dxf"));
  f.SelectAll();
  f.SetEntityBoxes(mask);
  f.TickFields(fields);

  if (!message.isEmpty()) f.boxes.Answer({QMessageBox::Ok});
  f.Run();
  QCOMPARE(f.record.EntityMask, mask);
  if (message.isEmpty()) {
    QCOMPARE(f.boxes.seen.size(), std::size_t{0});
    QVERIFY(QFile::exists(f.ReportPath()));
    QVERIFY(QFile::exists(f.out + QStringLiteral("/site_plan.txt")));
    return;
  }
  QCOMPARE(f.boxes.seen.size(), std::size_t{1});
  const SeenBox& box = f.boxes.seen[0];
  QCOMPARE(box.text, message);
  QCOMPARE(box.title, QStringLiteral("Information"));
  QCOMPARE(box.icon, QMessageBox::Information);
  QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
  QVERIFY(!QFile::exists(f.ReportPath()));
  QVERIFY(f.window.isEnabled());
}

void RunButtonTest::wholeRunMatchesCommandLineTool() {
  RunFixture f;
  f.AddDrawing(QStringLiteral("site_plan.dxf"), ExampleDrawing("site_plan.dxf"));
  f.AddDrawing(QStringLiteral("survey_points.dxf"), ExampleDrawing("survey_points.dxf"));
  f.AddDrawing(QStringLiteral("generated.dxf"), GeneratedDrawing(300));
  // Every entity type, the custom data field, a header line and prefixes.
  TExportConfig config = test::TestConfig(true);
  config.IncludeHeader = 1;
  config.NumberPrefix.assign("P");
  config.StartNumber = 100;
  config.ZDecimals = 1;
  config.CustomLabel.assign("site");
  config.CustomChecked[5] = 1;
  const QString crv = f.ConfigFolder() + QStringLiteral("/compare.crv");
  QVERIFY(WriteConfigFile(Local(crv), config).empty());
  QVERIFY(f.window.LoadConfigFile(Local(crv)));
  f.SelectAll();
  f.Child<QRadioButton>("rep1")->click();
  QCOMPARE(f.Child<QListWidget>("fl1")->selectedItems().size(), 3);

  f.Run();
  QCOMPARE(f.boxes.seen.size(), std::size_t{0});
  QVERIFY(f.window.isEnabled());
  QVERIFY(!f.progress.isVisible());
  QCOMPARE(f.opened.size(), std::size_t{1});
  QCOMPARE(f.opened[0], QUrl::fromLocalFile(f.ReportPath()));
  const QStringList names = {QStringLiteral("generated.txt"), QStringLiteral("site_plan.txt"),
                             QStringLiteral("survey_points.txt")};
  std::map<QString, QByteArray> fromWindow;
  for (const QString& name : names) {
    fromWindow[name] = ReadBytes(f.out + "/" + name);
    QVERIFY2(fromWindow[name].count("\r\n") > 2, qPrintable(name));
    QVERIFY(QFile::remove(f.out + "/" + name));
  }
  const QStringList windowReport = ReportLines(f.ReportPath());

  QProcess cli;
  const QString cliReport = f.Path(QStringLiteral("cli-report.txt"));
  cli.start(CliPath(), {QStringLiteral("-q"), QStringLiteral("-c"), crv, QStringLiteral("-d"),
                        f.out, QStringLiteral("-r"), cliReport, f.drawings});
  QVERIFY(cli.waitForFinished(60000));
  QCOMPARE(cli.exitCode(), 0);
  for (const QString& name : names) QCOMPARE(ReadBytes(f.out + "/" + name), fromWindow[name]);
  const QStringList cliLines = ReportLines(cliReport);
  QCOMPARE(windowReport.size(), cliLines.size());
  QVERIFY(windowReport.size() > 10);
  // Everything after the date line.
  QCOMPARE(windowReport.mid(1), cliLines.mid(1));
  QVERIFY(windowReport.contains(QStringLiteral("Number of processed files : 3")));
}


// Survey point blocks with every option beyond the record set: the window and corvane-cli write the
// same bytes for the same file, and the page's boxes show the options the file carries.
QByteArray SurveyBlocksDrawing(int blocks) {
  std::string entities;
  for (int i = 0; i < blocks; ++i) {
    const std::string n = std::to_string(i);
    entities += test::Pairs({"0", "INSERT", "8", i % 3 ? "PTS" : "OLD-PTS", "2", "SPT", "10", n + ".125", "20",
                             "-" + n + ".5", "30", "0", "66", "1"});
    if (i % 7 != 0) entities += test::Pairs({"0", "ATTRIB", "8", "PTS", "1", std::to_string(1000 + i), "2", "PNT"});
    entities += test::Pairs({"0", "ATTRIB", "8", "PTS", "1", i % 5 ? n + ".25" : "n/a", "2", "ELEV"});
    entities += test::Pairs({"0", "ATTRIB", "8", "PTS", "1", "CODE" + n, "2", "DESC", "0", "SEQEND"});
    entities += test::Pairs({"0", "POINT", "8", i % 2 ? "GRID" : "PTS", "10", n, "20", n, "30", "1"});
  }
  return QByteArray::fromStdString(test::DxfWithEntities(entities));
}

void RunButtonTest::surveyBlocksRunMatchesCommandLineTool() {
  RunFixture f;
  f.AddDrawing(QStringLiteral("blocks.dxf"), SurveyBlocksDrawing(200));
  f.AddDrawing(QStringLiteral("site_plan.dxf"), ExampleDrawing("site_plan.dxf"));
  TExportConfig config = test::TestConfig(true);
  config.CustomChecked[4] = 1;
  ConfigExtension extension;
  extension.NumberAttribute = "pnt";
  extension.ZAttribute = "ELEV";
  extension.TextAttributes = "DESC,PNT";
  extension.Layers = "P*,?LD*";
  extension.LayersLeftOut = "OLD-*,GRID";
  const QString crv = f.ConfigFolder() + QStringLiteral("/survey-blocks.crv");
  QVERIFY(WriteConfigFile(Local(crv), config, extension).empty());
  QVERIFY(f.window.LoadConfigFile(Local(crv)));
  QCOMPARE(f.Child<QLineEdit>("attrtext")->text(), QStringLiteral("DESC,PNT"));
  QCOMPARE(f.Child<QLineEdit>("layersout")->text(), QStringLiteral("OLD-*,GRID"));
  f.SelectAll();
  f.Run();
  QCOMPARE(f.boxes.seen.size(), std::size_t{0});
  std::map<QString, QByteArray> fromWindow;
  for (const QString& name : {QStringLiteral("blocks.txt"), QStringLiteral("site_plan.txt")}) {
    fromWindow[name] = ReadBytes(f.out + "/" + name);
    QVERIFY(QFile::remove(f.out + "/" + name));
  }
  // The options are in force: numbers and texts from the attributes, no point of GRID or OLD-PTS.
  QVERIFY(fromWindow[QStringLiteral("blocks.txt")].contains("\r\n1001,1.125,-1.500,1.250,INSERT/PTS/CODE1/1001\r\n"));
  QVERIFY(!fromWindow[QStringLiteral("blocks.txt")].contains("GRID"));
  QVERIFY(!fromWindow[QStringLiteral("blocks.txt")].contains("OLD-PTS"));
  const QStringList windowReport = ReportLines(f.ReportPath());
  QVERIFY(windowReport.contains(QStringLiteral("Layers to leave out : OLD-*,GRID")));

  QProcess cli;
  const QString cliReport = f.Path(QStringLiteral("cli-report.txt"));
  cli.start(CliPath(), {QStringLiteral("-q"), QStringLiteral("-c"), crv, QStringLiteral("-d"), f.out,
                        QStringLiteral("-r"), cliReport, f.drawings});
  QVERIFY(cli.waitForFinished(60000));
  QCOMPARE(cli.exitCode(), 0);
  for (const auto& [name, bytes] : fromWindow) QCOMPARE(ReadBytes(f.out + "/" + name), bytes);
  QCOMPARE(windowReport.mid(1), ReportLines(cliReport).mid(1));

  // A change on the page is a change of the configuration: the exit asks to save it.
  QVERIFY(f.window.ConfirmSaveIfChanged());
  f.Child<QLineEdit>("attrz")->setText(QStringLiteral("  Z "));
  QCOMPARE(f.window.WorkingExtension().ZAttribute, std::string("Z"));
  const std::size_t boxesBefore = f.boxes.seen.size();
  f.boxes.Answer({QMessageBox::Cancel});
  QVERIFY(!f.window.ConfirmSaveIfChanged());
  QCOMPARE(f.boxes.seen.size(), boxesBefore + 1);
  QCOMPARE(f.boxes.seen.back().text, QStringLiteral("Current configuration has changed, do you want to save it ?"));
  f.Child<QLineEdit>("attrz")->setText(QStringLiteral("ELEV"));
  QVERIFY(f.window.ConfirmSaveIfChanged());
}

// Mirrored and tilted entities and insertions of nested blocks, many times over.
QByteArray MirroredBlocksDrawing(int insertions) {
  using test::Pairs;
  std::string dxf = Pairs({"0", "SECTION", "2", "BLOCKS", "0", "BLOCK", "8", "0", "2", "MH", "70", "0", "10", "1", "20",
                           "1", "30", "0", "0", "CIRCLE", "8", "0", "10", "2", "20", "1", "30", "0", "40", "0.5",
                           "210", "0", "220", "0", "230", "-1", "0", "LWPOLYLINE", "8", "EDGE", "90", "2", "38", "1.5",
                           "10", "0", "20", "0", "10", "2", "20", "2", "0", "ENDBLK", "0", "BLOCK", "8", "0", "2",
                           "PAIR", "70", "0", "10", "0", "20", "0", "30", "0", "0", "INSERT", "8", "0", "2", "MH",
                           "10", "5", "20", "0", "30", "0", "50", "30", "41", "2", "42", "2", "43", "2", "0",
                           "ENDBLK", "0", "ENDSEC", "0", "SECTION", "2", "ENTITIES"});
  for (int i = 0; i < insertions; ++i) {
    const std::string n = std::to_string(i);
    dxf += Pairs({"0", "INSERT", "8", "PTS", "2", i % 2 ? "MH" : "PAIR", "10", n + ".125", "20", "-" + n + ".5", "30",
                  "0", "50", n, "70", "2", "71", "3", "44", "10", "45", "20", "210", "0", "220", "0", "230", "-1"});
    dxf += Pairs({"0", "ARC", "8", "ARCS", "10", n, "20", "1.75", "30", "2", "40", "1", "50", "0", "51", "90", "210",
                  "0", "220", "-0.5", "230", "0.8660254037844386"});
  }
  return QByteArray::fromStdString(dxf + Pairs({"0", "ENDSEC", "0", "EOF"}));
}

// World coordinates and the points inside blocks switched on by a configuration file: the page's
// tick boxes show them, and the window and corvane-cli write the same bytes.
void RunButtonTest::worldCoordinatesAndBlockContentsRunMatchesCommandLineTool() {
  RunFixture f;
  f.AddDrawing(QStringLiteral("mirrored.dxf"), MirroredBlocksDrawing(150));
  f.AddDrawing(QStringLiteral("site_plan.dxf"), ExampleDrawing("site_plan.dxf"));
  TExportConfig config = test::TestConfig(true);
  config.CustomChecked[3] = 1;
  ConfigExtension extension;
  extension.WorldCoordinates = "yes";
  extension.BlockContents = "yes";
  const QString crv = f.ConfigFolder() + QStringLiteral("/world.crv");
  QVERIFY(WriteConfigFile(Local(crv), config, extension).empty());
  QVERIFY(f.window.LoadConfigFile(Local(crv)));
  QVERIFY(f.Child<QCheckBox>("worldcoords")->isChecked());
  QVERIFY(f.Child<QCheckBox>("blockcontents")->isChecked());
  f.SelectAll();
  f.Run();
  QCOMPARE(f.boxes.seen.size(), std::size_t{0});
  std::map<QString, QByteArray> fromWindow;
  for (const QString& name : {QStringLiteral("mirrored.txt"), QStringLiteral("site_plan.txt")}) {
    fromWindow[name] = ReadBytes(f.out + "/" + name);
    QVERIFY(QFile::remove(f.out + "/" + name));
  }
  // The options are in force: the mirrored insertion's X is negated, and its block's points follow it.
  QVERIFY(fromWindow[QStringLiteral("mirrored.txt")].startsWith("1,-0.125,-0.500,0.000,INSERT/PTS/PAIR\r\n"));
  QVERIFY(fromWindow[QStringLiteral("mirrored.txt")].contains("LWPOLYLINE/EDGE/PAIR"));
  const QStringList windowReport = ReportLines(f.ReportPath());
  QVERIFY(windowReport.contains(QStringLiteral("World coordinates : yes")));

  QProcess cli;
  const QString cliReport = f.Path(QStringLiteral("cli-report.txt"));
  cli.start(CliPath(), {QStringLiteral("-q"), QStringLiteral("-c"), crv, QStringLiteral("-d"), f.out,
                        QStringLiteral("-r"), cliReport, f.drawings});
  QVERIFY(cli.waitForFinished(60000));
  QCOMPARE(cli.exitCode(), 0);
  for (const auto& [name, bytes] : fromWindow) QCOMPARE(ReadBytes(f.out + "/" + name), bytes);
  QCOMPARE(windowReport.mid(1), ReportLines(cliReport).mid(1));

  // Unticking a box is a change of the configuration, which the exit asks to save.
  QVERIFY(f.window.ConfirmSaveIfChanged());
  f.Child<QCheckBox>("blockcontents")->setChecked(false);
  QCOMPARE(f.window.WorkingExtension().BlockContents, std::string());
  const std::size_t boxesBefore = f.boxes.seen.size();
  f.boxes.Answer({QMessageBox::Cancel});
  QVERIFY(!f.window.ConfirmSaveIfChanged());
  QCOMPARE(f.boxes.seen.size(), boxesBefore + 1);
  f.Child<QCheckBox>("blockcontents")->setChecked(true);
  QVERIFY(f.window.ConfirmSaveIfChanged());
}

// A Latin-1 name (from an old archive) shows with replacement marks, but the run gets the name the
// folder holds and converts the drawing as the command-line tool does.
void RunButtonTest::nameThatIsNotValidTextConverts() {
  // On Windows every file name is text, and these bytes spell "d_été.dxf" in the ANSI code page.
  RunFixture f;
  QVERIFY(f.LoadShippedDefaults());
  const std::string drawings = Local(f.drawings), out = Local(f.out);
  test::WriteFile(PathFromText(drawings + "/d_\xe9t\xe9.dxf"), ExampleDrawing("survey_points.dxf").toStdString());
  f.SelectAll();
  QCOMPARE(f.Child<QListWidget>("fl1")->selectedItems().size(), 1);
  f.Run();
  QCOMPARE(f.boxes.seen.size(), std::size_t{0});
  const std::string fromWindow = test::ReadFile(PathFromText(out + "/d_\xe9t\xe9.txt"));
  QVERIFY(fromWindow.find("\r\n") != std::string::npos);
  QVERIFY(!ReportLines(f.ReportPath()).join('\n').contains(QStringLiteral("*** Error")));
  // QTemporaryDir cannot remove names that are not valid text: they go by their bytes.
  std::filesystem::remove(PathFromText(drawings + "/d_\xe9t\xe9.dxf"));
  std::filesystem::remove(PathFromText(out + "/d_\xe9t\xe9.txt"));
}

void RunButtonTest::stopDuringSecondOfThreeFiles() {
  RunFixture f;
  QVERIFY(f.LoadShippedDefaults());
  f.AddDrawing(QStringLiteral("a.dxf"), GeneratedDrawing(20));
  f.AddDrawing(QStringLiteral("b.dxf"), GeneratedDrawing(400000));
  f.AddDrawing(QStringLiteral("c.dxf"), GeneratedDrawing(20));
  f.SelectAll();

  // "Stop process" is pressed once the progress window names the second file.
  bool disabledDuringRun = false;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (!f.progress.StepLabel()->text().contains(QLatin1String("b.dxf"))) return;
    disabledDuringRun = !f.window.isEnabled() && f.progress.isVisible();
    f.progress.StopButton()->click();
    watch.stop();
  });
  watch.start(1);
  f.Run();
  watch.stop();

  QVERIFY(disabledDuringRun);
  QVERIFY(f.window.isEnabled());
  QVERIFY(!f.progress.isVisible());
  const QStringList report = ReportLines(f.ReportPath());
  const int second = static_cast<int>(report.indexOf(
      QStringLiteral("DXF File  : ") + QDir::toNativeSeparators(f.drawings + "/b.dxf")));
  QVERIFY2(second > 0, qPrintable(report.join('\n')));
  QVERIFY(report[second + 1].startsWith(QStringLiteral("Data File : ")));
  QCOMPARE(report[second + 2], QString());
  QCOMPARE(report[second + 3], QString());
  QCOMPARE(report[second + 4], QStringLiteral("*** Process canceled by user ***"));
  QVERIFY(!report.join('\n').contains(QLatin1String("c.dxf")));
  QVERIFY(!QFile::exists(f.out + QStringLiteral("/c.txt")));
  // The first file is complete: its summary lines came before the second file's block.
  QVERIFY(report.mid(0, second).filter(QStringLiteral(" Points : 20 ")).size() == 1);
}

void RunButtonTest::outputErrorShowsBoxAndKeepsWindowUsable() {
  RunFixture f;
  QVERIFY(f.LoadShippedDefaults());
  f.AddDrawing(QStringLiteral("site_plan.dxf"), ExampleDrawing("site_plan.dxf"));
  f.SelectAll();
  f.Child<QRadioButton>("rep1")->click();
  const QString dataFile = f.out + QStringLiteral("/site_plan.txt");
#ifdef Q_OS_WIN
  // The data file cannot be written: another program holds it open and lets nobody else write
  // to it, as a spreadsheet showing it does. (A link made here would be an Explorer shortcut,
  // which leads nowhere for the program.)
  HANDLE holder = CreateFileW(reinterpret_cast<const wchar_t*>(
                                  QDir::toNativeSeparators(dataFile).utf16()),
                              GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  QVERIFY(holder != INVALID_HANDLE_VALUE);
  auto release = qScopeGuard([&holder] {
    if (holder != INVALID_HANDLE_VALUE) CloseHandle(holder);
    holder = INVALID_HANDLE_VALUE;
  });
#else
  // The data file cannot be created: its name leads into a folder that is not there.
  QVERIFY(QFile::link(f.out + QStringLiteral("/gone/site_plan.txt"), dataFile));
#endif

  f.boxes.Answer({QMessageBox::Ok});
  f.Run();
  QCOMPARE(f.boxes.seen.size(), std::size_t{1});
  QCOMPARE(f.boxes.seen[0].icon, QMessageBox::Critical);
  QCOMPARE(f.boxes.seen[0].title, QStringLiteral("Corvane 2.0"));
  QVERIFY2(f.boxes.seen[0].text.contains(QLatin1String("site_plan.txt")),
           qPrintable(f.boxes.seen[0].text));
  QVERIFY(f.window.isEnabled());
  QVERIFY(f.Child<QPushButton>("BitBtn3")->isEnabled());
  QVERIFY(!f.progress.isVisible());
  // The report gathered so far is kept and shown.
  const QStringList report = ReportLines(f.ReportPath());
  QVERIFY(report.filter(QStringLiteral("*** Error, ")).size() >= 1);
  QCOMPARE(f.opened.size(), std::size_t{1});

  // The window is usable again: with the way clear, the next run goes through.
#ifdef Q_OS_WIN
  release.dismiss();
  CloseHandle(holder);
#endif
  QVERIFY(QFile::remove(dataFile));
  f.Run();
  QCOMPARE(f.boxes.seen.size(), std::size_t{1});
  QVERIFY(QFile::exists(f.out + QStringLiteral("/site_plan.txt")));
}

void RunButtonTest::reportThatCannotBeWrittenIsNotOpened() {
  RunFixture f;
  QVERIFY(f.LoadShippedDefaults());
  f.AddDrawing(QStringLiteral("site_plan.dxf"), ExampleDrawing("site_plan.dxf"));
  f.SelectAll();
  f.Child<QRadioButton>("rep1")->click();
  QVERIFY(WriteBytes(f.ReportPath(), "old report\r\n"));
  QVERIFY(QFile::setPermissions(f.ReportPath(), QFile::ReadOwner | QFile::ReadGroup));

  f.boxes.Answer({QMessageBox::Ok});
  f.Run();
  QCOMPARE(f.boxes.seen.size(), std::size_t{1});
  QVERIFY2(f.boxes.seen[0].text.startsWith(QStringLiteral("Cannot create file \"")),
           qPrintable(f.boxes.seen[0].text));
  QCOMPARE(f.boxes.seen[0].icon, QMessageBox::Critical);
  QCOMPARE(f.opened.size(), std::size_t{0});
  QCOMPARE(ReadBytes(f.ReportPath()), QByteArray("old report\r\n"));
  QVERIFY(QFile::exists(f.out + QStringLiteral("/site_plan.txt")));
}

void RunButtonTest::refusedRunShowsErrorBox() {
  RunFixture f;
  QVERIFY(f.LoadShippedDefaults());
  f.AddDrawing(QStringLiteral("site_plan.dxf"), ExampleDrawing("site_plan.dxf"));
  f.SelectAll();
  f.Edit("Edit12")->setText(QStringLiteral("../txt"));

  f.boxes.Answer({QMessageBox::Ok});
  f.Run();
  QCOMPARE(f.boxes.seen.size(), std::size_t{1});
  QCOMPARE(f.boxes.seen[0].icon, QMessageBox::Critical);
  QVERIFY2(f.boxes.seen[0].text.contains(QLatin1String("../txt")),
           qPrintable(f.boxes.seen[0].text));
  QVERIFY(!QFile::exists(f.ReportPath()));
  QCOMPARE(QDir(f.out).entryList(QDir::Files).size(), 0);
  QVERIFY(f.window.isEnabled());
}

void RunButtonTest::rowsWithoutFieldCodesAreRefusedWithInformation() {
  RunFixture f;
  // A hand-edited field-name list whose names begin with lower-case letters: ticked rows that
  // export nothing.
  LookupLists edited = f.lists;
  for (std::string& name : edited.fieldNames) name[0] = static_cast<char>(name[0] - 'A' + 'a');
  f.window.FillLists(edited);
  QVERIFY(f.LoadShippedDefaults());
  f.AddDrawing(QStringLiteral("site_plan.dxf"), ExampleDrawing("site_plan.dxf"));
  f.SelectAll();

  f.boxes.Answer({QMessageBox::Ok});
  f.Run();
  QCOMPARE(f.boxes.seen.size(), std::size_t{1});
  QCOMPARE(f.boxes.seen[0].text, QString::fromLatin1(kSelectDataMessage));
  QCOMPARE(f.boxes.seen[0].title, QStringLiteral("Information"));
  QCOMPARE(f.boxes.seen[0].icon, QMessageBox::Information);
  QVERIFY(!QFile::exists(f.ReportPath()));
}

void RunButtonTest::destinationNotChosenOrMissingWritesNothing() {
  RunFixture f;
  QVERIFY(f.LoadShippedDefaults());
  f.AddDrawing(QStringLiteral("site_plan.dxf"), ExampleDrawing("site_plan.dxf"));
  f.SelectAll();
  // Unlocked with no destination remembered: the box is empty, and the working folder is no
  // folder the user chose.
  QVERIFY(f.window.UnlockAction());
  f.window.SetDestinationFolder(QString());
  const QStringList before = QDir::current().entryList(QDir::Files);
  f.boxes.Answer({QMessageBox::Ok});
  f.Run();
  QCOMPARE(f.boxes.seen.size(), std::size_t{1});
  QCOMPARE(f.boxes.seen[0].icon, QMessageBox::Information);
  QCOMPARE(f.boxes.seen[0].text, QStringLiteral("No destination folder is chosen for the data files."));
  QCOMPARE(QDir::current().entryList(QDir::Files), before);

  // A destination folder that was removed is refused before anything is written.
  f.window.SetDestinationFolder(QDir::toNativeSeparators(f.Path(QStringLiteral("removed"))));
  f.boxes.Answer({QMessageBox::Ok});
  f.Run();
  QCOMPARE(f.boxes.seen.size(), std::size_t{2});
  QCOMPARE(f.boxes.seen[1].icon, QMessageBox::Critical);
  QVERIFY2(f.boxes.seen[1].text.contains(QStringLiteral("does not exist")), qPrintable(f.boxes.seen[1].text));
  QVERIFY(!QFile::exists(f.ReportPath()));
  QVERIFY(f.window.isEnabled());
}

void RunButtonTest::configurationLoadedFromElsewhereIsNeverReplaced() {
  RunFixture f;
  // A configuration kept beside the drawings, with the name a data file of this run would get.
  TExportConfig config = test::TestConfig();
  config.FileExtension.assign("crv");
  const QString crv = f.drawings + QStringLiteral("/site_plan.crv");
  QVERIFY(WriteConfigFile(Local(crv), config).empty());
  const QByteArray saved = ReadBytes(crv);
  QVERIFY(f.window.LoadConfigFile(Local(crv)));
  f.AddDrawing(QStringLiteral("site_plan.dxf"), ExampleDrawing("site_plan.dxf"));
  f.AddDrawing(QStringLiteral("survey_points.dxf"), ExampleDrawing("survey_points.dxf"));
  f.SelectAll();
  f.Edit("Edit1")->setText(QDir::toNativeSeparators(f.drawings));
  // The drawing whose data file was refused is told at the end of the run.
  f.boxes.Answer({QMessageBox::Ok});
  f.Run();
  QCOMPARE(f.boxes.seen.size(), std::size_t{1});
  QCOMPARE(f.boxes.seen[0].text, QStringLiteral("1 of the 2 drawings could not be converted completely."));
  QCOMPARE(ReadBytes(crv), saved);
  QVERIFY(QFile::exists(f.drawings + QStringLiteral("/survey_points.crv")));
  const QStringList report = ReportLines(f.ReportPath());
  QCOMPARE(report.filter(QStringLiteral("would replace the configuration file in use")).size(), 1);
}

void RunButtonTest::reportThatNoProgramOpensIsNamedInABox() {
  RunFixture f;
  QVERIFY(f.LoadShippedDefaults());
  f.AddDrawing(QStringLiteral("site_plan.dxf"), ExampleDrawing("site_plan.dxf"));
  f.SelectAll();
  f.Child<QRadioButton>("rep1")->click();
  // A desktop with no program for text files.
  f.window.SetUrlOpener([&f](const QUrl& url) {
    f.opened.push_back(url);
    return false;
  });

  f.boxes.Answer({QMessageBox::Ok});
  f.Run();
  QCOMPARE(f.opened.size(), std::size_t{1});
  QCOMPARE(f.boxes.seen.size(), std::size_t{1});
  const SeenBox& box = f.boxes.seen[0];
  QCOMPARE(box.icon, QMessageBox::Information);
  QCOMPARE(box.title, QStringLiteral("Information"));
  QVERIFY2(box.text.contains(QLatin1String("\"CorvaneLog.txt\"")), qPrintable(box.text));
  QVERIFY2(box.detail.contains(QDir::toNativeSeparators(f.dir.path())), qPrintable(box.detail));
  QVERIFY(QFile::exists(f.ReportPath()));
  QVERIFY(QFile::exists(f.out + QStringLiteral("/site_plan.txt")));
}

void RunButtonTest::runWithNoFileSelectedSaysSo() {
  RunFixture f;
  QVERIFY(f.LoadShippedDefaults());
  f.AddDrawing(QStringLiteral("site_plan.dxf"), ExampleDrawing("site_plan.dxf"));
  f.SelectAll();
  f.Child<QListWidget>("fl1")->clearSelection();
  QVERIFY(f.Child<QPushButton>("BitBtn3")->isEnabled());
  f.Child<QRadioButton>("rep1")->click();
  f.window.SetUrlOpener([&f](const QUrl& url) {
    f.opened.push_back(url);
    return false;
  });

  // The run still writes and hands over its report; one box says why nothing was converted,
  // not a second one about the viewer.
  f.boxes.Answer({QMessageBox::Ok, QMessageBox::Ok});
  f.Run();
  QCOMPARE(f.boxes.seen.size(), std::size_t{1});
  QCOMPARE(f.boxes.seen[0].text,
           QStringLiteral("No DXF file was selected, so no file was converted."));
  QCOMPARE(f.boxes.seen[0].icon, QMessageBox::Information);
  QCOMPARE(f.opened.size(), std::size_t{1});
  const QStringList report = ReportLines(f.ReportPath());
  QVERIFY2(report.size() >= 4 && report[2] == QStringLiteral("Number of processed files : 0"),
           qPrintable(report.join('|')));
  QVERIFY(QDir(f.out).isEmpty());

  // Without the report shown, the box is all the user gets.
  f.Child<QRadioButton>("rep3")->click();
  f.boxes.seen.clear();
  f.boxes.Answer({QMessageBox::Ok});
  f.Run();
  QCOMPARE(f.boxes.seen.size(), std::size_t{1});
  QCOMPARE(f.opened.size(), std::size_t{1});
}

void RunButtonTest::runWithErrorsAlwaysEndsWithABox() {
  RunFixture f;
  QVERIFY(f.LoadShippedDefaults());
  // Five drawings, four of them broken in the ways a surveyor meets: not a drawing, a bad
  // coordinate, a file cut inside an entity, and a copy that was never finished.
  f.AddDrawing(QStringLiteral("a_good.dxf"), ExampleDrawing("site_plan.dxf"));
  f.AddDrawing(QStringLiteral("b_notes.dxf"), QByteArray("just some notes\n"));
  f.AddDrawing(QStringLiteral("c_comma.dxf"),
               QByteArray::fromStdString(test::DxfWithEntities(test::Pairs(
                   {"0", "POINT", "8", "A", "10", "1,5", "20", "2", "30", "3"}))));
  const QByteArray whole = GeneratedDrawing(40);
  f.AddDrawing(QStringLiteral("d_cut.dxf"), whole.left(whole.indexOf("POINT", whole.size() / 2) + 30));
  f.AddDrawing(QStringLiteral("e_empty.dxf"), QByteArray());
  f.SelectAll();
  QCOMPARE(f.Child<QListWidget>("fl1")->selectedItems().size(), 5);
  f.Child<QRadioButton>("rep3")->click();

  f.boxes.Answer({QMessageBox::Open});
  f.Run();
  QTRY_COMPARE(f.boxes.Pending(), std::size_t{0});
  QCOMPARE(f.boxes.seen.size(), std::size_t{1});
  const SeenBox& box = f.boxes.seen[0];
  QCOMPARE(box.text, QStringLiteral("4 of the 5 drawings could not be converted completely."));
  QCOMPARE(box.icon, QMessageBox::Warning);
  QVERIFY(box.buttons.testFlag(QMessageBox::Open));
  QVERIFY2(box.detail.contains(QLatin1String("\"CorvaneLog.txt\"")), qPrintable(box.detail));
  // The button opens the report the box names.
  QCOMPARE(f.opened.size(), std::size_t{1});
  QCOMPARE(f.opened[0], QUrl::fromLocalFile(f.ReportPath()));
  QVERIFY(ReportLines(f.ReportPath()).filter(QStringLiteral("*** Error")).size() >= 4);

  // With the report shown after every run, the viewer already has it: the box still comes,
  // without a second way to open it.
  f.Child<QRadioButton>("rep1")->click();
  f.boxes.seen.clear();
  f.opened.clear();
  f.boxes.Answer({QMessageBox::Ok});
  f.Run();
  QCOMPARE(f.boxes.seen.size(), std::size_t{1});
  QVERIFY(!f.boxes.seen[0].buttons.testFlag(QMessageBox::Open));
  QCOMPARE(f.opened.size(), std::size_t{1});

  // A clean run stays quiet.
  f.Child<QRadioButton>("rep3")->click();
  f.Child<QListWidget>("fl1")->clearSelection();
  f.Child<QListWidget>("fl1")->item(0)->setSelected(true);
  f.boxes.seen.clear();
  f.Run();
  QCOMPARE(f.boxes.seen.size(), std::size_t{0});
}

void RunButtonTest::closeDuringARunSaysSoAndOffersStop() {
  RunFixture f;
  QVERIFY(f.LoadShippedDefaults());
  f.AddDrawing(QStringLiteral("a.dxf"), GeneratedDrawing(20));
  f.AddDrawing(QStringLiteral("b.dxf"), GeneratedDrawing(400000));
  f.AddDrawing(QStringLiteral("c.dxf"), GeneratedDrawing(20));
  f.SelectAll();
  f.window.show();

  // The title bar's close button while the second drawing is converted: first "Let it finish",
  // then again and "Stop process".
  bool closed = true;
  int asked = 0;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (!f.progress.StepLabel()->text().contains(QLatin1String("b.dxf")) || asked > 0) return;
    ++asked;
    watch.stop();
    f.boxes.Answer({QMessageBox::Cancel, QMessageBox::Abort});
    closed = f.window.close();
    QVERIFY(!f.progress.StopFlag().load());
    closed = closed || f.window.close();
  });
  watch.start(1);
  f.Run();
  watch.stop();

  QCOMPARE(asked, 1);
  QVERIFY(!closed);
  QVERIFY(f.window.isVisible());
  QCOMPARE(f.boxes.seen.size(), std::size_t{2});
  QVERIFY2(f.boxes.seen[0].text.contains(QLatin1String("Data files are being created")),
           qPrintable(f.boxes.seen[0].text));
  QVERIFY(f.boxes.seen[0].buttons.testFlag(QMessageBox::Abort));
  const QStringList report = ReportLines(f.ReportPath());
  QVERIFY2(report.contains(QStringLiteral("*** Process canceled by user ***")),
           qPrintable(report.join('\n')));
  QVERIFY(!QFile::exists(f.out + QStringLiteral("/c.txt")));
}

QTEST_MAIN(RunButtonTest)
#include "run_button_test.moc"
