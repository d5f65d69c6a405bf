// The main window as a whole: the signals its commands go through, a settings write the store
// refuses, and the form itself (text box capacities, captions that fit).
#include "tests/ui/main_window_fixture.h"

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  // ---- hooks for the commands built elsewhere ----
  void commandButtonsAndCloseRequestsGoThroughSignals();
  // ---- failures ----
  void refusedSettingsWriteShowsErrorBoxAndChangesNothing();
  // ---- the form itself ----
  void textBoxesAcceptNoMoreThanTheirFieldHolds_data();
  void textBoxesAcceptNoMoreThanTheirFieldHolds();
  void everyCaptionFitsItsControl();
};

// ---- hooks for the commands built elsewhere -----------------------------------------------

void MainWindowTest::commandButtonsAndCloseRequestsGoThroughSignals() {
  QTemporaryDir folder;
  MakeFiles(folder.path(), {"a.dxf"});
  Fixture f;
  QVERIFY(f.window.SelectFolder(folder.path()));
  QSignalSpy run(&f.window, &TForm1::RunRequested);
  QSignalSpy exit(&f.window, &TForm1::ExitRequested);
  QSignalSpy load(&f.window, &TForm1::LoadConfigRequested);
  QSignalSpy save(&f.window, &TForm1::SaveConfigRequested);

  // The window runs the commands itself: their boxes are closed and their dialogs cancelled.
  f.window.SetConfigFileDialog(
      [](QWidget*, const corvane::ConfigFileDialogRequest&) { return QString(); });
  MessageBoxCatcher boxes;
  boxes.Arm(&f.window);
  f.Click("BitBtn3");
  f.Click("BitBtn4");
  boxes.Arm(&f.window);
  f.Click("SpeedButton12");
  f.Click("SpeedButton13");
  QCOMPARE(boxes.seen, 2);
  QCOMPARE(run.size(), 1);
  QCOMPARE(exit.size(), 1);
  QCOMPARE(load.size(), 1);
  QCOMPARE(save.size(), 1);

  f.window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&f.window));
  QVERIFY(!f.window.close());  // the exit operation decides, not the title bar
  QCOMPARE(exit.size(), 2);
  QVERIFY(f.window.isVisible());

  f.window.AllowClose();
  QVERIFY(f.window.close());
  QCOMPARE(exit.size(), 2);
}

// ---- failures -----------------------------------------------------------------------------

void MainWindowTest::refusedSettingsWriteShowsErrorBoxAndChangesNothing() {
  QTemporaryDir folder;
  MakeFiles(folder.path(), {"a.dxf", "b.dxf"});
  Fixture f;
  QVERIFY(f.window.SelectFolder(folder.path()));
  f.store.refused = {"locked", "autosel", "showlog", "showtips"};
  MessageBoxCatcher box;

  box.Arm(&f.window);
  f.Click("SpeedButton2");
  QCOMPARE(box.seen, 1);
  QCOMPARE(box.text, QString("Failed to set data for 'locked'."));
  QCOMPARE(box.title, QString("Corvane 2.0"));
  QCOMPARE(box.icon, QMessageBox::Critical);
  QVERIFY(!f.window.IsLocked());
  QVERIFY(f.Enabled("SpeedButton4"));
  QCOMPARE(Child<QLineEdit>(f.window, "Edit1")->text(), QString());

  box.Arm(&f.window);
  Child<QCheckBox>(f.window, "autosel")->click();
  QCOMPARE(box.seen, 2);
  QCOMPARE(box.text, QString("Failed to set data for 'autosel'."));
  QVERIFY(!Child<QCheckBox>(f.window, "autosel")->isChecked());
  QCOMPARE(f.Label("Label3"), QString("1 selected."));

  box.Arm(&f.window);
  f.Click("rep1");
  QCOMPARE(box.seen, 3);
  QVERIFY(!f.window.ShowReport());
  QVERIFY(!Child<QRadioButton>(f.window, "rep1")->isChecked());

  QSignalSpy hints(&f.window, &TForm1::HintsSwitched);
  box.Arm(&f.window);
  f.Click("shelptips");
  QCOMPARE(box.seen, 4);
  QVERIFY(Child<QCheckBox>(f.window, "shelptips")->isChecked());
  QCOMPARE(hints.size(), 0);

  // A choice made before keeps showing when the next write fails.
  f.store.refused.clear();
  f.Click("rep3");
  f.store.refused = {"showlog"};
  box.Arm(&f.window);
  f.Click("rep1");
  QCOMPARE(box.seen, 5);
  QVERIFY(Child<QRadioButton>(f.window, "rep3")->isChecked());
  QVERIFY(!Child<QRadioButton>(f.window, "rep1")->isChecked());
  QCOMPARE(f.store.bools.at("showlog"), false);
}

// ---- the form itself ----------------------------------------------------------------------

void MainWindowTest::textBoxesAcceptNoMoreThanTheirFieldHolds_data() {
  QTest::addColumn<QString>("box");
  QTest::addColumn<int>("capacity");
  const std::pair<const char*, int> boxes[] = {
      {"Edit4", 10}, {"Edit12", 10}, {"Edit3", 10}, {"Edit11", 10}, {"Edit6", 50},
      {"Edit8", 50}, {"Edit9", 50},  {"Edit10", 50}, {"Edit2", 50}, {"Edit7", 50},
      {"c17", 100}};
  for (const auto& [name, capacity] : boxes) QTest::newRow(name) << name << capacity;
}

void MainWindowTest::textBoxesAcceptNoMoreThanTheirFieldHolds() {
  QFETCH(QString, box);
  QFETCH(int, capacity);
  Fixture f;
  auto* edit = Child<QLineEdit>(f.window, box.toLatin1().constData());
  edit->setEnabled(true);
  edit->setText(QString(capacity + 5, QLatin1Char('x')));
  QCOMPARE(edit->text().size(), capacity);
}

void MainWindowTest::everyCaptionFitsItsControl() {
#ifdef Q_OS_WIN
  if (QGuiApplication::platformName() == QLatin1String("offscreen"))
    QSKIP("The offscreen platform on Windows draws with the fonts of QT_QPA_FONTDIR, not with "
          "Windows' own: the fit is only measured with the font the window really gets");
#endif
  QTemporaryDir folder;
  MakeFiles(folder.path(), {"boundary.dxf", "contours.dxf", "levels.DXF", "manholes.dxf"});
  Fixture f;
  f.ShowLists();
  QVERIFY(f.window.SelectFolder(folder.path()));
  f.Trigger("SelectAll2");
  f.fields()->setCurrentRow(3);
  QCOMPARE(f.window.size(), corvane::WindowPixels(QSize(608, 572)));

  // Texts cut at the edge of their control, and controls sticking out of their group, are
  // what a larger system font does to fixed positions.
  QStringList faults;
  for (QWidget* widget : f.window.findChildren<QWidget*>()) {
    const QString name = widget->objectName();
    if (name.isEmpty() || name.startsWith("qt_") || widget->isWindow()) continue;
    QWidget* parent = widget->parentWidget();
    if (parent && !parent->inherits("QAbstractScrollArea") &&
        !qobject_cast<QStackedWidget*>(parent)) {
      // A hidden page of a page control is only sized when it is shown.
      QRect bounds = parent->rect();
      if (auto* pages = qobject_cast<QStackedWidget*>(parent->parentWidget())) {
        bounds = QRect(QPoint(), pages->size());
      }
      if (!bounds.contains(widget->geometry())) faults << name + " lies outside its parent";
    }
    const auto* label = qobject_cast<QLabel*>(widget);
    const auto* button = qobject_cast<QPushButton*>(widget);
    const bool hasText = (label && !label->wordWrap() && !label->text().isEmpty()) ||
                         qobject_cast<QCheckBox*>(widget) || qobject_cast<QRadioButton*>(widget) ||
                         (button && !button->text().isEmpty());
    if (hasText && (widget->sizeHint().width() > widget->width() ||
                    widget->sizeHint().height() > widget->height() + 2)) {
      faults << QString("%1 needs %2x%3, has %4x%5")
                    .arg(name)
                    .arg(widget->sizeHint().width())
                    .arg(widget->sizeHint().height())
                    .arg(widget->width())
                    .arg(widget->height());
    }
  }
  // Set CORVANE_SCREENSHOT_DIR to look at both pages.
  const QString shots = qEnvironmentVariable("CORVANE_SCREENSHOT_DIR");
  if (!shots.isEmpty()) {
    f.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    QVERIFY(f.window.grab().save(shots + "/main_window_main_page.png"));
    f.fields()->setCurrentRow(4);
    f.Tick(f.customs(), 6, true);
    f.customs()->setCurrentRow(6);
    QVERIFY(f.window.grab().save(shots + "/main_window_custom_data.png"));
    f.Click("BitBtn5");
    QVERIFY(f.window.grab().save(shots + "/main_window_options_page.png"));
  }
  QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
