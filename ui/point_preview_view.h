// The picture of a point preview: every exported point in its entity type's colour, Y up, fitted
// to the widget when a drawing opens, zoomed by the wheel around the pointer and panned by
// dragging. Up to the plot's raster threshold each point is a mark; above it the picture is the
// density raster of the part in view, drawn again for each new view, so that a million points
// pan smoothly and the marks never hide how many points lie under them.
#pragma once

#include <QImage>
#include <QPointF>
#include <QWidget>
#include <cstdint>
#include <memory>

#include "ui/point_preview_job.h"

namespace corvane {

class PointPreviewView : public QWidget {
  Q_OBJECT

 public:
  explicit PointPreviewView(QWidget* parent = nullptr);

  // Shows `data` (null: nothing). With `fit` the whole extent is brought into view, else the
  // view stays where the user left it (the options changed, the drawing did not).
  void SetData(std::shared_ptr<const PreviewData> data, bool fit);
  void FitToView();

  // True when the points are drawn as a density raster rather than one mark each.
  bool DrawsRaster() const;
  // Where drawing point (x, y) is in the widget, and back.
  QPointF ToWidget(double x, double y) const;
  QPointF ToDrawing(QPointF at) const;
  // The point whose mark is under `at` (within a few pixels), or -1.
  std::int64_t PointAt(QPointF at) const;
  double Scale() const { return scale_; }

 signals:
  // The point under the pointer changed (-1: none).
  void PointHovered(qint64 index);
  // A click on the picture: the point clicked, or -1 for empty space.
  void PointClicked(qint64 index);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  QImage Picture();
  void ViewChanged();

  std::shared_ptr<const PreviewData> data_;
  // Widget pixel (0, 0) shows drawing point (left_, top_); scale_ pixels per drawing unit.
  double left_ = 0, top_ = 0, scale_ = 1;
  bool fitPending_ = false;  // fit once the widget has its size
  QImage picture_;           // the points as last drawn, for this view
  bool pictureValid_ = false;
  bool dragging_ = false;
  bool dragMoved_ = false;
  QPointF dragStart_;
  double dragLeft_ = 0, dragTop_ = 0;
  qint64 hovered_ = -1;
};

}  // namespace corvane
