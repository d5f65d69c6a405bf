// The desktop program's windows as it starts them: the main window, the hint balloons, the
// destination-folder dialog and the progress window, in that fixed order. Once the main window is
// on screen, the start-up restores the settings, the lookup lists and the configuration in use;
// its exit button and every close request then run the exit operation. The program and the
// screenshot tool (tools/corvane_screenshots.cpp) both start through here, so the pictures show
// what users get.
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "config/export_config.h"
#include "ui/Unit2.h"
#include "ui/hints.h"
#include "ui/load_startup_state.h"
#include "ui/main.h"
#include "ui/qsettings_store.h"
#include "ui/selrep.h"

class QObject;

namespace corvane {

class ProgramWindows {
 public:
  // A QApplication must exist. The program folder of `places` holds the lookup lists and
  // default.crv and ends with a separator. The settings are the user's own, unless
  // `settingsFile` names an INI file to keep them in instead.
  explicit ProgramWindows(const ProgramPlaces& places, const QString& settingsFile = {});
  ProgramWindows(const ProgramWindows&) = delete;
  ProgramWindows& operator=(const ProgramWindows&) = delete;
  ~ProgramWindows();

  // Shows the main window. The start-up follows from the event loop as soon as the window is on
  // screen, so that each of its boxes (a configuration not found, a broken setting, a folder
  // that is gone) shows over the window, centred on it, and says which program asks. When the
  // program cannot run (a lookup list or default.crv missing or damaged, already reported), the
  // event loop ends with status 1.
  void Show();

  // Runs `then` once the start-up has restored the window (at once when it has already); never
  // when the program cannot run.
  void AfterStartup(std::function<void()> then);
  bool StartupDone() const { return startupDone_; }

  TForm1& MainWindow() { return form1_; }
  TForm2& ProgressWindow() { return form2_; }
  TForm3& FolderDialog() { return form3_; }

 private:
  void RunStartup();

  std::unique_ptr<QSettingsStore> store_;
  // All zero until the start-up loads the configuration in use.
  TExportConfig working_;
  // The two dialogs are children of the main window: declared after it, so they go first.
  TForm1 form1_;
  HintFilter hints_;
  TForm3 form3_;
  TForm2 form2_;
  StartupParts parts_;
  std::unique_ptr<QObject> exposureWatch_;
  std::vector<std::function<void()>> afterStartup_;
  bool startupBegun_ = false;
  bool startupDone_ = false;
};

}  // namespace corvane
