#include "tests/ui/ui_test_support.h"

#include <QAbstractButton>
#include <QFile>
#include <QLabel>
#include <QWidget>

namespace corvane::uitest {

std::string ProgramFolder() { return std::string(CORVANE_PROGRAM_DIR) + "/"; }

bool WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  return file.write(bytes) == bytes.size() && file.flush();
}

QByteArray ReadBytes(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

QStringList ControlsCutOrOutside(QWidget& form) {
  QStringList faults;
  for (QWidget* widget : form.findChildren<QWidget*>()) {
    const QString name = widget->objectName();
    if (name.isEmpty() || name.startsWith(QLatin1String("qt_")) || widget->isWindow()) continue;
    if (!widget->isVisibleTo(&form)) continue;
    if (!widget->parentWidget()->rect().contains(widget->geometry()))
      faults << name + " lies outside its parent";
    const auto* label = qobject_cast<QLabel*>(widget);
    const auto* button = qobject_cast<QAbstractButton*>(widget);
    const bool hasText = (label && !label->text().isEmpty() && !label->wordWrap()) ||
                         (button && !button->text().isEmpty());
    if (hasText && widget->sizeHint().width() > widget->width())
      faults << QStringLiteral("%1 needs %2 pixels, has %3")
                    .arg(name)
                    .arg(widget->sizeHint().width())
                    .arg(widget->width());
  }
  return faults;
}

}  // namespace corvane::uitest
