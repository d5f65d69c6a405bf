// Group pairs: trimming, group codes, and the pair loop shared by the entity readers.
#pragma once

#include <string_view>

#include "engine/line_reader.h"
#include "engine/run_state.h"

namespace corvane {

// Removes every leading and trailing character of code 32 or less.
inline std::string_view TrimDxf(std::string_view s) {
  // Nearly every value has nothing to trim: its first and last bytes tell.
  if (!s.empty() && static_cast<unsigned char>(s.front()) > 32 && static_cast<unsigned char>(s.back()) > 32) {
    return s;
  }
  std::size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
  return s.substr(b, e - b);
}

// The group code of a trimmed code line, or -1 when it is not written as DXF writes codes (only
// digits, no leading zero, at most 4 digits). Codes are compared as text, so "010" is not 10.
inline int GroupCode(std::string_view trimmed) {
  const std::size_t n = trimmed.size();
  if (n == 0 || n > 4) return -1;
  if (trimmed[0] == '0') return n == 1 ? 0 : -1;
  int code = 0;
  for (char c : trimmed) {
    if (c < '0' || c > '9') return -1;
    code = code * 10 + (c - '0');
  }
  return code;
}

// The group code of a code line as read. DXF writers right-align codes in three columns ("  0",
// " 10", "100"); those are read directly, anything else is trimmed first.
inline int CodeOfLine(std::string_view line) {
  if (line.size() == 3) {
    const char a = line[0], b = line[1], c = line[2];
    if (c >= '0' && c <= '9') {
      if (a == ' ') {
        if (b == ' ') return c - '0';
        if (b >= '1' && b <= '9') return (b - '0') * 10 + (c - '0');
      } else if (a >= '1' && a <= '9' && b >= '0' && b <= '9') {
        return (a - '0') * 100 + (b - '0') * 10 + (c - '0');
      }
    }
  }
  return GroupCode(TrimDxf(line));
}

// Whether a trimmed code line could be a group code at all: an optionally signed run of digits.
// Anything else (an empty line, a name, a number with a point) where a code is due means a line
// is missing or one too many.
inline bool CouldBeGroupCode(std::string_view trimmed) {
  std::size_t i = (!trimmed.empty() && (trimmed[0] == '-' || trimmed[0] == '+')) ? 1 : 0;
  if (i == trimmed.size()) return false;
  for (; i < trimmed.size(); ++i) {
    if (trimmed[i] < '0' || trimmed[i] > '9') return false;
  }
  return true;
}

// True when `codeLine`, read where a code is due and not a code DXF writers use, cannot be one
// at all: the pairs are out of step. The first such line of a file is remembered for its
// report line. Behind 0/EOF nothing is judged.
inline bool OutOfStep(FileState& file, std::string_view codeLine) {
  if (file.afterEof || CouldBeGroupCode(TrimDxf(codeLine))) return false;
  if (file.outOfStepLine == 0) file.outOfStepLine = file.input.LineNumber();
  return true;
}

// Reads group pairs of one entity and hands each (code, trimmed value) to onPair, until a code
// line that trims to "0" has been read (its value line, the next entity's name, stays unread).
// At the end of the input the loop ends as if that code had come, and file.endedInsideEntity is
// set; a code line without its value line is not handed on. Returns false in that case.
//
// A code line that cannot be a code puts the pairs back in step: it is taken as the value of a
// pair whose code was the line before it, so a "0" there ends the entity with this line as the
// next entity's name (handed back to the main loop).
template <typename OnPair>
bool ReadPairsUntilZero(FileState& file, OnPair&& onPair) {
  LineReader& in = file.input;
  std::string_view codeLine, valueLine;
  for (;;) {
    // Nearly every pair: both lines whole in the block and a code other than 0. Trimmed once: the
    // value's code as a code line is the code of the trimmed text (CodeOfLine's three columns are
    // only a shortcut to that).
    in.TakePairsInBlock([&](std::string_view code, std::string_view value) {
      const int group = CodeOfLine(code);
      if (group <= 0) return false;
      const std::string_view trimmed = TrimDxf(value);
      file.lastValueCode = GroupCode(trimmed);
      onPair(group, trimmed);
      return true;
    });
    // The end of the entity, a line out of step, or lines not whole in the block: one by one.
    if (!in.Next(codeLine)) break;
    int code = CodeOfLine(codeLine);
    std::string_view value;
    if (code == 0) {
      file.phase = LinePhase::kValueOfZero;
      return true;
    }
    if (code < 0 && OutOfStep(file, codeLine)) {
      const int shiftedCode = file.lastValueCode;
      file.lastValueCode = -1;
      if (shiftedCode == 0) {
        in.Unread();
        file.phase = LinePhase::kValueOfZero;
        return true;
      }
      code = shiftedCode;
      value = TrimDxf(codeLine);
    } else {
      if (!in.Next(valueLine)) break;
      value = TrimDxf(valueLine);
      file.lastValueCode = GroupCode(value);
    }
    onPair(code, value);
  }
  file.endedInsideEntity = true;
  return false;
}

}  // namespace corvane
