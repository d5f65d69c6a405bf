// The QSettings store on real INI files in temporary folders: first start, the three store
// errors, and values that a plain QVariant conversion would misread.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "tests/ui/ui_test_support.h"
#include "ui/qsettings_store.h"

using corvane::QSettingsStore;

namespace {

QString IniIn(const QTemporaryDir& dir) { return dir.filePath(QStringLiteral("corvane2.conf")); }

// A hand-written store, as a user or an older version might leave it.
QString HandWritten(const QTemporaryDir& dir, const QByteArray& general) {
  const QString path = IniIn(dir);
  corvane::uitest::WriteBytes(path, "[General]\n" + general);
  return path;
}

}  // namespace

class SettingsStoreTest : public QObject {
  Q_OBJECT

 private slots:
  void AMissingStoreHasNoBooleansButEmptyTexts() {
    QTemporaryDir dir;
    QSettingsStore store(IniIn(dir));
    QVERIFY(!store.Exists());
    bool flag = true;
    std::string error;
    QVERIFY(!store.ReadBool("showtips", flag, error));
    QCOMPARE(error, std::string("Failed to get data for 'showtips'"));
    std::string text = "old";
    error.clear();
    QVERIFY(store.ReadText("dxfpath", text, error));
    QCOMPARE(text, std::string());
    QCOMPARE(error, std::string());
    // Reading never creates the store.
    QVERIFY(!store.Exists());
  }

  void CreateDefaultsWritesEveryValueAsAFirstStartNeedsIt() {
    QTemporaryDir dir;
    {
      QSettingsStore store(IniIn(dir));
      std::string error;
      QVERIFY(store.CreateDefaults("/home/surveyor", "survey.crv", error));
      QVERIFY(store.Exists());
    }
    QSettingsStore reopened(IniIn(dir));
    std::string error;
    bool flag = false;
    for (const char* name : {"showtips", "showlog", "locked"}) {
      flag = false;
      QVERIFY2(reopened.ReadBool(name, flag, error), name);
      QVERIFY2(flag, name);
    }
    QVERIFY(reopened.ReadBool("autosel", flag, error));
    QVERIFY(!flag);
    std::string text;
    QVERIFY(reopened.ReadText("dxfpath", text, error));
    QCOMPARE(text, std::string("/home/surveyor"));
    QVERIFY(reopened.ReadText("destpath", text, error));
    QCOMPARE(text, std::string("/home/surveyor"));
    QVERIFY(reopened.ReadText("config", text, error));
    QCOMPARE(text, std::string("survey.crv"));
    // Booleans are integers in the file, as they are DWORDs in the registry.
    const QByteArray raw = corvane::uitest::ReadBytes(IniIn(dir));
    QVERIFY(raw.contains("showtips=1"));
    QVERIFY(raw.contains("autosel=0"));
  }

  void BooleansThatAreNoIntegerAreOfTheWrongType() {
    QTemporaryDir dir;
    QSettingsStore store(HandWritten(dir,
                                     "showtips=abc\n"
                                     "showlog=true\n"
                                     "locked=4294967296\n"
                                     "autosel=\"1,2\"\n"
                                     "dxfpath=1, 2\n"));
    bool flag = false;
    std::string error;
    for (const char* name : {"showtips", "showlog", "locked", "autosel"}) {
      error.clear();
      QVERIFY2(!store.ReadBool(name, flag, error), name);
      QCOMPARE(error, std::string("Invalid data type for '") + name + "'");
    }
    // A list where a Boolean belongs is of the wrong type too.
    QVERIFY(!store.ReadBool("dxfpath", flag, error));
    QCOMPARE(error, std::string("Invalid data type for 'dxfpath'"));
  }

  void BooleansAreTrueWhenNotZero() {
    QTemporaryDir dir;
    QSettingsStore store(HandWritten(dir,
                                     "showtips=0\n"
                                     "showlog=7\n"
                                     "locked=-1\n"
                                     "autosel=4294967295\n"));
    bool flag = true;
    std::string error;
    QVERIFY(store.ReadBool("showtips", flag, error));
    QVERIFY(!flag);
    for (const char* name : {"showlog", "locked", "autosel"}) {
      flag = false;
      QVERIFY2(store.ReadBool(name, flag, error), name);
      QVERIFY2(flag, name);
    }
  }

  void TextsKeepCommasAndTheirBytes() {
    QTemporaryDir dir;
    const std::string folder = "/data/Sites, 2026/Donn\xc3\xa9" "es";
    {
      QSettingsStore store(IniIn(dir));
      std::string error;
      QVERIFY(store.WriteText("dxfpath", folder, error));
      QVERIFY(store.WriteText("config", "a=b;c.crv", error));
    }
    QSettingsStore reopened(IniIn(dir));
    std::string text, error;
    QVERIFY(reopened.ReadText("dxfpath", text, error));
    QCOMPARE(text, folder);
    QVERIFY(reopened.ReadText("config", text, error));
    QCOMPARE(text, std::string("a=b;c.crv"));
  }

  void AnUnquotedCommaInAHandWrittenPathIsKept() {
    QTemporaryDir dir;
    QSettingsStore store(HandWritten(dir, "dxfpath=/data/a,b\n"));
    std::string text, error;
    QVERIFY(store.ReadText("dxfpath", text, error));
    QCOMPARE(text, std::string("/data/a,b"));
  }

  void AWriteTheStoreRefusesIsReported() {
    QTemporaryDir dir;
    // A regular file where the store's folder would be: no user, not even root, can write there.
    QVERIFY(corvane::uitest::WriteBytes(dir.filePath(QStringLiteral("blocked")), "x"));
    QSettingsStore store(dir.filePath(QStringLiteral("blocked/corvane2.conf")));
    std::string error;
    QVERIFY(!store.WriteBool("locked", true, error));
    QCOMPARE(error, std::string("Failed to set data for 'locked'"));
    error.clear();
    QVERIFY(!store.WriteText("destpath", "/tmp", error));
    QCOMPARE(error, std::string("Failed to set data for 'destpath'"));
    QVERIFY(!store.CreateDefaults("/home/surveyor", "survey.crv", error));
    QCOMPARE(error, std::string("Failed to set data for 'showtips'"));
    QVERIFY(!store.Exists());
  }

  void AMissingValueIsRepairedWithItsDefault() {
    QTemporaryDir dir;
    QSettingsStore store(HandWritten(dir, "showtips=0\nautosel=yes\n"));
    QVERIFY(store.Exists());
    bool flag = false;
    std::string error;
    QVERIFY(!store.ReadBool("locked", flag, error));
    QVERIFY(store.WriteDefault("locked", "/home/surveyor", "survey.crv", error));
    QVERIFY(store.ReadBool("locked", flag, error));
    QVERIFY(flag);
    QVERIFY(!store.ReadBool("autosel", flag, error));
    QVERIFY(store.WriteDefault("autosel", "/home/surveyor", "survey.crv", error));
    flag = true;
    QVERIFY(store.ReadBool("autosel", flag, error));
    QVERIFY(!flag);
    // The repair leaves the other values as the user had them.
    QVERIFY(store.ReadBool("showtips", flag, error));
    QVERIFY(!flag);
    QVERIFY(!store.WriteDefault("nosuchvalue", "/home/surveyor", "survey.crv", error));
  }

  void TheUsersStoreLivesUnderTheConfigurationFolder() {
    QSettingsStore store;
    const QString expected = QDir(qEnvironmentVariable("XDG_CONFIG_HOME"))
                                 .filePath(QStringLiteral("Tessoran/corvane2.conf"));
    QCOMPARE(QDir::cleanPath(store.Location()), QDir::cleanPath(expected));
  }
};

QTEST_MAIN(SettingsStoreTest)
#include "settings_store_test.moc"
