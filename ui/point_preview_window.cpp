#include "ui/point_preview_window.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPixmap>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "plot/plot_colors.h"
#include "plot/point_plot.h"
#include "ui/point_preview_view.h"
#include "ui/window_scale.h"
#include "ui/window_text.h"

namespace corvane {
namespace {

QIcon Swatch(int option) {
  const plot::Rgb c = plot::EntityColor(option);
  QPixmap pixmap(12, 12);
  pixmap.fill(QColor(c.r, c.g, c.b));
  return QIcon(pixmap);
}

// The lines the run's report would hold for the drawing before its summary, one a line: what
// went wrong with it, each told as the report tells it.
QString ErrorLines(const PointPreview& p) {
  QStringList lines;
  const std::size_t n = std::min(p.errorLineCount, p.reportLines.size());
  for (std::size_t i = 0; i < n; ++i) lines << FromRecordText(p.reportLines[i]);
  return lines.join(QLatin1Char('\n'));
}

QString Joined(const QString& first, const QString& second) {
  if (first.isEmpty()) return second;
  if (second.isEmpty()) return first;
  return first + QLatin1Char('\n') + second;
}

// What the window says instead of, or above, the picture; empty when the picture says it all.
QString EndMessage(const PointPreview& p, const QString& name) {
  switch (p.end) {
    case PreviewEnd::kComplete: {
      // A drawing read to its end can still hold damage the report names (a file cut inside an
      // entity, pairs out of step): its points alone would look like a whole drawing.
      const QString none = p.size() == 0
                               ? QObject::tr("No point of %1 is exported with these options.").arg(name)
                               : QString();
      return Joined(ErrorLines(p), none);
    }
    case PreviewEnd::kRefused:
      return p.refusal ? FromRecordText(p.refusal->message) : QString();
    case PreviewEnd::kCannotOpen:
      return QObject::tr("%1 cannot be opened: it is missing, cannot be read, or another "
                         "program holds it.").arg(name);
    case PreviewEnd::kNotDxf:
      return QObject::tr("%1 is not a DXF file.").arg(name);
    case PreviewEnd::kDrawingError:
      // The run stops at the same place: its report's lines, and the points before them.
      return p.errorLineCount > 0 ? ErrorLines(p) : FromRecordText(p.error);
    case PreviewEnd::kOutOfMemory:
      return FromRecordText(p.error);
    case PreviewEnd::kCanceled:
      return QString();
  }
  return QString();
}

QLabel* NewMessageLabel(QWidget* parent) {
  auto* message = new QLabel(parent);
  message->setObjectName(QStringLiteral("PreviewMessage"));
  message->setWordWrap(true);
  message->setTextInteractionFlags(Qt::TextSelectableByMouse);
  message->hide();
  return message;
}

QTreeWidget* NewLegend(QWidget* parent) {
  auto* legend = new QTreeWidget(parent);
  legend->setObjectName(QStringLiteral("PreviewLegend"));
  legend->setColumnCount(2);
  legend->setHeaderLabels({PointPreviewWindow::tr("Entity type"), PointPreviewWindow::tr("Count")});
  legend->setRootIsDecorated(false);
  legend->setSelectionMode(QAbstractItemView::NoSelection);
  legend->setFocusPolicy(Qt::NoFocus);
  legend->header()->setStretchLastSection(false);
  legend->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  legend->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
  legend->setFixedWidth(WindowPixels(190));
  return legend;
}

QLabel* NewStatusLabel(QWidget* parent) {
  auto* status = new QLabel(parent);
  status->setObjectName(QStringLiteral("PreviewStatus"));
  status->setTextInteractionFlags(Qt::TextSelectableByMouse);
  // A data line is shown whole, however long; the label never widens the window for it.
  status->setMinimumWidth(1);
  status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  return status;
}

}  // namespace

PointPreviewWindow::PointPreviewWindow(RecordSource source, QWidget* parent)
    : QWidget(parent, Qt::Window), source_(std::move(source)) {
  setObjectName(QStringLiteral("PointPreview"));
  setWindowTitle(tr("Point preview"));
  resize(WindowPixels(QSize(760, 560)));
  message_ = NewMessageLabel(this);
  view_ = new PointPreviewView(this);
  view_->setObjectName(QStringLiteral("PreviewView"));
  legend_ = NewLegend(this);
  status_ = NewStatusLabel(this);
  LayOutWidgets();
  ConnectTimersAndView();
}

void PointPreviewWindow::LayOutWidgets() {
  auto* fit = new QToolButton(this);
  fit->setObjectName(QStringLiteral("PreviewFit"));
  fit->setText(tr("Zoom to fit"));
  connect(fit, &QToolButton::clicked, view_, &PointPreviewView::FitToView);

  auto* middle = new QHBoxLayout;
  middle->addWidget(view_, 1);
  middle->addWidget(legend_);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(status_, 1);
  bottom->addWidget(fit);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(message_);
  layout->addLayout(middle, 1);
  layout->addLayout(bottom);
}

void PointPreviewWindow::ConnectTimersAndView() {
  follow_.setSingleShot(true);
  follow_.setInterval(kFollowDelayMs);
  connect(&follow_, &QTimer::timeout, this, [this] { Start(); });
  reap_.setInterval(50);
  connect(&reap_, &QTimer::timeout, this, [this] { ReapCancelled(); });

  connect(view_, &PointPreviewView::PointHovered, this,
          [this](qint64 index) { ShowPointLine(index >= 0 ? index : pinned_); });
  connect(view_, &PointPreviewView::PointClicked, this, [this](qint64 index) {
    pinned_ = index;
    ShowPointLine(index);
  });
}

PointPreviewWindow::~PointPreviewWindow() {
  // Every job is told to stop before the first is waited for, so they end together.
  CancelWork();
  for (auto& job : cancelled_) job->Cancel();
  cancelled_.clear();
}

void PointPreviewWindow::ShowDrawing(const std::string& path, const QString& name) {
  const bool sameDrawing = path == path_ && isVisible();
  path_ = path;
  name_ = name;
  setWindowTitle(tr("%1 - Point preview").arg(name));
  if (!sameDrawing) {
    fitNext_ = true;
    shown_.reset();
    pinned_ = -1;
    view_->SetData(nullptr, false);
    legend_->clear();
  }
  show();
  raise();
  activateWindow();
  Start();
}

void PointPreviewWindow::RecordChanged() {
  if (path_.empty() || !isVisible()) return;
  follow_.start();
}

void PointPreviewWindow::Start() {
  follow_.stop();
  CancelWork();
  const std::uint64_t generation = ++generation_;
  // Said in the status line: the message above the picture keeps its place until the answer.
  status_->setText(tr("Reading %1…").arg(name_));
  job_ = std::make_unique<PreviewJob>(
      source_(), path_, this,
      [this, generation](std::shared_ptr<const PreviewData> data) { JobDone(generation, data); });
}

void PointPreviewWindow::CancelWork() {
  follow_.stop();
  if (!job_) return;
  job_->Cancel();
  cancelled_.push_back(std::move(job_));
  reap_.start();
}

void PointPreviewWindow::ReapCancelled() {
  for (auto it = cancelled_.begin(); it != cancelled_.end();) {
    it = (*it)->Finished() ? cancelled_.erase(it) : it + 1;
  }
  if (cancelled_.empty()) reap_.stop();
}

void PointPreviewWindow::JobDone(std::uint64_t generation, std::shared_ptr<const PreviewData> data) {
  // A job cancelled for a newer drawing or record, or for a closed window, answers too late.
  if (generation != generation_ || !job_) return;
  job_.reset();
  Show(std::move(data));
  emit PreviewShown();
}

void PointPreviewWindow::Show(std::shared_ptr<const PreviewData> data) {
  shown_ = std::move(data);
  const PointPreview& p = shown_->preview;
  const QString text = EndMessage(p, name_);
  message_->setText(text);
  message_->setVisible(!text.isEmpty());
  // A drawing without points keeps the next one's fit pending.
  view_->SetData(shown_, fitNext_);
  if (p.hasExtent) fitNext_ = false;
  ShowLegend(p);
  if (pinned_ >= static_cast<qint64>(p.size())) pinned_ = -1;
  ShowPointLine(pinned_);
}

void PointPreviewWindow::ShowLegend(const PointPreview& p) {
  legend_->clear();
  for (const PreviewTypeCount& entry : p.summary) {
    auto* row = new QTreeWidgetItem(legend_);
    row->setIcon(0, Swatch(entry.option));
    row->setText(0, FromRecordText(entry.label));
    row->setText(1, QString::number(entry.count));
    row->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    row->setData(0, Qt::UserRole, entry.option);
    row->setToolTip(0, FromRecordText(entry.line).trimmed());
  }
}

void PointPreviewWindow::ShowPointLine(qint64 index) {
  if (shown_ && index >= 0 && static_cast<std::size_t>(index) < shown_->preview.size()) {
    status_->setText(FromRecordText(shown_->preview.Line(static_cast<std::size_t>(index))));
    return;
  }
  if (!shown_ || shown_->preview.size() == 0) {
    status_->clear();
    return;
  }
  const std::size_t n = shown_->preview.size();
  const QString count = QLocale::system().toString(static_cast<qulonglong>(n));
  if (n == 1) {
    status_->setText(tr("1 point. Point at it to read its data line."));
    return;
  }
  status_->setText(n > plot::kRasterThreshold
                       ? tr("%1 points, drawn by density. Point at one to read its data line.")
                             .arg(count)
                       : tr("%1 points. Point at one to read its data line.").arg(count));
}

QString PointPreviewWindow::Message() const {
  return message_->isVisibleTo(this) ? message_->text() : QString();
}

QString PointPreviewWindow::StatusText() const { return status_->text(); }

void PointPreviewWindow::closeEvent(QCloseEvent* event) {
  // A closed preview holds no drawing: nothing works on, nothing keeps its memory.
  CancelWork();
  ++generation_;
  shown_.reset();
  view_->SetData(nullptr, false);
  legend_->clear();
  path_.clear();
  QWidget::closeEvent(event);
}

}  // namespace corvane
