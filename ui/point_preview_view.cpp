#include "ui/point_preview_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "plot/density_raster.h"
#include "plot/plot_colors.h"
#include "plot/point_plot.h"

namespace corvane {
namespace {

constexpr int kMarkRadius = 2;     // a mark is 5 by 5 pixels
constexpr double kPickPixels = 6;  // how near the pointer a mark counts as pointed at
constexpr double kDragPixels = 3;  // a press that moves less is a click
constexpr double kFitMargin = 0.05;

}  // namespace

PointPreviewView::PointPreviewView(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setMinimumSize(200, 150);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setCursor(Qt::CrossCursor);
}

void PointPreviewView::SetData(std::shared_ptr<const PreviewData> data, bool fit) {
  data_ = std::move(data);
  hovered_ = -1;
  if (fit) FitToView();
  ViewChanged();
}

bool PointPreviewView::DrawsRaster() const {
  return data_ && data_->preview.size() > plot::kRasterThreshold;
}

void PointPreviewView::FitToView() {
  if (!data_ || !data_->preview.hasExtent || width() <= 0 || height() <= 0) {
    fitPending_ = true;
    return;
  }
  fitPending_ = false;
  const PointPreview& p = data_->preview;
  // In halves: an extent from -1e308 to 1e308 has a span no double holds.
  const double cx = p.minX * 0.5 + p.maxX * 0.5;
  const double cy = p.minY * 0.5 + p.maxY * 0.5;
  // A single point, or points on one line, still get a view of some size around them.
  const double halfX = PointPreview::HalfSpan(p.minX, p.maxX), halfY = PointPreview::HalfSpan(p.minY, p.maxY);
  const double widest = std::max(halfX, halfY);
  const double least = widest > 0 ? widest * 1e-3 : 0.5;
  const double usableW = width() * (1 - 2 * kFitMargin);
  const double usableH = height() * (1 - 2 * kFitMargin);
  scale_ = std::min(usableW * 0.5 / std::max(halfX, least), usableH * 0.5 / std::max(halfY, least));
  left_ = cx - width() / 2.0 / scale_;
  top_ = cy + height() / 2.0 / scale_;
  ViewChanged();
}

QPointF PointPreviewView::ToWidget(double x, double y) const {
  return QPointF(PointPreview::HalfSpan(left_, x) * scale_ * 2, PointPreview::HalfSpan(y, top_) * scale_ * 2);
}

QPointF PointPreviewView::ToDrawing(QPointF at) const {
  return QPointF(left_ + at.x() / scale_, top_ - at.y() / scale_);
}

std::int64_t PointPreviewView::PointAt(QPointF at) const {
  if (!data_ || !data_->index) return -1;
  const QPointF d = ToDrawing(at);
  return data_->index->Nearest(d.x(), d.y(), kPickPixels / scale_);
}

void PointPreviewView::ViewChanged() {
  pictureValid_ = false;
  update();
}

QImage PointPreviewView::Picture() {
  if (pictureValid_ && picture_.size() == size()) return picture_;
  picture_ = QImage(size(), QImage::Format_ARGB32);
  picture_.fill(Qt::transparent);
  pictureValid_ = true;
  if (!data_ || data_->preview.size() == 0) return picture_;
  const PointPreview& p = data_->preview;
  const int w = width();
  const int h = height();
  if (DrawsRaster()) {
    plot::RasterView view;
    view.left = left_;
    view.top = top_;
    view.scale = scale_;
    view.width = static_cast<std::uint32_t>(w);
    view.height = static_cast<std::uint32_t>(h);
    const std::vector<std::uint32_t> argb =
        plot::DensityArgb32(plot::RasterizeDensity(p, view));
    for (int row = 0; row < h; ++row) {
      std::memcpy(picture_.scanLine(row), argb.data() + static_cast<std::size_t>(row) * w,
                  static_cast<std::size_t>(w) * 4);
    }
    return picture_;
  }
  // In the data file's order, so the point drawn on top is the one a look-up answers.
  // A colour per entity option, and behind them the one of a type no option has.
  std::array<QRgb, kEntityOptionCount + 1> colors;
  for (int t = 0; t <= kEntityOptionCount; ++t) {
    const plot::Rgb c = plot::EntityColor(t);
    colors[static_cast<std::size_t>(t)] = qRgb(c.r, c.g, c.b);
  }
  for (std::size_t i = 0; i < p.size(); ++i) {
    const QPointF at = ToWidget(p.x[i], p.y[i]);
    const double cx = at.x();
    const double cy = at.y();
    if (!(cx > -2 && cx < w + 2 && cy > -2 && cy < h + 2)) continue;  // NaN fails too
    const int px = static_cast<int>(std::floor(cx));
    const int py = static_cast<int>(std::floor(cy));
    const QRgb color = colors[std::min<std::size_t>(p.type[i], kEntityOptionCount)];
    for (int yy = std::max(0, py - kMarkRadius); yy <= std::min(h - 1, py + kMarkRadius); ++yy) {
      auto* line = reinterpret_cast<QRgb*>(picture_.scanLine(yy));
      for (int xx = std::max(0, px - kMarkRadius); xx <= std::min(w - 1, px + kMarkRadius); ++xx) {
        line[xx] = color;
      }
    }
  }
  return picture_;
}

void PointPreviewView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  painter.drawImage(0, 0, Picture());
  if (hovered_ >= 0 && data_ && static_cast<std::size_t>(hovered_) < data_->preview.size()) {
    const std::size_t i = static_cast<std::size_t>(hovered_);
    const QPointF at = ToWidget(data_->preview.x[i], data_->preview.y[i]);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(at, 5, 5);
  }
}

void PointPreviewView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (fitPending_) {
    FitToView();
  } else {
    ViewChanged();
  }
}

void PointPreviewView::wheelEvent(QWheelEvent* event) {
  const double steps = event->angleDelta().y() / 120.0;
  if (steps == 0) return;
  const QPointF at = event->position();
  const QPointF fixed = ToDrawing(at);
  const double factor = std::pow(1.25, steps);
  const double next = scale_ * factor;
  if (!(next > 1e-12 && next < 1e12)) return;
  scale_ = next;
  // The drawing point under the pointer stays under it.
  left_ = fixed.x() - at.x() / scale_;
  top_ = fixed.y() + at.y() / scale_;
  ViewChanged();
  event->accept();
}

void PointPreviewView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  dragging_ = true;
  dragMoved_ = false;
  dragStart_ = event->position();
  dragLeft_ = left_;
  dragTop_ = top_;
}

void PointPreviewView::mouseMoveEvent(QMouseEvent* event) {
  const QPointF at = event->position();
  if (dragging_) {
    const QPointF moved = at - dragStart_;
    if (!dragMoved_ && std::hypot(moved.x(), moved.y()) >= kDragPixels) {
      dragMoved_ = true;
      setCursor(Qt::ClosedHandCursor);
    }
    if (dragMoved_) {
      left_ = dragLeft_ - moved.x() / scale_;
      top_ = dragTop_ + moved.y() / scale_;
      ViewChanged();
      return;
    }
  }
  const qint64 point = PointAt(at);
  if (point != hovered_) {
    hovered_ = point;
    update();
    emit PointHovered(point);
  }
}

void PointPreviewView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !dragging_) return;
  dragging_ = false;
  setCursor(Qt::CrossCursor);
  if (!dragMoved_) emit PointClicked(PointAt(event->position()));
}

void PointPreviewView::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  if (hovered_ != -1) {
    hovered_ = -1;
    update();
    emit PointHovered(-1);
  }
}

}  // namespace corvane
