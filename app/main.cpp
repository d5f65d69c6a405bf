// The desktop program's entry: the settings store (created on a first start), the lookup lists,
// the three windows in their fixed order, the hint balloons, then the event loop.
#include <QApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <memory>

#include "app/screenshot_staging.h"
#include "config/default_config.h"
#include "config/export_config.h"
#include "config/lookup_lists.h"
#include "config/program_folder.h"
#include "ui/Unit2.h"
#include "ui/hints.h"
#include "ui/qsettings_store.h"
#include "ui/selrep.h"
#include "ui/startup.h"

#if __has_include("ui/main.h")
#include "ui/main.h"
using MainWindow = corvane::TForm1;
#else
#include "app/stand_in_main_window.h"
using MainWindow = corvane::StandInMainWindow;
#endif

using namespace corvane;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setOrganizationName(QString::fromLatin1(kSettingsOrganisation));
  QApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));

  const ErrorSink errorBox = [](const std::string& text) { ShowErrorBox(text); };
  QSettingsStore store;
  const SettingsDefaults defaults = FirstStartDefaults();
  EnsureSettingsStore(store, defaults, errorBox);

  const std::string programFolder = ProgramFolder();
  LookupLists lists;
  if (!LoadListsOrReport(programFolder, lists, errorBox)) return 1;

  // The working record starts from the defaults; the configuration in use is loaded over it by
  // the rest of the start-up.
  TExportConfig working = MakeDefaultConfig();

  MainWindow form1(store, working);
  HintFilter hints;
  hints.SetHintLines(lists.hints);
  hints.SetEnabled(true);
  app.installEventFilter(&hints);
  QObject::connect(&form1, &MainWindow::HintsSwitched, &hints, &HintFilter::SetEnabled);

  TForm3 form3(&form1);
  TForm2 form2(&form1);
  form3.SetDestinationBox(form1.findChild<QLineEdit*>(QStringLiteral("Edit1")));
  form1.SetBrowseDestinationHandler([&form3] { form3.exec(); });
  form1.SetProgramFolder(programFolder);
  form1.FillLists(lists);
  hints.SetEnabled(ReadBoolSetting(store, kSettingShowTips, defaults, errorBox));

  if (const QScreen* screen = QGuiApplication::primaryScreen())
    form1.move(screen->availableGeometry().center() - form1.rect().center());
  form1.show();

  const QString screenshot = qEnvironmentVariable("CORVANE_SCREENSHOT");
  if (!screenshot.isEmpty()) StageForScreenshot(screenshot, form1, form2, form3);
  return app.exec();
}
