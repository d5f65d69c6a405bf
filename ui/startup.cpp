#include "ui/startup.h"

#include <QDir>
#include <QString>

#include "ui/qsettings_store.h"

namespace corvane {

SettingsDefaults FirstStartDefaults() {
  return SettingsDefaults{QDir::toNativeSeparators(QDir::homePath()).toLocal8Bit().toStdString(),
                          kShippedConfigName};
}

bool EnsureSettingsStore(QSettingsStore& store, const SettingsDefaults& defaults,
                         const ErrorSink& report) {
  if (store.Exists()) return true;
  std::string error;
  if (WriteProgramSettings(store, FirstStartSettings(defaults), error)) return true;
  report(error);
  return false;
}

bool LoadListsOrReport(const std::string& programFolder, LookupLists& lists,
                       const ErrorSink& report) {
  const std::string error = LoadLookupLists(programFolder, lists);
  if (error.empty()) return true;
  report(error);
  return false;
}

}  // namespace corvane
