// The block-wise line reader against the line rules written out the slow, obvious way.
//
// Input: byte 0 picks the block size (low 7 bits: 0 the default block, otherwise 1 to 64 bytes)
// and, in its high bit, the short-cap mode; byte 1 seeds the pattern of AtEnd() and Unread() calls;
// the rest is the text. The pattern also takes two lines at once where the reader allows it. In short-cap mode the reader cuts lines at 1 to 64 bytes (from byte 1)
// instead of a megabyte, and the first "@" of the text becomes a run of about that length, so the
// cut is met at any place relative to CRs, LFs and block ends without building megabyte lines (the
// real cap is met by the unit tests). Every input is read twice: from memory and from a FILE*,
// one in four of the latter with the next block read ahead on a thread.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/line_reader.h"

namespace {

using corvane::kMaxLineLength;
using corvane::LineReader;

[[noreturn]] void Fail(const char* what, std::size_t lineIndex) {
  std::fprintf(stderr, "line reader: %s (line %zu)\n", what, lineIndex + 1);
  std::abort();
}

// The rules read straight off: the input stops at the first Ctrl-Z; LF ends a line; every CR is
// dropped, as it either comes right before an LF (the terminator) or is a lone CR; an unterminated
// last piece is a line when any byte of it is kept; a line keeps its first `cap` bytes.
std::vector<std::string> ReferenceLines(std::string_view text, std::size_t cap) {
  std::string_view rest = text.substr(0, text.find('\x1a'));
  std::vector<std::string> lines;
  while (!rest.empty()) {
    const std::size_t nl = rest.find('\n');
    const std::string_view piece = rest.substr(0, nl);
    std::string line;
    for (std::size_t from = 0; from < piece.size();) {
      const std::size_t cr = std::min(piece.find('\r', from), piece.size());
      line.append(piece.substr(from, cr - from));
      from = cr + 1;
    }
    if (line.size() > cap) line.resize(cap);
    if (nl != std::string_view::npos || !line.empty()) lines.push_back(std::move(line));
    rest = nl == std::string_view::npos ? std::string_view() : rest.substr(nl + 1);
  }
  return lines;
}

// A tiny generator for the call pattern, so that one input always makes the same calls.
struct Pattern {
  std::uint32_t state;
  unsigned Next() {
    state = state * 1103515245u + 12345u;
    return (state >> 16) & 0xFFu;
  }
};

void CheckReader(LineReader& reader, const std::vector<std::string>& expected, std::size_t sourceSize,
                 bool cutByCtrlZ, std::uint8_t seed) {
  Pattern pattern{seed};
  std::string_view line;
  for (std::size_t i = 0;; ++i) {
    const unsigned op = pattern.Next();
    if ((op & 0x60) == 0x20) {
      // Two lines at once, when the reader finds both whole in its block; perhaps the second handed back.
      std::string_view first, second;
      if (reader.NextPairInBlock(first, second)) {
        if (i + 1 >= expected.size()) Fail("a pair read beyond the lines left", i);
        if (first != expected[i] || second != expected[i + 1]) Fail("wrong pair", i);
        if (reader.LineNumber() != i + 2) Fail("wrong line number after a pair", i);
        if ((op & 0x80) != 0) {
          reader.Unread();
          ++i;
        } else {
          ++i;
          continue;
        }
      }
    }
    if ((op & 3) == 0 && reader.AtEnd() == (i < expected.size())) Fail("AtEnd() disagrees with the lines left", i);
    const bool remaining = i < expected.size();
    if (reader.Next(line) != remaining) Fail(remaining ? "a line is missing" : "a line too many", i);
    if (!remaining) {
      if (!line.empty()) Fail("the line after the end is not empty", i);
      break;
    }
    if (line != expected[i]) Fail("wrong line", i);
    if (reader.LineNumber() != i + 1) Fail("wrong line number", i);
    if (reader.BytesTaken() > sourceSize) Fail("more bytes taken than the source holds", i);
    if ((op & 12) == 0) {
      // Handed back and read again: the same bytes, even when AtEnd() ran in between.
      reader.Unread();
      if (reader.LineNumber() != i) Fail("Unread() did not step the line number back", i);
      if ((op & 16) != 0 && reader.AtEnd()) Fail("AtEnd() is true with a line handed back", i);
      std::string_view again;
      if (!reader.Next(again) || again != expected[i]) Fail("the line handed back came back different", i);
    }
  }
  if (!reader.AtEnd()) Fail("AtEnd() is false after the last line", expected.size());
  if (reader.Next(line)) Fail("Next() succeeded after the end", expected.size());
  if (!cutByCtrlZ && reader.BytesTaken() != sourceSize) Fail("not every byte was taken", expected.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const unsigned blockChoice = data[0] & 127u;
  const bool shortCap = (data[0] & 128u) != 0;
  const std::size_t block = blockChoice == 0 ? corvane::kReadBlockSize : (blockChoice - 1) % 64 + 1;
  const std::uint8_t seed = data[1];
  const std::size_t cap = shortCap ? 1 + (seed >> 2) : kMaxLineLength;

  std::string text(reinterpret_cast<const char*>(data) + 2, size - 2);
  if (shortCap) {
    const std::size_t at = text.find('@');
    if (at != std::string::npos) text.replace(at, 1, cap + (seed & 7u) - std::min<std::size_t>(cap, 4), 'x');
  }
  // An exact-size heap block, so the address sanitizer sees any read past the text.
  const std::size_t n = text.size();
  const auto block_copy = std::make_unique<char[]>(n + (n == 0 ? 1 : 0));
  if (n > 0) std::memcpy(block_copy.get(), text.data(), n);
  const std::string_view source(block_copy.get(), n);

  const std::vector<std::string> expected = ReferenceLines(source, cap);
  const bool cutByCtrlZ = source.find('\x1a') != std::string_view::npos;

  // The reader's memory is kept from one input to the next, as a job keeps it from file to file:
  // allocating and clearing it for every input would cost more than the input itself.
  static corvane::ByteBuffer storage, spare;
  static corvane::IoThread reading;
  {
    LineReader reader(source, storage, spare, block, cap);
    CheckReader(reader, expected, n, cutByCtrlZ, seed);
  }
  // The file route reads with fread; fmemopen refuses an empty buffer on some systems.
  if (n > 0) {
    std::FILE* file = fmemopen(block_copy.get(), n, "rb");
    if (file == nullptr) std::abort();
    {
      // One input in four reads ahead on the thread (which also looks for the block's CRs and
      // Ctrl-Z), in blocks small enough to take many turns.
      const bool ahead = (seed & 3u) == 0;
      const std::size_t smallBlock = block != corvane::kReadBlockSize ? std::max<std::size_t>(block, 29) : 61;
      const std::size_t fileBlock = ahead ? smallBlock : block != corvane::kReadBlockSize ? corvane::kReadBlockSize : 7;
      LineReader reader(file, storage, spare, ahead ? &reading : nullptr, fileBlock, cap);
      CheckReader(reader, expected, n, cutByCtrlZ, static_cast<std::uint8_t>(seed ^ 0x5Au));
    }
    std::fclose(file);
  }
  return 0;
}
