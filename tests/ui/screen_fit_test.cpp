// The main window on common screens: it fits the work area of a 1366 by 768 screen at 100 % and
// of a 1920 by 1080 screen at 150 % (in Qt's device-independent pixels, which follow Windows'
// scaling) with every control whole and inside it, and stays as designed where there is room.
// Also what the eye needs from the window: a selection that stays visible without the focus, and
// a long path's tooltip that keeps within the screen.
#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStackedWidget>
#include <QScopeGuard>
#include <QTest>
#include <map>
#include <string>

#include "config/settings_store.h"
#include "tests/ui/ui_test_support.h"
#include "ui/main.h"
#include "ui/path_wrap.h"
#include "ui/window_scale.h"

using corvane::TForm1;
using corvane::WindowPixels;

namespace {

class MemoryStore : public corvane::SettingsStore {
 public:
  bool ReadBool(std::string_view, bool& value, std::string&) override { return value = false, true; }
  bool ReadText(std::string_view, std::string& value, std::string&) override {
    value.clear();
    return true;
  }
  bool WriteBool(std::string_view, bool, std::string&) override { return true; }
  bool WriteText(std::string_view, std::string_view, std::string&) override { return true; }
};

// Controls sticking out of their parent (out of the window, out of reach) and captions cut, on
// every page of the window as each is shown.
QStringList Faults(QWidget& window) {
  QStringList faults;
  for (QStackedWidget* pages : window.findChildren<QStackedWidget*>()) {
    const int shown = pages->currentIndex();
    for (int page = 0; page < pages->count(); ++page) {
      pages->setCurrentIndex(page);
      QCoreApplication::processEvents();
      for (const QString& fault : corvane::uitest::ControlsCutOrOutside(window))
        if (!faults.contains(fault)) faults << fault;
    }
    pages->setCurrentIndex(shown);
  }
  return faults;
}
}  // namespace

class ScreenFitTest : public QObject {
  Q_OBJECT

 private slots:
  void TheWindowFitsCommonScreensWithEveryControlWhole_data() {
    QTest::addColumn<QSize>("workArea");
    // The work area in device-independent pixels: the screen less a 40-pixel task bar (60
    // physical pixels at 150 %).
    QTest::newRow("1366x768 at 100 %") << QSize(1366, 728);
    QTest::newRow("1920x1080 at 150 %") << QSize(1280, 680);
  }
  void TheWindowFitsCommonScreensWithEveryControlWhole() {
    QFETCH(QSize, workArea);
    MemoryStore store;
    corvane::TExportConfig record = corvane::ZeroConfig();
    TForm1 window(store, record);
    window.FitToScreen(QRect(QPoint(0, 0), workArea));
    // Shown, so that the pages take their places in the fitted window.
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QMargins frame = corvane::ExpectedFrame();
    QVERIFY2(window.width() + frame.left() + frame.right() <= workArea.width(),
             qPrintable(QString::number(window.width())));
    QVERIFY2(window.height() + frame.top() + frame.bottom() <= workArea.height(),
             qPrintable(QString::number(window.height())));
    // Still a fixed window, as designed, and no smaller than it must be.
    QCOMPARE(window.minimumSize(), window.maximumSize());
    QVERIFY(window.height() + frame.top() + frame.bottom() >= workArea.height() - 2);
    const QStringList faults = Faults(window);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
  }

  void WhereThereIsRoomTheWindowKeepsItsDesignedSize() {
    // A font whose captions fit the designed positions: the platform's own may be wider (Wine
    // draws with DejaVu Sans where Windows has Segoe UI), and the window then rightly grows.
    const QFont usual = QApplication::font();
    QFont narrower = usual;
    narrower.setPointSizeF(usual.pointSizeF() * 0.9);
    QApplication::setFont(narrower);
    const auto restore = qScopeGuard([&usual] { QApplication::setFont(usual); });
    MemoryStore store;
    corvane::TExportConfig record = corvane::ZeroConfig();
    TForm1 window(store, record);
    const QFont font = window.font();
    window.FitToScreen(QRect(0, 0, 1920, 1040));
    QCOMPARE(window.size(), WindowPixels(QSize(608, 572)));
    QCOMPARE(window.font(), font);
  }

  void ALargerFontGrowsTheWindowUpToTheWorkArea() {
    // The platform's interface font a third larger, as a user's larger text setting gives it.
    const QFont usual = QApplication::font();
    QFont larger = usual;
    larger.setPointSizeF(usual.pointSizeF() * 1.3);
    QApplication::setFont(larger);
    {
      MemoryStore store;
      corvane::TExportConfig record = corvane::ZeroConfig();
      TForm1 window(store, record);
      window.FitToScreen(QRect(0, 0, 2560, 1400));
      window.show();
      QVERIFY(QTest::qWaitForWindowExposed(&window));
      QVERIFY2(window.width() > WindowPixels(608), qPrintable(QString::number(window.width())));
      const QStringList faults = Faults(window);
      QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
    }
    QApplication::setFont(usual);
  }

  void TheFileListSelectionStaysVisibleWithoutTheFocus() {
    // The colours Windows' own style gives: a strong highlight while a list has the focus, a pale
    // grey one without it.
    const QPalette usual = QApplication::palette();
    QPalette colours = usual;
    colours.setColor(QPalette::Active, QPalette::Highlight, QColor(0x00, 0x78, 0xD7));
    colours.setColor(QPalette::Inactive, QPalette::Highlight, QColor(0xF2, 0xF2, 0xF2));
    QApplication::setPalette(colours);
    const auto restore = qScopeGuard([&usual] { QApplication::setPalette(usual); });
    MemoryStore store;
    corvane::TExportConfig record = corvane::ZeroConfig();
    TForm1 window(store, record);
    auto* list = window.findChild<QListWidget*>(QStringLiteral("fl1"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // After the first showing, which lists the folder the tree starts in.
    QTest::qWait(200);
    list->clear();
    list->addItem(QStringLiteral("site_plan.dxf"));
    list->addItem(QStringLiteral("survey_points.dxf"));
    list->item(0)->setSelected(true);
    window.findChild<QLineEdit*>(QStringLiteral("Edit12"))->setFocus();
    QTRY_VERIFY(!list->hasFocus());
    QTRY_VERIFY(list->visualItemRect(list->item(1)).width() > 8);
    const QImage picture = list->viewport()->grab().toImage();
    const QRect selected = list->visualItemRect(list->item(0));
    const QRect plain = list->visualItemRect(list->item(1));
    // A point of each row's background, right of its name.
    const QColor on = picture.pixelColor(selected.right() - 4, selected.center().y());
    const QColor off = picture.pixelColor(plain.right() - 4, plain.center().y());
    const QColor highlight(0x00, 0x78, 0xD7);
    QCOMPARE(on.name(), highlight.name());
    QVERIFY2(qAbs(on.lightness() - off.lightness()) > 40, qPrintable(on.name() + " on " + off.name()));
  }

  void ALongPathsTooltipIsWrappedAtItsSeparatorsWithinTheScreen() {
    const QFontMetrics metrics(QApplication::font());
    const QString path = QStringLiteral(
        "C:\\Users\\surveyor\\Documents\\Projects\\2026\\North quarry extension\\Survey "
        "drawings received from the contractor\\Revision 14\\As built");
    const int width = metrics.horizontalAdvance(path) * 45 / 100;
    const QString wrapped = corvane::WrapPath(path, metrics, width);
    const QStringList lines = wrapped.split(QLatin1Char('\n'));
    QVERIFY2(lines.size() >= 3, qPrintable(wrapped));
    QCOMPARE(QString(wrapped).remove(QLatin1Char('\n')), path);
    for (int i = 0; i < lines.size(); ++i) {
      QVERIFY2(metrics.horizontalAdvance(lines[i]) <= width, qPrintable(lines[i]));
      // Every line but the last ends at a separator, so each folder's name stays whole.
      if (i + 1 < lines.size()) QVERIFY2(lines[i].endsWith(QLatin1Char('\\')), qPrintable(lines[i]));
    }
    QCOMPARE(corvane::WrapPath(QStringLiteral("C:\\Data"), metrics, width), QStringLiteral("C:\\Data"));
    // A single name wider than a line is cut where the line is full.
    const QString name(200, QLatin1Char('x'));
    for (const QString& line : corvane::WrapPath(name, metrics, width).split(QLatin1Char('\n')))
      QVERIFY(metrics.horizontalAdvance(line) <= width);
  }
};

QTEST_MAIN(ScreenFitTest)
#include "screen_fit_test.moc"
