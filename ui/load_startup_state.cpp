#include "ui/load_startup_state.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <clocale>

#include "config/crv_file.h"
#include "config/export_config.h"
#include "config/lookup_lists.h"
#include "config/program_settings.h"
#include "config/program_paths.h"
#include "files/file_io.h"
#include "ui/hints.h"
#include "ui/main.h"
#include "ui/qsettings_store.h"
#include "ui/message_boxes.h"

namespace corvane {
namespace {

QString FromPath(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

// The remembered DXF folder. A folder that is gone (a removed stick, a renamed project) is
// reported, and the home folder takes its place so the window still lists something.
void RestoreDxfFolder(StartupParts& parts, const std::string& dxfPath) {
  const QString saved = FromPath(dxfPath);
  // An empty value remembers no folder: nothing to report.
  if (!saved.isEmpty() && parts.form1.SelectFolder(saved)) return;
  if (!saved.isEmpty()) {
    ShowErrorBox("Error setting path: \"" + saved.toLocal8Bit().toStdString() + "\"",
                 &parts.form1);
  }
  if (!parts.form1.SelectFolder(FromPath(parts.defaults.homeFolder))) {
    parts.form1.SelectFolder(QDir::rootPath());
  }
}

// Without the three lists and the defaults nothing can be shown or converted.
bool LoadFilesTheProgramNeeds(StartupParts& parts, LookupLists& lists) {
  const ErrorSink report = [&parts](const std::string& text) {
    ShowErrorBox(text, &parts.form1);
  };
  if (!LoadListsOrReport(parts.places.programFolder, lists, report)) return false;
  const std::string defaultPath = DefaultConfigPath(parts.places.programFolder);
  if (!QFileInfo(FromPath(defaultPath)).isFile()) {
    report(CannotOpenMessage(defaultPath, "The default configuration is missing"));
    return false;
  }
  return true;
}

// Said after the file's own message, which does not always name it.
void ReportUnusableDefaults(StartupParts& parts) {
  ShowErrorBox("The default configuration \"" + DefaultConfigPath(parts.places.programFolder) +
                   "\" cannot be used, the program cannot go on",
               &parts.form1);
}

// The record must be valid for the window to work, even when the file the settings name was
// refused: the defaults are taken without a second notice, and the setting "config" keeps the
// refused name so the next start reports it again until the user saves or loads a file.
bool TakeDefaultsQuietly(StartupParts& parts) {
  TExportConfig& saved = parts.form1.SavedConfig();
  const std::string defaultPath = DefaultConfigPath(parts.places.programFolder);
  const ConfigFileResult read =
      ReadConfigFile(defaultPath, parts.form1.WorkingConfig(), saved, parts.form1.WorkingExtension(),
                     parts.form1.SavedExtension());
  if (!read.accepted) {
    ShowErrorBox(read.message, &parts.form1);
    ReportUnusableDefaults(parts);
    return false;
  }
  parts.form1.ShowConfigInWindow();
  parts.form1.ShowConfigName(QStringLiteral("None"));
  InvalidateSavedConfig(saved);
  return true;
}

bool TakeDefaultsWithNotice(StartupParts& parts, const std::string& configPath) {
  ShowInformationBox(ConfigNotFoundText(configPath), &parts.form1);
  if (!parts.form1.LoadConfigFile(DefaultConfigPath(parts.places.programFolder))) {
    ReportUnusableDefaults(parts);
    return false;
  }
  std::string error;
  if (!WriteSetting(parts.store, kSettingConfig, "none", error)) ShowErrorBox(error, &parts.form1);
  parts.form1.ShowConfigName(QStringLiteral("None"));
  InvalidateSavedConfig(parts.form1.SavedConfig());
  return true;
}

}  // namespace

QString ConfigNotFoundText(const std::string& configPath) {
  return QStringLiteral("Configuration file \"") + FromPath(configPath) +
         QStringLiteral("\" not found, default values will be used.");
}

StartupOutcome LoadStartupState(StartupParts& parts) {
  TForm1& form1 = parts.form1;

  // Coordinates are written with a point whatever the user's regional settings; Qt set the
  // C library's locale from the environment when the application started.
  std::setlocale(LC_NUMERIC, "C");

  const ErrorSink report = [&form1](const std::string& text) { ShowErrorBox(text, &form1); };
  // A store the user may not write is said once, here or at the exit, not at every write.
  parts.store.SetNotKeptNotice(report);
  EnsureSettingsStore(parts.store, parts.defaults, report);
  const ProgramSettings settings = ReadProgramSettings(parts.store, FirstStartSettings(parts.defaults), report);

  form1.SetHelpTips(settings.showTips);
  parts.hints.SetEnabled(settings.showTips);
  form1.SetReportChoice(settings.showLog);

  RestoreDxfFolder(parts, settings.dxfPath);
  form1.SetDestinationFolder(FromPath(settings.destPath));

  if (settings.locked) {
    form1.LockAction();
  } else {
    form1.UnlockAction();
  }
  form1.SetAutoSelect(settings.autoSel);

  form1.SetProgramPlaces(parts.places);
  form1.SetConfigFolder(ConfigFolder(parts.places));
  form1.SetReportPath(ReportPath(parts.places));
  if (parts.progress) form1.SetProgressWindow(parts.progress);
  // An installed copy's first start gives the user a configurations folder of their own, with
  // the configuration the first settings name. Without it the window still works: the notice
  // below says the configuration is missing, and the defaults are used.
  if (const std::string error = PrepareUserFolder(parts.places); !error.empty()) {
    ShowErrorBox(error, &form1);
  }
  const std::string configPath = ConfigPath(parts.places, settings.config);

  LookupLists lists;
  if (!LoadFilesTheProgramNeeds(parts, lists)) return StartupOutcome::kCannotRun;
  parts.hints.SetHintLines(lists.hints);
  form1.FillLists(lists);

  if (QFileInfo(FromPath(configPath)).isFile()) {
    // A refused file has shown its own message; the defaults then keep the window usable.
    if (!form1.LoadConfigFile(configPath) && !TakeDefaultsQuietly(parts)) {
      return StartupOutcome::kCannotRun;
    }
  } else if (!TakeDefaultsWithNotice(parts, configPath)) {
    return StartupOutcome::kCannotRun;
  }

  form1.ShowMainPage();
  return StartupOutcome::kReady;
}

}  // namespace corvane
