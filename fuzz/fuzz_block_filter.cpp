// The memoised block-name matcher against the plain recursive definition.
//
// Input: first byte = where the rest splits into name and pattern (list). Every input also runs
// the fast matcher at full length; the slow reference only runs while its cost stays small.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/block_filter.h"

namespace {

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

bool ReferenceMatchUpper(std::string_view name, std::string_view pattern) {
  while (!name.empty() && !pattern.empty()) {
    if (pattern.front() == '*') {
      pattern.remove_prefix(1);
      for (std::size_t skip = 0; skip <= name.size(); ++skip) {
        if (ReferenceMatchUpper(name.substr(skip), pattern)) return true;
      }
      return false;
    }
    if (pattern.front() != '?' && pattern.front() != name.front()) return false;
    name.remove_prefix(1);
    pattern.remove_prefix(1);
  }
  return name.empty() && (pattern.empty() || pattern == "*");
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= 32) text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32) text.remove_suffix(1);
  return text;
}

bool ReferenceList(std::string_view list, std::string_view name) {
  const std::string upperName = Upper(name);
  bool anyPiece = false;
  while (true) {
    const std::size_t comma = list.find(',');
    const std::string_view piece = Trim(list.substr(0, comma));
    if (!piece.empty()) {
      anyPiece = true;
      if (ReferenceMatchUpper(upperName, Upper(piece))) return true;
    }
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return !anyPiece;
}

void Check(bool fast, bool reference) {
  if (fast != reference) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::size_t split = data[0] % (rest.size() + 1);
  const std::string_view name = rest.substr(0, split);
  const std::string_view pattern = rest.substr(split);

  const bool fast = corvane::MatchWildcard(name, pattern);
  corvane::BlockNameFilter filter(pattern);
  const bool listed = filter.Accepts(name);
  Check(listed, corvane::MatchBlockName(pattern, name));
  // The same filter again on a shorter name: its scratch was sized for the longer one.
  const std::string_view shorter = name.substr(0, name.size() / 2);
  const bool listedShorter = filter.Accepts(shorter);

  // The reference's cost grows with (name length choose number of stars).
  if (name.size() <= 12 && pattern.size() <= 10) {
    Check(fast, ReferenceMatchUpper(Upper(name), Upper(pattern)));
    Check(listed, ReferenceList(pattern, name));
    Check(listedShorter, ReferenceList(pattern, shorter));
  }
  return 0;
}
