// The text rules every layer shares.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "files/text_rules.h"

namespace corvane {
namespace {

TEST(TextRules, OnlyAsciiLettersHaveACase) {
  EXPECT_TRUE(SameIgnoringAsciiCase("Points", "pOINTS"));
  EXPECT_FALSE(SameIgnoringAsciiCase("point", "points"));
  // Latin-1 "é" and "É" are different bytes: no code page is assumed.
  EXPECT_FALSE(SameIgnoringAsciiCase("\xE9", "\xC9"));
  // "@" and "`" sit next to the letters; folding by bit would take them for a case pair.
  EXPECT_FALSE(SameIgnoringAsciiCase("@[", "`{"));
  EXPECT_EQ(UpperAscii('z'), 'Z');
  EXPECT_EQ(LowerAscii('{'), '{');
}

TEST(TextRules, TrimmingTakesEveryCharacterUpToSpace) {
  EXPECT_EQ(TrimBlanks(" \t\r\x01POINT\x1F "), "POINT");
  EXPECT_EQ(TrimBlanks("a b"), "a b");
  EXPECT_EQ(TrimBlanks(" \x7F\xA0 "), "\x7F\xA0");  // DEL and bytes from 128 up stay
  EXPECT_EQ(TrimBlanks(std::string_view("\0 ", 2)), "");
  EXPECT_EQ(TrimBlanks(""), "");
}

TEST(TextRules, ControlCharactersAreTheC0ControlsAndDel) {
  EXPECT_TRUE(IsControlCharacter('\0'));
  EXPECT_TRUE(IsControlCharacter('\x1F'));
  EXPECT_TRUE(IsControlCharacter('\x7F'));
  EXPECT_FALSE(IsControlCharacter(' '));
  EXPECT_FALSE(IsControlCharacter('\x80'));
}

TEST(TextRules, SignedThirtyTwoBitIntegers) {
  EXPECT_EQ(ParseInt32("2147483647"), 2147483647);
  EXPECT_EQ(ParseInt32("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(ParseInt32("+0008"), 8);
  EXPECT_EQ(ParseInt32("2147483648"), std::nullopt);
  EXPECT_EQ(ParseInt32("-2147483649"), std::nullopt);
  EXPECT_EQ(ParseInt32("99999999999999999999"), std::nullopt);
  for (std::string_view bad : {"", "-", "+", "1.0", " 1", "1 ", "0x10", "--1"}) {
    EXPECT_EQ(ParseInt32(bad), std::nullopt) << bad;
  }
}

TEST(TextRules, PathSeparatorsAndTheLastPartOfAPath) {
  const std::string sep(1, kNativeSeparator);
  EXPECT_EQ(WithSeparator(""), "");
  EXPECT_EQ(WithSeparator("a"), "a" + sep);
  EXPECT_EQ(WithSeparator("a" + sep), "a" + sep);
  EXPECT_EQ(WithSeparator("a/"), "a/");

  EXPECT_EQ(LastPathPart("/data/site/plan.dxf"), "plan.dxf");
  EXPECT_EQ(LastPathPart("plan.dxf"), "plan.dxf");
  EXPECT_EQ(LastPathPart("/data/"), "");
#if defined(_WIN32)
  EXPECT_EQ(LastPathPart("C:\\data\\plan.dxf"), "plan.dxf");
  EXPECT_EQ(LastPathPart("C:\\data/plan.dxf"), "plan.dxf");
#else
  // Elsewhere a backslash is a character of a name like any other.
  EXPECT_EQ(LastPathPart("/data/a\\b.dxf"), "a\\b.dxf");
  EXPECT_EQ(LastPathPart("a\\b.dxf"), "a\\b.dxf");
#endif
}

TEST(TextRules, AnExtensionStaysInItsFolderOnEverySystem) {
  EXPECT_TRUE(IsUsableExtension("txt"));
  EXPECT_TRUE(IsUsableExtension(""));
  EXPECT_TRUE(IsUsableExtension("d\xE9s"));
  for (std::string_view bad : {"a/b", "a\\b", "c:", "t\tx", "x\x7F"}) {
    EXPECT_FALSE(IsUsableExtension(bad)) << bad;
  }
}

}  // namespace
}  // namespace corvane
