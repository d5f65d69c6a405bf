// Quoting a text from a drawing in a report line. The report is read in a viewer and printed on
// terminals, so a quoted text is kept short and control characters are shown as "?".
#pragma once

#include <string>
#include <string_view>

#include <vector>

#include "config/config_extension.h"
#include "files/text_rules.h"

namespace corvane {

inline constexpr std::size_t kMaxQuotedLength = 60;

// The report's last line when the user stopped the work.
inline constexpr std::string_view kCanceledLine = "*** Process canceled by user ***";

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

// The report's line for a problem: "*** Error, " and the problem, then " ***". Built here only;
// whoever needs to know which lines are errors asks RunResult::errorLines, never the text.
inline std::string ErrorLineText(std::string_view problem) {
  std::string line = "*** Error, ";
  line.append(problem).append(" ***");
  return line;
}

// The report's line that starts the block of a drawing.
inline std::string DrawingLineText(std::string_view dxfPath) {
  std::string line = "DXF File  : ";
  line.append(dxfPath);
  return line;
}

// The label of the summary line that counts the exported block insertions whose Z attribute is
// there but not a number (their Z is the insertion's).
inline constexpr std::string_view kZAttributesNotNumbersLabel = "Z attributes that are not numbers";

// The run's head lines for the options beyond the record, after the number of files: one
// "Label : value" line per option that is set, then an empty line; nothing when none is set.
inline void AddExtensionLines(const ConfigExtension& extension, std::vector<std::string>& report) {
  bool any = false;
  for (const ExtensionOption& option : ExtensionOptions()) {
    const std::string& value = extension.*option.field;
    if (value.empty()) continue;
    std::string line(option.label);
    line.append(" : ").append(value);
    ShowControlsAsQuestionMarks(line);
    report.push_back(std::move(line));
    any = true;
  }
  if (any) report.push_back("");
}

// An error line of a run's report, with the drawing whose block holds it; for the line that ended
// the run, the drawing whose conversion ended it.
struct ReportErrorLine {
  std::string drawing;
  std::string line;
};

}  // namespace corvane
