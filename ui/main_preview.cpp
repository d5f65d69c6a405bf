// The main window's way into the point preview: which drawing it shows, and the record it follows.
#include <QFile>
#include <QListWidget>
#include <QScreen>

#include "files/text_rules.h"
#include "ui/main.h"
#include "ui/point_preview_window.h"
#include "ui_main.h"

namespace corvane {

QRect PlaceBeside(const QRect& mainFrame, const QSize& frame, const QRect& available, int minWidth) {
  const int right = available.right() - mainFrame.right();  // room right of the main window
  const int left = mainFrame.left() - available.left();
  const bool onRight = right >= frame.width() || (left < frame.width() && right >= left);
  const int room = onRight ? right : left;
  const int width = qMin(frame.width(), room);
  if (width < minWidth) return QRect();
  const int height = qMin(frame.height(), available.height());
  const int top = qBound(available.top(), mainFrame.top(), available.bottom() + 1 - height);
  const int x = onRight ? mainFrame.right() + 1 : mainFrame.left() - width;
  return QRect(x, top, width, height);
}

PointPreviewWindow* TForm1::PreviewWindow() const { return previewWindow_.data(); }

void TForm1::OpenPointPreview() {
  // The keyboard's place in the list when it is on a drawing, else the first selected one.
  QListWidget* list = ui_->fl1;
  int row = list->currentRow();
  if (row < 0 || !list->item(row)->isSelected()) {
    for (int r = 0; r < list->count(); ++r) {
      if (list->item(r)->isSelected()) {
        row = r;
        break;
      }
    }
  }
  OpenPointPreviewForRow(row);
}

void TForm1::OpenPointPreviewForRow(int row) {
  const QListWidgetItem* item = ui_->fl1->item(row);
  if (item == nullptr) return;
  // The path a run opens: the listed folder and the name as the file system has it.
  const std::string path =
      WithSeparator(QFile::encodeName(fileListFolder_).toStdString()) +
      FileNameBytes(row);
  if (previewWindow_ == nullptr) {
    previewWindow_ = new PointPreviewWindow([this] { return RecordFromWindow(); }, this);
    connect(this, &TForm1::RecordMayHaveChanged, previewWindow_, &PointPreviewWindow::RecordChanged);
    PlacePreview();
  }
  previewWindow_->ShowDrawing(path, item->text());
}

void TForm1::PlacePreview() {
  // Opened beside the main window, the preview leaves the entity boxes and fields it follows in
  // sight. Placed once: afterwards it stays where the user puts it, also when closed and opened
  // again.
  const QScreen* shown = screen();
  if (!shown || !isVisible()) return;
  // The frame the window manager adds is known only once a window is shown; the main window's
  // stands in for it.
  const QMargins frameMargins(geometry().left() - frameGeometry().left(),
                              geometry().top() - frameGeometry().top(),
                              frameGeometry().right() - geometry().right(),
                              frameGeometry().bottom() - geometry().bottom());
  const QSize frame = previewWindow_->size().grownBy(frameMargins);
  const QRect place = PlaceBeside(frameGeometry(), frame, shown->availableGeometry(),
                                  previewWindow_->minimumSizeHint().width() + 40);
  if (place.isEmpty()) return;
  previewWindow_->resize(place.size().shrunkBy(frameMargins));
  previewWindow_->move(place.topLeft());
}

}  // namespace corvane
