#include "ui/window_scale.h"

#include <QWidget>

namespace corvane {

int WindowPixels(int designed) {
  // Halves round away from zero, so that negative positions (a frame above its page) mirror
  // positive ones.
  const int scaled = designed * kWindowScaleNumerator;
  const int half = kWindowScaleDenominator / 2;
  return scaled >= 0 ? (scaled + half) / kWindowScaleDenominator
                     : -((-scaled + half) / kWindowScaleDenominator);
}

QSize WindowPixels(QSize designed) {
  return QSize(WindowPixels(designed.width()), WindowPixels(designed.height()));
}

QRect WindowPixels(const QRect& designed) {
  const int left = WindowPixels(designed.x());
  const int top = WindowPixels(designed.y());
  return QRect(left, top, WindowPixels(designed.x() + designed.width()) - left,
               WindowPixels(designed.y() + designed.height()) - top);
}

void ScaleForm(QWidget* form, QSize designedClientSize) {
  // Only widgets the form places itself: Qt's own parts (a group box's title, a scroll area's
  // viewport and bars) follow their owner, and a child window has its own geometry.
  for (QWidget* child : form->findChildren<QWidget*>()) {
    if (child->isWindow() || child->objectName().isEmpty() ||
        child->objectName().startsWith(QLatin1String("qt_")))
      continue;
    child->setGeometry(WindowPixels(child->geometry()));
  }
  form->setFixedSize(WindowPixels(designedClientSize));
}

}  // namespace corvane
