// The point preview window opened from the real main window: its legend and data lines against a
// real run's report and data file, following the entity boxes after the pause, cancelling work it
// no longer wants, the view's zoom and pan, and what it says about drawings it cannot show.
#include "ui/point_preview_window.h"

#include <QDir>
#include <QElapsedTimer>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QTreeWidget>
#include <QWheelEvent>
#include <map>

#include "config/crv_file.h"
#include "engine/run_checks.h"
#include "plot/point_plot.h"
#include "tests/test_support.h"
#include "tests/ui/window_test_helpers.h"
#include "ui/Unit2.h"
#include "ui/point_preview_view.h"

using namespace corvane;
using namespace corvane::uitest;

namespace {

QByteArray ExampleDrawing(const QString& name) {
  return ReadBytes(QStringLiteral(CORVANE_SOURCE_DIR "/examples/") + name);
}

// `points` POINT entities on a slanted grid, with a LINE and a TEXT every 50 points.
QByteArray GeneratedDrawing(int points) {
  std::string entities;
  entities.reserve(static_cast<std::size_t>(points) * 64);
  for (int i = 0; i < points; ++i) {
    const std::string x = std::to_string(i % 400) + ".25";
    const std::string y = std::to_string(i / 400 * 3 + i % 7) + ".5";
    entities += "  0\nPOINT\n  8\nCONTROL\n 10\n" + x + "\n 20\n" + y + "\n 30\n1.125\n";
    if (i % 50 == 0) {
      entities += test::Pairs({"0", "LINE", "8", "WALLS", "10", "1.0", "20", "2.0", "30", "0.0",
                               "11", "3.0", "21", "4.0", "31", "0.5"});
      entities +=
          test::Pairs({"0", "TEXT", "8", "NOTES", "10", "5", "20", "6", "30", "7", "1", "hello"});
    }
  }
  return QByteArray::fromStdString(test::DxfWithEntities(entities));
}

struct PreviewFixture : WindowFixture {
  TForm2 progress;
  QString drawings = Path(QStringLiteral("drawings"));
  QString out = Path(QStringLiteral("out"));

  PreviewFixture() {
    QDir().mkpath(drawings);
    QDir().mkpath(out);
    window.SetProgressWindow(&progress);
    window.SetUrlOpener([](const QUrl&) { return true; });
    if (!LoadShippedDefaults()) qFatal("default.crv was refused");
  }
  void AddDrawing(const QString& name, const QByteArray& bytes) {
    if (!WriteBytes(drawings + "/" + name, bytes)) qFatal("cannot write a drawing");
  }
  QListWidget* Files() { return Child<QListWidget>("fl1"); }
  // Lists the drawings and makes `name` the one selected.
  void Select(const QString& name) {
    if (FileListFolder() != drawings && !window.SelectFolder(drawings)) qFatal("folder not shown");
    Files()->clearSelection();
    const auto found = Files()->findItems(name, Qt::MatchExactly);
    if (found.isEmpty()) qFatal("not listed");
    Files()->setCurrentItem(found.first(), QItemSelectionModel::ClearAndSelect);
  }
  QString FileListFolder() const { return window.FileListFolder(); }
  // Opens the preview of the selected drawing and waits for its first picture.
  PointPreviewWindow* OpenPreview() {
    window.OpenPointPreview();
    PointPreviewWindow* preview = window.PreviewWindow();
    if (!preview) return nullptr;
    if (preview->Working()) {
      QSignalSpy shown(preview, &PointPreviewWindow::PreviewShown);
      if (!shown.wait(20000)) return nullptr;
    }
    return preview;
  }
  // A real run of the selected drawing into `out`; its report's lines.
  QStringList Run() {
    Edit("Edit1")->setText(QDir::toNativeSeparators(out));
    Child<QRadioButton>("rep1")->click();
    Child<QPushButton>("BitBtn3")->click();
    return QString::fromLocal8Bit(ReadBytes(dir.filePath(QStringLiteral("CorvaneLog.txt"))))
        .split(QStringLiteral("\r\n"));
  }
  void SetEntityBox(int option, bool on) {
    Child<QCheckBox>(QStringLiteral("c%1").arg(option).toLatin1().constData())->setChecked(on);
  }
};

// The report's summary lines (" label : count ") as label and count, in order.
std::vector<std::pair<QString, QString>> SummaryOf(const QStringList& report) {
  static const QRegularExpression line(QStringLiteral("^ (.+?) : (\\d+) "));
  std::vector<std::pair<QString, QString>> counts;
  for (const QString& text : report) {
    const QRegularExpressionMatch m = line.match(text);
    if (m.hasMatch()) counts.emplace_back(m.captured(1), m.captured(2));
  }
  return counts;
}

std::vector<std::pair<QString, QString>> LegendOf(const PointPreviewWindow& preview) {
  std::vector<std::pair<QString, QString>> rows;
  const QTreeWidget* legend = preview.Legend();
  for (int i = 0; i < legend->topLevelItemCount(); ++i) {
    rows.emplace_back(legend->topLevelItem(i)->text(0).trimmed(), legend->topLevelItem(i)->text(1));
  }
  return rows;
}

void Hover(PointPreviewView* view, QPointF at) {
  QMouseEvent move(QEvent::MouseMove, at, view->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QApplication::sendEvent(view, &move);
}

}  // namespace

class PointPreviewWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void menuItemAndShortcutOpenTheDrawing();
  void legendAndDataLinesEqualTheRun_data();
  void legendAndDataLinesEqualTheRun();
  void followsEntityBoxesAfterThePause();
  void followingTheRecordLeavesTheWindowAsItIs();
  void anotherDrawingOrClosingCancelsTheWorkInHand();
  void manyPointsAreDrawnByDensityAndZoomAroundThePointer();
  void drawingsItCannotShowAreNamed();
  void damageTheReportNamesIsShownAsTheReportSaysIt();
  void opensBesideTheMainWindowWhereTheScreenHasRoom();
  void onePointIsOnePoint();
};

void PointPreviewWindowTest::menuItemAndShortcutOpenTheDrawing() {
  PreviewFixture f;
  f.AddDrawing(QStringLiteral("site_plan.dxf"), ExampleDrawing(QStringLiteral("site_plan.dxf")));
  f.AddDrawing(QStringLiteral("survey_points.dxf"), ExampleDrawing(QStringLiteral("survey_points.dxf")));
  f.Select(QStringLiteral("site_plan.dxf"));

  // The designed items come first, as they were.
  auto* menu = f.Child<QMenu>("PopupMenu1");
  const QList<QAction*> items = menu->actions();
  QCOMPARE(items.size(), 4);
  QCOMPARE(items[0]->objectName(), QStringLiteral("SelectAll1"));
  QCOMPARE(items[1]->objectName(), QStringLiteral("Refreshfolder1"));
  QVERIFY(items[2]->isSeparator());
  QAction* item = items[3];
  QCOMPARE(item->text(), QStringLiteral("Preview points…"));
  QCOMPARE(item->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));

  // Opened on a drawing that is not selected, the menu previews that drawing.
  QListWidget* files = f.Files();
  const QRect row = files->visualItemRect(files->findItems(QStringLiteral("survey_points.dxf"),
                                                           Qt::MatchExactly).first());
  emit files->customContextMenuRequested(row.center());
  menu->hide();
  item->trigger();
  PointPreviewWindow* preview = f.window.PreviewWindow();
  QVERIFY(preview && preview->isVisible());
  QVERIFY(preview->windowTitle().startsWith(QStringLiteral("survey_points.dxf")));
  QSignalSpy shown(preview, &PointPreviewWindow::PreviewShown);
  QVERIFY(shown.wait(10000));

  // Ctrl+P in the file list previews its current drawing, in the same window.
  f.window.show();
  f.window.activateWindow();
  // (A window counts as active while a window of its own is: the preview must lose it.)
  QTRY_VERIFY(QApplication::activeWindow() == &f.window);
  files->setFocus();
  QTest::keyClick(files, Qt::Key_P, Qt::ControlModifier);
  QVERIFY(preview->windowTitle().startsWith(QStringLiteral("site_plan.dxf")));
  QVERIFY(shown.wait(10000));
  QCOMPARE(f.window.findChildren<PointPreviewWindow*>().size(), 1);
}

void PointPreviewWindowTest::legendAndDataLinesEqualTheRun_data() {
  QTest::addColumn<QString>("drawing");
  QTest::addColumn<bool>("everyType");
  for (const QString& name : QDir(QStringLiteral(CORVANE_SOURCE_DIR "/examples"))
                                 .entryList({QStringLiteral("*.dxf")}, QDir::Files)) {
    QTest::newRow(qPrintable(name)) << name << false;
    QTest::newRow(qPrintable(name + QStringLiteral(", every type, header"))) << name << true;
  }
  QTest::newRow("generated") << QStringLiteral("generated.dxf") << true;
}

void PointPreviewWindowTest::legendAndDataLinesEqualTheRun() {
  QFETCH(QString, drawing);
  QFETCH(bool, everyType);
  PreviewFixture f;
  f.AddDrawing(drawing, drawing == QLatin1String("generated.dxf") ? GeneratedDrawing(2000)
                                                                  : ExampleDrawing(drawing));
  if (everyType) {
    TExportConfig config = test::TestConfig(true);
    config.IncludeHeader = 1;
    config.NumberPrefix.assign("P");
    const QString crv = f.ConfigFolder() + QStringLiteral("/every.crv");
    QVERIFY(WriteConfigFile(Local(crv), config).empty());
    QVERIFY(f.window.LoadConfigFile(Local(crv)));
  }
  f.Select(drawing);
  const QStringList report = f.Run();
  const QList<QByteArray> dataLines =
      ReadBytes(f.out + "/" + QFileInfo(drawing).completeBaseName() + ".txt").split('\n');

  PointPreviewWindow* preview = f.OpenPreview();
  QVERIFY(preview);
  QVERIFY(preview->windowTitle().contains(drawing));
  QCOMPARE(preview->Message(), QString());
  QCOMPARE(LegendOf(*preview), SummaryOf(report));

  // Pointing at each mark shows the data file's line of the point drawn there.
  const PointPreview& points = preview->Shown()->preview;
  const int header = everyType ? 1 : 0;
  QCOMPARE(qsizetype(points.size()) + header + 1, dataLines.size());  // the last "" after CR LF
  PointPreviewView* view = preview->View();
  const std::size_t step = std::max<std::size_t>(1, points.size() / 40);
  int shown = 0;
  for (std::size_t i = 0; i < points.size(); i += step) {
    const QPointF at = view->ToWidget(points.x[i], points.y[i]);
    if (!view->rect().contains(at.toPoint())) continue;
    Hover(view, at);
    const std::int64_t pointed = view->PointAt(at);
    QVERIFY(pointed >= 0);
    QCOMPARE(preview->StatusText().toLocal8Bit() + "\r",
             dataLines[static_cast<qsizetype>(pointed) + header]);
    ++shown;
  }
  QVERIFY(shown > 0 || points.size() == 0);

  // A click keeps its point's line while the pointer is elsewhere.
  if (points.size() > 0) {
    const QPointF at = view->ToWidget(points.x[0], points.y[0]);
    const std::int64_t clicked = view->PointAt(at);
    QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, at.toPoint());
    Hover(view, QPointF(-50, -50));
    QCOMPARE(preview->StatusText().toLocal8Bit() + "\r",
             dataLines[static_cast<qsizetype>(clicked) + header]);
  }
  // Nothing was written beside the run's files.
  QCOMPARE(QDir(f.out).entryList(QDir::Files).size(), 1);
}

void PointPreviewWindowTest::followsEntityBoxesAfterThePause() {
  PreviewFixture f;
  f.AddDrawing(QStringLiteral("survey_points.dxf"), ExampleDrawing(QStringLiteral("survey_points.dxf")));
  f.Select(QStringLiteral("survey_points.dxf"));
  PointPreviewWindow* preview = f.OpenPreview();
  QVERIFY(preview);
  const auto before = preview->Shown();
  const std::uint64_t textPoints = before->preview.pointCounts[entity_bit::kSingleLineText];
  QVERIFY(textPoints > 0);
  const auto legendBefore = LegendOf(*preview);

  QSignalSpy shown(preview, &PointPreviewWindow::PreviewShown);
  f.SetEntityBox(entity_bit::kSingleLineText, false);
  // Several changes in a row are computed once, after the last.
  QTest::qWait(PointPreviewWindow::kFollowDelayMs / 3);
  f.SetEntityBox(entity_bit::kSingleLineText, true);
  f.SetEntityBox(entity_bit::kSingleLineText, false);
  QTest::qWait(PointPreviewWindow::kFollowDelayMs / 2);
  QCOMPARE(shown.count(), 0);
  QVERIFY(shown.wait(10000));
  QCOMPARE(shown.count(), 1);

  const PointPreview& after = preview->Shown()->preview;
  QCOMPARE(after.size(), before->preview.size() - textPoints);
  QCOMPARE(after.pointCounts[entity_bit::kSingleLineText], std::uint64_t{0});
  const auto legendAfter = LegendOf(*preview);
  QCOMPARE(legendAfter.size() + 1, legendBefore.size());
  // The run button reads the same record: its report agrees with the legend.
  QCOMPARE(legendAfter, SummaryOf(f.Run()));

  // A refused record is named in the window, as the run button would name it.
  for (int i = 0; i < kEntityOptionCount; ++i) f.SetEntityBox(i, false);
  QVERIFY(shown.wait(10000));
  QCOMPARE(preview->Message(), QString::fromLatin1(kSelectEntitiesMessage));
  QCOMPARE(preview->Legend()->topLevelItemCount(), 0);
}

void PointPreviewWindowTest::followingTheRecordLeavesTheWindowAsItIs() {
  PreviewFixture f;
  f.AddDrawing(QStringLiteral("survey_points.dxf"), ExampleDrawing(QStringLiteral("survey_points.dxf")));
  f.Select(QStringLiteral("survey_points.dxf"));
  PointPreviewWindow* preview = f.OpenPreview();
  QVERIFY(preview);
  // A start value being typed: the sequence's editor holds only its sign.
  const auto custom = f.Fields()->findItems(QStringLiteral("Custom data"), Qt::MatchFixedString);
  QVERIFY(!custom.isEmpty());
  custom.first()->setCheckState(Qt::Checked);
  f.Fields()->setCurrentItem(custom.first());
  const QString sequence = QString::fromLocal8Bit(f.lists.customItems.at(6));
  const auto rows = f.Customs()->findItems(sequence, Qt::MatchExactly);
  QVERIFY(!rows.isEmpty());
  rows.first()->setCheckState(Qt::Checked);  // ticked, it becomes the current item
  QLineEdit* editor = f.Edit("Edit7");
  QVERIFY(editor->isEnabled());
  editor->setText(QStringLiteral("-"));
  const QByteArray record = RecordBytes(f.record);

  QSignalSpy shown(preview, &PointPreviewWindow::PreviewShown);
  QVERIFY(shown.wait(10000));  // the edit is a change of the record too
  QCOMPARE(editor->text(), QStringLiteral("-"));
  QCOMPARE(RecordBytes(f.record), record);
}

void PointPreviewWindowTest::anotherDrawingOrClosingCancelsTheWorkInHand() {
  PreviewFixture f;
  f.AddDrawing(QStringLiteral("big.dxf"), GeneratedDrawing(400000));
  f.AddDrawing(QStringLiteral("survey_points.dxf"), ExampleDrawing(QStringLiteral("survey_points.dxf")));

  // Another drawing opened while the first is read: only the second is ever shown.
  f.Select(QStringLiteral("big.dxf"));
  f.window.OpenPointPreview();
  PointPreviewWindow* preview = f.window.PreviewWindow();
  QVERIFY(preview && preview->Working());
  QSignalSpy shown(preview, &PointPreviewWindow::PreviewShown);
  f.Select(QStringLiteral("survey_points.dxf"));
  f.window.OpenPointPreview();
  QCOMPARE(preview->CancelledJobs(), std::size_t{1});
  QVERIFY(shown.wait(10000));
  QTRY_COMPARE_WITH_TIMEOUT(preview->CancelledJobs(), std::size_t{0}, 10000);
  QTest::qWait(50);
  QCOMPARE(shown.count(), 1);
  QVERIFY(preview->windowTitle().contains(QStringLiteral("survey_points.dxf")));
  QVERIFY(preview->Shown()->preview.size() < 100);

  // Closed while reading: the work stops, and nothing comes back to the closed window.
  f.Select(QStringLiteral("big.dxf"));
  f.window.OpenPointPreview();
  QVERIFY(preview->Working());
  QElapsedTimer clock;
  clock.start();
  QVERIFY(preview->close());
  QVERIFY(!preview->Working());
  QVERIFY(clock.elapsed() < 1000);
  QTRY_COMPARE_WITH_TIMEOUT(preview->CancelledJobs(), std::size_t{0}, 10000);
  QTest::qWait(50);
  QCOMPARE(shown.count(), 1);
  QVERIFY(!preview->Shown());

  // The main window taken apart while a preview reads waits only for the cancelled job.
  f.window.OpenPointPreview();
  QVERIFY(preview->Working());
  clock.restart();
  delete preview;
  QVERIFY(clock.elapsed() < 2000);
}

void PointPreviewWindowTest::manyPointsAreDrawnByDensityAndZoomAroundThePointer() {
  PreviewFixture f;
  const int count = static_cast<int>(plot::kRasterThreshold) + 5000;
  f.AddDrawing(QStringLiteral("many.dxf"), GeneratedDrawing(count));
  f.Select(QStringLiteral("many.dxf"));
  PointPreviewWindow* preview = f.OpenPreview();
  QVERIFY(preview);
  PointPreviewView* view = preview->View();
  QVERIFY(view->DrawsRaster());
  QVERIFY(preview->StatusText().contains(QStringLiteral("density")));

  // Fitted on opening: every point is inside the view.
  const PointPreview& p = preview->Shown()->preview;
  for (const auto& [x, y] : {std::pair{p.minX, p.minY}, std::pair{p.maxX, p.maxY}}) {
    QVERIFY(view->rect().contains(view->ToWidget(x, y).toPoint()));
  }
  const QImage picture = view->grab().toImage();
  int drawn = 0;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) drawn += picture.pixel(x, y) != qRgb(255, 255, 255);
  }
  QVERIFY(drawn > count / 2);  // one pixel a point at this scale, most on pixels of their own

  // The wheel keeps the drawing point under the pointer where it was.
  const QPointF at(view->width() * 0.3, view->height() * 0.6);
  const QPointF fixed = view->ToDrawing(at);
  const double scale = view->Scale();
  QWheelEvent wheel(at, view->mapToGlobal(at), QPoint(), QPoint(0, 240), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(view, &wheel);
  QVERIFY(view->Scale() > scale * 1.2);
  QCOMPARE(view->ToWidget(fixed.x(), fixed.y()).x(), at.x());
  QVERIFY(qAbs(view->ToWidget(fixed.x(), fixed.y()).y() - at.y()) < 1e-6);

  // Dragging moves the drawing with the pointer.
  QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
  QMouseEvent move(QEvent::MouseMove, QPointF(140, 70), view->mapToGlobal(QPointF(140, 70)),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(view, &move);
  QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, QPoint(140, 70));
  const QPointF moved = view->ToWidget(fixed.x(), fixed.y());
  QVERIFY(qAbs(moved.x() - (at.x() + 40)) < 1e-6);
  QVERIFY(qAbs(moved.y() - (at.y() - 30)) < 1e-6);
}

void PointPreviewWindowTest::drawingsItCannotShowAreNamed() {
  PreviewFixture f;
  f.AddDrawing(QStringLiteral("gone.dxf"), ExampleDrawing(QStringLiteral("survey_points.dxf")));
  f.AddDrawing(QStringLiteral("letter.dxf"), QByteArray("Dear surveyor,\nthis is no drawing.\n"));
  f.AddDrawing(QStringLiteral("words.dxf"), QByteArray::fromStdString(test::DxfWithEntities(
      test::Pairs({"0", "TEXT", "8", "NOTES", "10", "5", "20", "6", "30", "7", "1", "hi"}))));
  f.Select(QStringLiteral("gone.dxf"));
  QVERIFY(QFile::remove(f.drawings + QStringLiteral("/gone.dxf")));

  PointPreviewWindow* preview = f.OpenPreview();
  QVERIFY(preview);
  QVERIFY(preview->Message().contains(QStringLiteral("gone.dxf cannot be opened")));
  QCOMPARE(preview->Legend()->topLevelItemCount(), 0);

  f.Select(QStringLiteral("letter.dxf"));
  QVERIFY(f.OpenPreview());
  QCOMPARE(preview->Message(), QStringLiteral("letter.dxf is not a DXF file."));

  // Only points exported, and the drawing has none: the legend still counts what it has.
  for (int i = 0; i < kEntityOptionCount; ++i) f.SetEntityBox(i, i == entity_bit::kPoints);
  f.Select(QStringLiteral("words.dxf"));
  QVERIFY(f.OpenPreview());
  QCOMPARE(preview->Message(),
           QStringLiteral("No point of words.dxf is exported with these options."));
  QCOMPARE(LegendOf(*preview).size(), std::size_t{1});
}

void PointPreviewWindowTest::damageTheReportNamesIsShownAsTheReportSaysIt() {
  PreviewFixture f;
  // Cut inside the ENTITIES section, in the middle of an entity: the points before the cut are
  // read, and the report says the file may be truncated.
  const QByteArray whole = GeneratedDrawing(60);
  f.AddDrawing(QStringLiteral("cut.dxf"), whole.left(whole.indexOf("POINT", whole.size() / 2) + 12));
  // Pairs out of step, then a bad number that ends the drawing: two lines, in the report's order.
  f.AddDrawing(QStringLiteral("shifted.dxf"),
               QByteArray::fromStdString(test::DxfWithEntities(
                   test::Pairs({"0", "POINT", "8", "A", "10", "1", "20", "2", "30", "3"}) +
                   "  0\nPOINT\nA\n 10\n4\n 20\n5\n 30\n6\n" +
                   test::Pairs({"0", "POINT", "8", "A", "10", "1,5", "20", "2", "30", "3"}))));

  for (const QString name : {QStringLiteral("cut.dxf"), QStringLiteral("shifted.dxf")}) {
    f.Select(name);
    PointPreviewWindow* preview = f.OpenPreview();
    QVERIFY(preview);
    const QString message = preview->Message();
    f.boxes.Answer({QMessageBox::Ok});
    const QStringList report = f.Run();
    const QStringList errors = report.filter(QRegularExpression(QStringLiteral("^\\*\\*\\* Error")));
    QVERIFY2(!errors.isEmpty(), qPrintable(report.join('|')));
    QCOMPARE(message, errors.join(QLatin1Char('\n')));
  }
  QVERIFY(f.window.PreviewWindow()->Message().contains(QStringLiteral("out of step")));
  f.Select(QStringLiteral("cut.dxf"));
  QVERIFY(f.OpenPreview()->Message().contains(QStringLiteral("ends inside an entity")));
}

void PointPreviewWindowTest::opensBesideTheMainWindowWhereTheScreenHasRoom() {
  const QRect screen(0, 0, 1920, 1050);
  const QSize wanted(780, 600);
  // Room on the right: beside it, at its height.
  QCOMPARE(PlaceBeside(QRect(100, 200, 620, 610), wanted, screen, 300), QRect(720, 200, 780, 600));
  // None on the right, room on the left.
  QCOMPARE(PlaceBeside(QRect(1200, 200, 620, 610), wanted, screen, 300), QRect(420, 200, 780, 600));
  // A centred main window on a small screen: the wider side, narrowed to fit.
  QCOMPARE(PlaceBeside(QRect(330, 100, 620, 610), wanted, QRect(0, 0, 1280, 1024), 300),
           QRect(950, 100, 330, 600));
  // Low on the screen: moved up so that it is all in sight.
  QCOMPARE(PlaceBeside(QRect(100, 700, 620, 300), wanted, screen, 300), QRect(720, 450, 780, 600));
  // No side with room for a useful window: the window manager decides.
  QVERIFY(PlaceBeside(QRect(500, 100, 620, 610), wanted, QRect(0, 0, 1280, 1024), 600).isEmpty());

  // On the real main window, where the screen has room (the offscreen screen is 800 by 600 wide
  // unless told otherwise, so the main window stands at the left edge and the room is measured).
  PreviewFixture f;
  f.AddDrawing(QStringLiteral("site.dxf"), ExampleDrawing(QStringLiteral("survey_points.dxf")));
  f.window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&f.window));
  f.window.move(f.window.screen()->availableGeometry().topLeft());
  f.Select(QStringLiteral("site.dxf"));
  PointPreviewWindow* preview = f.OpenPreview();
  QVERIFY(preview);
  const QRect expected = PlaceBeside(f.window.frameGeometry(), preview->frameGeometry().size(),
                                     f.window.screen()->availableGeometry(),
                                     preview->minimumSizeHint().width() + 40);
  if (!expected.isEmpty()) {
    QVERIFY2(!preview->frameGeometry().intersects(f.window.frameGeometry()),
             qPrintable(QStringLiteral("%1,%2").arg(preview->x()).arg(f.window.x())));
  }
  // Where the user puts it, it opens again.
  preview->move(preview->pos() + QPoint(0, 7));
  const QPoint moved = preview->pos();
  preview->close();
  QVERIFY(f.OpenPreview());
  QCOMPARE(preview->pos(), moved);
}

void PointPreviewWindowTest::onePointIsOnePoint() {
  PreviewFixture f;
  f.AddDrawing(QStringLiteral("one.dxf"), QByteArray::fromStdString(test::DxfWithEntities(
      test::Pairs({"0", "POINT", "8", "A", "10", "1", "20", "2", "30", "3"}))));
  f.Select(QStringLiteral("one.dxf"));
  PointPreviewWindow* preview = f.OpenPreview();
  QVERIFY(preview);
  QCOMPARE(preview->StatusText(), QStringLiteral("1 point. Point at it to read its data line."));
}

QTEST_MAIN(PointPreviewWindowTest)
#include "point_preview_window_test.moc"
