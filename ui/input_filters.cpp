#include "ui/input_filters.h"

#include <QByteArray>
#include <QObject>
#include <limits>

#include "config/export_config.h"
#include "files/text_rules.h"

namespace corvane {
namespace {

bool IsAsciiDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// The value of a run of ASCII digits, or nothing when it does not fit a signed 32-bit integer
// (with `negative`, down to its lowest value).
std::optional<std::int32_t> DigitValue(const QString& digits, bool negative) {
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t value = 0;
  for (const QChar c : digits) {
    value = value * 10 + (c.unicode() - u'0');
    // Leading zeros never overflow; anything past the limit never comes back.
    if (value > kLimit) return std::nullopt;
  }
  if (negative) return static_cast<std::int32_t>(-value);
  if (value == kLimit) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

}  // namespace

QString TrimControls(const QString& text) {
  qsizetype begin = 0;
  qsizetype end = text.size();
  while (begin < end && IsBlankOrControlCode(text.at(begin).unicode())) ++begin;
  while (end > begin && IsBlankOrControlCode(text.at(end - 1).unicode())) --end;
  return text.mid(begin, end - begin);
}

StartNumberInput FilterStartNumber(const QString& typed, std::int32_t stored) {
  StartNumberInput result;
  result.boxText = TrimControls(typed);
  if (result.boxText.isEmpty()) {
    result.value = 1;
    return result;
  }
  QString digits;
  for (const QChar c : result.boxText) {
    if (IsAsciiDigit(c)) digits += c;
  }
  if (digits.isEmpty()) {
    result.boxText.clear();
    result.value = 1;
    return result;
  }
  const std::optional<std::int32_t> value = DigitValue(digits, false);
  if (!value) {
    // The digit that overflowed is taken back: the box shows the number the record keeps.
    result.tooLarge = digits;
    result.boxText = QString::number(stored);
    return result;
  }
  result.boxText = QString::number(*value);
  result.value = value;
  return result;
}

QString StartNumberTooLargeText() {
  return QObject::tr("The start number can be at most %1.")
      .arg(std::numeric_limits<std::int32_t>::max());
}

ForcedZInput FilterForcedZ(const QString& typed) {
  ForcedZInput result;
  result.boxText = TrimControls(typed);
  if (!result.boxText.isEmpty()) {
    QString kept;
    for (const QChar c : result.boxText) {
      if (IsAsciiDigit(c) || c == QLatin1Char('.')) kept += c;
    }
    result.boxText = TrimControls(kept);
  }
  result.stored = result.boxText.isEmpty() ? std::string(kForcedZWhenEmpty) : RecordBytes(result.boxText, 10);
  return result;
}

std::optional<std::int32_t> ParseInt32(const QString& text) {
  qsizetype at = 0;
  bool negative = false;
  if (at < text.size() && (text.at(at) == QLatin1Char('+') || text.at(at) == QLatin1Char('-'))) {
    negative = text.at(at) == QLatin1Char('-');
    ++at;
  }
  const QString digits = text.mid(at);
  if (digits.isEmpty()) return std::nullopt;
  for (const QChar c : digits) {
    if (!IsAsciiDigit(c)) return std::nullopt;
  }
  return DigitValue(digits, negative);
}

QString CutToCapacity(const QString& text, std::size_t capacity) {
  if (static_cast<std::size_t>(text.toLocal8Bit().size()) <= capacity) return text;
  // Grow a prefix one whole character (a surrogate pair counts as one) at a time.
  qsizetype fits = 0;
  qsizetype next = 0;
  while (next < text.size()) {
    qsizetype end = next + 1;
    if (text.at(next).isHighSurrogate() && end < text.size() && text.at(end).isLowSurrogate()) {
      ++end;
    }
    if (static_cast<std::size_t>(text.left(end).toLocal8Bit().size()) > capacity) break;
    fits = end;
    next = end;
  }
  return text.left(fits);
}

std::string RecordBytes(const QString& text, std::size_t capacity) {
  return CutToCapacity(text, capacity).toLocal8Bit().toStdString();
}

}  // namespace corvane
