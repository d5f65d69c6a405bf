// What the desktop opens for the window (the help page, the web site, the mail program; the
// report is the run button's): when nothing opens it the user is told what and where, also when
// the launcher gives up only a moment after it started.
#include "ui/desktop_opener.h"

#include <QPushButton>
#include <QToolButton>

#include "tests/ui/window_test_helpers.h"

using namespace corvane;
using namespace corvane::uitest;

class DesktopOpenerTest : public QObject {
  Q_OBJECT

 private slots:
  void whatNothingOpensIsNamedWithItsFolder() {
    WindowFixture f;
    QTemporaryDir program;
    const QString help = program.filePath(QStringLiteral("help_corvane2.html"));
    QVERIFY(WriteBytes(help, "<html></html>"));
    f.window.SetProgramPlaces(PortablePlaces(Local(program.path() + QStringLiteral("/"))));
    int asked = 0;
    bool answer = false;
    f.window.SetUrlOpener([&](const QUrl&) {
      ++asked;
      return answer;
    });
    const QString folder = QDir::toNativeSeparators(program.path());
    f.boxes.Answer({QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok});

    f.Child<QPushButton>("BitBtn7")->click();
    QCOMPARE(f.boxes.seen.size(), std::size_t{1});
    QCOMPARE(f.boxes.seen[0].title, QStringLiteral("Information"));
    QCOMPARE(f.boxes.seen[0].icon, QMessageBox::Information);
    QCOMPARE(f.boxes.seen[0].text,
             QStringLiteral("The help page \"help_corvane2.html\" could not "
                            "be opened: no program on this computer opened it."));
    QCOMPARE(f.boxes.seen[0].detail, QStringLiteral("It is in the folder \"%1\".").arg(folder));

    // A page that is not there is told as such.
    QVERIFY(QFile::remove(help));
    f.Child<QPushButton>("BitBtn7")->click();
    QCOMPARE(f.boxes.seen.size(), std::size_t{2});
    QCOMPARE(f.boxes.seen[1].text,
             QStringLiteral("The help page \"help_corvane2.html\" could not be opened: it is not "
                            "in the folder \"%1\".")
                 .arg(folder));

    // The links name their address, so the user can go there another way.
    f.Child<QToolButton>("SpeedButton11")->click();
    QCOMPARE(f.boxes.seen.size(), std::size_t{3});
    QVERIFY2(f.boxes.seen[2].text.contains(QLatin1String("https://www.tessoran.example/")),
             qPrintable(f.boxes.seen[2].text));
    QLabel* mail = f.Child<QLabel>("Label35");
    QTest::mouseClick(mail, Qt::LeftButton);
    QCOMPARE(f.boxes.seen.size(), std::size_t{4});
    QVERIFY2(f.boxes.seen[3].text.contains(mail->text()), qPrintable(f.boxes.seen[3].text));

    // Opened: nothing to say.
    answer = true;
    f.Child<QPushButton>("BitBtn7")->click();
    f.Child<QToolButton>("SpeedButton11")->click();
    QCOMPARE(asked, 6);
    QCOMPARE(f.boxes.seen.size(), std::size_t{4});
  }

  void theDesktopsOwnOpenerIsHeardToo() {
    // Offscreen, the desktop services open nothing, as on a machine without xdg-utils.
    WindowFixture f;
    f.window.SetUrlOpener({});
    f.window.SetProgramPlaces(PortablePlaces(Local(f.dir.path() + QStringLiteral("/"))));
    f.boxes.Answer({QMessageBox::Ok});
    f.Child<QPushButton>("BitBtn7")->click();
    QCOMPARE(f.boxes.seen.size(), std::size_t{1});
    QVERIFY2(f.boxes.seen[0].text.contains(QLatin1String("help_corvane2.html")),
             qPrintable(f.boxes.seen[0].text));
  }

  void aLauncherThatGivesUpAMomentLaterIsHeard() {
#ifdef Q_OS_WIN
    QSKIP("Only Linux desktops start and watch a launcher (xdg-open); on Windows the program "
          "hands addresses to the shell through QDesktopServices, and there is no sh here to "
          "stand in for a launcher");
#endif
    QObject asker;
    int failed = 0;
    const auto count = [&failed] { ++failed; };
    QVERIFY(StartAndWatch(QStringLiteral("sh"),
                          {QStringLiteral("-c"), QStringLiteral("sleep 0.1; exit 3")}, &asker,
                          count, 10000));
    QTRY_COMPARE(failed, 1);

    // Ending well, or ending with an error after a viewer was closed, is no failure.
    QVERIFY(StartAndWatch(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("exit 0")},
                          &asker, count, 10000));
    QVERIFY(StartAndWatch(QStringLiteral("sh"),
                          {QStringLiteral("-c"), QStringLiteral("sleep 0.4; exit 4")}, &asker,
                          count, 100));
    // Nobody left to tell.
    auto gone = std::make_unique<QObject>();
    QVERIFY(StartAndWatch(QStringLiteral("sh"),
                          {QStringLiteral("-c"), QStringLiteral("sleep 0.1; exit 3")}, gone.get(),
                          count, 10000));
    gone.reset();
    QTest::qWait(800);
    QCOMPARE(failed, 1);

    QVERIFY(!StartAndWatch(QStringLiteral("/nonexistent/xdg-open"), {}, &asker, count, 10000));
  }
};

QTEST_MAIN(DesktopOpenerTest)
#include "desktop_opener_test.moc"
