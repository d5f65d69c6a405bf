#include "config/program_paths.h"

#include <filesystem>
#include <system_error>

#include "config/lookup_lists.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

constexpr char kSeparator = static_cast<char>(std::filesystem::path::preferred_separator);

bool EndsWithSeparator(const std::string& folder) {
  if (folder.empty()) return false;
  const char last = folder.back();
  return last == '/' || last == kSeparator;
}

// ProgramFolder() ends with a separator; a folder handed in without one (a test, a setting)
// must not glue "configurations" onto its last name.
std::string InFolder(const std::string& folder, const char* name) {
  if (folder.empty() || EndsWithSeparator(folder)) return folder + name;
  return folder + kSeparator + name;
}

}  // namespace

std::string ConfigFolder(const std::string& programFolder) {
  return InFolder(programFolder, "configurations");
}

std::string ConfigPath(const std::string& programFolder, const std::string& configValue) {
  return ConfigFolder(programFolder) + kSeparator + configValue;
}

std::string ReportPath(const std::string& programFolder) {
  return InFolder(programFolder, "CorvaneLog.txt");
}

std::string DefaultConfigPath(const std::string& programFolder) {
  return InFolder(programFolder, "default.crv");
}

std::vector<std::string> ShippedProgramFiles(const std::string& programFolder) {
#if defined(_WIN32)
  constexpr const char* kWindowProgram = "corvane.exe";
  constexpr const char* kCommandLineProgram = "corvane-cli.exe";
#else
  constexpr const char* kWindowProgram = "corvane";
  constexpr const char* kCommandLineProgram = "corvane-cli";
#endif
  std::vector<std::string> files;
  for (const char* name : {kFieldNameFile, kCustomItemFile, kHintFile, "default.crv", kHelpPageFile,
                           kWindowProgram, kCommandLineProgram}) {
    files.push_back(InFolder(programFolder, name));
  }
  return files;
}

std::vector<std::string> ProgramFiles(const std::string& programFolder) {
  std::vector<std::string> files = ShippedProgramFiles(programFolder);
  // Saved configurations: the window offers every file there.
  std::error_code error;
  for (fs::directory_iterator it(ConfigFolder(programFolder), error), end; !error && it != end;
       it.increment(error)) {
    files.push_back(it->path().string());
  }
  return files;
}

}  // namespace corvane
