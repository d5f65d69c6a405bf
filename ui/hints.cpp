#include "ui/hints.h"

#include <QFontMetrics>
#include <QHelpEvent>
#include <QScreen>
#include <QToolTip>
#include <QWidget>

#include "ui/path_wrap.h"
#include "ui/whole_names.h"

namespace corvane {
namespace {

// Qt's own parts of a control (a combo box's line edit, a scroll area's viewport) carry no name
// or a "qt_" one; the hint belongs to the control they make up.
const QWidget* ControlOf(const QWidget* widget) {
  while (widget && widget->parentWidget() && !widget->isWindow()) {
    const QString name = widget->objectName();
    if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_"))) break;
    widget = widget->parentWidget();
  }
  return widget;
}

}  // namespace

HintFilter::HintFilter(QObject* parent) : QObject(parent) {}

void HintFilter::SetHintLines(const std::vector<std::string>& lines) {
  lines_.clear();
  lines_.reserve(lines.size());
  for (const std::string& line : lines)
    lines_.push_back(QString::fromLocal8Bit(line.data(), static_cast<qsizetype>(line.size())));
}

int HintFilter::EntityOptionNumber(const QString& name) {
  // Compared exactly: CheckBox8 and ComboBox3 are ordinary controls.
  if (name.size() < 2 || name.at(0) != QLatin1Char('c')) return -1;
  const QString digits = name.mid(1, 2);
  for (const QChar c : digits) {
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) return -1;
  }
  return digits.toInt();
}

std::optional<Hint> HintFilter::HintFor(const QWidget* widget, QString* error) const {
  const QWidget* control = ControlOf(widget);
  if (!control) return std::nullopt;
  const int n = EntityOptionNumber(control->objectName());
  if (n >= 0) {
    for (const std::size_t index : {static_cast<std::size_t>(2 * n), static_cast<std::size_t>(2 * n + 1)}) {
      if (index >= lines_.size()) {
        if (error) *error = QStringLiteral("List index out of bounds (%1)").arg(index);
        return std::nullopt;
      }
    }
    return Hint{lines_[static_cast<std::size_t>(2 * n)], lines_[static_cast<std::size_t>(2 * n + 1)]};
  }
  for (const QWidget* w = control; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
    if (!w->toolTip().isEmpty()) return Hint{QStringLiteral("Information"), w->toolTip()};
  }
  return std::nullopt;
}

QString HintFilter::BalloonText(const Hint& hint) {
  return QStringLiteral("<qt><b>%1</b><br>%2</qt>")
      .arg(hint.header.toHtmlEscaped(), hint.text.toHtmlEscaped());
}

bool HintFilter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::ToolTip || !watched->isWidgetType())
    return QObject::eventFilter(watched, event);
  auto* widget = static_cast<QWidget*>(watched);
  auto* help = static_cast<QHelpEvent*>(event);
  // A name the control cuts, or a folder row's path, is no help text: it shows whatever the
  // switch says, without a header.
  QRect area;
  const QString whole = WholeNameTip(widget, help->pos(), &area);
  if (!whole.isEmpty()) {
    // Within the screen: a deep folder's path takes several lines rather than running off it.
    const QScreen* screen = widget->screen();
    const int room = screen ? screen->availableGeometry().width() * 9 / 10 : 0;
    const QString wrapped = WrapPath(whole, QFontMetrics(QToolTip::font()), room);
    QToolTip::showText(help->globalPos(), WholeNameTipText(wrapped), widget, area);
    return true;
  }
  QString error;
  const std::optional<Hint> hint = enabled_ ? HintFor(widget, &error) : std::nullopt;
  if (!error.isEmpty()) lastError_ = error;
  if (!hint) {
    // A missing hint line would raise an error box on every hover; the balloon is left out and
    // the error kept (the start-up refuses a hint list that is short).
    QToolTip::hideText();
    event->ignore();
    return true;
  }
  QToolTip::showText(help->globalPos(), BalloonText(*hint), widget);
  return true;
}

}  // namespace corvane
