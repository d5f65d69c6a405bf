// The desktop program's entry: the three windows in their fixed order and the hint balloons,
// then the event loop. The main window's first showing restores the settings, the lookup lists
// and the configuration in use; its exit button and every close request run the exit operation.
#include <QApplication>
#include <QLineEdit>
#include <QTimer>

#include "app/screenshot_staging.h"
#include "config/export_config.h"
#include "config/program_folder.h"
#include "ui/Unit2.h"
#include "ui/exit_operation.h"
#include "ui/hints.h"
#include "ui/load_startup_state.h"
#include "ui/main.h"
#include "ui/qsettings_store.h"
#include "ui/selrep.h"
#include "ui/startup.h"

using namespace corvane;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setOrganizationName(QString::fromLatin1(kSettingsOrganisation));
  QApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));

  QSettingsStore store;
  // All zero until the start-up loads the configuration in use.
  TExportConfig working = ZeroConfig();

  TForm1 form1(store, working);
  HintFilter hints;
  hints.SetEnabled(true);
  app.installEventFilter(&hints);
  QObject::connect(&form1, &TForm1::HintsSwitched, &hints, &HintFilter::SetEnabled);

  TForm3 form3(&form1);
  TForm2 form2(&form1);
  form3.SetDestinationBox(form1.findChild<QLineEdit*>(QStringLiteral("Edit1")));
  form1.SetBrowseDestinationHandler([&form3] { form3.exec(); });

  StartupParts parts{store, form1, hints, &form2, ProgramFolder(), FirstStartDefaults()};
  bool cannotRun = false;
  QObject::connect(&form1, &TForm1::FirstShown, &form1, [&] {
    if (LoadStartupState(parts) == StartupOutcome::kReady) return;
    cannotRun = true;
    form1.AllowClose();
    // For the case the first showing comes from the event loop rather than from show().
    QTimer::singleShot(0, [] { QCoreApplication::exit(1); });
  });
  ConnectExitOperation(form1, store, [] { QApplication::quit(); });

  form1.show();
  if (cannotRun) return 1;

  const QString screenshot = qEnvironmentVariable("CORVANE_SCREENSHOT");
  if (!screenshot.isEmpty()) StageForScreenshot(screenshot, form1, form2, form3);
  return app.exec();
}
