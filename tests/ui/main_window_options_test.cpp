// The main window's options page and links: the settings its controls write, and the addresses
// the help, web and mail links open.
#include "tests/ui/main_window_fixture.h"

class MainWindowOptionsTest : public QObject {
  Q_OBJECT

 private slots:
  // ---- options page and links ----
  void optionsPageSwitchesAndWritesItsSettings();
  void helpWebAndMailOpenTheirAddresses();
};

// ---- options page and links ---------------------------------------------------------------

void MainWindowOptionsTest::optionsPageSwitchesAndWritesItsSettings() {
  Fixture f;
  auto* pages = Child<QStackedWidget>(f.window, "PageControl1");
  QCOMPARE(pages->currentWidget()->objectName(), QString("TabSheet1"));
  f.Click("BitBtn5");
  QCOMPARE(pages->currentWidget()->objectName(), QString("TabSheet7"));

  f.Click("rep1");
  QCOMPARE(f.store.bools.at("showlog"), true);
  QVERIFY(f.window.ShowReport());
  f.Click("rep3");
  QCOMPARE(f.store.bools.at("showlog"), false);
  QVERIFY(!f.window.ShowReport());
  // Switched on by the program, as start-up does, a choice acts as if clicked.
  Child<QRadioButton>(f.window, "rep1")->setChecked(true);
  QVERIFY(f.window.ShowReport());
  QCOMPARE(f.store.bools.at("showlog"), true);

  QSignalSpy hints(&f.window, &TForm1::HintsSwitched);
  f.Click("shelptips");
  QCOMPARE(f.store.bools.at("showtips"), false);
  f.Click("shelptips");
  QCOMPARE(f.store.bools.at("showtips"), true);
  QCOMPARE(hints.size(), 2);
  QCOMPARE(hints.at(0).at(0).toBool(), false);
  QCOMPARE(hints.at(1).at(0).toBool(), true);

  f.Click("BitBtn6");
  QCOMPARE(pages->currentWidget()->objectName(), QString("TabSheet1"));
}

void MainWindowOptionsTest::helpWebAndMailOpenTheirAddresses() {
  QTemporaryDir programFolder;
  Fixture f;
  QList<QUrl> opened;
  f.window.SetUrlOpener([&opened](const QUrl& url) {
    opened << url;
    return true;
  });
  f.window.SetProgramPlaces(
      corvane::PortablePlaces(QFile::encodeName(programFolder.path() + "/").toStdString()));

  f.Click("BitBtn7");
  f.Click("SpeedButton11");
  QLabel* mail = Child<QLabel>(f.window, "Label35");
  QTest::mouseClick(mail, Qt::LeftButton);

  QCOMPARE(opened.size(), 3);
  QVERIFY(opened[0].isLocalFile());
  QCOMPARE(opened[0].toLocalFile(), programFolder.path() + "/help_corvane2.html");
  QCOMPARE(opened[1].scheme(), QString("https"));
  QCOMPARE(opened[1].host(), QString("www.tessoran.example"));
  QCOMPARE(opened[2].scheme(), QString("mailto"));
  QCOMPARE(opened[2].path(), mail->text());
  QCOMPARE(QUrlQuery(opened[2]).queryItemValue("subject", QUrl::FullyDecoded),
           QString("Corvane support request"));

  QEvent enter(QEvent::Enter);
  QApplication::sendEvent(mail, &enter);
  QVERIFY(mail->font().underline());
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(mail, &leave);
  QVERIFY(!mail->font().underline());
}

QTEST_MAIN(MainWindowOptionsTest)
#include "main_window_options_test.moc"
