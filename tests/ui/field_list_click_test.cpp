// A mouse click on the check box of a row in the exported-fields list or the custom-data list is
// a click on that row: its page and its value editor follow, whichever row was current before.
// The clicks land where the view's style draws the check box.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStackedWidget>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QtTest>

#include "tests/ui/window_test_helpers.h"

using corvane::uitest::WindowFixture;

namespace {

// The option a view's delegate draws a row with; initStyleOption is only open to subclasses.
struct RowOption : QStyledItemDelegate {
  QStyleOptionViewItem For(QListWidget* list, int row) const {
    QStyleOptionViewItem option;
    option.initFrom(list->viewport());
    option.widget = list;
    option.rect = list->visualItemRect(list->item(row));
    initStyleOption(&option, list->model()->index(row, 0));
    return option;
  }
};

// Clicks the check box of `row` with the mouse; false when the style shows none there.
bool ClickCheckBox(QListWidget* list, int row) {
  list->scrollToItem(list->item(row));
  const QStyleOptionViewItem option = RowOption().For(list, row);
  const QRect box =
      list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, list);
  if (box.isEmpty() || !option.rect.contains(box.center())) return false;
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, box.center());
  return true;
}

int ShownPage(WindowFixture& f) { return f.Child<QStackedWidget>("PageControl2")->currentIndex(); }

}  // namespace

class FieldListClickTest : public QObject {
  Q_OBJECT

 private slots:
  void checkBoxClickOnAFieldShowsThatFieldsPage();
  void checkBoxClickOnACustomItemEditsThatItemsValue();
};

void FieldListClickTest::checkBoxClickOnAFieldShowsThatFieldsPage() {
  WindowFixture f;
  f.window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&f.window));
  QListWidget* fields = f.Fields();
  QCOMPARE(fields->item(3)->text(), QString("Z Coordinate"));
  fields->item(3)->setCheckState(Qt::Checked);
  fields->item(4)->setCheckState(Qt::Checked);
  fields->setCurrentRow(4);
  QCOMPARE(ShownPage(f), 4);

  // Unticking "Z Coordinate" by its box while "Custom data" is current shows Z's page, greyed.
  QVERIFY(ClickCheckBox(fields, 3));
  QVERIFY(fields->item(3)->checkState() == Qt::Unchecked);
  QCOMPARE(fields->currentRow(), 3);
  QCOMPARE(ShownPage(f), 3);
  QVERIFY(!f.Edit("Edit10")->isEnabled());

  QVERIFY(ClickCheckBox(fields, 1));
  QVERIFY(fields->item(1)->checkState() == Qt::Checked);
  QCOMPARE(fields->currentRow(), 1);
  QCOMPARE(ShownPage(f), 1);
  QVERIFY(f.Edit("Edit8")->isEnabled());

  // Ticks the program sets itself (the popup's whole-list ticks) leave the current row alone.
  QAction* selectNone = f.window.findChild<QAction*>(QStringLiteral("SelectNone1"));
  QVERIFY(selectNone);
  selectNone->trigger();
  QCOMPARE(fields->currentRow(), 1);
  QCOMPARE(ShownPage(f), 1);
  QVERIFY(!f.Edit("Edit8")->isEnabled());
}

void FieldListClickTest::checkBoxClickOnACustomItemEditsThatItemsValue() {
  WindowFixture f;
  f.record.CustomLabel.assign("STN");
  f.record.EntityNumberStart = 0;
  f.window.show();
  QVERIFY(QTest::qWaitForWindowActive(&f.window));
  QListWidget* fields = f.Fields();
  QListWidget* customs = f.Customs();
  QLineEdit* value = f.Edit("Edit7");
  fields->item(4)->setCheckState(Qt::Checked);
  fields->setCurrentRow(4);
  QCOMPARE(customs->item(5)->text(), QString("Label"));
  QCOMPARE(customs->item(7)->text(), QString("Entity number"));
  customs->item(5)->setCheckState(Qt::Checked);
  customs->setCurrentRow(5);
  QCOMPARE(f.Child<QLabel>("Label9")->text(), QString("Label :"));
  QCOMPARE(value->text(), QString("STN"));

  // Ticking "Entity number" by its box while "Label" is current: a start value typed next is
  // the entity number's, and the label keeps its text.
  QVERIFY(ClickCheckBox(customs, 7));
  QVERIFY(customs->item(7)->checkState() == Qt::Checked);
  QCOMPARE(customs->currentRow(), 7);
  QCOMPARE(f.Child<QLabel>("Label9")->text(), QString("Start at :"));
  QCOMPARE(QApplication::focusWidget(), value);
  QCOMPARE(value->text(), QString("0"));
  QTest::keyClicks(QApplication::focusWidget(), "7");
  QCOMPARE(f.record.EntityNumberStart, 7);
  QCOMPARE(f.record.CustomLabel.str(), std::string("STN"));

  // Unticking "Label" by its box shows its text, no longer editable.
  QVERIFY(ClickCheckBox(customs, 5));
  QVERIFY(customs->item(5)->checkState() == Qt::Unchecked);
  QCOMPARE(customs->currentRow(), 5);
  QCOMPARE(f.Child<QLabel>("Label9")->text(), QString("Label :"));
  QCOMPARE(value->text(), QString("STN"));
  QVERIFY(!value->isEnabled());
  QCOMPARE(f.record.EntityNumberStart, 7);
}

QTEST_MAIN(FieldListClickTest)
#include "field_list_click_test.moc"
