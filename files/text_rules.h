// The small rules about text that every layer applies the same way: ASCII letter case, the
// characters DXF and the configuration trim, control characters, and signed 32-bit integers.
// Standard library only, so that the engine, config/ and both programs share them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvane {

// Only ASCII letters have a case here: names are bytes of the system's 8-bit code page, whose
// other letters differ between code pages.
constexpr char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
constexpr char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

constexpr bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

// Space and every character below it: what DXF readers, the configuration and the window's boxes
// trim. By character code, for texts whose characters are wider than a byte.
constexpr bool IsBlankOrControlCode(char32_t code) { return code <= 32; }
constexpr bool IsBlankOrControl(char c) { return IsBlankOrControlCode(static_cast<unsigned char>(c)); }

// Removes every leading and trailing character of code 32 or less.
constexpr std::string_view TrimBlanks(std::string_view s) {
  // Nearly every DXF value has nothing to trim: its first and last bytes tell.
  if (!s.empty() && !IsBlankOrControl(s.front()) && !IsBlankOrControl(s.back())) return s;
  std::size_t b = 0, e = s.size();
  while (b < e && IsBlankOrControl(s[b])) ++b;
  while (e > b && IsBlankOrControl(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// The C0 controls and DEL. Bytes from 128 up are left alone: they may belong to a name in UTF-8
// or in the system's 8-bit code page.
constexpr bool IsControlCharacter(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  return u < 32 || u == 127;
}

// A signed 32-bit integer in decimal: an optional sign, then digits only (any number of them,
// leading zeros included), nothing else. Nothing (no value) when the text is not one or does
// not fit.
constexpr std::optional<std::int32_t> ParseInt32(std::string_view text) {
  std::size_t i = 0;
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    i = 1;
  }
  if (i == text.size()) return std::nullopt;
  std::int64_t magnitude = 0;
  const std::int64_t limit = negative ? std::int64_t{1} << 31 : (std::int64_t{1} << 31) - 1;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return std::nullopt;
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > limit) return std::nullopt;
  }
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

// The separator the system writes between a path's names; "/" is one everywhere, and "\\" only
// where it is the system's own: on Linux "\\" is a character of a name like any other.
#if defined(_WIN32)
inline constexpr char kNativeSeparator = '\\';
#else
inline constexpr char kNativeSeparator = '/';
#endif

constexpr bool IsPathSeparator(char c) { return c == '/' || c == kNativeSeparator; }

// The last name of a path: everything behind its last separator (the whole text when it has none).
constexpr std::string_view LastPathPart(std::string_view path) {
  std::size_t cut = path.size();
  while (cut > 0 && !IsPathSeparator(path[cut - 1])) --cut;
  return path.substr(cut);
}

// The folder with the native separator appended unless it already ends with one (or is empty).
inline std::string WithSeparator(const std::string& folder) {
  if (folder.empty() || IsPathSeparator(folder.back())) return folder;
  return folder + kNativeSeparator;
}

// Whether a data file's extension can stand in a file name on every system the programs run
// on: no folder separator of either kind, no drive colon, no control character.
constexpr bool IsUsableExtension(std::string_view extension) {
  for (char c : extension) {
    if (c == '/' || c == '\\' || c == ':' || IsControlCharacter(c)) return false;
  }
  return true;
}

}  // namespace corvane
