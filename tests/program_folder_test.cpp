// The build folder is a complete program folder: what ships beside the program is there, and
// default.crv holds the defaults its readable source describes.
#include <gtest/gtest.h>

#include <filesystem>

#include "config/crv_file.h"
#include "config/default_config.h"
#include "config/lookup_lists.h"

#ifndef CORVANE_PROGRAM_DIR
#define CORVANE_PROGRAM_DIR "."
#endif

namespace corvane {
namespace {

namespace fs = std::filesystem;

TEST(ProgramFolder, HoldsTheListsTheDefaultConfigurationAndTheConfigurationsFolder) {
  const fs::path folder(CORVANE_PROGRAM_DIR);
  LookupLists lists;
  EXPECT_EQ(LoadLookupLists(folder.string() + "/", lists), "");
  EXPECT_TRUE(fs::is_directory(folder / "configurations"));

  TExportConfig working = ZeroConfig();
  TExportConfig saved = ZeroConfig();
  const ConfigFileResult read = ReadConfigFile((folder / "default.crv").string(), working, saved);
  ASSERT_TRUE(read.accepted) << read.message;
  EXPECT_EQ(fs::file_size(folder / "default.crv"), kExportConfigSize);
  const TExportConfig expected = MakeDefaultConfig();
  EXPECT_TRUE(SameConfig(working, expected));
  // What a surveyor gets without choosing anything.
  EXPECT_EQ(working.FileExtension.view(), "txt");
  EXPECT_EQ(working.FieldSeparator.view(), ",");
  EXPECT_EQ(working.XDecimals, 3);
  EXPECT_EQ(working.FieldChecked[0] + working.FieldChecked[1] + working.FieldChecked[2] +
                working.FieldChecked[3],
            4);
}

}  // namespace
}  // namespace corvane
