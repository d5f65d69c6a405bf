// A save either leaves the new content or the old one, never a mix, never a stray temporary
// file, and never replaces what the user did not mean: a link's target is saved, a read-only
// file is left alone, a FIFO is written to or refused.
#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <filesystem>
#include <string>

#include "files/atomic_file.h"
#include "files/file_io.h"
#include "tests/test_support.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;

std::string CannotCreate(const std::string& path, int error) {
  return CannotCreateMessage(path, SystemReason(error));
}

TEST(AtomicFile, ReplacesTheFileAndKeepsItsPermissions) {
  TempDir dir;
  const std::string path = dir.File("report.txt");
  ASSERT_EQ(WriteFileAtomically(path, "first"), "");
  EXPECT_EQ(ReadFile(path), "first");
#if !defined(_WIN32)
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
#endif
  ASSERT_EQ(WriteFileAtomically(path, "second, longer"), "");
  EXPECT_EQ(ReadFile(path), "second, longer");
#if !defined(_WIN32)
  EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
#endif
  ASSERT_EQ(WriteFileAtomically(path, ""), "");
  EXPECT_EQ(ReadFile(path), "");
  EXPECT_EQ(dir.EntryCount(), 1u) << "no temporary file is left beside the target";
}

TEST(AtomicFile, WhatCannotBeReplacedIsRefusedAndLeftAsItWas) {
  TempDir dir;
  // A read-only file stays read-only, even for a user (root) whom the system would let write.
  const std::string readOnly = dir.Write("kept.txt", "kept");
  fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read);
  EXPECT_EQ(CheckReplaceable(readOnly), CannotCreate(readOnly, EACCES));
  EXPECT_EQ(WriteFileAtomically(readOnly, "lost"), CannotCreate(readOnly, EACCES));
  fs::permissions(readOnly, fs::perms::owner_write, fs::perm_options::add);
  EXPECT_EQ(ReadFile(readOnly), "kept");

  const std::string folder = dir.File("folder");
  fs::create_directory(folder);
  dir.Write("folder/inside.txt", "inside");
  EXPECT_EQ(CheckReplaceable(folder), CannotCreate(folder, EISDIR));
  EXPECT_EQ(WriteFileAtomically(folder, "lost"), CannotCreate(folder, EISDIR));
  EXPECT_EQ(ReadFile(dir.File("folder/inside.txt")), "inside");

  const std::string nowhere = dir.File("missing/report.txt");
  const std::string refusal = CheckReplaceable(nowhere);
  EXPECT_EQ(refusal.rfind("Cannot create file \"" + nowhere + "\". ", 0), 0u) << refusal;
  EXPECT_EQ(WriteFileAtomically(nowhere, "lost"), refusal);
  EXPECT_EQ(dir.EntryCount(), 2u) << "nothing was created beside them";
}

TEST(AtomicFile, TheCheckBeforeASaveLeavesNothingBehind) {
  TempDir dir;
  EXPECT_EQ(CheckReplaceable(dir.File("new.crv"), SpecialFiles::kRefuse), "");
  const std::string existing = dir.Write("old.crv", "old");
  EXPECT_EQ(CheckReplaceable(existing, SpecialFiles::kRefuse), "");
  EXPECT_EQ(dir.EntryCount(), 1u);
  EXPECT_EQ(ReadFile(existing), "old");
}

#if !defined(_WIN32)
TEST(AtomicFile, ALinkIsKeptAndTheFileItReachesIsSaved) {
  TempDir dir;
  fs::create_directory(dir.File("elsewhere"));
  const std::string target = dir.Write("elsewhere/report.txt", "old");
  const std::string link = dir.File("report.txt");
  fs::create_symlink(target, link);
  ASSERT_EQ(WriteFileAtomically(link, "new"), "");
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadFile(target), "new");

  // A link to a file not there yet creates that file, where the link says.
  const std::string dangling = dir.File("dangling.txt");
  fs::create_symlink(dir.File("elsewhere/later.txt"), dangling);
  ASSERT_EQ(WriteFileAtomically(dangling, "later"), "");
  EXPECT_TRUE(fs::is_symlink(dangling));
  EXPECT_EQ(ReadFile(dir.File("elsewhere/later.txt")), "later");
  EXPECT_EQ(dir.EntryCount(), 3u);
}

// A report may go to a FIFO a shell made (a pipe to another program); a configuration must be a
// file that reads back, so there the FIFO is refused and nothing is written to it.
TEST(AtomicFile, AFifoIsWrittenThroughOrRefused) {
  TempDir dir;
  const std::string fifo = dir.File("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);

  const std::string refused = CannotCreateMessage(fifo, "Not a regular file");
  EXPECT_EQ(CheckReplaceable(fifo, SpecialFiles::kRefuse), refused);
  EXPECT_EQ(WriteFileAtomically(fifo, "never", SpecialFiles::kRefuse), refused);
  char buffer[16] = {};
  EXPECT_LE(::read(reader, buffer, sizeof buffer), 0);

  EXPECT_EQ(CheckReplaceable(fifo), "");
  ASSERT_EQ(WriteFileAtomically(fifo, "through"), "");
  EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(::read(reader, buffer, sizeof buffer))),
            "through");
  ::close(reader);
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_EQ(dir.EntryCount(), 1u);
}
#endif

}  // namespace
}  // namespace corvane
