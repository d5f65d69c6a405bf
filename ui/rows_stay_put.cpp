#include "ui/rows_stay_put.h"

#include <QCursor>
#include <QScrollBar>
#include <QTreeView>

namespace corvane {

RowsStayPut::RowsStayPut(QTreeView* tree, QAbstractItemModel* model) : QObject(tree), tree_(tree) {
  later_.setSingleShot(true);
  later_.setInterval(0);
  connect(&later_, &QTimer::timeout, this, [this] { PutBack(); });
  // Rows scroll by pixels, so a row can be put back exactly where it was.
  tree->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  // Connected before the view is: the place is noted while the view still has its rows laid out
  // as the user sees them.
  connect(model, &QAbstractItemModel::rowsAboutToBeInserted, this, [this] { Note(); });
  connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this, [this] { Note(); });
  connect(model, &QAbstractItemModel::layoutAboutToBeChanged, this, [this] { Note(); });
  connect(model, &QAbstractItemModel::rowsInserted, this, [this] { Restore(); });
  connect(model, &QAbstractItemModel::rowsRemoved, this, [this] { Restore(); });
  connect(model, &QAbstractItemModel::layoutChanged, this, [this] { Restore(); });
}

QModelIndex RowsStayPut::AnchorRow() const {
  const QRect view = tree_->viewport()->rect();
  const QPoint pointer = tree_->viewport()->mapFromGlobal(QCursor::pos());
  if (tree_->isVisible() && view.contains(pointer)) {
    const QModelIndex under = tree_->indexAt(pointer);
    if (under.isValid()) return under;
  }
  const QModelIndex current = tree_->currentIndex();
  if (current.isValid() && tree_->visualRect(current).intersects(view)) return current;
  return tree_->indexAt(QPoint(1, 1));
}

void RowsStayPut::Note() {
  if (noted_) return;  // the place before the first change of a burst counts
  anchor_ = QPersistentModelIndex(AnchorRow());
  if (!anchor_.isValid()) return;
  top_ = tree_->visualRect(anchor_).top();
  noted_ = true;
}

void RowsStayPut::Restore() {
  // The view lays its rows out again only when it next needs them, and a change comes in bursts
  // (rows added, then sorted): the place is put back once the burst is over.
  if (noted_) later_.start();
}

void RowsStayPut::PutBack() {
  noted_ = false;
  // A row that went itself has no place to keep.
  if (!anchor_.isValid()) return;
  const int moved = tree_->visualRect(anchor_).top() - top_;
  if (moved == 0) return;
  QScrollBar* bar = tree_->verticalScrollBar();
  bar->setValue(bar->value() + moved);
}

}  // namespace corvane
