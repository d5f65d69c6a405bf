// The point preview window: the points one drawing exports with the main window's record, before
// any run. It computes on a worker (PreviewJob) while it stays live, follows the record after a
// short pause when the main window says it may have changed, and drops whatever a job it no longer
// wants delivers. Nothing it does writes a file or changes the record.
#pragma once

#include <QRect>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/point_preview_job.h"
#include "ui/window_record.h"

class QLabel;
class QTreeWidget;

namespace corvane {

// Where a window of `frame` size goes beside a main window whose frame is `mainFrame`, on a screen
// whose free area is `available`: to its right, else to its left, at the main window's height;
// narrowed (to no less than `minWidth`) to fit the wider side. Empty when neither side has room,
// and the window manager's choice stands.
QRect PlaceBeside(const QRect& mainFrame, const QSize& frame, const QRect& available, int minWidth);

class PointPreviewView;

class PointPreviewWindow : public QWidget {
  Q_OBJECT

 public:
  // Reads the record as a run would take it, each time the preview is computed.
  using RecordSource = std::function<WindowRecord()>;
  // How long the record must stay unchanged before the preview follows it: typing a prefix or
  // ticking several boxes in a row computes once, after the last change.
  static constexpr int kFollowDelayMs = 250;

  explicit PointPreviewWindow(RecordSource source, QWidget* parent = nullptr);
  ~PointPreviewWindow() override;

  // Shows the window for the drawing at `path` (system encoding, as the run opens it), named
  // `name` in the title; the work in hand for another drawing is cancelled.
  void ShowDrawing(const std::string& path, const QString& name);
  // The record may have changed: computed again after kFollowDelayMs, if shown.
  void RecordChanged();

  // What the window shows now (for its tests and the screenshot tool).
  bool Working() const { return job_ != nullptr; }
  const std::string& DrawingPath() const { return path_; }
  std::shared_ptr<const PreviewData> Shown() const { return shown_; }
  QString Message() const;
  QString StatusText() const;
  PointPreviewView* View() const { return view_; }
  QTreeWidget* Legend() const { return legend_; }
  // Jobs cancelled but not yet ended.
  std::size_t CancelledJobs() const { return cancelled_.size(); }

 signals:
  // A preview was put on screen (a finished job's result).
  void PreviewShown();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void LayOutWidgets();
  void ConnectTimersAndView();
  void Start();
  void CancelWork();
  void JobDone(std::uint64_t generation, std::shared_ptr<const PreviewData> data);
  void Show(std::shared_ptr<const PreviewData> data);
  void ShowLegend(const PointPreview& preview);
  void ShowPointLine(qint64 index);
  void ReapCancelled();

  RecordSource source_;
  std::string path_;
  QString name_;
  bool fitNext_ = true;  // a new drawing is fitted to the window; a new record keeps the view
  std::unique_ptr<PreviewJob> job_;
  std::vector<std::unique_ptr<PreviewJob>> cancelled_;
  std::uint64_t generation_ = 0;
  std::shared_ptr<const PreviewData> shown_;
  qint64 pinned_ = -1;  // the point last clicked, shown while no other is pointed at
  QTimer follow_;
  QTimer reap_;
  QLabel* message_ = nullptr;
  PointPreviewView* view_ = nullptr;
  QTreeWidget* legend_ = nullptr;
  QLabel* status_ = nullptr;
};

}  // namespace corvane
