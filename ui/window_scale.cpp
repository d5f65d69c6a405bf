#include "ui/window_scale.h"

#include <QAbstractButton>
#include <QFont>
#include <QLabel>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

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

namespace {

// The controls the form places itself: Qt's own parts (a group box's title, a scroll area's
// viewport and bars) follow their owner, and a child window has its own geometry.
bool PlacedByTheForm(const QWidget* child) {
  return !child->isWindow() && !child->objectName().isEmpty() &&
         !child->objectName().startsWith(QLatin1String("qt_"));
}

// Whether the form sets `child`'s place itself: a page of a stacked widget follows its layout.
bool PositionedByTheForm(const QWidget* child) {
  return PlacedByTheForm(child) && child->parentWidget()->layout() == nullptr;
}

// How much wider the tightest caption needs its control to be: above 1 a caption is cut.
double CaptionNeed(const QWidget& window) {
  double need = 0.0;
  for (const QWidget* child : window.findChildren<QWidget*>()) {
    if (!PlacedByTheForm(child) || child->width() <= 0) continue;
    const auto* label = qobject_cast<const QLabel*>(child);
    const auto* button = qobject_cast<const QAbstractButton*>(child);
    const bool captioned = (label && !label->text().isEmpty() && !label->wordWrap()) ||
                           (button && !button->text().isEmpty());
    if (captioned) need = std::max(need, double(child->sizeHint().width()) / child->width());
  }
  return need;
}

// Every control's font at `factor` of what it was: set one by one, as a style sheet would keep a
// font set on the window alone from reaching them.
void ScaleFonts(QWidget* window, double factor) {
  QList<QWidget*> widgets = window->findChildren<QWidget*>();
  widgets.prepend(window);
  for (QWidget* widget : widgets) {
    QFont font = widget->font();
    if (font.pointSizeF() > 0) {
      font.setPointSizeF(font.pointSizeF() * factor);
    } else {
      font.setPixelSize(std::max(1, static_cast<int>(std::lround(font.pixelSize() * factor))));
    }
    widget->setFont(font);
  }
}

int Scaled(int length, double factor) { return static_cast<int>(std::lround(length * factor)); }

// Edges rather than sizes, as WindowPixels does.
QRect Scaled(const QRect& rect, double factor) {
  const int left = Scaled(rect.x(), factor);
  const int top = Scaled(rect.y(), factor);
  return QRect(left, top, Scaled(rect.x() + rect.width(), factor) - left,
               Scaled(rect.y() + rect.height(), factor) - top);
}

}  // namespace

WindowFit FitWindow(const QWidget& window, QSize client, QSize available, QMargins frame) {
  const double need = CaptionNeed(window);
  const double grow = std::max(1.0, need);
  const double room = std::min(
      double(available.width() - frame.left() - frame.right()) / client.width(),
      double(available.height() - frame.top() - frame.bottom()) / client.height());
  WindowFit fit;
  fit.layout = std::min(grow, room);
  // The font shrinks only where the layout had to shrink below what it needs.
  if (need > 0.0 && fit.layout < need) fit.font = fit.layout / need;
  return fit;
}

// Where `widget`'s top left corner lies in `window`, by the form's own positions: a page that
// its parent's layout places starts where its parent does.
QPoint OriginIn(const QWidget* widget, const QWidget* window) {
  if (widget == window || widget->parentWidget() == nullptr) return QPoint(0, 0);
  const QPoint parent = OriginIn(widget->parentWidget(), window);
  return PositionedByTheForm(widget) ? parent + widget->pos() : parent;
}

void ApplyWindowFit(QWidget* window, QSize client, const WindowFit& fit) {
  if (fit.layout != 1.0) {
    // Edges are scaled where they lie in the window, not in each parent: a group that fills its
    // page, or two controls that touch across groups, still do after rounding.
    const auto scaled = [&fit](QPoint p) {
      return QPoint(Scaled(p.x(), fit.layout), Scaled(p.y(), fit.layout));
    };
    std::vector<std::pair<QWidget*, QRect>> places;
    for (QWidget* child : window->findChildren<QWidget*>()) {
      if (!PositionedByTheForm(child)) continue;
      const QPoint parent = OriginIn(child->parentWidget(), window);
      const QRect inWindow = Scaled(child->geometry().translated(parent), fit.layout);
      places.emplace_back(child, inWindow.translated(-scaled(parent)));
    }
    for (const auto& [child, place] : places) child->setGeometry(place);
  }
  window->setFixedSize(Scaled(client.width(), fit.layout), Scaled(client.height(), fit.layout));
  if (fit.font == 1.0) return;
  ScaleFonts(window, fit.font);
  // Fonts come in whole pixels and glyphs do not shrink in proportion: the captions are
  // measured again, and the font made a little smaller until every one is whole.
  for (int step = 0; step < 20 && CaptionNeed(*window) > 1.0; ++step) ScaleFonts(window, 0.97);
}

QMargins ExpectedFrame() { return QMargins(8, 32, 8, 8); }

void ScaleForm(QWidget* form, QSize designedClientSize) {
  for (QWidget* child : form->findChildren<QWidget*>()) {
    if (PlacedByTheForm(child)) child->setGeometry(WindowPixels(child->geometry()));
  }
  form->setFixedSize(WindowPixels(designedClientSize));
}

}  // namespace corvane
