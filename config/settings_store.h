// The program's settings: a handful of named values kept per user (the registry key
// HKEY_CURRENT_USER\Software\Tessoran\corvane2 on Windows, an INI file elsewhere). This is the
// plain interface the windows talk to; the desktop program supplies the real store, tests a
// temporary one.
#pragma once

#include <string>
#include <string_view>

namespace corvane {

// The seven values and their kinds.
inline constexpr const char* kSettingShowTips = "showtips";  // Boolean
inline constexpr const char* kSettingShowLog = "showlog";    // Boolean
inline constexpr const char* kSettingDxfPath = "dxfpath";    // text
inline constexpr const char* kSettingDestPath = "destpath";  // text
inline constexpr const char* kSettingLocked = "locked";      // Boolean
inline constexpr const char* kSettingAutoSel = "autosel";    // Boolean
inline constexpr const char* kSettingConfig = "config";      // text

// Every operation returns true on success. On failure `error` holds the user text without a
// final full stop (the error box adds it):
//   "Failed to get data for '<name>'"   a Boolean that is missing (or the store is missing)
//   "Invalid data type for '<name>'"    a value of the wrong type
//   "Failed to set data for '<name>'"   a write the store refuses
// A missing text value reads as "" without an error.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual bool ReadBool(std::string_view name, bool& value, std::string& error) = 0;
  virtual bool ReadText(std::string_view name, std::string& value, std::string& error) = 0;
  virtual bool WriteBool(std::string_view name, bool value, std::string& error) = 0;
  virtual bool WriteText(std::string_view name, std::string_view value, std::string& error) = 0;
};

}  // namespace corvane
