// The desktop program's windows and start-up. Started as a user would on a machine where the
// program never ran, they must reach the main window without any box and leave the settings
// behind with their defaults; the screenshot tool starts them exactly as the program does
// (app/program_windows.h) and says when the main window is up. Started in this process, every
// box of the start-up must show over the main window, already on screen, in the fixed order.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "app/program_windows.h"
#include "ui/main.h"
#include "ui/selrep.h"
#include "tests/ui/ui_test_support.h"

#ifdef Q_OS_WIN
#include <windows.h>

namespace {
const wchar_t* const kProgramKey = L"Software\\Tessoran\\corvane2";

// The registry type and data of one of the program's values; type 0 when it is missing.
QPair<DWORD, QString> RegistryValue(const wchar_t* name) {
  DWORD type = 0;
  wchar_t data[512] = {};
  DWORD size = sizeof data;
  if (RegGetValueW(HKEY_CURRENT_USER, kProgramKey, name, RRF_RT_ANY | RRF_NOEXPAND, &type, data,
                   &size) != ERROR_SUCCESS)
    return {0, QString()};
  if (type == REG_DWORD) return {type, QString::number(*reinterpret_cast<const DWORD*>(data))};
  return {type, QString::fromWCharArray(data)};
}
}  // namespace
#endif

namespace {

using corvane::ProgramWindows;
using corvane::uitest::ReadBytes;
using corvane::uitest::WriteBytes;

// A program folder of its own with the build's lists and configurations, and a settings file.
struct ProgramCopy {
  QTemporaryDir root;
  ProgramCopy() {
    QDir(root.path()).mkpath(QStringLiteral("program/configurations"));
    QDir(root.path()).mkpath(QStringLiteral("drawings"));
    const QString source = QString::fromStdString(corvane::uitest::ProgramFolder());
    for (const char* name : {"corvane2.dat", "corvane.dat", "hints.dat", "default.crv",
                             "configurations/survey.crv"}) {
      QFile::copy(source + QLatin1String(name), Program(name));
    }
  }
  QString Path(const QString& relative) const { return root.filePath(relative); }
  QString Program(const char* name) const {
    return Path(QStringLiteral("program/") + QLatin1String(name));
  }
  std::string ProgramFolder() const { return Path(QStringLiteral("program/")).toStdString(); }
  QString Settings() const { return Path(QStringLiteral("corvane2.conf")); }
  // The INI format reads a backslash as the start of an escape: Windows paths keep theirs
  // only doubled.
  void WriteSettings(const QByteArray& lines) {
    QByteArray text = "[General]\nshowtips=1\nshowlog=1\nlocked=0\nautosel=0\ndestpath=" +
                      Path("drawings").toLocal8Bit() + "\n" + lines;
    QVERIFY(WriteBytes(Settings(), text.replace('\\', "\\\\")));
  }
};

// Each message box as it came up: what it said, whose child it was, and where the main window
// was at that moment. Answered with OK.
class BoxWatch {
 public:
  struct Seen {
    QString text;
    bool parentIsMainWindow = false;
    bool mainWindowOnScreen = false;
    QPoint offCentre;  // the box's centre minus the main window's
  };

  explicit BoxWatch(QWidget& mainWindow) : main_(mainWindow) {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Look(); });
    timer_.start();
  }
  std::vector<Seen> seen;

 private:
  void Look() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible() || box == last_) return;
    last_ = box;
    const QWindow* window = main_.windowHandle();
    seen.push_back({box->text(), box->parentWidget() == &main_,
                    main_.isVisible() && window && window->isExposed(),
                    box->frameGeometry().center() - main_.frameGeometry().center()});
    box->button(QMessageBox::Ok)->click();
  }
  QWidget& main_;
  QTimer timer_;
  QPointer<QMessageBox> last_;
};

}  // namespace

class ProgramStartTest : public QObject {
  Q_OBJECT

 private slots:
  void AFirstStartShowsNoBoxAndCreatesTheSettings() {
#ifdef Q_OS_WIN
    // The program's settings are the user's own registry key, which only a throwaway Wine prefix
    // may lose to a first start (scripts/test-windows.sh says so).
    if (qEnvironmentVariable("CORVANE_TEST_OWNS_REGISTRY") != QLatin1String("1"))
      QSKIP("A first start would replace this user's settings in the registry");
    RegDeleteTreeW(HKEY_CURRENT_USER, kProgramKey);
#endif
    QTemporaryDir home;
    QVERIFY(QDir(home.path()).mkpath(QStringLiteral("runtime")));
    QFile::setPermissions(home.filePath(QStringLiteral("runtime")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("runtime")));

    // "staged" comes once the main window is up; a box at start-up would hold the program
    // before that.
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(CORVANE_SCREENSHOTS_PATH), {QStringLiteral("main")});
    QVERIFY(program.waitForStarted());
    QByteArray output;
    while (!output.contains("staged") && program.state() == QProcess::Running &&
           program.waitForReadyRead(30000))
      output += program.readAllStandardOutput();
    output += program.readAllStandardOutput();
    const bool reached = output.contains("staged");
    program.kill();
    program.waitForFinished();
    QVERIFY2(reached, program.readAllStandardError().constData());

#ifdef Q_OS_WIN
    // Booleans as REG_DWORD 0 or 1, texts as REG_SZ, the home folder with backslashes.
    using Value = QPair<DWORD, QString>;
    QCOMPARE(RegistryValue(L"showtips"), Value(REG_DWORD, QStringLiteral("1")));
    QCOMPARE(RegistryValue(L"showlog"), Value(REG_DWORD, QStringLiteral("1")));
    QCOMPARE(RegistryValue(L"locked"), Value(REG_DWORD, QStringLiteral("1")));
    QCOMPARE(RegistryValue(L"autosel"), Value(REG_DWORD, QStringLiteral("0")));
    QCOMPARE(RegistryValue(L"config"), Value(REG_SZ, QStringLiteral("survey.crv")));
    QCOMPARE(RegistryValue(L"dxfpath"), Value(REG_SZ, QDir::toNativeSeparators(QDir::homePath())));
    QCOMPARE(RegistryValue(L"destpath"), Value(REG_SZ, QDir::toNativeSeparators(QDir::homePath())));
    return;
#endif
    const QByteArray settings = corvane::uitest::ReadBytes(
        home.filePath(QStringLiteral("config/Tessoran/corvane2.conf")));
    QVERIFY(settings.contains("showtips=1"));
    QVERIFY(settings.contains("locked=1"));
    QVERIFY(settings.contains("autosel=0"));
    QVERIFY(settings.contains("config=survey.crv"));
    QVERIFY(settings.contains("dxfpath=" + QDir::toNativeSeparators(home.path()).toLocal8Bit()));
  }

  // The destination dialog opens at the destination, else at the drawings' folder, else at the
  // home folder: never at the file system's root, where "Select " is one click away.
  // (Before the test of a program that cannot run: the application's exit it asks for ends every
  // modal loop started later in this process.)
  void TheDestinationDialogOpensAtTheDestination() {
    ProgramCopy copy;
    QVERIFY(QDir().mkpath(copy.Path(QStringLiteral("drawings"))));
    QVERIFY(QDir().mkpath(copy.Path(QStringLiteral("results"))));
    const QString drawings = QDir::toNativeSeparators(copy.Path(QStringLiteral("drawings")));
    const QString results = QDir::toNativeSeparators(copy.Path(QStringLiteral("results")));
    copy.WriteSettings("config=survey.crv\nlocked=0\ndxfpath=" + drawings.toLocal8Bit() +
                       "\ndestpath=" + results.toLocal8Bit() + "\n");
    ProgramWindows windows(corvane::PortablePlaces(copy.ProgramFolder()), copy.Settings());
    windows.Show();
    QTRY_VERIFY_WITH_TIMEOUT(windows.StartupDone(), 20000);
    corvane::TForm1& form1 = windows.MainWindow();
    auto* browse = form1.findChild<QAbstractButton*>(QStringLiteral("SpeedButton4"));
    QVERIFY(browse && browse->isEnabled());

    const auto openedAt = [&] {
      QString shown;
      QTimer look;
      look.setInterval(10);
      QObject::connect(&look, &QTimer::timeout, [&shown, &look] {
        auto* dialog = qobject_cast<corvane::TForm3*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) return;
        look.stop();
        shown = dialog->SelectedPath();
        dialog->reject();
      });
      look.start();
      browse->click();
      return shown;
    };
    QCOMPARE(openedAt(), results);
    form1.SetDestinationFolder(QStringLiteral("/no/such/folder"));
    QCOMPARE(openedAt(), drawings);
    QVERIFY(form1.SelectFolder(QDir::rootPath()));
    QVERIFY(QDir(copy.Path(QStringLiteral("results"))).removeRecursively());
    form1.SetDestinationFolder(results);
    // The drawings' folder is the root itself here: the home folder is chosen instead.
    const QString home = openedAt();
    QCOMPARE(home, QDir::toNativeSeparators(QDir::homePath()));
    QCOMPARE(form1.DestinationFolder(), results);
  }

  void StartUpBoxesShowOverTheMainWindowInTheirOrder() {
    ProgramCopy copy;
    const QString gone = QDir::toNativeSeparators(copy.Path(QStringLiteral("removed")));
    copy.WriteSettings("showlog=maybe\ndxfpath=" + gone.toLocal8Bit() + "\nconfig=gone.crv\n");
    ProgramWindows windows(corvane::PortablePlaces(copy.ProgramFolder()), copy.Settings());
    BoxWatch boxes(windows.MainWindow());
    windows.Show();
    QTRY_VERIFY_WITH_TIMEOUT(windows.StartupDone(), 20000);

    QCOMPARE(boxes.seen.size(), std::size_t{3});
    QCOMPARE(boxes.seen[0].text, QStringLiteral("Invalid data type for 'showlog'."));
    QCOMPARE(boxes.seen[1].text, QStringLiteral("Error setting path: \"%1\".").arg(gone));
    QVERIFY2(boxes.seen[2].text.startsWith(QStringLiteral("Configuration file \"")) &&
                 boxes.seen[2].text.contains(QLatin1String("gone.crv")),
             qPrintable(boxes.seen[2].text));
    for (const BoxWatch::Seen& box : boxes.seen) {
      QVERIFY2(box.parentIsMainWindow, qPrintable(box.text));
      QVERIFY2(box.mainWindowOnScreen, qPrintable(box.text));
      QVERIFY2(box.offCentre.manhattanLength() <= 2, qPrintable(box.text));
    }
    // The start-up went on to the end: the defaults are in use.
    QCOMPARE(windows.MainWindow().ConfigName(), QStringLiteral("None"));
  }

  void AProgramThatCannotRunSaysWhyOverItsWindowAndEndsWithStatus1() {
    ProgramCopy copy;
    QVERIFY(QFile::remove(copy.Program("hints.dat")));
    copy.WriteSettings("config=survey.crv\ndxfpath=" + copy.Path("drawings").toLocal8Bit() + "\n");
    ProgramWindows windows(corvane::PortablePlaces(copy.ProgramFolder()), copy.Settings());
    BoxWatch boxes(windows.MainWindow());
    windows.Show();
    QEventLoop loop;
    QTimer::singleShot(20000, &loop, [&loop] { loop.exit(99); });
    QCOMPARE(loop.exec(), 1);
    QVERIFY(!windows.StartupDone());
    QCOMPARE(boxes.seen.size(), std::size_t{1});
    QVERIFY2(boxes.seen[0].text.contains(QLatin1String("hints.dat")),
             qPrintable(boxes.seen[0].text));
    QVERIFY(boxes.seen[0].parentIsMainWindow);
    QVERIFY(boxes.seen[0].mainWindowOnScreen);
  }

  void AWindowClosedBeforeItReachedTheScreenRemembersNothing() {
    ProgramCopy copy;
    copy.WriteSettings("config=survey.crv\ndxfpath=" + copy.Path("drawings").toLocal8Bit() + "\n");
    const QByteArray before = ReadBytes(copy.Settings());
    ProgramWindows windows(corvane::PortablePlaces(copy.ProgramFolder()), copy.Settings());
    windows.Show();
    QVERIFY(windows.MainWindow().close());
    QTest::qWait(200);
    QVERIFY(!windows.StartupDone());
    QCOMPARE(ReadBytes(copy.Settings()), before);
  }
};

QTEST_MAIN(ProgramStartTest)
#include "program_start_test.moc"
