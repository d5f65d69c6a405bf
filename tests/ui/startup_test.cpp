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
    for (const char* name : {"showtips", "showlog", "locked"})
      QVERIFY2(ReadBoolSetting(store, name, kDefaults, boxes.Sink()), name);
    QVERIFY(!ReadBoolSetting(store, "autosel", kDefaults, boxes.Sink()));
    QCOMPARE(boxes.texts.size(), std::size_t{0});
    std::string config, error;
    QVERIFY(store.ReadText("config", config, error));
    QCOMPARE(config, std::string("survey.crv"));
  }

  void AnExistingStoreIsLeftAsItIs() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("corvane2.conf"));
    QVERIFY(uitest::WriteBytes(path, "[General]\nshowtips=0\n"));
    QSettingsStore store(path);
    Collected boxes;
    QVERIFY(EnsureSettingsStore(store, kDefaults, boxes.Sink()));
    QVERIFY(!ReadBoolSetting(store, "showtips", kDefaults, boxes.Sink()));
    QCOMPARE(boxes.texts.size(), std::size_t{0});
    std::string dxfpath = "x", error;
    QVERIFY(store.ReadText("dxfpath", dxfpath, error));
    QCOMPARE(dxfpath, std::string());
  }

  void ABrokenBooleanGetsItsBoxThenItsDefault() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("corvane2.conf"));
    QVERIFY(uitest::WriteBytes(path, "[General]\nshowtips=maybe\n"));
    QSettingsStore store(path);
    Collected boxes;
    QVERIFY(ReadBoolSetting(store, "showtips", kDefaults, boxes.Sink()));
    QVERIFY(!ReadBoolSetting(store, "autosel", kDefaults, boxes.Sink()));
    QCOMPARE(boxes.texts, (std::vector<std::string>{"Invalid data type for 'showtips'",
                                                    "Failed to get data for 'autosel'"}));
    // Repaired: the next start reads them without a box.
    boxes.texts.clear();
    QSettingsStore again(path);
    QVERIFY(ReadBoolSetting(again, "showtips", kDefaults, boxes.Sink()));
    QVERIFY(!ReadBoolSetting(again, "autosel", kDefaults, boxes.Sink()));
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
    QVERIFY(ReadBoolSetting(store, "locked", kDefaults, boxes.Sink()));
    QCOMPARE(boxes.texts, (std::vector<std::string>{"Failed to get data for 'locked'",
                                                    "Failed to set data for 'locked'"}));
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
