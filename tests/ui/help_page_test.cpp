// The help page the options page opens: it must be beside the program under the name the button
// asks for, and every picture it shows must be there too.
#include <QDir>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QUrl>

#include "tests/ui/startup_fixture.h"

using namespace corvane;

class HelpPageTest : public QObject {
  Q_OBJECT

 private slots:
  void ShowHelpFileOpensThePageBesideTheProgram() {
    QTemporaryDir settings;
    QSettingsStore store(settings.filePath(QStringLiteral("corvane2.conf")));
    TExportConfig working = ZeroConfig();
    TForm1 form1(store, working);
    form1.SetProgramPlaces(PortablePlaces(uitest::ProgramFolder()));
    QList<QUrl> opened;
    form1.SetUrlOpener([&opened](const QUrl& url) {
      opened << url;
      return true;
    });
    form1.findChild<QPushButton*>(QStringLiteral("BitBtn7"))->click();
    QCOMPARE(opened.size(), 1);
    QVERIFY(opened[0].isLocalFile());
    QVERIFY2(QFileInfo(opened[0].toLocalFile()).isFile(), qPrintable(opened[0].toLocalFile()));
  }

  void EveryPictureOfThePageIsBesideItAndNoneIsLeftOver() {
    const QString folder = QString::fromStdString(uitest::ProgramFolder());
    const QString page = QString::fromUtf8(uitest::ReadBytes(folder + "help_corvane2.html"));
    QVERIFY(!page.isEmpty());
    QSet<QString> shown;
    const QRegularExpression image(QStringLiteral("<img src=\"([^\"]+)\""));
    for (const QRegularExpressionMatch& match : image.globalMatch(page)) {
      shown << match.captured(1);
      QVERIFY2(QFileInfo(folder + match.captured(1)).isFile(), qPrintable(match.captured(1)));
    }
    QVERIFY(!shown.isEmpty());
    // A picture the page no longer shows would only go stale in the repository.
    const QDir pictures(QStringLiteral(CORVANE_SOURCE_DIR "/data/help"));
    for (const QString& name : pictures.entryList({QStringLiteral("*.png")}, QDir::Files)) {
      QVERIFY2(shown.contains(QStringLiteral("help/") + name), qPrintable(name));
    }
  }

  void EveryOptionOfTheCommandLineToolIsExplained() {
    const QString folder = QString::fromStdString(uitest::ProgramFolder());
    const QString page = QString::fromUtf8(uitest::ReadBytes(folder + "help_corvane2.html"));
    QProcess cli;
    cli.start(folder + QStringLiteral("corvane-cli"), {QStringLiteral("--help")});
    QVERIFY(cli.waitForFinished(30000));
    const QString help = QString::fromUtf8(cli.readAllStandardOutput());
    const QRegularExpression option(QStringLiteral("^ +(?:-\\w, )?(--[a-z-]+)"),
                                    QRegularExpression::MultilineOption);
    int count = 0;
    for (const QRegularExpressionMatch& match : option.globalMatch(help)) {
      ++count;
      QVERIFY2(page.contains(match.captured(1)), qPrintable(match.captured(1)));
    }
    QVERIFY2(count >= 10, qPrintable(help));
  }
};

QTEST_MAIN(HelpPageTest)
#include "help_page_test.moc"
