#include "ui/path_wrap.h"

#include <QFontMetrics>
#include <QStringList>

namespace corvane {
namespace {

// The pieces of `path` that a line may end after: each name with the separator that follows it.
QStringList Pieces(const QString& path) {
  QStringList pieces;
  qsizetype start = 0;
  for (qsizetype i = 0; i < path.size(); ++i) {
    if (path.at(i) == QLatin1Char('\\') || path.at(i) == QLatin1Char('/')) {
      pieces << path.mid(start, i + 1 - start);
      start = i + 1;
    }
  }
  if (start < path.size()) pieces << path.mid(start);
  return pieces;
}

}  // namespace

QString WrapPath(const QString& path, const QFontMetrics& metrics, int width) {
  if (width <= 0 || metrics.horizontalAdvance(path) <= width) return path;
  QStringList lines;
  QString line;
  const auto fits = [&metrics, width](const QString& text) {
    return metrics.horizontalAdvance(text) <= width;
  };
  for (const QString& piece : Pieces(path)) {
    if (fits(line + piece)) {
      line += piece;
      continue;
    }
    if (!line.isEmpty()) lines << line;
    line.clear();
    // A name wider than a whole line: as many characters as fit on each.
    for (const QChar c : piece) {
      if (!line.isEmpty() && !fits(line + c)) {
        lines << line;
        line.clear();
      }
      line += c;
    }
  }
  if (!line.isEmpty()) lines << line;
  return lines.join(QLatin1Char('\n'));
}

}  // namespace corvane
