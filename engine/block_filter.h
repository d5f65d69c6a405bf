// The block-name filter: comma-separated wildcard patterns ("*" any run, "?" one character),
// compared with only "a" to "z" folded to upper case.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// True when `pattern` matches the whole `name`. A rest of two or more "*" does not match a
// used-up name: "AB**" does not match "AB" (kept: saved filters rely on it).
bool MatchWildcard(std::string_view name, std::string_view pattern);

// True when the list lets `name` through: the first non-empty piece that matches decides; a list
// with no non-empty piece accepts every name.
bool MatchBlockName(std::string_view patterns, std::string_view name);

// The same decision as MatchBlockName, with the list split once and the matching scratch memory
// kept between calls, for use once per INSERT.
class BlockNameFilter {
 public:
  explicit BlockNameFilter(std::string_view patterns);
  // True when the list is empty: the filter is not consulted at all.
  bool Empty() const { return empty_; }
  // True when the list has a piece that is not empty: only then can it match less than every name.
  bool HasPatterns() const { return !pieces_.empty(); }
  bool Accepts(std::string_view name);

 private:
  bool empty_ = true;
  std::vector<std::string> pieces_;  // upper-cased, non-empty
  std::string upperName_;            // the name being matched, upper-cased; reused
  std::vector<std::uint8_t> memo_;   // two match-table columns; grows to the longest name, reused
};

}  // namespace corvane
