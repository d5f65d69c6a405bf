#include "config/program_settings.h"

#include <variant>

namespace corvane {
namespace {

using AnySetting = std::variant<BoolSetting, TextSetting>;

// The order start-up reads the values in, which is also the order their error boxes come in.
constexpr std::array<AnySetting, 7> kReadOrder = {kSettingShowTips, kSettingShowLog, kSettingDxfPath,
                                                  kSettingDestPath, kSettingLocked,  kSettingAutoSel,
                                                  kSettingConfig};

bool WriteFrom(SettingsStore& store, const AnySetting& setting, const ProgramSettings& values,
               std::string& error) {
  if (const auto* flag = std::get_if<BoolSetting>(&setting)) {
    return WriteSetting(store, *flag, values.*flag->field, error);
  }
  const TextSetting& text = std::get<TextSetting>(setting);
  return WriteSetting(store, text, values.*text.field, error);
}

bool ReadInto(SettingsStore& store, const AnySetting& setting, ProgramSettings& values, std::string& error) {
  if (const auto* flag = std::get_if<BoolSetting>(&setting)) {
    return store.ReadBool(flag->name, values.*flag->field, error);
  }
  const TextSetting& text = std::get<TextSetting>(setting);
  return store.ReadText(text.name, values.*text.field, error);
}

}  // namespace

ProgramSettings FirstStartSettings(const SettingsDefaults& defaults) {
  ProgramSettings values;
  values.dxfPath = defaults.homeFolder;
  values.destPath = defaults.homeFolder;
  values.config = defaults.configName;
  return values;
}

bool WriteProgramSettings(SettingsStore& store, const ProgramSettings& values, std::string& error) {
  for (const AnySetting& setting : kReadOrder) {
    if (!WriteFrom(store, setting, values, error)) return false;
  }
  return true;
}

ProgramSettings ReadProgramSettings(SettingsStore& store, const ProgramSettings& repairs,
                                    const SettingsReport& report) {
  ProgramSettings values = repairs;
  for (const AnySetting& setting : kReadOrder) {
    std::string error;
    if (ReadInto(store, setting, values, error)) continue;
    report(error);
    std::visit([&](const auto& s) { values.*s.field = repairs.*s.field; }, setting);
    error.clear();
    if (!WriteFrom(store, setting, repairs, error)) report(error);
  }
  return values;
}

bool WriteSetting(SettingsStore& store, const BoolSetting& setting, bool value, std::string& error) {
  return store.WriteBool(setting.name, value, error);
}

bool WriteSetting(SettingsStore& store, const TextSetting& setting, std::string_view value,
                  std::string& error) {
  return store.WriteText(setting.name, value, error);
}

}  // namespace corvane
