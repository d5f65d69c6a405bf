// Where the program's files are: what ships beside the program, and where the report and the
// user's configurations go. Both programs take these answers from here.
//
// A portable copy (the build folder, an unpacked zip) keeps the report "CorvaneLog.txt" and the
// "configurations" folder beside the program, as designed. An installed copy is marked by the file
// kInstalledMarkerFile, which the packages put beside the program: its folder (/usr/lib/corvane,
// Program Files) is not the user's to write, so the report and the configurations go to the
// user's data folder. The lookup lists, default.crv and the help page stay beside the program in
// both layouts.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

// The help page beside the program.
inline constexpr const char* kHelpPageFile = "help_corvane2.html";

// Beside the program: this copy is installed. A file rather than a build option, so that one
// build gives both the portable folder and the package, and the tests run the very programs
// that are packaged.
inline constexpr const char* kInstalledMarkerFile = "installed";

struct ProgramPlaces {
  std::string programFolder;  // the lookup lists, default.crv, the help page, the programs
  std::string userFolder;     // the report and the configurations folder; the program folder
                              // of a portable copy
  bool installed = false;
};

// Reads one environment variable; nullopt when it is not set.
using EnvironmentLookup = std::function<std::optional<std::string>(const char* name)>;

// Corvane's folder among the user's data: "$XDG_DATA_HOME/Tessoran/corvane2/", with
// ~/.local/share when XDG_DATA_HOME is unset, empty or not an absolute path (Linux); "%LOCALAPPDATA%\Tessoran\corvane2\"
// (Windows). The same folder that QStandardPaths::GenericDataLocation gives the window. Ends
// with a separator; "" when no home folder is known.
std::string UserDataFolder(const EnvironmentLookup& environment);
std::string UserDataFolder();  // from the process environment

// A copy whose report and configurations stay beside the program.
ProgramPlaces PortablePlaces(const std::string& programFolder);

// The layout of the copy in `programFolder`: installed when the marker file is there. An
// installed copy whose user has no known home folder keeps the program folder, and its writes
// fail with the usual messages naming that folder.
ProgramPlaces FindProgramPlaces(const std::string& programFolder, const std::string& userDataFolder);
ProgramPlaces FindProgramPlaces(const std::string& programFolder);  // UserDataFolder()

// The user folder followed by "configurations", without a separator at the end.
std::string ConfigFolder(const ProgramPlaces& places);

// ConfigFolder, the native separator, then the value of the setting "config" (a name without
// folder). An empty value gives the folder and a separator: a path that names no file, so
// start-up falls back to the default configuration.
std::string ConfigPath(const ProgramPlaces& places, const std::string& configValue);

// The run report "CorvaneLog.txt" in the user folder.
std::string ReportPath(const ProgramPlaces& places);

// "default.crv" in the program folder: the defaults start-up falls back to.
std::string DefaultConfigPath(const std::string& programFolder);

// The configurations the program ships: the "configurations" folder beside the program. In a
// portable copy this is also the user's configurations folder.
std::string ShippedConfigFolder(const ProgramPlaces& places);

// The files the program itself needs or ships, which no output of a run may replace: the lookup
// lists, default.crv, the help page, the two programs, the marker of an installed copy, every
// file of the shipped configurations folder, and every file of the user's configurations
// folder. Without the lookup lists or default.crv neither program starts.
std::vector<std::string> ProgramFiles(const ProgramPlaces& places);

// The same without the user's configurations folder, whose files a saved configuration may
// replace: that folder is where the user keeps them. In an installed copy the shipped
// configurations are still protected: they are the package's, not the user's.
std::vector<std::string> ShippedProgramFiles(const ProgramPlaces& places);

// The first start of an installed copy creates the user's configurations folder and copies the
// shipped configurations into it, so that the window finds the configuration its first settings
// name. An existing folder is left as it is, and no file of the user's is ever replaced. A
// portable copy needs nothing. The result is "" or the "Cannot create file" text of what failed.
std::string PrepareUserFolder(const ProgramPlaces& places);

}  // namespace corvane
