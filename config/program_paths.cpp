#include "config/program_paths.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#if !defined(_WIN32)
#include <pwd.h>
#include <unistd.h>
#endif

#include "config/lookup_lists.h"
#include "files/file_io.h"
#include "files/path_text.h"
#include "files/text_rules.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

// ProgramFolder() ends with a separator; a folder handed in without one (a test, a setting)
// must not glue "configurations" onto its last name.
std::string InFolder(const std::string& folder, const char* name) { return WithSeparator(folder) + name; }

std::optional<std::string> FromProcess(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

// An empty variable counts as unset, as the XDG rule says.
std::string NonEmpty(const EnvironmentLookup& environment, const char* name) {
  return environment(name).value_or(std::string());
}

#if !defined(_WIN32)
// Without HOME (a service, a stripped environment) the password database still knows it.
std::string HomeFolder(const EnvironmentLookup& environment) {
  std::string home = NonEmpty(environment, "HOME");
  if (home.empty()) {
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr) {
      home = entry->pw_dir;
    }
  }
  return home;
}
#endif

void AddFilesOf(const std::string& folder, std::vector<std::string>& files) {
  std::error_code error;
  for (fs::directory_iterator it(PathFromText(folder), error), end; !error && it != end;
       it.increment(error)) {
    files.push_back(TextOfPath(it->path()));
  }
}

}  // namespace

std::string UserDataFolder(const EnvironmentLookup& environment) {
#if defined(_WIN32)
  std::string base = NonEmpty(environment, "LOCALAPPDATA");
  if (base.empty()) {
    const std::string profile = NonEmpty(environment, "USERPROFILE");
    if (profile.empty()) return "";
    base = InFolder(profile, "AppData\\Local");
  }
  return WithSeparator(InFolder(base, "Tessoran\\corvane2"));
#else
  std::string base = NonEmpty(environment, "XDG_DATA_HOME");
  // The XDG rules hold a relative path invalid and to be ignored: it would put the user's
  // configurations wherever the program happens to be started.
  if (!base.empty() && base.front() != '/') base.clear();
  if (base.empty()) {
    const std::string home = HomeFolder(environment);
    if (home.empty()) return "";
    base = InFolder(home, ".local/share");
  }
  return WithSeparator(InFolder(base, "Tessoran/corvane2"));
#endif
}

std::string UserDataFolder() { return UserDataFolder(&FromProcess); }

ProgramPlaces PortablePlaces(const std::string& programFolder) {
  return ProgramPlaces{programFolder, programFolder, false};
}

ProgramPlaces FindProgramPlaces(const std::string& programFolder,
                                const std::string& userDataFolder) {
  std::error_code error;
  if (programFolder.empty() || !fs::exists(PathFromText(InFolder(programFolder, kInstalledMarkerFile)), error)) {
    return PortablePlaces(programFolder);
  }
  return ProgramPlaces{programFolder, userDataFolder.empty() ? programFolder : userDataFolder,
                       true};
}

ProgramPlaces FindProgramPlaces(const std::string& programFolder) {
  return FindProgramPlaces(programFolder, UserDataFolder());
}

std::string ConfigFolder(const ProgramPlaces& places) {
  return InFolder(places.userFolder, "configurations");
}

std::string ConfigPath(const ProgramPlaces& places, const std::string& configValue) {
  return ConfigFolder(places) + kNativeSeparator + configValue;
}

std::string ReportPath(const ProgramPlaces& places) {
  return InFolder(places.userFolder, "CorvaneLog.txt");
}

std::string DefaultConfigPath(const std::string& programFolder) {
  return InFolder(programFolder, "default.crv");
}

std::string ShippedConfigFolder(const ProgramPlaces& places) {
  return InFolder(places.programFolder, "configurations");
}

std::vector<std::string> ShippedProgramFiles(const ProgramPlaces& places) {
#if defined(_WIN32)
  constexpr const char* kWindowProgram = "corvane.exe";
  constexpr const char* kCommandLineProgram = "corvane-cli.exe";
#else
  constexpr const char* kWindowProgram = "corvane";
  constexpr const char* kCommandLineProgram = "corvane-cli";
#endif
  // Every data file the build places beside the program, from the build's own list, so a file
  // added there (a picture of the help page) is protected without a second list to forget.
  static constexpr const char* kShippedDataFiles[] = {
#include "shipped_data_files.inc"
  };
  std::vector<std::string> files;
  for (const char* name : kShippedDataFiles) files.push_back(InFolder(places.programFolder, name));
  for (const char* name : {kWindowProgram, kCommandLineProgram, kInstalledMarkerFile}) {
    files.push_back(InFolder(places.programFolder, name));
  }
  if (places.installed) AddFilesOf(ShippedConfigFolder(places), files);
  return files;
}

std::vector<std::string> ProgramFiles(const ProgramPlaces& places) {
  std::vector<std::string> files = ShippedProgramFiles(places);
  // Saved configurations: the window offers every file there.
  AddFilesOf(ConfigFolder(places), files);
  return files;
}

std::string PrepareUserFolder(const ProgramPlaces& places) {
  if (!places.installed) return "";
  const std::string folder = ConfigFolder(places);
  std::error_code error;
  fs::create_directories(PathFromText(places.userFolder), error);
  // Only the start that creates the folder fills it: one the user emptied stays empty, and two
  // programs started at once do not both copy.
  const bool created = !error && fs::create_directory(PathFromText(folder), error);
  if (error) return CannotCreateMessage(folder, error.message());
  if (!created) return "";
  for (fs::directory_iterator it(PathFromText(ShippedConfigFolder(places)), error), end; !error && it != end;
       it.increment(error)) {
    if (!it->is_regular_file(error)) continue;
    const fs::path target = PathFromText(folder) / it->path().filename();
    std::error_code copyError;
    fs::copy_file(it->path(), target, fs::copy_options::skip_existing, copyError);
    if (copyError) return CannotCreateMessage(TextOfPath(target), copyError.message());
  }
  // A copy without shipped configurations (or an unreadable folder of them) still starts: the
  // window falls back to the defaults with its notice.
  return "";
}

}  // namespace corvane
