// The program's own settings, beside the export configuration, as one value; and the rules its
// values in the settings store follow: their names and kinds, what a first start writes, the
// order start-up reads them in, and how a value that cannot be read is repaired. The windows
// only show the value and say when the user changed a part of it.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "config/settings_store.h"

namespace corvane {

struct ProgramSettings {
  bool showTips = true;  // hints shown
  bool showLog = true;   // the report opened after every run
  std::string dxfPath;   // the folder the file list shows (native separators, 8-bit encoding)
  std::string destPath;  // the destination box
  bool locked = true;    // the destination follows the DXF folder
  bool autoSel = false;  // every file of a folder selected when it is shown
  std::string config;    // the configuration file in use, by name without its folder
};

// A value of the store: its name, and the part of the value it holds (a Boolean is an integer in
// the store, a REG_DWORD on Windows; a text a REG_SZ).
struct BoolSetting {
  const char* name;
  bool ProgramSettings::*field;
};
struct TextSetting {
  const char* name;
  std::string ProgramSettings::*field;
};

inline constexpr BoolSetting kSettingShowTips{"showtips", &ProgramSettings::showTips};
inline constexpr BoolSetting kSettingShowLog{"showlog", &ProgramSettings::showLog};
inline constexpr TextSetting kSettingDxfPath{"dxfpath", &ProgramSettings::dxfPath};
inline constexpr TextSetting kSettingDestPath{"destpath", &ProgramSettings::destPath};
inline constexpr BoolSetting kSettingLocked{"locked", &ProgramSettings::locked};
inline constexpr BoolSetting kSettingAutoSel{"autosel", &ProgramSettings::autoSel};
inline constexpr TextSetting kSettingConfig{"config", &ProgramSettings::config};

// What a first start takes its texts from: the user's home folder (native separators, 8-bit
// encoding) and the configuration the build ships in the configurations folder.
struct SettingsDefaults {
  std::string homeFolder;
  std::string configName;
};

// What a first start writes, and what a value that is missing or of the wrong type is repaired
// with: hints and report shown, the home folder as DXF and destination folder, the destination
// locked, auto-select off, "config" naming the shipped configuration.
ProgramSettings FirstStartSettings(const SettingsDefaults& defaults);

// Receives one error text without its final full stop.
using SettingsReport = std::function<void(const std::string& text)>;

// Writes every value of `values`, in the order start-up reads them; stops at the first write the
// store refuses.
bool WriteProgramSettings(SettingsStore& store, const ProgramSettings& values, std::string& error);

// Reads every value in the order start-up applies them. A value that cannot be read is reported,
// `repairs`' value is written in its place (a refused write is reported too) and taken.
ProgramSettings ReadProgramSettings(SettingsStore& store, const ProgramSettings& repairs,
                                    const SettingsReport& report);

// Writes one value the user changed.
bool WriteSetting(SettingsStore& store, const BoolSetting& setting, bool value, std::string& error);
bool WriteSetting(SettingsStore& store, const TextSetting& setting, std::string_view value,
                  std::string& error);

}  // namespace corvane
