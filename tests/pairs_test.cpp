#include "engine/pairs.h"

#include <gtest/gtest.h>

#include <string>

namespace corvane {
namespace {

TEST(GroupCodes, AreComparedAsTrimmedText) {
  EXPECT_EQ(GroupCode(TrimDxf("  0")), 0);
  EXPECT_EQ(GroupCode(TrimDxf(" 10\t")), 10);
  EXPECT_EQ(GroupCode(TrimDxf("1071")), 1071);
  EXPECT_EQ(GroupCode(TrimDxf("010")), -1);  // "010" is not the text "10"
  EXPECT_EQ(GroupCode(TrimDxf("00")), -1);
  EXPECT_EQ(GroupCode(TrimDxf("-1")), -1);
  EXPECT_EQ(GroupCode(TrimDxf("1 0")), -1);
  EXPECT_EQ(GroupCode(TrimDxf("")), -1);
}

TEST(GroupCodes, TheThreeColumnShortcutAgreesWithTrimming) {
  const std::string alphabet = " 0159a\t-";
  for (char a : alphabet) {
    for (char b : alphabet) {
      for (char c : alphabet) {
        const std::string line{a, b, c};
        EXPECT_EQ(CodeOfLine(line), GroupCode(TrimDxf(line))) << '"' << line << '"';
      }
    }
  }
}

}  // namespace
}  // namespace corvane
