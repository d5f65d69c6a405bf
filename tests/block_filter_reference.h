// The block-name matcher exactly as defined, recursion and all, for the tests and the fuzzer to
// compare the memoised one with. Exponential in the number of stars: small inputs only.
#pragma once

#include <string>
#include <string_view>

namespace corvane::reference {

inline bool MatchUpper(std::string_view name, std::string_view pattern) {
  while (!name.empty() && !pattern.empty()) {
    if (pattern.front() == '*') {
      pattern.remove_prefix(1);
      for (std::size_t skip = 0; skip <= name.size(); ++skip) {
        if (MatchUpper(name.substr(skip), pattern)) return true;
      }
      return false;
    }
    if (pattern.front() != '?' && pattern.front() != name.front()) return false;
    name.remove_prefix(1);
    pattern.remove_prefix(1);
  }
  return name.empty() && (pattern.empty() || pattern == "*");
}

inline std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

inline bool Match(std::string_view name, std::string_view pattern) {
  return MatchUpper(Upper(name), Upper(pattern));
}

// Pieces between commas, trimmed of codes 0 to 32; empty ones name nothing; a list that names
// nothing accepts every name.
inline bool MatchList(std::string_view list, std::string_view name) {
  bool anyPiece = false;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(',', start);
    if (end == std::string_view::npos) end = list.size();
    std::string_view piece = list.substr(start, end - start);
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    while (!piece.empty() && blank(piece.front())) piece.remove_prefix(1);
    while (!piece.empty() && blank(piece.back())) piece.remove_suffix(1);
    if (!piece.empty()) {
      anyPiece = true;
      if (Match(name, piece)) return true;
    }
    start = end + 1;
  }
  return !anyPiece;
}

}  // namespace corvane::reference
