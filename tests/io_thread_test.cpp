// The read-ahead and write-behind thread: blocks arrive whole and in order, the pass over a read
// block runs before the read counts as done, and a failed read or write gives its errno.
#include "engine/io_thread.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/test_support.h"

namespace corvane {
namespace {

using test::ReadFile;
using test::TempDir;

TEST(IoThread, WritesThenReadsBlocksInOrderWithOneThreadForSeveralFiles) {
  TempDir dir;
  IoThread io;
  for (const char* name : {"a.bin", "b.bin"}) {
    std::FILE* out = std::fopen(dir.File(name).c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::string expected;
    std::vector<std::string> blocks = {"first block,", std::string(100000, 'x'), "last"};
    for (const std::string& block : blocks) {
      io.StartWrite(out, block.data(), block.size());
      const IoThread::Done done = io.Wait();
      EXPECT_EQ(done.error, 0);
      EXPECT_EQ(done.bytes, block.size());
      expected += block;
    }
    std::fclose(out);
    EXPECT_EQ(ReadFile(dir.File(name)), expected) << name;

    std::FILE* in = std::fopen(dir.File(name).c_str(), "rb");
    ASSERT_NE(in, nullptr);
    std::string back;
    std::vector<char> block(4096);
    for (;;) {
      io.StartRead(in, block.data(), block.size());
      const IoThread::Done done = io.Wait();
      ASSERT_EQ(done.error, 0);
      if (done.bytes == 0) break;
      back.append(block.data(), done.bytes);
    }
    std::fclose(in);
    EXPECT_EQ(back, expected) << name;
  }
}

struct Pass {
  std::size_t bytes = 0;
  char first = 0;
};

void Count(void* context, char* block, std::size_t bytes) {
  auto* pass = static_cast<Pass*>(context);
  pass->bytes += bytes;
  if (bytes > 0) pass->first = block[0];
  for (std::size_t i = 0; i < bytes; ++i) block[i] = block[i] == 'a' ? 'A' : block[i];
}

TEST(IoThread, ThePassOverAReadBlockIsDoneWhenTheReadIs) {
  TempDir dir;
  const std::string path = dir.Write("in.txt", "banana");
  std::FILE* in = std::fopen(path.c_str(), "rb");
  ASSERT_NE(in, nullptr);
  IoThread io;
  Pass pass;
  char block[16] = {};
  io.StartRead(in, block, sizeof block, Count, &pass);
  const IoThread::Done done = io.Wait();
  std::fclose(in);
  EXPECT_EQ(done.bytes, 6u);
  EXPECT_EQ(pass.bytes, 6u);
  EXPECT_EQ(pass.first, 'b');
  EXPECT_EQ(std::string(block, done.bytes), "bAnAnA");
}

TEST(IoThread, AFailedReadOrWriteGivesItsError) {
  TempDir dir;
  const std::string path = dir.Write("f.txt", "text");
  IoThread io;
  IoThread::Done done;
#ifndef _WIN32
  char block[8];
  // (Windows' C library reads nothing from a stream opened for appending, without an error.)
  std::FILE* writeOnly = std::fopen(path.c_str(), "ab");
  ASSERT_NE(writeOnly, nullptr);
  io.StartRead(writeOnly, block, sizeof block);
  done = io.Wait();
  EXPECT_NE(done.error, 0);
  EXPECT_EQ(done.bytes, 0u);
  std::fclose(writeOnly);
#endif

  std::FILE* readOnly = std::fopen(path.c_str(), "rb");
  ASSERT_NE(readOnly, nullptr);
  io.StartWrite(readOnly, "more", 4);
  done = io.Wait();
  EXPECT_NE(done.error, 0);
  std::fclose(readOnly);
  EXPECT_EQ(ReadFile(path), "text");
}

}  // namespace
}  // namespace corvane
