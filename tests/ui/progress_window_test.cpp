// The progress window on its own: what it shows, and that the user can only raise the stop flag.
#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <QToolButton>

#include "ui/Unit2.h"
#include "ui/whole_names.h"
#include "ui/window_scale.h"

using corvane::TForm2;

class ProgressWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void StartsWithItsFrameAndTexts() {
    TForm2 form;
    QCOMPARE(form.windowTitle(), QStringLiteral(" Processing"));
    QCOMPARE(form.size(), corvane::WindowPixels(QSize(359, 92)));
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QVERIFY(form.windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(!(form.windowFlags() & Qt::WindowCloseButtonHint));
    QVERIFY(!(form.windowFlags() & Qt::WindowSystemMenuHint));
    QCOMPARE(form.StepLabel()->text(), QStringLiteral("Process"));
    QCOMPARE(form.StopButton()->text(), QStringLiteral("Stop process"));
    QVERIFY(!form.StopButton()->icon().isNull());
    QVERIFY(form.findChild<QLabel*>("Image1")->pixmap().size() == QSize(32, 32));
    QVERIFY(!form.isVisible());
  }

  void TellsWhichFileOfHowManyBesideTheDesignedControls() {
    TForm2 form;
    QCOMPARE(form.FileCountLabel()->text(), QString());
    // A line of its own: under the step and the bar, left of "Stop process", and whole.
    const QRect count = form.FileCountLabel()->geometry();
    QVERIFY(form.rect().contains(count));
    QVERIFY(!count.intersects(form.StopButton()->geometry()));
    QVERIFY(!count.intersects(form.findChild<QWidget*>("GroupBox1")->geometry()));
    form.ShowFileCount(9999, 9999);
    QVERIFY(form.FileCountLabel()->sizeHint().width() <= count.width());
  }

  void StopProcessOnlyRaisesTheFlag() {
    TForm2 form;
    form.show();
    QVERIFY(!form.StopFlag().load());
    QTest::mouseClick(form.StopButton(), Qt::LeftButton);
    QVERIFY(form.StopFlag().load());
    // The window stays: the run hides it when it notices the flag.
    QVERIFY(form.isVisible());
    QTest::mouseClick(form.StopButton(), Qt::LeftButton);
    QVERIFY(form.StopFlag().load());
  }

  void ALongDrawingNameIsCutInTheMiddleAndToldWhole() {
    TForm2 form2;
    const QString step = QStringLiteral("Processing Northern bypass ") + QString(60, 'x') +
                         QStringLiteral(" section 14 final.dxf");
    form2.ShowStep(step);
    const QString shown = form2.StepLabel()->text();
    // Both ends stay: the step word and the drawing's last characters.
    QVERIFY2(shown.contains(QChar(0x2026)), qPrintable(shown));
    QVERIFY(shown.startsWith(QStringLiteral("Processing")));
    QVERIFY(shown.endsWith(QStringLiteral(".dxf")));
    QVERIFY(!corvane::TextIsCut(form2.StepLabel()));
    QCOMPARE(corvane::WholeNameTip(form2.StepLabel(), QPoint(2, 2)), step);
    form2.ShowStep(QStringLiteral("Processing a.dxf"));
    QCOMPARE(form2.StepLabel()->text(), QStringLiteral("Processing a.dxf"));
  }

  void CannotBeClosedByTheUser() {
    TForm2 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QVERIFY(!form.close());
    QVERIFY(form.isVisible());
    QTest::keyClick(&form, Qt::Key_Escape);
    QVERIFY(form.isVisible());
    form.hide();
    QVERIFY(!form.isVisible());
  }
};

QTEST_MAIN(ProgressWindowTest)
#include "progress_window_test.moc"
