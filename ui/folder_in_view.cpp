#include "ui/folder_in_view.h"

#include <QAbstractItemModel>
#include <QEvent>
#include <QScrollBar>
#include <QTreeView>

namespace corvane {

FolderInViewKeeper::FolderInViewKeeper(QTreeView* tree) : QObject(tree), tree_(tree) {
  later_.setSingleShot(true);
  later_.setInterval(0);
  connect(&later_, &QTimer::timeout, this, [this] { BringBack(); });
}

void FolderInViewKeeper::Keep(const QModelIndex& row) {
  Stop();
  row_ = QPersistentModelIndex(row);
  tree_->scrollTo(row);
  QAbstractItemModel* model = tree_->model();
  const auto soon = [this] { later_.start(); };
  connections_ = {
      connect(model, &QAbstractItemModel::rowsInserted, this, soon),
      connect(model, &QAbstractItemModel::layoutChanged, this, soon),
      connect(tree_->verticalScrollBar(), &QAbstractSlider::actionTriggered, this, [this] { Stop(); }),
  };
  tree_->installEventFilter(this);
  tree_->viewport()->installEventFilter(this);
}

void FolderInViewKeeper::Stop() {
  for (const auto& connection : connections_) disconnect(connection);
  connections_.clear();
  later_.stop();
  row_ = QPersistentModelIndex();
  tree_->removeEventFilter(this);
  tree_->viewport()->removeEventFilter(this);
}

bool FolderInViewKeeper::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    // The pointer on the rows means the user is about to pick one: from then on the rows stay
    // where the user sees them, not where the program put its folder.
    case QEvent::Enter:
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::Wheel: Stop(); break;
    default: break;
  }
  return QObject::eventFilter(watched, event);
}

void FolderInViewKeeper::BringBack() {
  if (!row_.isValid() || tree_->currentIndex() != row_) {
    Stop();
    return;
  }
  tree_->scrollTo(row_, QAbstractItemView::PositionAtCenter);
}

}  // namespace corvane
