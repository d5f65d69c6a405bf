// Quoting a text from a drawing in a report line. The report is read in a viewer and printed on
// terminals, so a quoted text is kept short and control characters are shown as "?".
#pragma once

#include <string>
#include <string_view>

namespace corvane {

inline constexpr std::size_t kMaxQuotedLength = 60;

// The report's last line when the user stopped the work.
inline constexpr std::string_view kCanceledLine = "*** Process canceled by user ***";

// What a report or a terminal must not receive as it stands: the C0 controls and DEL. Bytes from
// 128 up are left alone, as they may belong to a name in UTF-8 or the system's 8-bit encoding.
inline bool IsControlCharacter(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u < 32 || u == 127;
}

inline std::string QuoteForReport(std::string_view text) {
  std::string quoted = "\"";
  const std::size_t shown = text.size() <= kMaxQuotedLength ? text.size() : kMaxQuotedLength;
  for (std::size_t i = 0; i < shown; ++i) quoted += IsControlCharacter(text[i]) ? '?' : text[i];
  if (shown < text.size()) quoted += "...";
  quoted += '"';
  return quoted;
}

// A report line as it is written and printed: a control character in a path (a file name may hold
// a line break or an escape sequence) shows as "?", so it can neither split the line nor act on a
// terminal.
inline void ShowControlsAsQuestionMarks(std::string& line) {
  for (char& c : line) {
    if (IsControlCharacter(c)) c = '?';
  }
}

}  // namespace corvane
