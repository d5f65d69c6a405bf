// The main window's first showing: settings applied to the controls, the configuration in use or
// the defaults with their notice, and every failure that must leave a usable window (or end the
// program when nothing can run).
#include <QCheckBox>
#include <QListWidget>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTest>

#include "config/program_paths.h"
#include "tests/ui/startup_fixture.h"

using namespace corvane;
using corvane::uitest::StartedProgram;

namespace {

QString Native(const QString& path) { return QDir::toNativeSeparators(path); }

template <typename Widget>
Widget* Control(StartedProgram& p, const char* name) {
  return p.form1->findChild<Widget*>(QString::fromLatin1(name));
}

}  // namespace

class LoadStartupStateTest : public QObject {
  Q_OBJECT

 private slots:
  void AFirstStartShowsNoBoxAndTakesTheShippedConfiguration() {
    StartedProgram p;
    QCOMPARE(p.Start(), StartupOutcome::kReady);
    QCOMPARE(p.boxes.seen.size(), std::size_t{0});
    QCOMPARE(p.Setting("showtips"), QByteArray("1"));
    QCOMPARE(p.Setting("showlog"), QByteArray("1"));
    QCOMPARE(p.Setting("locked"), QByteArray("1"));
    QCOMPARE(p.Setting("autosel"), QByteArray("0"));
    QCOMPARE(p.Setting("config"), QByteArray("survey.crv"));
    QCOMPARE(p.form1->ConfigName(), QStringLiteral("survey.crv"));
    QCOMPARE(p.form1->SelectedFolderPath(), Native(p.Path("home")));
    // Locked: the destination is the DXF folder.
    QCOMPARE(p.DestinationText(), Native(p.Path("home")));
    QVERIFY(p.form1->ShowReport());
    QVERIFY(p.hints.Enabled());
    // The record and its saved copy are the shipped file: leaving would ask nothing.
    QVERIFY(SameConfig(p.working, p.ConfigFromFile("configurations/survey.crv")));
    QVERIFY(SameConfig(p.working, p.form1->SavedConfig()));
    QCOMPARE(Control<QListWidget>(p, "listechoix1")->count(), 5);
    QCOMPARE(Control<QListWidget>(p, "listechoix2")->count(), 8);
  }

  void AConfigurationThatIsNotThereFallsBackToTheDefaultsWithANotice_data() {
    QTest::addColumn<QByteArray>("setting");
    QTest::addColumn<QString>("named");
    QTest::newRow("missing") << QByteArray("config") << QString();
    QTest::newRow("empty") << QByteArray("config=") << QString();
    QTest::newRow("none") << QByteArray("config=none") << QStringLiteral("none");
    QTest::newRow("deleted") << QByteArray("config=gone.crv") << QStringLiteral("gone.crv");
    QTest::newRow("a folder") << QByteArray("config=..") << QStringLiteral("..");
  }
  void AConfigurationThatIsNotThereFallsBackToTheDefaultsWithANotice() {
    QFETCH(QByteArray, setting);
    QFETCH(QString, named);
    StartedProgram p;
    p.WriteSettingsWith({setting});
    QCOMPARE(p.Start(), StartupOutcome::kReady);

    const std::string expectedPath = ConfigPath(PortablePlaces(p.ProgramFolder()), named.toStdString());
    QCOMPARE(p.boxes.seen.size(), std::size_t{1});
    QCOMPARE(p.boxes.seen[0].text, QStringLiteral("Configuration file \"") +
                                       QString::fromStdString(expectedPath) +
                                       QStringLiteral("\" not found, default values will be used."));
    QCOMPARE(p.boxes.seen[0].icon, QMessageBox::Information);
    QCOMPARE(p.Setting("config"), QByteArray("none"));
    QCOMPARE(p.form1->ConfigName(), QStringLiteral("None"));
    QVERIFY(SameConfig(p.working, p.ConfigFromFile("default.crv")));
    // Nobody saved these defaults: the first exit must ask.
    QVERIFY(!SameConfig(p.working, p.form1->SavedConfig()));
  }

  void ARefusedConfigurationIsReportedAndTheWindowStillWorksOnTheDefaults_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    QTest::newRow("not a configuration") << QByteArray("0\nSECTION\n")
                                         << QStringLiteral("This is not a Corvane 2.0 configuration file");
    // The right signature, then an order that repeats a field.
    QByteArray damaged("\x06" "CRV200", 7);
    QTest::newRow("damaged") << damaged << QStringLiteral("FieldOrder");
  }
  void ARefusedConfigurationIsReportedAndTheWindowStillWorksOnTheDefaults() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    StartedProgram p;
    QByteArray file = bytes;
    if (file.startsWith("\x06" "CRV200")) {
      // A whole record from the shipped file with its field order spoiled.
      file = uitest::ReadBytes(p.Program("default.crv"));
      TExportConfig spoiled = p.ConfigFromFile("default.crv");
      spoiled.FieldOrder[1] = spoiled.FieldOrder[0];
      file = QByteArray(reinterpret_cast<const char*>(&spoiled), sizeof spoiled);
    }
    QVERIFY(uitest::WriteBytes(p.Program("configurations/mine.crv"), file));
    p.WriteSettingsWith({"config=mine.crv"});
    QCOMPARE(p.Start(), StartupOutcome::kReady);

    QCOMPARE(p.boxes.seen.size(), std::size_t{1});
    QVERIFY2(p.boxes.seen[0].text.contains(message), qPrintable(p.boxes.seen[0].text));
    QCOMPARE(p.boxes.seen[0].icon, QMessageBox::Critical);
    // The setting keeps the file's name: the next start reports it again.
    QCOMPARE(p.Setting("config"), QByteArray("mine.crv"));
    QCOMPARE(p.form1->ConfigName(), QStringLiteral("None"));
    QVERIFY(SameConfig(p.working, p.ConfigFromFile("default.crv")));
    QVERIFY(!SameConfig(p.working, p.form1->SavedConfig()));
    QCOMPARE(Control<QListWidget>(p, "listechoix1")->count(), 5);
  }

  void AFolderThatIsGoneIsReportedAndTheHomeFolderTakesItsPlace() {
    StartedProgram p;
    const QString gone = Native(p.Path("drawings/removed"));
    p.WriteSettingsWith({"dxfpath=" + p.IniPath("drawings/removed"), "locked=1"});
    QCOMPARE(p.Start(), StartupOutcome::kReady);
    QCOMPARE(p.boxes.seen.size(), std::size_t{1});
    QCOMPARE(p.boxes.seen[0].text, QStringLiteral("Error setting path: \"%1\".").arg(gone));
    QCOMPARE(p.form1->SelectedFolderPath(), Native(p.Path("home")));
    QCOMPARE(p.DestinationText(), Native(p.Path("home")));
    // The rest of the start-up ran.
    QCOMPARE(p.form1->ConfigName(), QStringLiteral("survey.crv"));
  }

  void TheLockDecidesWhetherTheDestinationFollowsTheDxfFolder() {
    StartedProgram locked;
    locked.WriteSettingsWith({"locked=1"});
    QCOMPARE(locked.Start(), StartupOutcome::kReady);
    QCOMPARE(locked.DestinationText(), Native(locked.Path("drawings")));
    QVERIFY(locked.form1->IsLocked());
    QVERIFY(!Control<QWidget>(locked, "SpeedButton4")->isEnabled());

    StartedProgram unlocked;
    unlocked.WriteSettingsWith({"destpath=/somewhere/else", "locked=0"});
    QCOMPARE(unlocked.Start(), StartupOutcome::kReady);
    QCOMPARE(unlocked.DestinationText(), QStringLiteral("/somewhere/else"));
    QVERIFY(!unlocked.form1->IsLocked());
    QCOMPARE(unlocked.Setting("locked"), QByteArray("0"));
    QCOMPARE(unlocked.boxes.seen.size(), std::size_t{0});
  }

  void OptionsReachTheirControls() {
    StartedProgram p;
    QVERIFY(uitest::WriteBytes(p.Path("drawings/a.dxf"), "0\nEOF\n"));
    QVERIFY(uitest::WriteBytes(p.Path("drawings/b.dxf"), "0\nEOF\n"));
    p.WriteSettingsWith({"showtips=0", "showlog=0", "autosel=1"});
    QCOMPARE(p.Start(), StartupOutcome::kReady);
    // The window's creation switched hints on; the setting switches them off again.
    QVERIFY(!p.hints.Enabled());
    QVERIFY(!Control<QCheckBox>(p, "shelptips")->isChecked());
    QVERIFY(Control<QRadioButton>(p, "rep3")->isChecked());
    QVERIFY(!p.form1->ShowReport());
    QVERIFY(Control<QCheckBox>(p, "autosel")->isChecked());
    QCOMPARE(p.form1->SelectedFileNames(), (QStringList{"a.dxf", "b.dxf"}));
    QCOMPARE(Control<QStackedWidget>(p, "PageControl1")->currentIndex(), 0);
  }

  void ABrokenOrMissingBooleanIsReportedRepairedAndTheStartGoesOn() {
    StartedProgram p;
    p.WriteSettingsWith({"showlog=maybe", "locked"});
    QCOMPARE(p.Start(), StartupOutcome::kReady);
    QCOMPARE(p.boxes.seen.size(), std::size_t{2});
    QCOMPARE(p.boxes.seen[0].text, QStringLiteral("Invalid data type for 'showlog'."));
    QCOMPARE(p.boxes.seen[1].text, QStringLiteral("Failed to get data for 'locked'."));
    QCOMPARE(p.Setting("showlog"), QByteArray("1"));
    QVERIFY(Control<QRadioButton>(p, "rep1")->isChecked());
    QCOMPARE(p.Setting("locked"), QByteArray("1"));
    QCOMPARE(p.form1->ConfigName(), QStringLiteral("survey.crv"));
  }

  void WithoutItsListsOrDefaultsTheProgramCannotRun_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("replacement");
    QTest::newRow("hints missing") << QStringLiteral("hints.dat") << QByteArray();
    QTest::newRow("field names short") << QStringLiteral("corvane2.dat") << QByteArray("N\r\nX\r\n");
    QTest::newRow("defaults missing") << QStringLiteral("default.crv") << QByteArray();
    QTest::newRow("defaults damaged") << QStringLiteral("default.crv") << QByteArray("junk");
  }
  void WithoutItsListsOrDefaultsTheProgramCannotRun() {
    QFETCH(QString, file);
    QFETCH(QByteArray, replacement);
    StartedProgram p;
    const QString path = p.Program(file.toLatin1().constData());
    QVERIFY(QFile::remove(path));
    if (!replacement.isEmpty()) QVERIFY(uitest::WriteBytes(path, replacement));
    // The defaults are needed even when the configuration in use is fine, so nothing is left
    // half-working for later.
    p.WriteSettingsWith({"config=none"});
    QCOMPARE(p.Start(), StartupOutcome::kCannotRun);
    QVERIFY(!p.boxes.seen.empty());
    const QString last = p.boxes.seen.back().text;
    QVERIFY2(last.contains(file), qPrintable(last));
    QCOMPARE(p.boxes.seen.back().icon, QMessageBox::Critical);
  }

  // An installed copy cannot write beside the program: its first start gives the user a
  // configurations folder with the shipped configuration the first settings name, and the
  // window's run writes its report into the user's data folder.
  void AnInstalledCopyKeepsTheReportAndConfigurationsInTheUsersFolder() {
    StartedProgram p;
    p.MakeInstalled();
    QVERIFY(uitest::WriteBytes(p.Path("drawings/site_plan.dxf"),
                               uitest::ReadBytes(QStringLiteral(CORVANE_SOURCE_DIR "/examples/site_plan.dxf"))));
    // A user who has worked with the program before: the drawings folder, every file selected.
    p.WriteSettingsWith({});
    QCOMPARE(p.Start(), StartupOutcome::kReady);
    QCOMPARE(p.boxes.seen.size(), std::size_t{0});
    const QString mine = p.Path("userdata/configurations/survey.crv");
    QCOMPARE(uitest::ReadBytes(mine), uitest::ReadBytes(p.Program("configurations/survey.crv")));
    QCOMPARE(p.form1->ConfigName(), QStringLiteral("survey.crv"));

    p.form1->findChild<QPushButton*>(QStringLiteral("BitBtn3"))->click();
    QCOMPARE(p.boxes.seen.size(), std::size_t{0});
    QVERIFY(QFile::exists(p.Path("data/site_plan.txt")));
    QVERIFY(uitest::ReadBytes(p.Path("userdata/CorvaneLog.txt")).contains("site_plan.dxf"));
    QVERIFY(!QFile::exists(p.Program("CorvaneLog.txt")));
  }

  // The window and corvane-cli must name the same user folder: config/ applies the rule for
  // both, and it must be the platform's own, as Qt knows it.
  void TheUsersDataFolderIsThePlatformsOwn_data() {
    QTest::addColumn<QByteArray>("xdgDataHome");
    QTest::newRow("set") << QByteArray("/tmp/corvane-data-home");
    QTest::newRow("with a separator at the end") << QByteArray("/tmp/corvane-data-home/");
    // A relative path is ignored, as the XDG rules say (Qt takes it relative to the working
    // folder, which would scatter configurations wherever the program starts): both programs
    // use the default, which Qt gives when the variable is unset.
    QTest::newRow("relative") << QByteArray("relative/data");
    QTest::newRow("empty") << QByteArray("");
    QTest::newRow("unset") << QByteArray();
  }
  void TheUsersDataFolderIsThePlatformsOwn() {
    QFETCH(QByteArray, xdgDataHome);
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    const bool wasSet = qEnvironmentVariableIsSet("XDG_DATA_HOME");
    if (xdgDataHome.isNull()) {
      qunsetenv("XDG_DATA_HOME");
    } else {
      qputenv("XDG_DATA_HOME", xdgDataHome);
    }
    const QString ours = QDir::cleanPath(QDir::fromNativeSeparators(QFile::decodeName(UserDataFolder().c_str())));
    if (!xdgDataHome.isEmpty() && !xdgDataHome.startsWith('/')) qunsetenv("XDG_DATA_HOME");
    const QString qt = QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                                       QStringLiteral("/Tessoran/corvane2"));
    if (wasSet) {
      qputenv("XDG_DATA_HOME", saved);
    } else {
      qunsetenv("XDG_DATA_HOME");
    }
    QCOMPARE(ours, qt);
  }
};

QTEST_MAIN(LoadStartupStateTest)
#include "load_startup_state_test.moc"
