// The paths derived from the program folder, and that the build's program folder holds what
// they name on a first start.
#include <gtest/gtest.h>

#include <filesystem>

#include "config/crv_file.h"
#include "config/default_config.h"
#include "config/program_paths.h"

#ifndef CORVANE_PROGRAM_DIR
#define CORVANE_PROGRAM_DIR "."
#endif

namespace corvane {
namespace {

namespace fs = std::filesystem;
const std::string kSep(1, static_cast<char>(fs::path::preferred_separator));

TEST(ProgramPaths, FollowTheProgramFolder) {
  const std::string folder = "/opt/corvane" + kSep;
  EXPECT_EQ(ConfigFolder(folder), folder + "configurations");
  EXPECT_EQ(ConfigPath(folder, "survey.crv"), folder + "configurations" + kSep + "survey.crv");
  EXPECT_EQ(ReportPath(folder), folder + "CorvaneLog.txt");
  EXPECT_EQ(DefaultConfigPath(folder), folder + "default.crv");
}

TEST(ProgramPaths, AnEmptyOrNoneConfigValueNamesNoFile) {
  const std::string folder = "/opt/corvane/";
  EXPECT_EQ(ConfigPath(folder, ""), ConfigFolder(folder) + kSep);
  EXPECT_EQ(ConfigPath(folder, "none"), ConfigFolder(folder) + kSep + "none");
}

TEST(ProgramPaths, AFolderWithoutItsSeparatorStillGetsOne) {
  EXPECT_EQ(ReportPath("/opt/corvane"), "/opt/corvane" + kSep + "CorvaneLog.txt");
  EXPECT_EQ(ConfigFolder("/opt/corvane"), "/opt/corvane" + kSep + "configurations");
}

TEST(ProgramPaths, TheBuildShipsTheConfigurationAFirstStartNames) {
  const std::string folder = std::string(CORVANE_PROGRAM_DIR) + "/";
  const std::string shipped = ConfigPath(folder, "survey.crv");
  ASSERT_TRUE(fs::is_regular_file(shipped));
  TExportConfig working = ZeroConfig();
  TExportConfig saved = ZeroConfig();
  const ConfigFileResult read = ReadConfigFile(shipped, working, saved);
  ASSERT_TRUE(read.accepted) << read.message;
  EXPECT_TRUE(SameConfig(working, MakeDefaultConfig()));
}

}  // namespace
}  // namespace corvane
