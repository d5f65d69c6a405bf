// Group pairs: the group code of a code line, and the pair cursor every entity reader and the main
// loop read the drawing through. The cursor reads a pair's code and value in one pass, hands the
// value on as a view into the input block, and puts pairs that are one line out of step back in
// step, in one place for every reader.
#pragma once

#include <string_view>

#include "engine/line_reader.h"
#include "engine/run_state.h"
#include "files/text_rules.h"

namespace corvane {

// Removes every leading and trailing character of code 32 or less.
inline std::string_view TrimDxf(std::string_view s) { return TrimBlanks(s); }

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

// One group pair. `value` is the value line trimmed, `line` the value line as read (entity names
// are matched untrimmed); both are views into the input block, valid until the next read.
struct Pair {
  int code = -1;  // -1: a code line no DXF writer uses
  std::string_view value;
  std::string_view line;
};

enum class PairRead : std::uint8_t {
  kPair,
  kEnd,  // no line left where a code was due
  kCut,  // the input ends after the code line: Pair::code is set, its value is missing
};

class PairCursor {
 public:
  explicit PairCursor(FileState& file) : file_(file), in_(file.input) {}

  // The next pair. A code line that cannot be a code means the pairs are out of step: it is taken
  // as the value of a pair whose code was the line before it, and the first such line of a file is
  // remembered for its report line. Behind 0/EOF nothing is judged.
  PairRead Next(Pair& pair) {
    std::string_view codeLine;
    if (!in_.Next(codeLine)) return PairRead::kEnd;
    const int code = CodeOfLine(codeLine);
    if (code < 0 && OutOfStep(codeLine)) {
      pair.code = file_.lastValueCode;
      file_.lastValueCode = -1;
      pair.line = codeLine;
      pair.value = TrimDxf(codeLine);
      return PairRead::kPair;
    }
    pair.code = code;
    if (!in_.Next(pair.line)) return PairRead::kCut;
    pair.value = TrimDxf(pair.line);
    file_.lastValueCode = GroupCode(pair.value);
    return PairRead::kPair;
  }

  // Hands take(pair) the following pairs, each while both its lines are whole in the input block
  // and its code is one DXF writers use, until take declines one (left unread, as if never seen)
  // or takes the last. Nearly every pair of a drawing goes this way; Next() takes the rest.
  template <typename Take>
  void TakeInBlock(Take&& take) {
    in_.TakePairsInBlock([&](std::string_view codeLine, std::string_view valueLine) {
      Pair pair;
      pair.code = CodeOfLine(codeLine);
      if (pair.code < 0) return PairTaken::kDeclined;
      pair.line = valueLine;
      pair.value = TrimDxf(valueLine);
      const PairTaken taken = take(static_cast<const Pair&>(pair));
      if (taken != PairTaken::kDeclined) file_.lastValueCode = GroupCode(pair.value);
      return taken;
    });
  }

  // The value of the group-0 pair read last names the next entity: it goes back to the main loop,
  // which dispatches it.
  void HandBackEntityName() {
    in_.Unread();
    file_.phase = LinePhase::kValueOfZero;
  }

 private:
  bool OutOfStep(std::string_view codeLine) {
    if (file_.afterEof || CouldBeGroupCode(TrimDxf(codeLine))) return false;
    if (file_.outOfStepLine == 0) file_.outOfStepLine = in_.LineNumber();
    return true;
  }

  FileState& file_;
  LineReader& in_;
};

// Reads the pairs of one entity and hands each pair to onPair(const Pair&), until a group-0
// pair, whose value (the next entity's name) goes back to the main loop. At the end of the input
// the loop ends as if that pair had come, and file.endedInsideEntity is set, unless the input
// ended on the code line "0" itself; a code line without its value line is not handed on.
// Returns false when the input ended.
template <typename OnPair>
bool ReadEntityPairs(FileState& file, OnPair&& onPair) {
  PairCursor pairs(file);
  Pair pair;
  for (;;) {
    bool ended = false;
    pairs.TakeInBlock([&](const Pair& taken) {
      if (taken.code == 0) {
        ended = true;
        return PairTaken::kTakenLast;
      }
      onPair(taken);
      return PairTaken::kTaken;
    });
    if (ended) {
      pairs.HandBackEntityName();
      return true;
    }
    const PairRead read = pairs.Next(pair);
    if (read != PairRead::kPair) {
      if (read == PairRead::kCut && pair.code == 0) {
        file.phase = LinePhase::kValueOfZero;
        return true;
      }
      break;
    }
    if (pair.code == 0) {
      pairs.HandBackEntityName();
      return true;
    }
    onPair(static_cast<const Pair&>(pair));
  }
  file.endedInsideEntity = true;
  return false;
}

// The same, handing each pair's code and trimmed value to onPair(int, std::string_view).
template <typename OnPair>
bool ReadPairsUntilZero(FileState& file, OnPair&& onPair) {
  return ReadEntityPairs(file, [&](const Pair& pair) { onPair(pair.code, pair.value); });
}

}  // namespace corvane
