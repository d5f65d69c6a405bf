// The window writes nothing outside the run either: a data file name that is another file's hard
// link leaves that file as it was, and a configuration is saved only as a regular file (Save As
// over a FIFO is refused at once, never waits for a reader).
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <filesystem>
#include <system_error>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "tests/test_support.h"
#include "tests/ui/window_test_helpers.h"
#include "ui/Unit2.h"

using namespace corvane;
using namespace corvane::uitest;

namespace {

QByteArray ThreePoints() {
  return QByteArray::fromStdString(test::DxfWithEntities(
      test::Pairs({"0", "POINT", "10", "1", "20", "2", "0", "POINT", "10", "3", "20", "4", "0", "POINT", "10",
                   "5", "20", "6"})));
}

}  // namespace

class OutsideWritesTest : public QObject {
  Q_OBJECT

 private slots:
  void aHardLinkAtADataFileNameKeepsTheOtherFile() {
    WindowFixture f;
    TForm2 progress;
    f.window.SetProgressWindow(&progress);
    f.window.SetUrlOpener([](const QUrl&) { return true; });
    QVERIFY(f.LoadShippedDefaults());
    const QString drawings = f.Path(QStringLiteral("drawings"));
    const QString out = f.Path(QStringLiteral("out"));
    QVERIFY(QDir().mkpath(drawings));
    QVERIFY(QDir().mkpath(out));
    QVERIFY(WriteBytes(drawings + QStringLiteral("/a.dxf"), ThreePoints()));
    QVERIFY(WriteBytes(drawings + QStringLiteral("/b.dxf"), ThreePoints()));
    const QString other = f.Path(QStringLiteral("keep.txt"));
    QVERIFY(WriteBytes(other, "the user's list"));
    std::error_code linked;
    std::filesystem::create_hard_link(std::filesystem::path(other.toStdU16String()),
                                      std::filesystem::path((out + QStringLiteral("/a.txt")).toStdU16String()), linked);
    QVERIFY2(!linked, linked.message().c_str());

    QVERIFY(f.window.SelectFolder(drawings));
    f.Child<QListWidget>("fl1")->selectAll();
    f.Edit("Edit1")->setText(QDir::toNativeSeparators(out));
    f.boxes.Answer({QMessageBox::Ok});
    f.Child<QPushButton>("BitBtn3")->click();

    QCOMPARE(ReadBytes(other), QByteArray("the user's list"));
    const QByteArray report = ReadBytes(f.Path(QStringLiteral("CorvaneLog.txt")));
    QVERIFY2(report.contains("a.txt has other names (hard links)"), report.constData());
    // The other drawing of the run is converted as ever.
    QCOMPARE(ReadBytes(out + QStringLiteral("/b.txt")).count("\r\n"), 3);
    // The refused drawing is an error of the run, which the window says at its end.
    QCOMPARE(f.boxes.seen.size(), std::size_t{1});
    QVERIFY2(f.boxes.seen[0].text.contains(QLatin1String("could not be converted completely")),
             qPrintable(f.boxes.seen[0].text));
  }

  void saveAsOverAFifoIsRefusedAtOnce() {
#ifdef _WIN32
    QSKIP("Windows has no FIFOs in its file system");
#else
    WindowFixture f;
    QVERIFY(f.LoadShippedDefaults());
    const QString fifo = f.Path(QStringLiteral("configurations/pipe.crv"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    f.dialogs.answers.push_back(fifo);
    f.boxes.Answer({QMessageBox::Ok});
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!f.window.SaveConfigAs());
    QVERIFY(clock.elapsed() < 10000);
    QCOMPARE(f.boxes.seen.size(), std::size_t{1});
    QVERIFY2(f.boxes.seen[0].text.contains(QStringLiteral("Not a regular file")),
             qPrintable(f.boxes.seen[0].text));
    QCOMPARE(f.boxes.seen[0].icon, QMessageBox::Critical);
    // The configuration in use is still the one loaded.
    QCOMPARE(f.Label19(), QStringLiteral("default.crv"));
    QCOMPARE(f.Setting(kSettingConfig.name), std::string("default.crv"));
    struct stat st;
    QCOMPARE(::stat(QFile::encodeName(fifo).constData(), &st), 0);
    QVERIFY(S_ISFIFO(st.st_mode));
#endif
  }
};

QTEST_MAIN(OutsideWritesTest)
#include "outside_writes_test.moc"
