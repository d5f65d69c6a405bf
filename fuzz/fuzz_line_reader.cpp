// The block-wise line reader against the line rules written out the slow, obvious way.
//
// Input: byte 0 picks the block size (low 7 bits: 0 the default block, otherwise 1 to 64) and, in its
// high bit, the long-line mode; byte 1 seeds the pattern of AtEnd() and Unread() calls; the rest is the
// text. In long-line mode the first "@" of the text becomes a run of about kMaxLineLength bytes (its
// exact length from byte 1), so the cap is met at any place relative to CRs, LFs and block ends.
// Every input is read twice: from memory and from a FILE* over the same bytes.
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

// One byte at a time: Ctrl-Z ends the input, a CR counts only right before an LF, LF ends a line,
// an unterminated last line still counts, and a line keeps its first kMaxLineLength bytes.
std::vector<std::string> ReferenceLines(std::string_view text) {
  std::vector<std::string> lines;
  std::string current;
  bool pending = false;  // a byte has started a line that no LF has ended yet
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == 26) break;
    // A lone CR is dropped and the line goes on; the CR of CR LF goes with its LF.
    if (c == '\r') continue;
    if (c == '\n') {
      lines.push_back(current);
      current.clear();
      pending = false;
      continue;
    }
    if (current.size() < kMaxLineLength) current += c;
    pending = true;
  }
  if (pending) lines.push_back(current);
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
    const bool more = i < expected.size();
    if ((op & 3) == 0 && reader.AtEnd() == more) Fail("AtEnd() disagrees with the lines left", i);
    if (reader.Next(line) != more) Fail(more ? "a line is missing" : "a line too many", i);
    if (!more) {
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
  const std::size_t block = blockChoice == 0 ? corvane::kReadBlockSize : (blockChoice - 1) % 64 + 1;
  const bool longMode = (data[0] & 128u) != 0;
  const std::uint8_t seed = data[1];

  std::string text(reinterpret_cast<const char*>(data) + 2, size - 2);
  if (longMode) {
    const std::size_t at = text.find('@');
    if (at == std::string::npos) return 0;
    text.replace(at, 1, kMaxLineLength - 4 + (seed & 7u), 'x');
  }
  // An exact-size heap block, so the address sanitizer sees any read past the text.
  const std::size_t n = text.size();
  const auto block_copy = std::make_unique<char[]>(n + (n == 0 ? 1 : 0));
  if (n > 0) std::memcpy(block_copy.get(), text.data(), n);
  const std::string_view source(block_copy.get(), n);

  const std::vector<std::string> expected = ReferenceLines(source);
  const bool cutByCtrlZ = source.find('\x1a') != std::string_view::npos;

  {
    LineReader reader(source, block);
    CheckReader(reader, expected, n, cutByCtrlZ, seed);
  }
  // The file route reads with fread; fmemopen refuses an empty buffer on some systems.
  if (n > 0) {
    std::FILE* file = fmemopen(block_copy.get(), n, "rb");
    if (file == nullptr) std::abort();
    {
      LineReader reader(file, block == corvane::kReadBlockSize ? 7 : corvane::kReadBlockSize);
      CheckReader(reader, expected, n, cutByCtrlZ, static_cast<std::uint8_t>(seed ^ 0x5Au));
    }
    std::fclose(file);
  }
  return 0;
}
