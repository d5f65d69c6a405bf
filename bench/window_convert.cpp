// The desktop program converting one folder, driven as a user would: the real start-up on a
// settings file of its own, the configuration loaded from the bar, the folder chosen in the tree
// (auto-select picks every drawing), the run button pressed, then the real exit operation.
// bench/window_vs_cli.sh times it against corvane-cli on the same drawing.
//
//   window_convert CONFIG.crv DXF_FOLDER DEST_FOLDER
//
// Prints "window run: <seconds> s" (from the press of the run button to its return) and ends
// with status 0 when the run wrote its report. Runs on the offscreen platform unless
// QT_QPA_PLATFORM says otherwise.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "config/export_config.h"
#include "ui/Unit2.h"
#include "ui/exit_operation.h"
#include "ui/hints.h"
#include "ui/load_startup_state.h"
#include "ui/main.h"
#include "ui/qsettings_store.h"

using namespace corvane;

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: window_convert CONFIG.crv DXF_FOLDER DEST_FOLDER\n");
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const QString config = QFile::decodeName(argv[1]);
  const QString dxfFolder = QFile::decodeName(argv[2]);
  const QString destFolder = QFile::decodeName(argv[3]);

  // Settings of its own: no report viewer, no hints, the destination unlocked.
  QTemporaryDir settingsDir;
  const QString ini = settingsDir.filePath(QStringLiteral("corvane2.conf"));
  QFile file(ini);
  if (!file.open(QIODevice::WriteOnly)) return 2;
  file.write("[General]\nshowtips=0\nshowlog=0\nlocked=0\nautosel=1\nconfig=survey.crv\n");
  file.write("dxfpath=" + QFile::encodeName(dxfFolder) + "\ndestpath=" +
             QFile::encodeName(destFolder) + "\n");
  file.close();

  QSettingsStore store(ini);
  TExportConfig working = ZeroConfig();
  TForm1 form1(store, working);
  TForm2 form2(&form1);
  HintFilter hints;
  app.installEventFilter(&hints);
  StartupParts parts{store, form1, hints, &form2, PortablePlaces(CORVANE_PROGRAM_DIR "/"),
                     SettingsDefaults{QDir::homePath().toStdString(), "survey.crv"}};
  int status = 1;
  ConnectExitOperation(form1, store, [] { QApplication::quit(); });
  QObject::connect(&form1, &TForm1::FirstShown, &form1, [&] {
    if (LoadStartupState(parts) != StartupOutcome::kReady) {
      form1.AllowClose();
      QTimer::singleShot(0, [] { QCoreApplication::exit(2); });
      return;
    }
    QTimer::singleShot(0, &form1, [&] {
      const std::string reportPath = QFile::encodeName(destFolder).toStdString() + "/CorvaneLog.txt";
      std::remove(reportPath.c_str());
      form1.SetReportPath(reportPath);
      if (!form1.LoadConfigFile(QFile::encodeName(config).toStdString()) ||
          !form1.SelectFolder(dxfFolder)) {
        form1.AllowClose();
        QCoreApplication::exit(2);
        return;
      }
      form1.findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(destFolder);
      QElapsedTimer clock;
      clock.start();
      form1.findChild<QPushButton*>(QStringLiteral("BitBtn3"))->click();
      std::printf("window run: %.3f s\n", static_cast<double>(clock.nsecsElapsed()) / 1e9);
      std::fflush(stdout);
      if (QFile::exists(QFile::decodeName(QByteArray::fromStdString(reportPath)))) status = 0;
      form1.findChild<QPushButton*>(QStringLiteral("BitBtn4"))->click();
    });
  });
  form1.show();
  const int loop = app.exec();
  return loop != 0 ? loop : status;
}
