// What the main window's first showing runs: the settings applied to the controls, the lookup
// lists, the configuration in use (or the defaults, with a notice), in the program's fixed
// order. Every box it shows is a real modal box over the main window.
#pragma once

#include <QString>
#include <string>

#include "config/program_paths.h"
#include "ui/startup.h"

namespace corvane {

class HintFilter;
class QSettingsStore;
class TForm1;
class TForm2;

struct StartupParts {
  QSettingsStore& store;
  TForm1& form1;
  HintFilter& hints;
  TForm2* progress = nullptr;    // the progress window the runs show
  ProgramPlaces places;          // the program folder ends with a separator
  SettingsDefaults defaults;     // what a missing or broken setting is repaired with
};

enum class StartupOutcome {
  kReady,      // the window is usable, whatever was reported on the way
  kCannotRun,  // a lookup list or default.crv is missing or damaged: reported, the program ends
};

// The notice shown when the configuration in use is not a file.
QString ConfigNotFoundText(const std::string& configPath);

StartupOutcome LoadStartupState(StartupParts& parts);

}  // namespace corvane
