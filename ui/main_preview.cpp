// The main window's way into the point preview: which drawing it shows, and the record it follows.
#include <QFile>
#include <QListWidget>

#include "engine/run_plan.h"
#include "ui/main.h"
#include "ui/point_preview_window.h"
#include "ui_main.h"

namespace corvane {

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
  }
  previewWindow_->ShowDrawing(path, item->text());
}

}  // namespace corvane
