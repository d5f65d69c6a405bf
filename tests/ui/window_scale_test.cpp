// One scale for every window: the rule itself, and the two small windows built at it, with every
// caption whole. (The main window's own check is in main_window_test.)
#include "ui/window_scale.h"

#include <QAbstractButton>
#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <QToolButton>

#include "tests/ui/ui_test_support.h"
#include "ui/Unit2.h"
#include "ui/selrep.h"

using corvane::WindowPixels;

class WindowScaleTest : public QObject {
  Q_OBJECT

 private slots:
  void DesignedPixelsGrowByAQuarterToTheNearestPixel() {
    QCOMPARE(WindowPixels(QSize(608, 572)), QSize(760, 715));
    QCOMPARE(WindowPixels(359), 449);  // 448.75
    QCOMPARE(WindowPixels(-2), -3);    // -2.5: halves away from zero, as positive ones
    // Controls that touch in the design still touch; none grows into the next by rounding.
    const QRect left(1, 1, 5, 5), right(6, 1, 5, 5);
    QCOMPARE(WindowPixels(left).right() + 1, WindowPixels(right).left());
    QCOMPARE(WindowPixels(QRect(8, 0, 345, 57)), QRect(10, 0, 431, 71));
  }

  void TheProgressWindowIsDrawnAtTheMainWindowsScale() {
    corvane::TForm2 progress;
    QCOMPARE(progress.size(), WindowPixels(QSize(359, 92)));
    QCOMPARE(progress.minimumSize(), progress.maximumSize());
    QCOMPARE(progress.StepLabel()->width(), WindowPixels(QRect(48, 8, 289, 20)).width());
    QCOMPARE(progress.StopButton()->geometry(), WindowPixels(QRect(238, 61, 113, 27)));
    progress.StepLabel()->setText(QStringLiteral("Processing site_plan.dxf"));
    progress.ShowFileCount(40, 40);
    const QStringList faults = corvane::uitest::ControlsCutOrOutside(progress);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
  }

  void TheFolderDialogIsDrawnAtTheMainWindowsScale() {
    corvane::TForm3 dialog;
    QCOMPARE(dialog.size(), WindowPixels(QSize(396, 403)));
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    QCOMPARE(dialog.SelectButton()->geometry(), WindowPixels(QRect(6, 370, 80, 28)));
    QCOMPARE(dialog.CancelButton()->geometry(), WindowPixels(QRect(90, 370, 80, 28)));
    const QStringList faults = corvane::uitest::ControlsCutOrOutside(dialog);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
  }
};

QTEST_MAIN(WindowScaleTest)
#include "window_scale_test.moc"
