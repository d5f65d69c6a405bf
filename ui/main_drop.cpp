// Drawings dropped on the main window: a folder, or DXF files, dragged from a file manager choose
// the folder in the tree and those files in the list, as the user would have done by hand.
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QListWidget>
#include <QMimeData>
#include <QUrl>

#include "ui/main.h"
#include "ui/message_boxes.h"
#include "ui/window_text.h"
#include "ui_main.h"

namespace corvane {
namespace {

bool IsDrawingName(const QString& name) {
  return name.endsWith(QLatin1String(".dxf"), Qt::CaseInsensitive);
}

// Files and folders of the local file system only: a web link or a text is no drawing.
QStringList LocalPaths(const QMimeData* data) {
  QStringList paths;
  if (!data || !data->hasUrls()) return paths;
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile()) return {};
    paths << url.toLocalFile();
  }
  return paths;
}

}  // namespace

void TForm1::AcceptDroppedDrawings() {
  setAcceptDrops(true);
  // Text boxes and lists take drops of their own (a path dropped as text): files dragged from a
  // file manager are the window's, wherever they land on it.
  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

bool TForm1::HandleDropEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDropEvent*>(event);
      if (LocalPaths(drag->mimeData()).isEmpty()) return false;
      drag->acceptProposedAction();
      return true;
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      const QStringList paths = LocalPaths(drop->mimeData());
      if (paths.isEmpty()) return false;
      drop->acceptProposedAction();
      const QString why = DropPaths(paths);
      if (!why.isEmpty()) {
        ShowInformationBox(why, this, {.detail = {}, .objectName = QStringLiteral("NothingDropped"), .selectable = false});
      }
      return true;
    }
    default: return false;
  }
}

QString TForm1::DropPaths(const QStringList& paths) {
  if (runActive_) return tr("Data files are being created: drop the drawings when the run has ended.");
  QStringList folders;
  QStringList drawings;
  QString other;
  for (const QString& path : paths) {
    const QFileInfo info(path);
    if (info.isDir()) {
      folders << info.absoluteFilePath();
    } else if (info.isFile() && IsDrawingName(info.fileName())) {
      drawings << info.absoluteFilePath();
    } else if (other.isEmpty()) {
      other = info.fileName().isEmpty() ? path : info.fileName();
    }
  }
  if (drawings.isEmpty() && folders.isEmpty()) {
    return tr("\"%1\" is neither a DXF drawing nor a folder: drop DXF files, or the folder that "
              "holds them.").arg(other);
  }
  if (drawings.isEmpty()) {
    if (folders.size() > 1) return tr("Drop one folder at a time.");
    if (!SelectFolder(folders.first())) {
      return tr("The folder \"%1\" cannot be shown.").arg(QDir::toNativeSeparators(folders.first()));
    }
    return QString();
  }
  // The file list shows one folder: the drawings must share it.
  const QString folder = QFileInfo(drawings.first()).absolutePath();
  for (const QString& drawing : drawings) {
    if (QFileInfo(drawing).absolutePath() != folder) {
      return tr("The drawings dropped lie in different folders: drop those of one folder at a time.");
    }
  }
  if (!SelectFolder(folder)) {
    return tr("The folder \"%1\" cannot be shown.").arg(QDir::toNativeSeparators(folder));
  }
  QListWidget* list = ui_->fl1;
  list->clearSelection();
  QListWidgetItem* first = nullptr;
  for (const QString& drawing : drawings) {
    const QString name = QFileInfo(drawing).fileName();
    for (QListWidgetItem* item : list->findItems(name, Qt::MatchExactly)) {
      item->setSelected(true);
      if (!first) first = item;
    }
  }
  if (!first) return tr("The drawings dropped are not listed (hidden files are left out).");
  list->setCurrentItem(first, QItemSelectionModel::Select);
  list->scrollToItem(first);
  RefreshCountText();
  return QString();
}

}  // namespace corvane
