// Keeps one row of a folder tree in view while the file-system model is still reading and sorting
// the folders around it. The model lists folders in the background and sorts their rows later, so
// rows above a folder chosen at start-up arrive or move after it was scrolled to and push it out
// of sight. It is brought back after each such change, until the user acts on the tree (the
// pointer comes over it, a click, a key, the wheel, the scroll bar) or another row becomes current.
#pragma once

#include <QObject>
#include <QPersistentModelIndex>
#include <QTimer>
#include <vector>

class QTreeView;

namespace corvane {

class FolderInViewKeeper : public QObject {
 public:
  // `tree` must have its model set and outlive the keeper's use.
  explicit FolderInViewKeeper(QTreeView* tree);

  // Scrolls to `row` now and again after every change of the model's rows.
  void Keep(const QModelIndex& row);
  void Stop();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BringBack();

  QTreeView* tree_;
  QPersistentModelIndex row_;
  QTimer later_;  // gathers a burst of model changes into one scroll, after the view has laid out
  std::vector<QMetaObject::Connection> connections_;
};

}  // namespace corvane
