#include "engine/block_filter.h"

#include <algorithm>
#include <cstring>

#include "files/text_rules.h"

namespace corvane {

namespace {

// Block names are bytes in whatever 8-bit code page the drawing was written in: only ASCII
// letters fold.
void UpperCaseInPlace(std::string& text) {
  for (char& c : text) c = UpperAscii(c);
}

// Blanks and control characters (codes 0 to 32) around a piece are not part of it.
constexpr std::string_view Trim(std::string_view text) { return TrimBlanks(text); }

// Whole-name wildcard match of already upper-cased texts.
//
// The matcher is defined recursively: Match(i, j) says whether pattern[j..] matches name[i..].
// Followed literally, every "*" retries the rest of the pattern at every later name position,
// which is exponential in the number of stars. Instead the table of Match(i, j) is filled from
// the end of the pattern towards its start, so each (i, j) is decided once. Column j only needs
// column j + 1, so two columns of n + 1 cells are kept in `memo`; it grows to the longest name
// seen and is then reused without allocating. Nothing recurses, so a name of any length (the
// line reader allows a mebibyte) is safe for the stack.
bool MatchUpperCased(std::string_view name, std::string_view pattern,
                     std::vector<std::uint8_t>& memo) {
  const std::size_t n = name.size();
  const std::size_t m = pattern.size();
  // Every character but "*" takes exactly one name character, so the name length alone settles
  // most misses, and a pattern without "*" is decided without the table.
  const auto stars =
      static_cast<std::size_t>(std::count(pattern.begin(), pattern.end(), '*'));
  if (n < m - stars) return false;
  if (stars == 0) {
    if (n != m) return false;
    for (std::size_t i = 0; i < n; ++i) {
      if (pattern[i] != '?' && pattern[i] != name[i]) return false;
    }
    return true;
  }

  memo.resize(2 * (n + 1));
  std::uint8_t* next = memo.data();  // column j + 1
  std::uint8_t* cur = next + n + 1;  // column j

  // Both ran out together.
  std::memset(next, 0, n);
  next[n] = 1;

  for (std::size_t j = m; j-- > 0;) {
    const char pc = pattern[j];
    // The name has run out with pattern[j..] left: only a single "*" as the whole rest matches,
    // so "AB**" does not match "AB".
    cur[n] = (j + 1 == m && pc == '*') ? 1 : 0;
    std::uint8_t alive = cur[n];

    if (pc == '*') {
      // A "*" at name position i tries positions i, i + 1, ..., n against the rest of the
      // pattern: it succeeds for every i up to the last position where the rest matches.
      std::size_t end = n + 1;
      while (end > 0 && next[end - 1] == 0) --end;
      const std::size_t hits = std::min(end, n);
      std::memset(cur, 1, hits);
      if (hits < n) std::memset(cur + hits, 0, n - hits);
      alive |= hits > 0 ? 1 : 0;
    } else {
      const std::uint8_t anyChar = pc == '?' ? 1 : 0;
      for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t same = anyChar | (name[i] == pc ? 1 : 0);
        cur[i] = static_cast<std::uint8_t>(same & next[i + 1]);
        alive |= cur[i];
      }
    }
    // A column without any match stays without one all the way back to the start.
    if (!alive) return false;
    std::swap(cur, next);
  }
  return next[0] != 0;
}

}  // namespace

bool MatchWildcard(std::string_view name, std::string_view pattern) {
  std::string upperName(name);
  std::string upperPattern(pattern);
  UpperCaseInPlace(upperName);
  UpperCaseInPlace(upperPattern);
  std::vector<std::uint8_t> memo;
  return MatchUpperCased(upperName, upperPattern, memo);
}

bool MatchBlockName(std::string_view patterns, std::string_view name) {
  return BlockNameFilter(patterns).Accepts(name);
}

// Every empty piece is skipped, wherever it stands: a stray comma at the end of the list
// ("DOOR,") is a typing slip and must not switch the filter off for every other block.
BlockNameFilter::BlockNameFilter(std::string_view patterns)
    : empty_(Trim(patterns).empty()) {
  while (true) {
    const std::size_t comma = patterns.find(',');
    const std::string_view piece = Trim(patterns.substr(0, comma));
    if (!piece.empty()) {
      pieces_.emplace_back(piece);
      UpperCaseInPlace(pieces_.back());
    }
    if (comma == std::string_view::npos) break;
    patterns.remove_prefix(comma + 1);
  }
}

bool BlockNameFilter::Accepts(std::string_view name) {
  // A list of nothing but blanks and commas names no block, so it restricts nothing.
  if (pieces_.empty()) return true;
  upperName_.assign(name);
  UpperCaseInPlace(upperName_);
  for (const std::string& piece : pieces_) {
    if (MatchUpperCased(upperName_, piece, memo_)) return true;
  }
  return false;
}

}  // namespace corvane
