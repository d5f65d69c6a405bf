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
  if (store.CreateDefaults(defaults.homeFolder, defaults.configName, error)) return true;
  report(error);
  return false;
}

bool ReadBoolSetting(QSettingsStore& store, std::string_view name,
                     const SettingsDefaults& defaults, const ErrorSink& report) {
  bool value = false;
  std::string error;
  if (store.ReadBool(name, value, error)) return value;
  report(error);
  error.clear();
  if (!store.WriteDefault(name, defaults.homeFolder, defaults.configName, error)) report(error);
  return QSettingsStore::DefaultBool(name);
}

bool LoadListsOrReport(const std::string& programFolder, LookupLists& lists,
                       const ErrorSink& report) {
  const std::string error = LoadLookupLists(programFolder, lists);
  if (error.empty()) return true;
  report(error);
  return false;
}

}  // namespace corvane
