// The filters of the edit boxes whose text is more than a plain text: the start number, the
// forced Z value and the custom item's start value, and the cut of a box's text to the bytes of
// a record field. Plain functions over texts, so every case can be checked without a window.
#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace corvane {

// Removes every leading and trailing character of code 32 or less (blanks and control
// characters), as the record's trimming does.
QString TrimControls(const QString& text);

// The start number box after the user changed its text.
struct StartNumberInput {
  QString boxText;                    // what the box shows afterwards
  std::optional<std::int32_t> value;  // the new StartNumber; none: keep the old one
  QString tooLarge;                   // the digits that did not fit an integer, when they did not
};
// "a1b2" gives 12, "007" gives 7, a text without digits empties the box and gives 1. A digit run
// too large for a signed 32-bit integer is refused: the box shows `stored` again (the value the
// record keeps), so the box never shows a number the run does not use.
StartNumberInput FilterStartNumber(const QString& typed, std::int32_t stored);
// What the user is told, beside the box, when digits did not fit.
QString StartNumberTooLargeText();

// The forced Z box after the user changed its text.
struct ForcedZInput {
  QString boxText;     // digits and points only, trimmed; may be empty
  std::string stored;  // ForcedZValue: the box's text, or "0.00" when the box is empty
};
ForcedZInput FilterForcedZ(const QString& typed);

// An optionally signed decimal integer that fits 32 bits, nothing else (no blanks, no hex).
std::optional<std::int32_t> ParseInt32(const QString& text);

// The longest start of `text` whose 8-bit encoding (toLocal8Bit) fits `capacity` bytes: whole
// characters only, so a cut never splits one.
QString CutToCapacity(const QString& text, std::size_t capacity);
// The bytes a record text field of `capacity` stores for `text`.
std::string RecordBytes(const QString& text, std::size_t capacity);

}  // namespace corvane
