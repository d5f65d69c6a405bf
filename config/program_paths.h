// The paths the program derives from its own folder: the configurations folder, the
// configuration in use and the run report.
#pragma once

#include <string>

namespace corvane {

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

}  // namespace corvane
