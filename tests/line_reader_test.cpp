#include "engine/line_reader.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "tests/test_support.h"

namespace corvane {
namespace {

// The line rules written out the slow, obvious way: drop lone CRs, stop at Ctrl-Z, split at LF,
// drop the CR of CR LF, cut long lines.
std::vector<std::string> ReferenceLines(const std::string& text) {
  std::string clean;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == 26) break;
    if (text[i] == '\r') {
      const bool followedByLf = i + 1 < text.size() && text[i + 1] == '\n';
      if (!followedByLf) continue;
    }
    clean += text[i];
  }
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < clean.size()) {
    std::size_t nl = clean.find('\n', start);
    const bool terminated = nl != std::string::npos;
    if (!terminated) nl = clean.size();
    std::string line = clean.substr(start, nl - start);
    if (terminated && !line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > kMaxLineLength) line.resize(kMaxLineLength);
    lines.push_back(line);
    start = nl + 1;
  }
  return lines;
}

std::vector<std::string> ReadAll(LineReader& reader) {
  std::vector<std::string> lines;
  std::string_view line;
  while (reader.Next(line)) lines.emplace_back(line);
  return lines;
}

std::vector<std::string> ReadAll(const std::string& text, std::size_t block) {
  LineReader reader(text, block);
  return ReadAll(reader);
}

TEST(LineReader, SplitsAtLfAndCrLfAndDropsLoneCr) {
  EXPECT_EQ(ReadAll("a\nb\r\nc", 64), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(ReadAll("ab\rcd\r\n\r\rx\n", 64), (std::vector<std::string>{"abcd", "x"}));
  EXPECT_EQ(ReadAll("\n\n", 64), (std::vector<std::string>{"", ""}));
  EXPECT_EQ(ReadAll("tail\r", 64), (std::vector<std::string>{"tail"}));
  EXPECT_TRUE(ReadAll("", 64).empty());
}

TEST(LineReader, CtrlZEndsTheInput) {
  EXPECT_EQ(ReadAll("a\nb\x1a\nc\n", 64), (std::vector<std::string>{"a", "b"}));
  LineReader reader(std::string_view("a\n\x1a" "EOF\n"), 64);
  std::string_view line;
  ASSERT_TRUE(reader.Next(line));
  EXPECT_TRUE(reader.AtEnd());
}

TEST(LineReader, AtEndIsTrueOnlyWhenNoLineIsLeft) {
  LineReader reader(std::string_view("ENTITIES\n\n"), 4);
  std::string_view line;
  ASSERT_TRUE(reader.Next(line));
  EXPECT_EQ(line, "ENTITIES");
  EXPECT_FALSE(reader.AtEnd());  // an empty last line is still a line
  ASSERT_TRUE(reader.Next(line));
  EXPECT_EQ(line, "");
  EXPECT_TRUE(reader.AtEnd());
  EXPECT_FALSE(reader.Next(line));
}

TEST(LineReader, AnyBlockSizeGivesTheSameLines) {
  std::mt19937 rng(7);
  const char alphabet[] = {'a', '0', ' ', '\r', '\n', '\n', '\r', 26};
  for (int round = 0; round < 300; ++round) {
    std::string text;
    const int len = static_cast<int>(rng() % 80);
    for (int i = 0; i < len; ++i) {
      // Ctrl-Z rarely, so most texts run to their end.
      const std::size_t pick = rng() % (round % 5 == 0 ? 8 : 7);
      text += alphabet[pick];
    }
    const auto expected = ReferenceLines(text);
    for (std::size_t block : {1u, 2u, 3u, 5u, 16u, 17u, 4096u}) {
      EXPECT_EQ(ReadAll(text, block), expected) << "block " << block << " text #" << round;
    }
  }
}

// Lines taken two at a time where the reader allows it, one at a time otherwise, and the second of a
// pair handed back now and then: the same lines and line numbers as taking them one by one.
TEST(LineReader, PairsGiveTheSameLinesAsSingleLines) {
  std::mt19937 rng(13);
  const char alphabet[] = {'a', '0', ' ', '\r', '\n', '\n', '\n', '\r'};
  int pairsTaken = 0;
  for (int round = 0; round < 300; ++round) {
    std::string text;
    for (int i = 0, n = static_cast<int>(rng() % 120); i < n; ++i) text += alphabet[rng() % 8];
    const auto expected = ReferenceLines(text);
    for (std::size_t block : {1u, 3u, 16u, 17u, 4096u}) {
      LineReader reader(text, block);
      std::vector<std::string> lines;
      std::string_view first, second;
      for (;;) {
        if (rng() % 4 != 0 && reader.NextPairInBlock(first, second)) {
          ++pairsTaken;
          lines.emplace_back(first);
          ASSERT_EQ(reader.LineNumber(), lines.size() + 1) << "text #" << round;
          if (rng() % 3 == 0) {
            reader.Unread();
          } else {
            lines.emplace_back(second);
          }
          continue;
        }
        if (!reader.Next(first)) break;
        lines.emplace_back(first);
        ASSERT_EQ(reader.LineNumber(), lines.size()) << "text #" << round;
      }
      EXPECT_EQ(lines, expected) << "block " << block << " text #" << round;
    }
  }
  EXPECT_GT(pairsTaken, 1000);
}

TEST(LineReader, ALoneCrFarIntoABlockIsStillDropped) {
  // LF text for a while, so the search for CRs has whole 16-byte steps to skip, then CRs.
  std::mt19937 rng(11);
  for (int round = 0; round < 300; ++round) {
    std::string text;
    for (int i = 0, n = static_cast<int>(rng() % 200); i < n; ++i) text += "ab\n 0"[rng() % 5];
    text += (rng() % 2 == 0) ? "x\ry\n" : "x\r\ny\r";
    for (int i = 0, n = static_cast<int>(rng() % 40); i < n; ++i) text += "a\n\r"[rng() % 3];
    const auto expected = ReferenceLines(text);
    for (std::size_t block : {1u, 7u, 16u, 64u, 4096u}) {
      EXPECT_EQ(ReadAll(text, block), expected) << "block " << block << " text #" << round;
    }
  }
}

TEST(LineReader, LongLinesKeepTheirFirstMebibyte) {
  std::string text = "start\n" + std::string(kMaxLineLength + 1000, 'x') + "\r\nnext\n" +
                     std::string(kMaxLineLength, 'y') + "\nlast";
  for (std::size_t block : {std::size_t{4096}, kReadBlockSize}) {
    const auto lines = ReadAll(text, block);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "start");
    EXPECT_EQ(lines[1].size(), kMaxLineLength);
    EXPECT_EQ(lines[2], "next");
    EXPECT_EQ(lines[3].size(), kMaxLineLength);
    EXPECT_EQ(lines[4], "last");
  }
}

TEST(LineReader, UnreadHandsTheSameLineBackAfterAtEnd) {
  LineReader reader(std::string_view("0\nLINE\n8\n"), 2);
  std::string_view line;
  ASSERT_TRUE(reader.Next(line));
  ASSERT_TRUE(reader.Next(line));
  EXPECT_EQ(line, "LINE");
  EXPECT_EQ(reader.LineNumber(), 2u);
  reader.Unread();
  EXPECT_FALSE(reader.AtEnd());
  ASSERT_TRUE(reader.Next(line));
  EXPECT_EQ(line, "LINE");
  EXPECT_EQ(reader.LineNumber(), 2u);
  ASSERT_TRUE(reader.Next(line));
  EXPECT_EQ(line, "8");
  EXPECT_EQ(reader.LineNumber(), 3u);
}

TEST(LineReader, ReadsFilesAndCountsTheBytesTaken) {
  test::TempDir dir;
  std::string text;
  for (int i = 0; i < 50000; ++i) text += " 10\r\n" + std::to_string(i) + ".5\r\n";
  const std::string path = dir.Write("big.dxf", text);
  std::FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  LineReader reader(f, 4096);
  std::string_view line;
  std::size_t count = 0;
  std::string last;
  while (reader.Next(line)) {
    ++count;
    last = std::string(line);
  }
  std::fclose(f);
  EXPECT_EQ(count, 100000u);
  EXPECT_EQ(last, "49999.5");
  EXPECT_EQ(reader.BytesTaken(), text.size());
}

#if defined(__GLIBC__)
// A file that hands out `text` and then fails, as a disk does with a bad sector: a read error in a
// later block must reach the one taking lines, after every line before it.
struct FailingSource {
  std::string text;
  std::size_t at = 0;
};

std::FILE* OpenFailingAfter(FailingSource& source) {
  cookie_io_functions_t io{};
  io.read = [](void* cookie, char* to, std::size_t n) -> ssize_t {
    auto& s = *static_cast<FailingSource*>(cookie);
    if (s.at == s.text.size()) {
      errno = EIO;
      return -1;
    }
    const std::size_t take = std::min(n, s.text.size() - s.at);
    std::memcpy(to, s.text.data() + s.at, take);
    s.at += take;
    return static_cast<ssize_t>(take);
  };
  std::FILE* f = fopencookie(&source, "rb", io);
  if (f != nullptr) std::setvbuf(f, nullptr, _IONBF, 0);
  return f;
}
#endif

TEST(LineReader, ReadingAheadOnAThreadGivesTheSameLinesAndReportsLateReadErrors) {
  std::mt19937 random(7);
  std::string text;
  const char pieces[][8] = {"  0", "POINT", " 10", "\r", "12.5", "", "\x1a"};
  while (text.size() < 200000) {
    const int kind = static_cast<int>(random() % 100);
    text += kind < 90 ? pieces[kind % 6] : std::string(random() % 3000, 'x');
    text += (random() % 4 == 0) ? "\n" : "\r\n";
  }
  test::TempDir dir;
  const std::string path = dir.Write("ahead.dxf", text);
  const std::vector<std::string> expected = ReferenceLines(text);
  ByteBuffer storage, spare;
  IoThread reading;
  // One thread and one pair of buffers serve file after file, with blocks of every kind of size.
  for (std::size_t block : {std::size_t{61}, std::size_t{4096}, kReadBlockSize}) {
    SCOPED_TRACE(block);
    std::FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    {
      LineReader reader(f, storage, spare, &reading, block);
      EXPECT_EQ(ReadAll(reader), expected);
      EXPECT_LE(reader.BytesTaken(), text.size());
    }
    std::fclose(f);
  }
#if defined(__GLIBC__)
  // Eight whole blocks, then the error: it comes while the eighth is read ahead of its lines.
  constexpr std::size_t kBlocks = 8 * 4096;
  FailingSource source{std::string(20000, 'y') + "\nlast\n" + std::string(kBlocks - 20007, 'z') + "\n"};
  std::FILE* f = OpenFailingAfter(source);
  ASSERT_NE(f, nullptr);
  {
    LineReader reader(f, storage, spare, &reading, 4096);
    std::string_view line;
    ASSERT_TRUE(reader.Next(line));
    EXPECT_EQ(line.size(), 20000u);
    ASSERT_TRUE(reader.Next(line));
    EXPECT_EQ(line, "last");
    ASSERT_TRUE(reader.Next(line));
    EXPECT_EQ(line.size(), kBlocks - 20007);
    EXPECT_THROW(reader.Next(line), InputReadError);
  }
  std::fclose(f);
#endif
}

// The thread reading ahead also finds a block's lone CRs and its Ctrl-Z; a CR at a block's end is
// still judged by the next block's first byte. CRs and Ctrl-Zs are put at and around every block
// boundary of the read.
TEST(LineReader, ReadingAheadJudgesCrsAndCtrlZAtEveryBlockBoundary) {
  constexpr std::size_t kBlock = 61;
  test::TempDir dir;
  ByteBuffer storage, spare;
  IoThread reading;
  const char* const afterCr[] = {"\n", "a", "\r", "\r\n"};
  for (int shift : {-2, -1, 0, 1}) {
    for (const char* follower : afterCr) {
      for (bool ctrlZ : {false, true}) {
        std::string text;
        for (std::size_t boundary = kBlock; boundary < 40 * kBlock; boundary += kBlock) {
          while (text.size() + 1 < boundary + shift) text += (text.size() % 7 == 6) ? '\n' : 'x';
          text += '\r';
          text += follower;
          if (ctrlZ && boundary == 30 * kBlock) text += '\x1a';
        }
        text += "tail\r\n";
        SCOPED_TRACE(testing::Message() << "shift " << shift << ", CR then " << int(follower[0]) << ", Ctrl-Z " << ctrlZ);
        const std::string path = dir.Write("marks.dxf", text);
        std::FILE* f = std::fopen(path.c_str(), "rb");
        ASSERT_NE(f, nullptr);
        {
          LineReader reader(f, storage, spare, &reading, kBlock);
          EXPECT_EQ(ReadAll(reader), ReferenceLines(text));
        }
        std::fclose(f);
      }
    }
  }
}

}  // namespace
}  // namespace corvane
