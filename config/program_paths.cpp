#include "config/program_paths.h"

#include <filesystem>

namespace corvane {
namespace {

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

}  // namespace corvane
