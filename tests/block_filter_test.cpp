#include "engine/block_filter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "tests/block_filter_reference.h"

namespace corvane {
namespace {

using reference::Match;

std::string RandomText(std::mt19937& rng, std::string_view alphabet, std::size_t maxLength) {
  std::string text(rng() % (maxLength + 1), ' ');
  for (char& c : text) c = alphabet[rng() % alphabet.size()];
  return text;
}

struct PatternRow {
  const char* pattern;
  std::vector<std::string> accepted;
  std::vector<std::string> rejected;
};

TEST(MatchWildcard, SinglePatterns) {
  const PatternRow rows[] = {
      {"DOOR*", {"DOOR", "door", "Door-01"}, {"XDOOR"}},
      {"D?OR", {"DOOR", "d1or"}, {"DOR", "DOORS"}},
      {"*", {"", "A", "Door-01", "!NoBlockName!"}, {}},
      {"A*B", {"AB", "AXXB"}, {"ABX"}},
      {"AB*", {"AB", "ABC"}, {"A"}},
      {"AB**", {"ABC", "ABCD"}, {"AB"}},  // a used-up name matches one trailing "*", not two
      {"**", {"AB", "A"}, {""}},
      {"door", {"DOOR", "Door"}, {"DOORS"}},
      {"", {""}, {"A"}},
      {"?", {"A"}, {"", "AB"}},
  };
  for (const PatternRow& row : rows) {
    for (const std::string& name : row.accepted) {
      EXPECT_TRUE(MatchWildcard(name, row.pattern)) << row.pattern << " vs " << name;
    }
    for (const std::string& name : row.rejected) {
      EXPECT_FALSE(MatchWildcard(name, row.pattern)) << row.pattern << " vs " << name;
    }
  }
}

TEST(MatchWildcard, FoldsOnlyAsciiLetters) {
  EXPECT_FALSE(MatchWildcard("\xC9TAGE", "\xE9tage"));  // É vs é in an 8-bit code page
  EXPECT_FALSE(MatchWildcard("\xE9TAGE", "\xC9TAGE"));
  EXPECT_TRUE(MatchWildcard("\xE9tage", "\xE9TAGE"));
  // Pairs 32 apart that are not letters must stay distinct: "[" / "{", "@" / "`".
  EXPECT_FALSE(MatchWildcard("[", "{"));
  EXPECT_FALSE(MatchWildcard("@", "`"));
}

TEST(MatchWildcard, WildcardCharactersInNameAreOrdinary) {
  EXPECT_FALSE(MatchWildcard("A*", "AB"));
  EXPECT_FALSE(MatchWildcard("A?", "AB"));
  EXPECT_TRUE(MatchWildcard("A?", "A?"));
  EXPECT_TRUE(MatchWildcard("*?", "??"));
}

TEST(MatchWildcard, ManyStarsAgainstLongNameFinish) {
  const std::string name(10'000, 'A');
  const std::string stars(100, '*');
  EXPECT_TRUE(MatchWildcard(name, stars));
  EXPECT_FALSE(MatchWildcard("", stars));
  EXPECT_TRUE(MatchWildcard("A", stars));
  EXPECT_FALSE(MatchWildcard(name, std::string(99, '*') + "B"));
  std::string alternating;
  for (int i = 0; i < 50; ++i) alternating += "*A";
  EXPECT_TRUE(MatchWildcard(name, alternating));
  EXPECT_FALSE(MatchWildcard(name, alternating + "?*B*"));
}

TEST(MatchWildcard, AgreesWithPlainRecursionOnEverySmallInput) {
  // Every pattern of up to 5 characters over {a, B, *, ?} against every name of up to 4
  // characters over {A, b, ?}.
  const auto all = [](std::string_view alphabet, std::size_t maxLength) {
    std::vector<std::string> texts{""};
    for (std::size_t first = 0; texts[first].size() < maxLength; ++first) {
      for (char c : alphabet) texts.push_back(texts[first] + c);
    }
    return texts;
  };
  const std::vector<std::string> patterns = all("aB*?", 5);
  const std::vector<std::string> names = all("Ab?", 4);
  for (const std::string& pattern : patterns) {
    for (const std::string& name : names) {
      ASSERT_EQ(MatchWildcard(name, pattern), Match(name, pattern))
          << "pattern " << pattern << " name " << name;
    }
  }
}

TEST(MatchWildcard, AgreesWithPlainRecursionOnRandomInputs) {
  std::mt19937 rng(20240611);
  for (int round = 0; round < 20'000; ++round) {
    const std::string pattern = RandomText(rng, "aAb**?\xE9", 9);
    const std::string name = RandomText(rng, "aAbB*?\xE9\xC9", 12);
    ASSERT_EQ(MatchWildcard(name, pattern), Match(name, pattern))
        << "pattern " << pattern << " name " << name;
  }
}

TEST(MatchBlockName, Lists) {
  struct ListRow {
    const char* list;
    const char* name;
    bool accepted;
  };
  const ListRow rows[] = {
      {" DOOR ,\tWINDOW ", "DOOR", true},
      {" DOOR ,\tWINDOW ", "window", true},
      {" DOOR ,\tWINDOW ", "TABLE", false},
      {" DOOR ,\tWINDOW ", " DOOR ", false},
      {" MY BLOCK ", "MY BLOCK", true},  // inner blanks belong to the pattern
      {" MY BLOCK ", "MYBLOCK", false},
      {",DOOR", "DOOR", true},
      {",DOOR", "WINDOW", false},
      {"DOOR,,WINDOW", "WINDOW", true},
      {"DOOR,,WINDOW", "TABLE", false},
      {"DOOR,", "DOOR", true},
      {"DOOR,", "WINDOW", false},  // a trailing comma does not switch the filter off
      {"DOOR, ,\t", "WINDOW", false},
      {"   ", "ANYTHING", true},
      {",", "ANYTHING", true},
      {" , ", "ANYTHING", true},
      {"", "ANYTHING", true},
      {"!*", "!NoBlockName!", true},
      {"DOOR*", "!NoBlockName!", false},
      {"X*,DOOR*,*", "TABLE", true},
  };
  for (const ListRow& row : rows) {
    EXPECT_EQ(MatchBlockName(row.list, row.name), row.accepted)
        << "list \"" << row.list << "\" name \"" << row.name << "\"";
    EXPECT_EQ(BlockNameFilter(row.list).Accepts(row.name), row.accepted)
        << "list \"" << row.list << "\" name \"" << row.name << "\"";
  }
}

TEST(BlockNameFilter, EmptyOnlyWhenTheListIsBlank) {
  EXPECT_TRUE(BlockNameFilter("").Empty());
  EXPECT_TRUE(BlockNameFilter(" \t\r\n").Empty());
  EXPECT_FALSE(BlockNameFilter("DOOR").Empty());
  BlockNameFilter commaOnly(",");
  EXPECT_FALSE(commaOnly.Empty());
  EXPECT_TRUE(commaOnly.Accepts("ANYTHING"));
}

TEST(BlockNameFilter, ReusedFilterAgreesWithReference) {
  // One filter answers many names of changing length, so stale scratch from a longer name
  // would show up here.
  std::mt19937 rng(7);
  for (int list = 0; list < 300; ++list) {
    const std::string patterns = RandomText(rng, "aB*?, \t", 12);
    BlockNameFilter filter(patterns);
    for (int round = 0; round < 40; ++round) {
      const std::string name = RandomText(rng, "AbB* ", round % 2 == 0 ? 10 : 3);
      ASSERT_EQ(filter.Accepts(name), reference::MatchList(patterns, name))
          << "list \"" << patterns << "\" name \"" << name << "\"";
      ASSERT_EQ(MatchBlockName(patterns, name), reference::MatchList(patterns, name));
    }
  }
}

}  // namespace
}  // namespace corvane
