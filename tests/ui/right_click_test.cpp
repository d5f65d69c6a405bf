// Right clicks in the main window's lists: the file list keeps a selection the click falls on, as
// file managers do, and the field lists keep their current row, so the settings page and the
// custom-item editor stay with the item the user was working on. Each click is followed by the
// context menu event the platform sends after a right press, and the popup is closed again.
#include <QContextMenuEvent>
#include <QMenu>
#include <QStackedWidget>

#include "tests/ui/window_test_helpers.h"

using namespace corvane;
using namespace corvane::uitest;

namespace {

struct ClickFixture : WindowFixture {
  ClickFixture() {
    QVERIFY(LoadShippedDefaults());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
  }

  // A right click on `row` of `list`, then its menu; the open popup, or null.
  QMenu* RightClick(QListWidget* list, int row) {
    const QPoint at = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::RightButton, {}, at);
    QContextMenuEvent menu(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
    QApplication::sendEvent(list->viewport(), &menu);
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
  }
  // Chooses the menu item named `action` with the mouse, as the user does.
  static void Choose(QMenu* menu, const char* action) {
    QAction* item = menu->findChild<QAction*>(QString::fromLatin1(action));
    QVERIFY(item);
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
    QTRY_VERIFY(!menu->isVisible());
  }
  static void Close(QMenu* menu) {
    menu->close();
    QVERIFY(!QApplication::activePopupWidget());
  }

  QString CountText() { return Child<QLabel>("Label3")->text(); }
};

QList<int> SelectedRows(QListWidget* list) {
  QList<int> rows;
  for (int row = 0; row < list->count(); ++row) {
    if (list->item(row)->isSelected()) rows << row;
  }
  return rows;
}

}  // namespace

class RightClickTest : public QObject {
  Q_OBJECT

 private slots:
  void fileListKeepsTheSelectionTheClickFallsOn() {
    ClickFixture f;
    QVERIFY(QDir().mkpath(f.Path(QStringLiteral("drawings"))));
    for (int i = 1; i <= 8; ++i) {
      QVERIFY(WriteBytes(f.Path(QStringLiteral("drawings/plan%1.dxf").arg(i)), "0\nEOF\n"));
    }
    QVERIFY(f.window.SelectFolder(f.Path(QStringLiteral("drawings"))));
    QListWidget* files = f.Child<QListWidget>("fl1");
    QCOMPARE(files->count(), 8);
    // Five files chosen with Ctrl held, the last one current.
    for (int row : {1, 3, 4, 5}) {
      QTest::mouseClick(files->viewport(), Qt::LeftButton, Qt::ControlModifier,
                        files->visualItemRect(files->item(row)).center());
    }
    const QList<int> five = {0, 1, 3, 4, 5};
    QCOMPARE(SelectedRows(files), five);

    QMenu* menu = f.RightClick(files, 3);
    QVERIFY(menu);
    QCOMPARE(menu->objectName(), QStringLiteral("PopupMenu1"));
    QCOMPARE(SelectedRows(files), five);
    QCOMPARE(f.CountText(), QStringLiteral("5 selected."));
    // The menu acts on the selection the user sees.
    ClickFixture::Choose(menu, "SelectAll1");
    QCOMPARE(SelectedRows(files).size(), 8);
    QCOMPARE(f.CountText(), QStringLiteral("8 selected."));

    // A right click on a file outside the selection makes that file the selection.
    files->clearSelection();
    files->item(0)->setSelected(true);
    files->item(1)->setSelected(true);
    menu = f.RightClick(files, 6);
    QVERIFY(menu);
    QCOMPARE(SelectedRows(files), QList<int>{6});
    QCOMPARE(f.CountText(), QStringLiteral("1 selected."));
    ClickFixture::Close(menu);
  }

  void fieldListsKeepTheirCurrentRow() {
    ClickFixture f;
    QListWidget* fields = f.Fields();
    QListWidget* customs = f.Customs();
    auto* pages = f.Child<QStackedWidget>("PageControl2");
    QLineEdit* value = f.Edit("Edit7");
    // The custom data field with the sequential number ticked, its start value being edited.
    const int customRow = fields->row(
        fields->findItems(QStringLiteral("Custom data"), Qt::MatchFixedString).constFirst());
    fields->item(customRow)->setCheckState(Qt::Checked);
    fields->setCurrentRow(customRow);
    const int sequenceRow = customs->row(
        customs->findItems(QString::fromLocal8Bit(f.lists.customItems[6]), Qt::MatchFixedString)
            .constFirst());
    f.record.SequenceStart = 25;
    customs->item(sequenceRow)->setCheckState(Qt::Checked);
    customs->setCurrentRow(sequenceRow);
    QCOMPARE(value->text(), QStringLiteral("25"));
    QVERIFY(value->isEnabled());

    const int otherRow = sequenceRow == 0 ? 1 : 0;
    QMenu* menu = f.RightClick(customs, otherRow);
    QVERIFY(menu);
    QCOMPARE(menu->objectName(), QStringLiteral("PopupMenu3"));
    QCOMPARE(customs->currentRow(), sequenceRow);
    QCOMPARE(value->text(), QStringLiteral("25"));
    QCOMPARE(f.Child<QLabel>("Label9")->text(), QStringLiteral("Start at :"));
    // "Select None" reaches the item still being edited: its editor is greyed out.
    ClickFixture::Choose(menu, "MenuItem2");
    QVERIFY(!value->isEnabled());
    QCOMPARE(customs->currentRow(), sequenceRow);

    const int firstRow = customRow == 0 ? 1 : 0;
    menu = f.RightClick(fields, firstRow);
    QVERIFY(menu);
    QCOMPARE(menu->objectName(), QStringLiteral("PopupMenu2"));
    QCOMPARE(fields->currentRow(), customRow);
    QCOMPARE(pages->currentIndex(), 4);
    ClickFixture::Close(menu);
  }
};

QTEST_MAIN(RightClickTest)
#include "right_click_test.moc"
