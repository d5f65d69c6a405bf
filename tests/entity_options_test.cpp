// The entity options' table, which the dispatcher, the report, --set, --help, the pictures and the
// window all read: its rows must stay consistent with one another.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>

#include "cli/cli_options.h"
#include "config/config_text.h"
#include "config/entity_options.h"
#include "config/field_tables.h"
#include "files/text_rules.h"

namespace corvane {
namespace {

TEST(EntityOptions, ShortNamesAreDistinctAndFoundInAnyCase) {
  std::set<std::string> seen;
  for (const EntityOption& option : kEntityOptions) {
    EXPECT_TRUE(seen.insert(std::string(option.shortName)).second) << option.shortName;
    std::string upper(option.shortName);
    for (char& c : upper) c = UpperAscii(c);
    EXPECT_EQ(EntityOptionOfShortName(upper), option.bit) << upper;
  }
  EXPECT_EQ(EntityOptionOfShortName("point"), -1);
}

TEST(EntityOptions, CountedOptionsStartReadersAndSubOptionsRefineThem) {
  std::set<std::tuple<int, int, int>> colours;
  for (const EntityOption& option : kEntityOptions) {
    SCOPED_TRACE(option.shortName);
    if (option.counted) {
      // A counted option is started by an entity name, writes data lines under a type name that
      // leads back to it, and has a colour of its own.
      EXPECT_FALSE(option.starts[0].name.empty());
      EXPECT_EQ(option.parent, -1);
      EXPECT_TRUE(colours.insert({option.colour.r, option.colour.g, option.colour.b}).second);
      for (std::string_view typeName : option.typeNames) {
        if (!typeName.empty()) {
          EXPECT_EQ(EntityOptionOfTypeName(typeName), option.bit) << typeName;
        }
      }
    } else {
      // A sub-option starts nothing and refines a counted option.
      EXPECT_TRUE(option.starts[0].name.empty());
      ASSERT_GE(option.parent, 0);
      EXPECT_TRUE(EntityOptionOf(option.parent).counted);
    }
  }
  EXPECT_EQ(EntityOptionOfTypeName("VERTEX"), -1);
}

TEST(EntityOptions, TheHelpAndTheConfigurationTextNameEveryOption) {
  TExportConfig config{};
  for (const EntityOption& option : kEntityOptions) {
    EXPECT_NE(std::string(kCliUsage).find(" " + std::string(option.shortName)), std::string::npos)
        << option.shortName;
    std::string error;
    ASSERT_TRUE(SetConfigField(config, "Entities=" + std::string(option.shortName), error)) << error;
    EXPECT_EQ(config.EntityMask, EntityBitValue(option.bit));
  }
  for (const CustomItem& item : kCustomItems) {
    EXPECT_NE(std::string(kCliUsage).find(" " + std::string(item.name)), std::string::npos) << item.name;
  }
}

}  // namespace
}  // namespace corvane
