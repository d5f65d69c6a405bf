// The desktop program's windows and start-up, started as a user would on a machine where the
// program never ran: they must reach the main window without any box and leave the settings
// behind with their defaults. The screenshot tool starts them exactly as the program does
// (app/program_windows.h) and says when the main window is up.
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "tests/ui/ui_test_support.h"

class ProgramStartTest : public QObject {
  Q_OBJECT

 private slots:
  void AFirstStartShowsNoBoxAndCreatesTheSettings() {
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

    const QByteArray settings = corvane::uitest::ReadBytes(
        home.filePath(QStringLiteral("config/Tessoran/corvane2.conf")));
    QVERIFY(settings.contains("showtips=1"));
    QVERIFY(settings.contains("locked=1"));
    QVERIFY(settings.contains("autosel=0"));
    QVERIFY(settings.contains("config=survey.crv"));
    QVERIFY(settings.contains("dxfpath=" + QDir::toNativeSeparators(home.path()).toLocal8Bit()));
  }
};

QTEST_MAIN(ProgramStartTest)
#include "program_start_test.moc"
