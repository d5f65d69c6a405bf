// The hint balloons: one event filter on the application draws every hint as a tooltip with a
// bold header line above the text. The entity options c0 to c17 take both from the hint list
// (header line 2n, text line 2n+1); every other control shows the header "Information" above
// its own hint, or the hint of the nearest enclosing control that has one. Where a control shows
// a name it cannot show whole, the whole name (ui/whole_names.h) takes the balloon's place.
#pragma once

#include <QObject>
#include <QString>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace corvane {

struct Hint {
  QString header;
  QString text;
};

class HintFilter : public QObject {
  Q_OBJECT

 public:
  explicit HintFilter(QObject* parent = nullptr);

  // The hint list, bytes in the system's 8-bit encoding as the lookup list holds them.
  void SetHintLines(const std::vector<std::string>& lines);

  // The application-wide switch ("Show Help Tips"): when off no hint appears anywhere.
  void SetEnabled(bool on) { enabled_ = on; }
  bool Enabled() const { return enabled_; }

  // The hint `widget` shows, if any. When a line of the hint list is missing, there is no hint
  // and `error` (if given) says "List index out of bounds (<index>)".
  std::optional<Hint> HintFor(const QWidget* widget, QString* error = nullptr) const;

  // The balloon's rich text: the header in bold, then the text, both escaped.
  static QString BalloonText(const Hint& hint);

  // The number n of a control named "c<n>" (the one or two characters after a lower-case "c");
  // -1 for any other name.
  static int EntityOptionNumber(const QString& name);

  // The last missing-line error met while showing hints, for the log and the tests.
  const QString& LastError() const { return lastError_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::vector<QString> lines_;
  bool enabled_ = true;
  QString lastError_;
};

}  // namespace corvane
