// The settings store of the desktop program over QSettings: the registry key
// HKEY_CURRENT_USER\Software\Tessoran\corvane2 on Windows, an INI file under the user's
// configuration folder elsewhere ($XDG_CONFIG_HOME/Tessoran/corvane2.conf).
#pragma once

#include <QSettings>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "config/settings_store.h"

namespace corvane {

inline constexpr const char* kSettingsOrganisation = "Tessoran";
inline constexpr const char* kSettingsApplication = "corvane2";
// The configuration the build ships in the configurations folder; a first start names it.
inline constexpr const char* kShippedConfigName = "survey.crv";

class QSettingsStore : public SettingsStore {
 public:
  // The user's own store.
  QSettingsStore();
  // An INI file at `iniPath`, whatever the system: for tests and for a store kept elsewhere.
  explicit QSettingsStore(const QString& iniPath);
  // A store at `path` in `format`: on Windows, with the native format, a registry key such as
  // "HKEY_CURRENT_USER\\Software\\Tessoran\\test" (for tests of the registry's types).
  QSettingsStore(const QString& path, QSettings::Format format);
  ~QSettingsStore() override;

  // Booleans are integers (REG_DWORD on Windows), true when not 0. In an INI file, where every
  // value is text, a Boolean that is not an integer a DWORD can hold is "of the wrong type",
  // and a text that reads back as a list (an unquoted comma in a hand-edited file) is joined
  // again with commas. Texts are the system's 8-bit encoding on this side.
  bool ReadBool(std::string_view name, bool& value, std::string& error) override;
  bool ReadText(std::string_view name, std::string& value, std::string& error) override;
  bool WriteBool(std::string_view name, bool value, std::string& error) override;
  bool WriteText(std::string_view name, std::string_view value, std::string& error) override;

  // Whether the store exists at all (the INI file, or the registry key). A first start creates
  // it with its first values, as an installer would (EnsureSettingsStore).
  bool Exists() const;

  // Where the values live: the INI file's path, or the registry key on Windows.
  QString Location() const;

  // A store the user may not write (a registry key locked by an administrator, a read-only
  // settings file) would refuse every write with a box of its own: several at start-up, two more
  // at the exit, all saying the same. With a notice given here, the first refused write tells
  // the user once, naming the store, that the settings will not be kept; that write and every
  // later one then count as done for this session, so the controls keep what the user chose.
  // Without a notice, a refused write fails with "Failed to set data for '<name>'".
  void SetNotKeptNotice(std::function<void(const std::string& text)> notice);
  // The notice's text for this store.
  std::string NotKeptText() const;

 private:
  bool Sync(std::string_view name, std::string& error);

  std::unique_ptr<QSettings> settings_;
  std::function<void(const std::string&)> notKeptNotice_;
  bool notKeptTold_ = false;
};

}  // namespace corvane
