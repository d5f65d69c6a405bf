#include "config/lookup_lists.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "files/file_io.h"
#include "tests/test_support.h"

#ifndef CORVANE_SOURCE_DIR
#define CORVANE_SOURCE_DIR "/work/main"
#endif

namespace corvane {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

// A temporary program folder with helpers to lay out list files in it.
class TempFolder : public test::TempDir {
 public:
  std::string Path() const { return Str(); }
  void Write(const std::string& name, const std::string& bytes) const { test::TempDir::Write(name, bytes); }
  void WriteLines(const std::string& name, std::size_t count, const std::string& stem) const {
    std::string bytes;
    for (std::size_t i = 0; i < count; ++i) bytes += stem + DecimalText(i) + "\r\n";
    Write(name, bytes);
  }
  // A complete, valid set of the three files.
  void WriteAll() const {
    WriteLines(kFieldNameFile, 5, "Field ");
    WriteLines(kCustomItemFile, 8, "Item ");
    WriteLines(kHintFile, 36, "Hint ");
  }
};

TEST(SplitLines, AcceptsEveryLineEndAndIgnoresAFinalOne) {
  EXPECT_EQ(SplitLines(""), Lines{});
  EXPECT_EQ(SplitLines("a"), Lines{"a"});
  EXPECT_EQ(SplitLines("a\r\nb\r\n"), (Lines{"a", "b"}));
  EXPECT_EQ(SplitLines("a\rb\r"), (Lines{"a", "b"}));
  EXPECT_EQ(SplitLines("a\nb\n"), (Lines{"a", "b"}));
  EXPECT_EQ(SplitLines("a\r\nb\rc\nd"), (Lines{"a", "b", "c", "d"}));
  // Only the last break is dropped; empty lines before it stay.
  EXPECT_EQ(SplitLines("\r\n"), Lines{""});
  EXPECT_EQ(SplitLines("a\n\n"), (Lines{"a", ""}));
  EXPECT_EQ(SplitLines("a\n\rb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(SplitLines("a\r\r\nb"), (Lines{"a", "", "b"}));
}

TEST(SplitLines, KeepsBytesAsTheyAre) {
  const std::string odd = std::string(" \tCaf\xE9 \x01") + '\0' + "x ";
  EXPECT_EQ(SplitLines(odd + "\r\n"), Lines{odd});
}

TEST(LookupLists, LoadsTheThreeFilesFromTheProgramFolder) {
  TempFolder folder;
  folder.WriteAll();
  folder.WriteLines(kHintFile, 40, "Hint ");  // more hints than needed are fine
  LookupLists lists;
  ASSERT_EQ(LoadLookupLists(folder.Path(), lists), "");
  EXPECT_EQ(lists.fieldNames.size(), 5u);
  EXPECT_EQ(lists.fieldNames[4], "Field 4");
  EXPECT_EQ(lists.customItems.size(), 8u);
  EXPECT_EQ(lists.hints.size(), 40u);
}

TEST(LookupLists, MissingFileIsReportedAndNothingIsKept) {
  TempFolder folder;
  folder.WriteAll();
  fs::remove(folder.File(kCustomItemFile));
  LookupLists lists;
  lists.hints = {"kept"};
  const std::string message = LoadLookupLists(folder.Path(), lists);
  const std::string prefix = "Cannot open file \"" + folder.File(kCustomItemFile) + "\". ";
  EXPECT_EQ(message.substr(0, prefix.size()), prefix);
  EXPECT_GT(message.size(), prefix.size());
  EXPECT_EQ(lists.hints, Lines{"kept"});
  EXPECT_TRUE(lists.fieldNames.empty());
}

TEST(LookupLists, LineCountsAreChecked) {
  struct Case {
    const char* file;
    std::size_t lines;
    const char* expected_tail;
  };
  const Case cases[] = {
      {kFieldNameFile, 3, "holds 3 lines; it needs exactly 5"},
      {kFieldNameFile, 6, "holds 6 lines; it needs exactly 5"},
      {kCustomItemFile, 1, "holds 1 line; it needs exactly 8"},
      {kHintFile, 35, "holds 35 lines; it needs at least 36"},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    folder.WriteAll();
    folder.WriteLines(c.file, c.lines, "Line ");
    LookupLists lists;
    EXPECT_EQ(LoadLookupLists(folder.Path(), lists),
              "The file \"" + folder.File(c.file) + "\" " + c.expected_tail);
  }
}

TEST(LookupLists, NamesThatDifferOnlyInLetterCaseAreRefused) {
  TempFolder folder;
  folder.WriteAll();
  folder.Write(kCustomItemFile, "Type\nLayer\nHandle\nBlock\nText\nLAYER\nSeq\nNo\n");
  LookupLists lists;
  EXPECT_EQ(LoadLookupLists(folder.Path(), lists),
            "The file \"" + folder.File(kCustomItemFile) +
                "\" holds the name \"LAYER\" on lines 2 and 6; every name must differ from "
                "the others, letter case ignored");

  // Only "a" to "z" fold: bytes above 127 are compared as they are.
  folder.Write(kCustomItemFile, "T\xE9\nT\xC9\nA\nB\nC\nD\nE\nF\n");
  EXPECT_EQ(LoadLookupLists(folder.Path(), lists), "");
}

// ---- The files that ship beside the program -------------------------------------------------

TEST(ShippedLookupLists, SatisfyTheRulesTheProgramReliesOn) {
  const std::string data = std::string(CORVANE_SOURCE_DIR) + "/data";
  LookupLists lists;
  ASSERT_EQ(LoadLookupLists(data, lists), "");

  const char codes[] = {'N', 'X', 'Y', 'Z', 'C'};
  for (int i = 0; i < 5; ++i) {
    ASSERT_FALSE(lists.fieldNames[i].empty());
    EXPECT_EQ(lists.fieldNames[i][0], codes[i]) << lists.fieldNames[i];
  }

  EXPECT_EQ(lists.hints.size(), 36u);
  // Line 2i doubles as the report label of entity option i.
  const char* labels[] = {"Points",         "Circles",        "Arcs",
                          "Ellipses",       "Blocks",         "Lines",
                          "2D Polylines",   "Include added points (2D)",
                          "3D Polylines",   "Include added points (3D)",
                          "Splines",        "Control points", "Single line text",
                          "Multiline text", "3D Faces",       "3 points only",
                          "Fit points",     "Block names"};
  for (std::size_t n = 0; n < 18; ++n) EXPECT_EQ(lists.hints[2 * n], labels[n]);
  EXPECT_EQ(lists.hints[35],
            "Enter block names separated by comma. You can use wildcards (* and ?)");

  for (const auto* list : {&lists.fieldNames, &lists.customItems, &lists.hints}) {
    for (const std::string& line : *list) {
      EXPECT_FALSE(line.empty());
      EXPECT_TRUE(std::isgraph(static_cast<unsigned char>(line.front())) &&
                  std::isgraph(static_cast<unsigned char>(line.back())))
          << "no blanks at either end: \"" << line << "\"";
    }
  }
}

}  // namespace
}  // namespace corvane
