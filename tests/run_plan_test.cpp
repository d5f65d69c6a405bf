// Where a run's drawings are read and their data files written: the data file's name, and the
// earlier drawings of the same run whose data file is the same file.
#include "engine/run_plan.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/test_support.h"

namespace corvane {
namespace {

using test::TempDir;
using test::TestConfig;

std::string Sep() { return std::string(1, std::filesystem::path::preferred_separator); }

TEST(RunPlan, TheDataFileTakesTheNameUpToItsFirstDot) {
  EXPECT_EQ(DataFilePath("out", "plan.dxf", "txt"), "out" + Sep() + "plan.txt");
  EXPECT_EQ(DataFilePath("out" + Sep(), "site.rev2.DXF", "csv"), "out" + Sep() + "site.csv");
  EXPECT_EQ(DataFilePath("", "a.dxf", "txt"), "a.txt");
  // A name without a dot keeps all of it rather than losing the name.
  EXPECT_EQ(DataFilePath("d", "noext", "txt"), "d" + Sep() + "noext.txt");
  // A name starting with a dot has an empty stem, as the rule gives.
  EXPECT_EQ(DataFilePath("d", ".hidden.dxf", "txt"), "d" + Sep() + ".txt");
}

TEST(RunPlan, DrawingsSharingADataFileWaitForEveryEarlierOne) {
  TempDir dir;
  for (const char* name : {"a.b.dxf", "a.c.dxf", "b.dxf", "a.d.dxf"}) dir.Write(name, "");
  TExportConfig config = TestConfig();
  RunRequest request;
  for (const char* name : {"a.b.dxf", "a.c.dxf", "b.dxf", "a.d.dxf"}) {
    request.files.push_back({dir.Str(), name, dir.Str()});
  }
  for (int jobs : {1, 2}) {
    request.jobs = jobs;
    const std::vector<PlannedFile> plan = PlanFiles(config, request);
    ASSERT_EQ(plan.size(), 4u);
    EXPECT_EQ(plan[0].dxfPath, dir.File("a.b.dxf"));
    EXPECT_EQ(plan[1].dataPath, dir.File("a.txt"));
    EXPECT_TRUE(plan[0].sameDataFileBefore.empty());
    EXPECT_EQ(plan[1].sameDataFileBefore, (std::vector<std::size_t>{0}));
    EXPECT_TRUE(plan[2].sameDataFileBefore.empty());
    EXPECT_EQ(plan[3].sameDataFileBefore, (std::vector<std::size_t>{0, 1})) << jobs << " jobs";
    EXPECT_TRUE(plan[0].dxfTarget.exists);
    EXPECT_FALSE(plan[0].dataTarget.exists);
  }
}

}  // namespace
}  // namespace corvane
