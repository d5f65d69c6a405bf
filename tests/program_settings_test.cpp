// The program's settings as one value over a store held in memory: what a first start writes,
// the order start-up reads in, and how each value that cannot be read is told and repaired.
#include "config/program_settings.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace corvane {
namespace {

// Values by name, each a Boolean or a text; names in `wrongType` hold a value of the other kind
// and names in `refused` cannot be written, as a locked registry key behaves.
class MemoryStore : public SettingsStore {
 public:
  std::map<std::string, bool> flags;
  std::map<std::string, std::string> texts;
  std::set<std::string> wrongType;
  std::set<std::string> refused;
  std::vector<std::string> written;  // "name=value" in the order written

  bool ReadBool(std::string_view name, bool& value, std::string& error) override {
    const std::string key(name);
    if (wrongType.count(key)) {
      error = InvalidTypeText(name);
      return false;
    }
    const auto found = flags.find(key);
    if (found == flags.end()) {
      error = FailedToGetText(name);
      return false;
    }
    value = found->second;
    return true;
  }
  bool ReadText(std::string_view name, std::string& value, std::string& error) override {
    const std::string key(name);
    if (wrongType.count(key)) {
      error = InvalidTypeText(name);
      return false;
    }
    const auto found = texts.find(key);
    value = found == texts.end() ? std::string() : found->second;
    return true;
  }
  bool WriteBool(std::string_view name, bool value, std::string& error) override {
    if (!Writable(name, error)) return false;
    flags[std::string(name)] = value;
    wrongType.erase(std::string(name));
    written.push_back(std::string(name) + (value ? "=1" : "=0"));
    return true;
  }
  bool WriteText(std::string_view name, std::string_view value, std::string& error) override {
    if (!Writable(name, error)) return false;
    texts[std::string(name)] = std::string(value);
    wrongType.erase(std::string(name));
    written.push_back(std::string(name) + "=\"" + std::string(value) + "\"");
    return true;
  }

 private:
  bool Writable(std::string_view name, std::string& error) {
    if (!refused.count(std::string(name))) return true;
    error = FailedToSetText(name);
    return false;
  }
};

const SettingsDefaults kDefaults{"/home/surveyor", "survey.crv"};

struct Told {
  std::vector<std::string> texts;
  SettingsReport Sink() {
    return [this](const std::string& text) { texts.push_back(text); };
  }
};

TEST(ProgramSettings, AFirstStartWritesEveryValueWithItsKindInTheOrderStartUpReadsThem) {
  MemoryStore store;
  std::string error;
  ASSERT_TRUE(WriteProgramSettings(store, FirstStartSettings(kDefaults), error));
  EXPECT_EQ(store.written, (std::vector<std::string>{"showtips=1", "showlog=1", "dxfpath=\"/home/surveyor\"",
                                                     "destpath=\"/home/surveyor\"", "locked=1", "autosel=0",
                                                     "config=\"survey.crv\""}));
  // Read back, it is the same value, and nothing is told.
  Told told;
  const ProgramSettings read = ReadProgramSettings(store, ProgramSettings{}, told.Sink());
  EXPECT_TRUE(told.texts.empty());
  EXPECT_TRUE(read.showTips && read.showLog && read.locked && !read.autoSel);
  EXPECT_EQ(read.dxfPath, "/home/surveyor");
  EXPECT_EQ(read.destPath, "/home/surveyor");
  EXPECT_EQ(read.config, "survey.crv");
}

TEST(ProgramSettings, AFirstStartStopsAtTheFirstWriteTheStoreRefuses) {
  MemoryStore store;
  store.refused = {"dxfpath"};
  std::string error;
  EXPECT_FALSE(WriteProgramSettings(store, FirstStartSettings(kDefaults), error));
  EXPECT_EQ(error, "Failed to set data for 'dxfpath'");
  EXPECT_EQ(store.written, (std::vector<std::string>{"showtips=1", "showlog=1"}));
}

TEST(ProgramSettings, EachValueThatCannotBeReadIsToldInOrderThenRepairedWithItsFirstStartValue) {
  MemoryStore store;
  store.flags = {{"showtips", false}, {"locked", false}, {"autosel", true}};
  store.texts = {{"dxfpath", "/data/site"}, {"config", "mine.crv"}};
  store.wrongType = {"destpath", "locked"};
  Told told;
  const ProgramSettings read = ReadProgramSettings(store, FirstStartSettings(kDefaults), told.Sink());
  EXPECT_EQ(told.texts, (std::vector<std::string>{"Failed to get data for 'showlog'",
                                                  "Invalid data type for 'destpath'",
                                                  "Invalid data type for 'locked'"}));
  // Only what could not be read is written, with its own kind.
  EXPECT_EQ(store.written,
            (std::vector<std::string>{"showlog=1", "destpath=\"/home/surveyor\"", "locked=1"}));
  // What was read stays the user's.
  EXPECT_FALSE(read.showTips);
  EXPECT_TRUE(read.showLog);
  EXPECT_EQ(read.dxfPath, "/data/site");
  EXPECT_EQ(read.destPath, "/home/surveyor");
  EXPECT_TRUE(read.locked);
  EXPECT_TRUE(read.autoSel);
  EXPECT_EQ(read.config, "mine.crv");
}

TEST(ProgramSettings, ARepairTheStoreRefusesIsToldAfterTheValuesOwnErrorAndTheRepairStillServes) {
  MemoryStore store;
  store.refused = {"showtips", "showlog", "dxfpath", "destpath", "locked", "autosel", "config"};
  store.wrongType = {"config"};
  Told told;
  const ProgramSettings read = ReadProgramSettings(store, FirstStartSettings(kDefaults), told.Sink());
  EXPECT_EQ(told.texts, (std::vector<std::string>{
                            "Failed to get data for 'showtips'", "Failed to set data for 'showtips'",
                            "Failed to get data for 'showlog'", "Failed to set data for 'showlog'",
                            "Failed to get data for 'locked'", "Failed to set data for 'locked'",
                            "Failed to get data for 'autosel'", "Failed to set data for 'autosel'",
                            "Invalid data type for 'config'", "Failed to set data for 'config'"}));
  EXPECT_TRUE(read.showTips && read.showLog && read.locked && !read.autoSel);
  // A missing text is an empty one, no error: only "config" was repaired.
  EXPECT_EQ(read.dxfPath, "");
  EXPECT_EQ(read.config, "survey.crv");
}

TEST(ProgramSettings, AChangeIsWrittenUnderItsNameWithItsKind) {
  MemoryStore store;
  std::string error;
  EXPECT_TRUE(WriteSetting(store, kSettingAutoSel, true, error));
  EXPECT_TRUE(WriteSetting(store, kSettingConfig, "site.crv", error));
  EXPECT_EQ(store.written, (std::vector<std::string>{"autosel=1", "config=\"site.crv\""}));
  store.refused = {"locked"};
  EXPECT_FALSE(WriteSetting(store, kSettingLocked, false, error));
  EXPECT_EQ(error, "Failed to set data for 'locked'");
}

}  // namespace
}  // namespace corvane
