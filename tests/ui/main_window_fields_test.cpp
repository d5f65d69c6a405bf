// The main window's entity options and exported fields: sub-options that follow their parent,
// the field pages, the custom items and the rows' order and ticks.
#include "tests/ui/main_window_fixture.h"

class MainWindowFieldsTest : public QObject {
  Q_OBJECT

 private slots:
  // ---- entity options ----
  void entitySubOptionsFollowTheirParentAndKeepTheirTicks_data();
  void entitySubOptionsFollowTheirParentAndKeepTheirTicks();
  // ---- exported fields ----
  void fieldClickShowsThePageOfThatFieldWhereverItStands();
  void forcedZBoxFollowsForceToWhileZIsTicked();
  void customDataPageEnablesItsPanelAndCustomList();
  void moveUpAndDownSwapRowsAndStopAtTheEnds_data();
  void moveUpAndDownSwapRowsAndStopAtTheEnds();
  void customItemClickShowsLabelAndStartValues();
  void rowsAreFoundByNameWithLetterCaseOfAToZIgnored();
  void popupMenusTickAndUntickWholeLists();
};

// ---- entity options -----------------------------------------------------------------------

void MainWindowFieldsTest::entitySubOptionsFollowTheirParentAndKeepTheirTicks_data() {
  QTest::addColumn<QString>("parent");
  QTest::addColumn<QStringList>("children");
  QTest::newRow("blocks") << "c4" << QStringList({"c17"});
  QTest::newRow("2D polylines") << "c6" << QStringList({"c7"});
  QTest::newRow("3D polylines") << "c8" << QStringList({"c9"});
  QTest::newRow("splines") << "c10" << QStringList({"c11", "c16"});
  QTest::newRow("3D faces") << "c14" << QStringList({"c15"});
}

void MainWindowFieldsTest::entitySubOptionsFollowTheirParentAndKeepTheirTicks() {
  QFETCH(QString, parent);
  QFETCH(QStringList, children);
  Fixture f;
  auto* box = Child<QCheckBox>(f.window, parent.toLatin1().constData());
  for (const QString& child : children) {
    QVERIFY2(!f.Enabled(child.toLatin1().constData()), qPrintable(child));
  }

  box->click();
  for (const QString& child : children) {
    QWidget* option = Child<QWidget>(f.window, child.toLatin1().constData());
    QVERIFY2(option->isEnabled(), qPrintable(child));
    if (auto* sub = qobject_cast<QCheckBox*>(option)) sub->setChecked(true);
  }

  box->click();
  for (const QString& child : children) {
    QWidget* option = Child<QWidget>(f.window, child.toLatin1().constData());
    QVERIFY2(!option->isEnabled(), qPrintable(child));
    if (auto* sub = qobject_cast<QCheckBox*>(option)) QVERIFY(sub->isChecked());
  }

  // Ticks set by the program (as a loaded configuration does) count like clicks.
  box->setChecked(true);
  for (const QString& child : children) QVERIFY(f.Enabled(child.toLatin1().constData()));
}

// ---- exported fields ----------------------------------------------------------------------

void MainWindowFieldsTest::fieldClickShowsThePageOfThatFieldWhereverItStands() {
  Fixture f;
  f.ShowLists();
  QListWidget* fields = f.fields();
  auto* pages = Child<QStackedWidget>(f.window, "PageControl2");
  QCOMPARE(Rows(fields), QStringList({"Number", "X Coordinate", "Y Coordinate", "Z Coordinate",
                                      "Custom data"}));
  QCOMPARE(Ticks(fields), QList<bool>(5, false));

  fields->setCurrentRow(1);
  QCOMPARE(pages->currentIndex(), 1);
  QVERIFY(!f.Enabled("Edit8"));
  QVERIFY(!f.Enabled("ComboBox3"));
  QVERIFY(!f.Enabled("data1"));

  // Ticking with the space bar is a click too.
  f.window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&f.window));
  fields->setFocus();
  QTest::keyClick(fields, Qt::Key_Space);
  QVERIFY(fields->item(1)->checkState() == Qt::Checked);
  QVERIFY(f.Enabled("data1"));
  QVERIFY(f.Enabled("Edit8"));
  QVERIFY(f.Enabled("ComboBox3"));

  // The page follows the field's name, not its row.
  fields->setCurrentRow(3);
  f.Click("BitBtn12");
  f.Click("BitBtn12");
  f.Click("BitBtn12");
  QCOMPARE(fields->currentRow(), 0);
  QCOMPARE(fields->item(0)->text(), QString("Z Coordinate"));
  fields->setCurrentRow(1);
  QCOMPARE(pages->currentIndex(), 0);
  fields->setCurrentRow(0);
  QCOMPARE(pages->currentIndex(), 3);
  QVERIFY(!f.Enabled("Edit10"));
}

void MainWindowFieldsTest::forcedZBoxFollowsForceToWhileZIsTicked() {
  Fixture f;
  f.ShowLists();
  QListWidget* fields = f.fields();
  auto* forceTo = Child<QCheckBox>(f.window, "CheckBox8");

  fields->setCurrentRow(3);
  f.Tick(fields, 3, true);
  QVERIFY(f.Enabled("Edit10"));
  QVERIFY(f.Enabled("CheckBox8"));
  QVERIFY(!f.Enabled("Edit11"));

  forceTo->click();
  QVERIFY(f.Enabled("Edit11"));

  // Unticking Z greys the whole page, the forced value included, but keeps "Force to : ".
  f.Tick(fields, 3, false);
  QVERIFY(!f.Enabled("Edit11"));
  QVERIFY(!f.Enabled("CheckBox8"));
  QVERIFY(forceTo->isChecked());

  f.Tick(fields, 3, true);
  QVERIFY(f.Enabled("Edit11"));
  forceTo->click();
  f.Tick(fields, 3, false);
  f.Tick(fields, 3, true);
  QVERIFY(!f.Enabled("Edit11"));
}

void MainWindowFieldsTest::customDataPageEnablesItsPanelAndCustomList() {
  Fixture f;
  f.ShowLists();
  QListWidget* fields = f.fields();
  QListWidget* customs = f.customs();
  customs->setCurrentRow(5);

  fields->setCurrentRow(4);
  QCOMPARE(Child<QStackedWidget>(f.window, "PageControl2")->currentIndex(), 4);
  QCOMPARE(customs->currentRow(), 0);
  QVERIFY(!customs->isEnabled());
  QVERIFY(!f.Enabled("Edit2"));

  f.Tick(fields, 4, true);
  QVERIFY(customs->isEnabled());
  QVERIFY(f.Enabled("Edit2"));
  QVERIFY(f.Enabled("Edit3"));
  QVERIFY(!f.Enabled("BitBtn1"));  // row 0: nothing above
  QVERIFY(f.Enabled("BitBtn2"));
  QVERIFY(!f.Enabled("Edit7"));    // "Entity type" has no value to edit
}

void MainWindowFieldsTest::moveUpAndDownSwapRowsAndStopAtTheEnds_data() {
  QTest::addColumn<QString>("list");
  QTest::addColumn<QString>("up");
  QTest::addColumn<QString>("down");
  QTest::newRow("exported fields") << "listechoix1" << "BitBtn12" << "BitBtn13";
  QTest::newRow("custom items") << "listechoix2" << "BitBtn1" << "BitBtn2";
}

void MainWindowFieldsTest::moveUpAndDownSwapRowsAndStopAtTheEnds() {
  QFETCH(QString, list);
  QFETCH(QString, up);
  QFETCH(QString, down);
  Fixture f;
  f.ShowLists();
  f.Tick(f.fields(), 4, true);  // the custom list is usable only while custom data is ticked
  f.fields()->setCurrentRow(4);
  auto* rows = Child<QListWidget>(f.window, list.toLatin1().constData());
  const QByteArray upBytes = up.toLatin1();
  const QByteArray downBytes = down.toLatin1();
  const char* upName = upBytes.constData();
  const char* downName = downBytes.constData();
  const int last = rows->count() - 1;
  f.Tick(rows, 0, true);
  rows->setCurrentRow(0);
  const QStringList original = Rows(rows);

  QVERIFY(!f.Enabled(upName));
  QVERIFY(f.Enabled(downName));
  // A disabled button ignores clicks; Move Up on the top row must do nothing on its own too.
  QMetaObject::invokeMethod(Child<QAbstractButton>(f.window, upName), "clicked");
  QCOMPARE(Rows(rows), original);
  QCOMPARE(rows->currentRow(), 0);

  f.Click(downName);
  QCOMPARE(rows->currentRow(), 1);
  QCOMPARE(rows->item(1)->text(), original[0]);
  QCOMPARE(rows->item(0)->text(), original[1]);
  QVERIFY(rows->item(1)->checkState() == Qt::Checked);
  QVERIFY(rows->item(0)->checkState() == Qt::Unchecked);
  QVERIFY(f.Enabled(upName));
  QVERIFY(f.Enabled(downName));

  for (int step = 1; step < last; ++step) f.Click(downName);
  QCOMPARE(rows->currentRow(), last);
  QCOMPARE(rows->item(last)->text(), original[0]);
  QVERIFY(!f.Enabled(downName));
  const QStringList atBottom = Rows(rows);
  QMetaObject::invokeMethod(Child<QAbstractButton>(f.window, downName), "clicked");
  QCOMPARE(Rows(rows), atBottom);
  QCOMPARE(rows->currentRow(), last);

  f.Click(upName);
  QCOMPARE(rows->currentRow(), last - 1);
  QCOMPARE(rows->item(last - 1)->text(), original[0]);
  QVERIFY(f.Enabled(downName));
}

void MainWindowFieldsTest::customItemClickShowsLabelAndStartValues() {
  Fixture f;
  f.record.CustomLabel.assign("Site A");
  f.record.SequenceStart = 12;
  f.record.EntityNumberStart = -3;
  f.ShowLists();
  f.Tick(f.fields(), 4, true);
  f.fields()->setCurrentRow(4);
  QListWidget* customs = f.customs();
  auto* value = Child<QLineEdit>(f.window, "Edit7");

  f.Tick(customs, 5, true);
  customs->setCurrentRow(5);
  QCOMPARE(f.Label("Label9"), QString("Label :"));
  QCOMPARE(value->text(), QString("Site A"));
  QVERIFY(value->isEnabled());
  QVERIFY(f.Enabled("Label9"));

  f.Tick(customs, 6, true);
  customs->setCurrentRow(6);
  QCOMPARE(f.Label("Label9"), QString("Start at :"));
  QCOMPARE(value->text(), QString("12"));
  QVERIFY(value->isEnabled());

  // An unticked item shows its value but cannot be edited.
  customs->setCurrentRow(7);
  QCOMPARE(f.Label("Label9"), QString("Start at :"));
  QCOMPARE(value->text(), QString("-3"));
  QVERIFY(!value->isEnabled());
  QVERIFY(!f.Enabled("Label9"));
  QVERIFY(!f.Enabled("BitBtn2"));

  // An item without a value leaves label and text as they were.
  f.Tick(customs, 1, true);
  customs->setCurrentRow(1);
  QCOMPARE(value->text(), QString("-3"));
  QVERIFY(!value->isEnabled());

  // The item is found by its name after a move, not by its row.
  customs->setCurrentRow(5);
  f.Click("BitBtn1");
  customs->setCurrentRow(3);
  customs->setCurrentRow(4);
  QCOMPARE(customs->item(4)->text(), QString("Label"));
  QCOMPARE(value->text(), QString("Site A"));
}

void MainWindowFieldsTest::rowsAreFoundByNameWithLetterCaseOfAToZIgnored() {
  // The lists hold names in the system's 8-bit encoding (UTF-8 here, the ANSI code page on
  // Windows), as the program's files do.
  const std::string cafe = QString::fromUtf8("Caf\xc3\xa9").toLocal8Bit().toStdString();
  const std::vector<std::string> names = {"Number", "X Coordinate", cafe, "number"};
  QCOMPARE(corvane::IndexOfName(names, "NUMBER"), 0);
  QCOMPARE(corvane::IndexOfName(names, "x coordinate"), 1);
  QCOMPARE(corvane::IndexOfName(names, "X Coordinate "), -1);
  QCOMPARE(corvane::IndexOfName(names, QString::fromUtf8("CAF\xc3\xa9")), 2);
  // Only "a" to "z" are folded, as everywhere else in the program.
  QCOMPARE(corvane::IndexOfName(names, QString::fromUtf8("CAF\xc3\x89")), -1);
  QCOMPARE(corvane::IndexOfName({}, "Number"), -1);
}

void MainWindowFieldsTest::popupMenusTickAndUntickWholeLists() {
  Fixture f;
  f.ShowLists();
  f.fields()->setCurrentRow(2);

  f.Trigger("SelectAll2");
  QCOMPARE(Ticks(f.fields()), QList<bool>(5, true));
  QVERIFY(f.Enabled("Edit9"));  // the shown page follows at once

  f.Trigger("SelectNone1");
  QCOMPARE(Ticks(f.fields()), QList<bool>(5, false));
  QVERIFY(!f.Enabled("Edit9"));

  f.Trigger("SelectAll2");
  f.fields()->setCurrentRow(4);
  f.customs()->setCurrentRow(6);
  f.Trigger("MenuItem1");
  QCOMPARE(Ticks(f.customs()), QList<bool>(8, true));
  QVERIFY(f.Enabled("Edit7"));
  f.Trigger("MenuItem2");
  QCOMPARE(Ticks(f.customs()), QList<bool>(8, false));
  QVERIFY(!f.Enabled("Edit7"));
}

QTEST_MAIN(MainWindowFieldsTest)
#include "main_window_fields_test.moc"
