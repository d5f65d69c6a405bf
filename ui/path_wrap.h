// A path too long for one line of a tooltip: Windows' tooltip would break it after "C:" (the
// only place it finds to break) and let the rest run off the screen.
#pragma once

#include <QString>

class QFontMetrics;

namespace corvane {

// `path` in lines of at most `width` pixels in `metrics`, each line ending at a separator ("\"
// or "/", which stays at the end of its line), joined with "\n"; a name longer than a line by
// itself is cut where the line is full. A path that fits is returned as it is.
QString WrapPath(const QString& path, const QFontMetrics& metrics, int width);

}  // namespace corvane
