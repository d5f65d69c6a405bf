// Quoting a text from a drawing in a report line. The report is read in a viewer and printed on
// terminals, so a quoted text is kept short and control characters are shown as "?".
#pragma once

#include <string>
#include <string_view>

namespace corvane {

inline constexpr std::size_t kMaxQuotedLength = 60;

inline std::string QuoteForReport(std::string_view text) {
  std::string quoted = "\"";
  const std::size_t shown = text.size() <= kMaxQuotedLength ? text.size() : kMaxQuotedLength;
  for (std::size_t i = 0; i < shown; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    quoted += (c < 32 || c == 127) ? '?' : text[i];
  }
  if (shown < text.size()) quoted += "...";
  quoted += '"';
  return quoted;
}

// A report line as it is written and printed: a control character in a path (a file name may hold
// a line break or an escape sequence) shows as "?", so it can neither split the line nor act on a
// terminal.
inline void ShowControlsAsQuestionMarks(std::string& line) {
  for (char& c : line) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 32 || u == 127) c = '?';
  }
}

}  // namespace corvane
