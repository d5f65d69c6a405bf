// The desktop program's windows as it starts them: the main window, the hint balloons, the
// destination-folder dialog and the progress window, in that fixed order. The main window's first
// showing restores the settings, the lookup lists and the configuration in use; its exit button
// and every close request run the exit operation. The program and the screenshot tool
// (tools/corvane_screenshots.cpp) both start through here, so the pictures show what users get.
#pragma once

#include <string>

#include "config/export_config.h"
#include "ui/Unit2.h"
#include "ui/hints.h"
#include "ui/load_startup_state.h"
#include "ui/main.h"
#include "ui/qsettings_store.h"
#include "ui/selrep.h"

namespace corvane {

class ProgramWindows {
 public:
  // A QApplication must exist. The program folder of `places` holds the lookup lists and
  // default.crv and ends with a separator. The settings are the user's own.
  explicit ProgramWindows(const ProgramPlaces& places);
  ProgramWindows(const ProgramWindows&) = delete;
  ProgramWindows& operator=(const ProgramWindows&) = delete;

  // Shows the main window, which restores the start-up state. False when the program cannot run
  // (a lookup list or default.crv missing or damaged, already reported): it then ends with status
  // 1, also when the first showing only comes from the event loop.
  bool Show();

  TForm1& MainWindow() { return form1_; }
  TForm2& ProgressWindow() { return form2_; }
  TForm3& FolderDialog() { return form3_; }

 private:
  QSettingsStore store_;
  // All zero until the start-up loads the configuration in use.
  TExportConfig working_;
  // The two dialogs are children of the main window: declared after it, so they go first.
  TForm1 form1_;
  HintFilter hints_;
  TForm3 form3_;
  TForm2 form2_;
  StartupParts parts_;
  bool cannotRun_ = false;
};

}  // namespace corvane
