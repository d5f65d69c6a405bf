// The start-up steps before the main window: a first start, repairs of broken Boolean settings,
// and lookup lists that are missing.
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include "tests/ui/ui_test_support.h"
#include "ui/qsettings_store.h"
#include "ui/startup.h"

using namespace corvane;

namespace {

struct Collected {
  std::vector<std::string> texts;
  ErrorSink Sink() {
    return [this](const std::string& text) { texts.push_back(text); };
  }
};

const SettingsDefaults kDefaults{"/home/surveyor", "survey.crv"};

}  // namespace

class StartupTest : public QObject {
  Q_OBJECT

 private slots:
  void AFirstStartCreatesTheStoreWithoutAnyBox() {
    QTemporaryDir dir;
    QSettingsStore store(dir.filePath(QStringLiteral("Tessoran/corvane2.conf")));
    Collected boxes;
    QVERIFY(EnsureSettingsStore(store, kDefaults, boxes.Sink()));
    const ProgramSettings read = ReadProgramSettings(store, ProgramSettings{}, boxes.Sink());
    QVERIFY(read.showTips && read.showLog && read.locked && !read.autoSel);
    QCOMPARE(boxes.texts.size(), std::size_t{0});
    QCOMPARE(read.config, std::string("survey.crv"));
    QCOMPARE(read.dxfPath, std::string("/home/surveyor"));
  }

  void AnExistingStoreIsLeftAsItIs() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("corvane2.conf"));
    QVERIFY(uitest::WriteBytes(path, "[General]\nshowtips=0\n"));
    QSettingsStore store(path);
    Collected boxes;
    QVERIFY(EnsureSettingsStore(store, kDefaults, boxes.Sink()));
    QCOMPARE(boxes.texts.size(), std::size_t{0});
    bool showtips = true;
    std::string dxfpath = "x", error;
    QVERIFY(store.ReadBool("showtips", showtips, error));
    QVERIFY(!showtips);
    QVERIFY(store.ReadText("dxfpath", dxfpath, error));
    QCOMPARE(dxfpath, std::string());
  }

  void ABrokenBooleanGetsItsBoxThenItsDefault() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("corvane2.conf"));
    QVERIFY(uitest::WriteBytes(path, "[General]\nshowtips=maybe\n"));
    QSettingsStore store(path);
    Collected boxes;
    const ProgramSettings read = ReadProgramSettings(store, FirstStartSettings(kDefaults), boxes.Sink());
    QVERIFY(read.showTips);
    QVERIFY(!read.autoSel);
    QCOMPARE(boxes.texts, (std::vector<std::string>{"Invalid data type for 'showtips'",
                                                    "Failed to get data for 'showlog'",
                                                    "Failed to get data for 'locked'",
                                                    "Failed to get data for 'autosel'"}));
    // Repaired in the file: the next start reads them without a box.
    boxes.texts.clear();
    QSettingsStore again(path);
    const ProgramSettings reread = ReadProgramSettings(again, ProgramSettings{}, boxes.Sink());
    QVERIFY(reread.showTips);
    QVERIFY(!reread.autoSel);
    QCOMPARE(boxes.texts.size(), std::size_t{0});
  }

  void AStoreThatCannotBeWrittenIsReportedAndTheDefaultsStillServe() {
    QTemporaryDir dir;
    QVERIFY(uitest::WriteBytes(dir.filePath(QStringLiteral("blocked")), "x"));
    QSettingsStore store(dir.filePath(QStringLiteral("blocked/corvane2.conf")));
    Collected boxes;
    QVERIFY(!EnsureSettingsStore(store, kDefaults, boxes.Sink()));
    QCOMPARE(boxes.texts, std::vector<std::string>{"Failed to set data for 'showtips'"});
    boxes.texts.clear();
    QVERIFY(ReadProgramSettings(store, FirstStartSettings(kDefaults), boxes.Sink()).locked);
    // The session keeps the "showtips" it tried to write; every other Boolean is told twice.
    QCOMPARE(boxes.texts, (std::vector<std::string>{
                              "Failed to get data for 'showlog'", "Failed to set data for 'showlog'",
                              "Failed to get data for 'locked'", "Failed to set data for 'locked'",
                              "Failed to get data for 'autosel'", "Failed to set data for 'autosel'"}));
  }

  void MissingLookupListsAreReportedByName() {
    QTemporaryDir dir;
    LookupLists lists;
    Collected boxes;
    QVERIFY(!LoadListsOrReport(dir.path().toStdString() + "/", lists, boxes.Sink()));
    QCOMPARE(boxes.texts.size(), std::size_t{1});
    QVERIFY(boxes.texts[0].find("corvane2.dat") != std::string::npos);

    boxes.texts.clear();
    QVERIFY(LoadListsOrReport(uitest::ProgramFolder(), lists, boxes.Sink()));
    QCOMPARE(boxes.texts.size(), std::size_t{0});
    QCOMPARE(lists.fieldNames.size(), std::size_t{5});
    QVERIFY(lists.hints.size() >= 36);
  }

  void AFirstStartUsesTheHomeFolderAndTheShippedConfiguration() {
    const SettingsDefaults defaults = FirstStartDefaults();
    QCOMPARE(QString::fromLocal8Bit(defaults.homeFolder), QDir::toNativeSeparators(QDir::homePath()));
    QCOMPARE(defaults.configName, std::string("survey.crv"));
    QVERIFY(QFileInfo::exists(QString::fromStdString(uitest::ProgramFolder()) +
                              QStringLiteral("configurations/survey.crv")));
  }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
