#include "config/lookup_lists.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/stat.h>
#include <sys/wait.h>
#endif

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "config/crv_file.h"
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

// ---- Lists that are not files: a folder, a FIFO or a device in their place ----------------

constexpr const char* kListFiles[] = {kFieldNameFile, kCustomItemFile, kHintFile};

// Lays out the shipped lists in `folder`, with a folder in the place of `asFolder`. The folder
// holds a file, so that it cannot pass for an empty list.
void ListsWithAFolder(const fs::path& folder, const char* asFolder) {
  for (const char* list : kListFiles) {
    fs::remove_all(folder / list);
    if (std::string_view(list) == asFolder) {
      test::WriteFile(folder / list / "inside.txt", "x\n");
    } else {
      fs::copy_file(fs::path(CORVANE_SOURCE_DIR) / "data" / list, folder / list);
    }
  }
}

TEST(LookupListFolders, AreReportedByNameAndNothingIsKept) {
  for (const char* name : kListFiles) {
    SCOPED_TRACE(name);
    test::TempDir folder;
    ListsWithAFolder(folder.path(), name);
    const std::string path = folder.File(name);
    const std::string prefix = "Cannot open file \"" + path + "\". ";

    const LookupListResult one = LoadLookupList(path);
    EXPECT_FALSE(one.ok);
    EXPECT_EQ(one.message.rfind(prefix, 0), 0u) << one.message;
    EXPECT_GT(one.message.size(), prefix.size());  // with the system's reason
    EXPECT_TRUE(one.lines.empty());

    LookupLists lists;
    lists.hints = {"kept"};
    EXPECT_EQ(LoadLookupLists(folder.Str(), lists), one.message);
    EXPECT_EQ(lists.hints, Lines{"kept"});
    EXPECT_TRUE(lists.fieldNames.empty());
    EXPECT_TRUE(lists.customItems.empty());
  }
}

#if !defined(_WIN32)  // FIFOs and devices are POSIX matters
TEST(LookupListsAndConfigurations, AFifoOrADeviceInTheirPlaceIsRefusedNamingTheFile) {
  // Reading a FIFO waits for a writer that never comes, and /dev/zero hands out bytes without
  // end: start-up would hang, or fill the memory.
  test::TempDir folder;
  const fs::path fifo = folder.path() / "pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::vector<fs::path> places = {fifo};
  if (fs::exists("/dev/zero")) {
    fs::create_symlink("/dev/zero", folder.path() / "zero");
    places.push_back(folder.path() / "zero");
  }
  for (const fs::path& place : places) {
    SCOPED_TRACE(place.string());
    const LookupListResult list = LoadLookupList(place.string());
    EXPECT_FALSE(list.ok);
    EXPECT_EQ(list.message, "Cannot open file \"" + place.string() + "\". Not a regular file");
    TExportConfig working = test::TestConfig(), saved = test::TestConfig();
    const ConfigFileResult config = ReadConfigFile(place.string(), working, saved);
    EXPECT_FALSE(config.accepted);
    EXPECT_EQ(config.message, list.message);
  }
}
#endif

#if !defined(_WIN32)  // the tool is run through a POSIX shell
TEST(LookupListFolders, StopTheCommandLineToolAtStartUpNamingTheFile) {
  // The tool finds its lists beside itself: a copy of it in a temporary program folder.
  test::TempDir dir;
  fs::copy_file(CORVANE_CLI_PATH, dir.path() / "corvane-cli");
  fs::copy_file(fs::path(CORVANE_PROGRAM_DIR) / "default.crv", dir.path() / "default.crv");
  const std::string dxf = test::DxfWithEntities(test::Pairs({"0", "POINT", "8", "P", "10", "1", "20", "2", "30", "3"}));
  test::WriteFile(dir.path() / "work" / "a.dxf", dxf);
  for (const char* name : kListFiles) {
    SCOPED_TRACE(name);
    ListsWithAFolder(dir.path(), name);
    const std::string err = dir.File("stderr.log");
    const std::string command = "cd '" + (dir.path() / "work").string() + "' && '" + dir.File("corvane-cli") +
                                "' a.dxf >/dev/null 2>'" + err + "' </dev/null";
    const int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 2);  // a configuration error, before any drawing is read
    const std::string prefix = "corvane-cli: Cannot open file \"" + dir.File(name) + "\". ";
    const std::string message = test::ReadFile(err);
    EXPECT_EQ(message.rfind(prefix, 0), 0u) << message;
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
    // Nothing was converted, and nothing was touched.
    EXPECT_FALSE(fs::exists(dir.path() / "work" / "a.txt"));
    EXPECT_EQ(test::ReadFile(dir.path() / "work" / "a.dxf"), dxf);
    EXPECT_EQ(test::ReadFile(dir.path() / name / "inside.txt"), "x\n");
  }
}
#endif

}  // namespace
}  // namespace corvane
