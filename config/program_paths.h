// The paths the program derives from its own folder: the configurations folder, the
// configuration in use and the run report.
#pragma once

#include <string>
#include <vector>

namespace corvane {

// The help page beside the program.
inline constexpr const char* kHelpPageFile = "help_corvane2.html";

// The program folder followed by "configurations", without a separator at the end. The program
// never creates this folder; the build and an installation put it there.
std::string ConfigFolder(const std::string& programFolder);

// ConfigFolder, the native separator, then the value of the setting "config" (a name without
// folder). An empty value gives the folder and a separator: a path that names no file, so
// start-up falls back to the default configuration.
std::string ConfigPath(const std::string& programFolder, const std::string& configValue);

// The run report "CorvaneLog.txt" in the program folder.
std::string ReportPath(const std::string& programFolder);

// "default.crv" in the program folder: the defaults start-up falls back to.
std::string DefaultConfigPath(const std::string& programFolder);

// The files the program itself needs or ships, which no output of a run may replace: the lookup
// lists, default.crv, the help page, the two programs, and every file in the configurations
// folder. Without the lookup lists or default.crv neither program starts.
std::vector<std::string> ProgramFiles(const std::string& programFolder);

// The same without the configurations folder, whose files a saved configuration may replace:
// that folder is where the user keeps them.
std::vector<std::string> ShippedProgramFiles(const std::string& programFolder);

}  // namespace corvane
