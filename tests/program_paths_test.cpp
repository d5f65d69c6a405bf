// Where each file of the program goes in a portable and in an installed copy, and that the
// build's program folder holds what a first start names.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "config/crv_file.h"
#include "config/default_config.h"
#include "config/program_paths.h"
#include "tests/test_support.h"

#ifndef CORVANE_PROGRAM_DIR
#define CORVANE_PROGRAM_DIR "."
#endif

namespace corvane {
namespace {

namespace fs = std::filesystem;
const std::string kSep(1, static_cast<char>(fs::path::preferred_separator));

using test::ReadFile;
using test::TempDir;

bool Holds(const std::vector<std::string>& files, const fs::path& file) {
  return std::find(files.begin(), files.end(), file.string()) != files.end();
}

EnvironmentLookup Environment(std::map<std::string, std::string> values) {
  return [values](const char* name) -> std::optional<std::string> {
    const auto it = values.find(name);
    if (it == values.end()) return std::nullopt;
    return it->second;
  };
}

TEST(ProgramPaths, APortableCopyKeepsEverythingInItsFolder) {
  const std::string folder = "/opt/corvane" + kSep;
  const ProgramPlaces places = PortablePlaces(folder);
  EXPECT_EQ(ConfigFolder(places), folder + "configurations");
  EXPECT_EQ(ConfigPath(places, "survey.crv"), folder + "configurations" + kSep + "survey.crv");
  EXPECT_EQ(ReportPath(places), folder + "CorvaneLog.txt");
  EXPECT_EQ(DefaultConfigPath(folder), folder + "default.crv");
  // An empty or "none" setting names no file; a folder without its separator still gets one.
  EXPECT_EQ(ConfigPath(places, ""), ConfigFolder(places) + kSep);
  EXPECT_EQ(ConfigPath(places, "none"), ConfigFolder(places) + kSep + "none");
  EXPECT_EQ(ReportPath(PortablePlaces("/opt/corvane")), "/opt/corvane" + kSep + "CorvaneLog.txt");
  EXPECT_EQ(ConfigFolder(PortablePlaces("/opt/corvane")), "/opt/corvane" + kSep + "configurations");
}

#if !defined(_WIN32)
TEST(ProgramPaths, TheUsersDataFolderFollowsTheXdgRule) {
  EXPECT_EQ(UserDataFolder(Environment({{"XDG_DATA_HOME", "/data"}, {"HOME", "/home/u"}})),
            "/data/Tessoran/corvane2/");
  EXPECT_EQ(UserDataFolder(Environment({{"XDG_DATA_HOME", "/data/"}})), "/data/Tessoran/corvane2/");
  // Unset or empty: the XDG default under the home folder.
  EXPECT_EQ(UserDataFolder(Environment({{"HOME", "/home/u"}})), "/home/u/.local/share/Tessoran/corvane2/");
  EXPECT_EQ(UserDataFolder(Environment({{"XDG_DATA_HOME", ""}, {"HOME", "/home/u"}})),
            "/home/u/.local/share/Tessoran/corvane2/");
  // A relative path is not a place: ignored, as the XDG rules say.
  EXPECT_EQ(UserDataFolder(Environment({{"XDG_DATA_HOME", "reldata"}, {"HOME", "/home/u"}})),
            "/home/u/.local/share/Tessoran/corvane2/");
  EXPECT_EQ(UserDataFolder(Environment({{"XDG_DATA_HOME", "./data"}, {"HOME", "/home/u"}})),
            "/home/u/.local/share/Tessoran/corvane2/");
  // Without HOME the password database still knows the user's home.
  EXPECT_NE(UserDataFolder(Environment({})), "");
}
#else
TEST(ProgramPaths, TheUsersDataFolderIsInLocalAppData) {
  EXPECT_EQ(UserDataFolder(Environment({{"LOCALAPPDATA", "C:\\Users\\u\\AppData\\Local"}})),
            "C:\\Users\\u\\AppData\\Local\\Tessoran\\corvane2\\");
  EXPECT_EQ(UserDataFolder(Environment({{"USERPROFILE", "C:\\Users\\u"}})),
            "C:\\Users\\u\\AppData\\Local\\Tessoran\\corvane2\\");
}
#endif

TEST(ProgramPaths, TheMarkerBesideTheProgramMovesTheReportAndConfigurationsToTheUser) {
  TempDir dir;
  const std::string program = dir.File("program") + kSep;
  const std::string user = dir.File("data") + kSep;
  fs::create_directories(program);
  EXPECT_FALSE(FindProgramPlaces(program, user).installed);
  EXPECT_EQ(ReportPath(FindProgramPlaces(program, user)), program + "CorvaneLog.txt");

  dir.Write("program/installed", "");
  const ProgramPlaces places = FindProgramPlaces(program, user);
  EXPECT_TRUE(places.installed);
  EXPECT_EQ(places.programFolder, program);
  EXPECT_EQ(ReportPath(places), user + "CorvaneLog.txt");
  EXPECT_EQ(ConfigPath(places, "survey.crv"), user + "configurations" + kSep + "survey.crv");
  EXPECT_EQ(DefaultConfigPath(places.programFolder), program + "default.crv");
  // No home known: the program folder, whose writes then fail naming it.
  EXPECT_EQ(FindProgramPlaces(program, "").userFolder, program);
}

// The run and the save guard protect the shipped configurations of an installed copy as files
// of the program; only the user's own configurations may be replaced by a save.
TEST(ProgramPaths, AnInstalledCopyProtectsItsShippedConfigurationsAndTheUsersOnes) {
  TempDir dir;
  dir.Write("program/installed", "");
  dir.Write("program/configurations/survey.crv", "shipped");
  dir.Write("data/configurations/mine.crv", "mine");
  const ProgramPlaces installed = FindProgramPlaces(dir.File("program") + kSep, dir.File("data") + kSep);
  const fs::path shipped = fs::path(dir.File("program")) / "configurations" / "survey.crv";
  const fs::path mine = fs::path(dir.File("data")) / "configurations" / "mine.crv";

  const std::vector<std::string> all = ProgramFiles(installed);
  const std::vector<std::string> saveable = ShippedProgramFiles(installed);
  EXPECT_TRUE(Holds(all, shipped));
  EXPECT_TRUE(Holds(all, mine));
  EXPECT_TRUE(Holds(saveable, shipped));
  EXPECT_FALSE(Holds(saveable, mine));
  EXPECT_TRUE(Holds(saveable, fs::path(dir.File("program")) / "installed"));
  EXPECT_TRUE(Holds(saveable, fs::path(dir.File("program")) / "default.crv"));

  // Portable: the configurations beside the program are the user's.
  const ProgramPlaces portable = PortablePlaces(dir.File("program") + kSep);
  EXPECT_TRUE(Holds(ProgramFiles(portable), shipped));
  EXPECT_FALSE(Holds(ShippedProgramFiles(portable), shipped));
}

TEST(ProgramPaths, TheFirstStartGivesTheUserTheShippedConfigurationsOnce) {
  TempDir dir;
  dir.Write("program/installed", "");
  dir.Write("program/configurations/survey.crv", "shipped survey");
  dir.Write("program/configurations/stakeout.crv", "shipped stakeout");
  const std::string user = (fs::path(dir.File("home")) / "Tessoran" / "corvane2").string() + kSep;
  const ProgramPlaces places = FindProgramPlaces(dir.File("program") + kSep, user);
  const fs::path mine(ConfigFolder(places));

  // A portable copy writes nothing anywhere.
  EXPECT_EQ(PrepareUserFolder(PortablePlaces(places.programFolder)), "");
  EXPECT_FALSE(fs::exists(dir.File("home")));

  EXPECT_EQ(PrepareUserFolder(places), "");
  EXPECT_EQ(ReadFile(mine / "survey.crv"), "shipped survey");
  EXPECT_EQ(ReadFile(mine / "stakeout.crv"), "shipped stakeout");

  // Later starts leave the user's folder as the user left it: changed, or emptied.
  test::WriteFile(mine / "survey.crv", "my survey");
  fs::remove(mine / "stakeout.crv");
  EXPECT_EQ(PrepareUserFolder(places), "");
  EXPECT_EQ(ReadFile(mine / "survey.crv"), "my survey");
  EXPECT_FALSE(fs::exists(mine / "stakeout.crv"));
}

TEST(ProgramPaths, AUserFolderThatCannotBeMadeIsReportedByName) {
  TempDir dir;
  dir.Write("program/installed", "");
  dir.Write("blocked", "a file where the folder should go");
  const ProgramPlaces places =
      FindProgramPlaces(dir.File("program") + kSep, dir.File("blocked") + kSep + "corvane2" + kSep);
  const std::string error = PrepareUserFolder(places);
  EXPECT_NE(error.find("Cannot create file"), std::string::npos) << error;
  EXPECT_NE(error.find(ConfigFolder(places)), std::string::npos) << error;
}

TEST(ProgramPaths, TheBuildShipsTheConfigurationAFirstStartNames) {
  const std::string folder = std::string(CORVANE_PROGRAM_DIR) + "/";
  const std::string shipped = ConfigPath(PortablePlaces(folder), "survey.crv");
  ASSERT_TRUE(fs::is_regular_file(shipped));
  TExportConfig working = ZeroConfig();
  TExportConfig saved = ZeroConfig();
  const ConfigFileResult read = ReadConfigFile(shipped, working, saved);
  ASSERT_TRUE(read.accepted) << read.message;
  EXPECT_TRUE(SameConfig(working, MakeDefaultConfig()));
}

}  // namespace
}  // namespace corvane
