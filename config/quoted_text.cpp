#include "config/quoted_text.h"

#include "files/text_rules.h"

namespace corvane {
namespace {

// Each byte with its escape letter; the same table writes and reads, so they cannot disagree.
struct Escape {
  char byte;
  char letter;
};
constexpr Escape kEscapes[] = {{'"', '"'}, {'\\', '\\'}, {'\t', 't'}, {'\n', 'n'}, {'\r', 'r'}};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string QuoteText(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out = "\"";
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    const Escape* escape = nullptr;
    for (const Escape& e : kEscapes) {
      if (e.byte == c) escape = &e;
    }
    if (escape != nullptr) {
      out += '\\';
      out += escape->letter;
    } else if (IsControlCharacter(c)) {
      out += "\\x";
      out += kHex[u >> 4];
      out += kHex[u & 15];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::optional<std::string> UnquoteText(std::string_view inside, std::string& problem) {
  std::string out;
  for (std::size_t i = 0; i < inside.size(); ++i) {
    if (inside[i] == '"') {
      problem = "a \" inside the quotes must be written \\\"";
      return std::nullopt;
    }
    if (inside[i] != '\\') {
      out += inside[i];
      continue;
    }
    if (++i == inside.size()) {
      problem = "the quoted value ends in a lone \\";
      return std::nullopt;
    }
    if (inside[i] == 'x') {
      const int high = i + 1 < inside.size() ? HexDigit(inside[i + 1]) : -1;
      const int low = i + 2 < inside.size() ? HexDigit(inside[i + 2]) : -1;
      if (high < 0 || low < 0) {
        problem = "\\x must be followed by two hexadecimal digits";
        return std::nullopt;
      }
      out += static_cast<char>(high * 16 + low);
      i += 2;
      continue;
    }
    const std::size_t before = out.size();
    for (const Escape& e : kEscapes) {
      if (e.letter == inside[i]) out += e.byte;
    }
    if (out.size() == before) {
      problem = "the quoted value has the unknown escape \\" + std::string(1, inside[i]) +
                " (known: \\\" \\\\ \\t \\n \\r \\xHH)";
      return std::nullopt;
    }
  }
  return out;
}

}  // namespace corvane
