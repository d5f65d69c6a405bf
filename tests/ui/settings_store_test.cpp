// The QSettings store on real INI files in temporary folders: first start, the three store
// errors, and values that a plain QVariant conversion would misread. On Windows also the store in
// the registry, on a key of the tests' own: the value types, and texts in the ANSI code page.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <string>
#include <vector>

#include "tests/ui/ui_test_support.h"
#include "config/program_settings.h"
#include "ui/qsettings_store.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif

using corvane::FirstStartSettings;
using corvane::QSettingsStore;
using corvane::ReadProgramSettings;
using corvane::WriteProgramSettings;

namespace {

#ifdef Q_OS_WIN
// A registry key of the tests' own, beside the program's, removed before and after each use.
const wchar_t* const kTestKey = L"Software\\Tessoran\\corvane2-test";
const QString kTestKeyPath = QStringLiteral("HKEY_CURRENT_USER\\Software\\Tessoran\\corvane2-test");

struct TestKey {
  TestKey() { RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey); }
  ~TestKey() { RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey); }
};

// The registry type of a value of the test key, 0 when it is missing.
DWORD TypeOf(const wchar_t* name) {
  DWORD type = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, kTestKey, name, RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr,
                   nullptr) != ERROR_SUCCESS)
    return 0;
  return type;
}

// Writes a value of the given type into the test key as another program (regedit) could.
void SetRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
  HKEY key = nullptr;
  QCOMPARE(RegCreateKeyExW(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                           nullptr),
           LONG(ERROR_SUCCESS));
  QCOMPARE(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size),
           LONG(ERROR_SUCCESS));
  RegCloseKey(key);
}

void SetText(const wchar_t* name, DWORD type, const std::wstring& text) {
  SetRaw(name, type, text.c_str(), DWORD((text.size() + 1) * sizeof(wchar_t)));
}

std::wstring TextOf(const wchar_t* name) {
  wchar_t buffer[512] = {};
  DWORD size = sizeof buffer;
  if (RegGetValueW(HKEY_CURRENT_USER, kTestKey, name, RRF_RT_REG_SZ, nullptr, buffer, &size) !=
      ERROR_SUCCESS)
    return L"<missing>";
  return buffer;
}
#endif

const corvane::SettingsDefaults kDefaults{"/home/surveyor", "survey.crv"};

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

  void AFirstStartWritesEveryValueAsTheNextStartReadsIt() {
    QTemporaryDir dir;
    {
      QSettingsStore store(IniIn(dir));
      std::string error;
      QVERIFY(WriteProgramSettings(store, FirstStartSettings(kDefaults), error));
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
    QVERIFY(!WriteProgramSettings(store, FirstStartSettings(kDefaults), error));
    QCOMPARE(error, std::string("Failed to set data for 'showtips'"));
    QVERIFY(!store.Exists());
  }

  void AStoreThatCannotBeWrittenIsToldOnceAndTheSessionGoesOn() {
    QTemporaryDir dir;
    QVERIFY(corvane::uitest::WriteBytes(dir.filePath(QStringLiteral("blocked")), "x"));
    const QString path = dir.filePath(QStringLiteral("blocked/corvane2.conf"));
    QSettingsStore store(path);
    std::vector<std::string> told;
    store.SetNotKeptNotice([&told](const std::string& text) { told.push_back(text); });
    std::string error;
    QVERIFY(store.WriteBool("locked", false, error));
    QVERIFY(store.WriteText("destpath", "/tmp", error));
    QVERIFY(store.WriteBool("autosel", true, error));
    QCOMPARE(error, std::string());
    QCOMPARE(told.size(), std::size_t{1});
    QCOMPARE(told[0], "The settings cannot be written to \"" +
                          QDir::toNativeSeparators(path).toStdString() +
                          "\": Corvane goes on, but the settings will not be kept");
    // What the session wrote is what it reads, though none of it reached the disk.
    bool flag = true;
    QVERIFY(store.ReadBool("locked", flag, error));
    QVERIFY(!flag);
    QVERIFY(!store.Exists());
  }

  void AMissingValueIsRepairedWithItsDefault() {
    QTemporaryDir dir;
    QSettingsStore store(HandWritten(dir, "showtips=0\nautosel=yes\n"));
    QVERIFY(store.Exists());
    bool flag = false;
    std::string error;
    QVERIFY(!store.ReadBool("locked", flag, error));
    QVERIFY(!store.ReadBool("autosel", flag, error));
    std::vector<std::string> told;
    ReadProgramSettings(store, FirstStartSettings(kDefaults),
                        [&told](const std::string& text) { told.push_back(text); });
    QCOMPARE(told.size(), std::size_t{3});  // showlog and locked missing, autosel not a number
    QVERIFY(store.ReadBool("locked", flag, error));
    QVERIFY(flag);
    flag = true;
    QVERIFY(store.ReadBool("autosel", flag, error));
    QVERIFY(!flag);
    // The repair leaves the other values as the user had them.
    QVERIFY(store.ReadBool("showtips", flag, error));
    QVERIFY(!flag);
  }

  void TheUsersStoreLivesUnderTheConfigurationFolder() {
    QSettingsStore store;
#ifdef Q_OS_WIN
    QCOMPARE(store.Location(), QStringLiteral("\\HKEY_CURRENT_USER\\Software\\Tessoran\\corvane2"));
    return;
#endif
    const QString expected = QDir(qEnvironmentVariable("XDG_CONFIG_HOME"))
                                 .filePath(QStringLiteral("Tessoran/corvane2.conf"));
    QCOMPARE(QDir::cleanPath(store.Location()), QDir::cleanPath(expected));
  }

  void TheRegistryHoldsBooleansAsDwordsAndTextsAsStrings() {
#ifndef Q_OS_WIN
    QSKIP("The registry is Windows' store; elsewhere the settings are an INI file");
#else
    TestKey cleanup;
    QSettingsStore store(kTestKeyPath, QSettings::NativeFormat);
    QVERIFY(!store.Exists());
    std::string error;
    QVERIFY(WriteProgramSettings(store, FirstStartSettings({"C:\\Users\\surveyor", "survey.crv"}), error));
    QVERIFY(store.Exists());
    for (const wchar_t* name : {L"showtips", L"showlog", L"locked", L"autosel"})
      QCOMPARE(TypeOf(name), DWORD(REG_DWORD));
    for (const wchar_t* name : {L"dxfpath", L"destpath", L"config"})
      QCOMPARE(TypeOf(name), DWORD(REG_SZ));
    QCOMPARE(TextOf(L"dxfpath"), std::wstring(L"C:\\Users\\surveyor"));
    DWORD autosel = 7, size = sizeof autosel;
    QCOMPARE(RegGetValueW(HKEY_CURRENT_USER, kTestKey, L"autosel", RRF_RT_REG_DWORD, nullptr,
                          &autosel, &size),
             LONG(ERROR_SUCCESS));
    QCOMPARE(autosel, DWORD(0));
#endif
  }

  void ValuesOfTheWrongRegistryTypeAreRefused() {
#ifndef Q_OS_WIN
    QSKIP("Registry types exist only on Windows; the INI cases above stand for them here");
#else
    TestKey cleanup;
    const DWORD one = 1;
    SetText(L"showtips", REG_SZ, L"1");  // a text "1" where a DWORD belongs
    SetRaw(L"showlog", REG_BINARY, &one, sizeof one);
    SetRaw(L"dxfpath", REG_DWORD, &one, sizeof one);  // a number where a text belongs
    SetRaw(L"locked", REG_DWORD, &one, sizeof one);
    QSettingsStore store(kTestKeyPath, QSettings::NativeFormat);
    bool flag = false;
    std::string error;
    for (const char* name : {"showtips", "showlog"}) {
      error.clear();
      QVERIFY2(!store.ReadBool(name, flag, error), name);
      QCOMPARE(error, std::string("Invalid data type for '") + name + "'");
    }
    std::string text;
    QVERIFY(!store.ReadText("dxfpath", text, error));
    QCOMPARE(error, std::string("Invalid data type for 'dxfpath'"));
    QVERIFY(store.ReadBool("locked", flag, error));
    QVERIFY(flag);
    // A missing value: no Boolean, an empty text.
    QVERIFY(!store.ReadBool("autosel", flag, error));
    QCOMPARE(error, std::string("Failed to get data for 'autosel'"));
    QVERIFY(store.ReadText("destpath", text, error));
    QCOMPARE(text, std::string());
#endif
  }

  void TextsStoredAsBytesAndBooleansAsQwordsAreOfTheWrongType() {
#ifndef Q_OS_WIN
    QSKIP("Registry types exist only on Windows");
#else
    TestKey cleanup;
    // Bytes where a text belongs would read as "??"; a QWORD where a DWORD belongs as a number.
    const char bytes[] = "C:\\Drawings";
    const unsigned long long wide = 1;
    SetRaw(L"dxfpath", REG_BINARY, bytes, sizeof bytes);
    SetRaw(L"autosel", REG_QWORD, &wide, sizeof wide);
    QSettingsStore store(kTestKeyPath, QSettings::NativeFormat);
    std::string text, error;
    QVERIFY(!store.ReadText("dxfpath", text, error));
    QCOMPARE(error, std::string("Invalid data type for 'dxfpath'"));
    bool flag = false;
    QVERIFY(!store.ReadBool("autosel", flag, error));
    QCOMPARE(error, std::string("Invalid data type for 'autosel'"));
    // The repair start-up makes after the box writes each with its own type again.
    ReadProgramSettings(store, FirstStartSettings({"C:\\Users\\surveyor", "survey.crv"}),
                        [](const std::string&) {});
    QCOMPARE(TypeOf(L"dxfpath"), DWORD(REG_SZ));
    QCOMPARE(TypeOf(L"autosel"), DWORD(REG_DWORD));
    QVERIFY(store.ReadBool("autosel", flag, error));
    QVERIFY(!flag);
#endif
  }

  void AnExpandableTextIsReadAsWritten() {
#ifndef Q_OS_WIN
    QSKIP("REG_EXPAND_SZ is a registry type");
#else
    TestKey cleanup;
    SetText(L"dxfpath", REG_EXPAND_SZ, L"%USERPROFILE%\\Drawings");
    QSettingsStore store(kTestKeyPath, QSettings::NativeFormat);
    std::string text, error;
    QVERIFY(store.ReadText("dxfpath", text, error));
    QCOMPARE(text, std::string("%USERPROFILE%\\Drawings"));
#endif
  }

  void TextsAreKeptInTheAnsiCodePage() {
#ifndef Q_OS_WIN
    QSKIP("The ANSI code page is Windows'; here the locale's encoding is tested above");
#else
    // "Donnees" with an e acute, as the ANSI code page spells it: one byte in Windows-1252.
    char ansi[16] = {};
    const int length =
        WideCharToMultiByte(CP_ACP, 0, L"Donn\u00e9es", -1, ansi, sizeof ansi, nullptr, nullptr) - 1;
    QVERIFY(length > 0);
    if (GetACP() == 1252) QCOMPARE(length, 7);
    TestKey cleanup;
    QSettingsStore store(kTestKeyPath, QSettings::NativeFormat);
    std::string error;
    const std::string folder = std::string("C:\\Sites\\") + ansi;
    QVERIFY(store.WriteText("dxfpath", folder, error));
    // Other Windows programs see the name itself, not its bytes.
    QCOMPARE(TextOf(L"dxfpath"), std::wstring(L"C:\\Sites\\Donn\u00e9es"));
    std::string text;
    QVERIFY(store.ReadText("dxfpath", text, error));
    QCOMPARE(text, folder);
#endif
  }
};

QTEST_MAIN(SettingsStoreTest)
#include "settings_store_test.moc"
