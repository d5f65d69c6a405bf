// Keeps the rows of a folder tree where the user sees them while folders appear or vanish above
// them. The model lists a folder again when the disk changes (a folder made or removed in a file
// manager), adds and sorts rows, and the view would push everything below them down: a click
// meant for one folder would land on its neighbour. The row the user is about to act on (the one
// under the pointer, else the current one, else the top one in view) keeps its place on screen;
// the tree scrolls its content around it instead.
#pragma once

#include <QObject>
#include <QPersistentModelIndex>
#include <QTimer>

class QAbstractItemModel;
class QTreeView;

namespace corvane {

class RowsStayPut : public QObject {
 public:
  // Made before `model` is set on `tree`; the object lives as the tree's child.
  RowsStayPut(QTreeView* tree, QAbstractItemModel* model);

 private:
  QModelIndex AnchorRow() const;
  void Note();
  void Restore();
  void PutBack();

  QTreeView* tree_;
  QPersistentModelIndex anchor_;
  int top_ = 0;
  bool noted_ = false;
  QTimer later_;
};

}  // namespace corvane
