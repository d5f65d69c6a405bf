// Where the program's settings are kept: a handful of named values per user (the registry key
// HKEY_CURRENT_USER\Software\Tessoran\corvane2 on Windows, an INI file elsewhere). This is the
// plain interface the settings' rules (config/program_settings.h) talk to; the desktop program
// supplies the real store, tests a temporary one.
#pragma once

#include <string>
#include <string_view>

namespace corvane {

// Every operation returns true on success. On failure `error` holds the user text without a
// final full stop (the error box adds it), one of the three below. A missing text value reads as
// "" without an error.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual bool ReadBool(std::string_view name, bool& value, std::string& error) = 0;
  virtual bool ReadText(std::string_view name, std::string& value, std::string& error) = 0;
  virtual bool WriteBool(std::string_view name, bool value, std::string& error) = 0;
  virtual bool WriteText(std::string_view name, std::string_view value, std::string& error) = 0;
};

// A Boolean that is missing (or the store is missing).
inline std::string FailedToGetText(std::string_view name) {
  return "Failed to get data for '" + std::string(name) + "'";
}
// A value of the wrong type.
inline std::string InvalidTypeText(std::string_view name) {
  return "Invalid data type for '" + std::string(name) + "'";
}
// A write the store refuses.
inline std::string FailedToSetText(std::string_view name) {
  return "Failed to set data for '" + std::string(name) + "'";
}

}  // namespace corvane
