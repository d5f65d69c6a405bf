// The folder trees of the main window (`sh1`) and of the destination-folder dialog: the whole
// file system, folders only, with the style's icons, from the desktop on Windows (see
// folder_tree_model.h).
//
// They follow the disk while the program runs. On Linux Qt's file-system model watches every
// folder it has listed (one inotify watch per folder opened in the tree) and lists it again when
// it changes, so a folder made, renamed or removed outside the program shows within a moment, and
// the other rows keep their expansion and selection. On Windows the model does not watch: Qt's
// watcher there holds each watched folder open, and Explorer could not remove or rename a folder
// while the tree showed it. Instead the tree looks at the disk again for every folder it shows
// open when its window becomes active (the user comes back from Explorer) and for a folder when
// it is opened, with the same result: new folders show, vanished ones go, the rest stays. On a
// folder of 10,000 sub-folders a change is shown about 0.3 s later: the model lists the whole
// folder again, in its own thread. When the current folder itself is renamed, the selection goes
// with it (the folder is found again by its identity); when it is removed, its parent becomes
// current, rather than whichever sibling the view would pick.
//
// Names are never cut: the column is as wide as the names in view (and at least as wide as the
// tree), the tree scrolls sideways, and each row's tooltip is the folder's full path.
#pragma once

#include <QTreeView>

#include "ui/folder_tree_model.h"

class QFileIconProvider;

namespace corvane {

// A tree whose rows may be wider than the tree. Scrolling to a row (the keyboard, a click, a
// folder the program chooses) brings the row's start into view: QTreeView would scroll to the far
// left, where a deep row's name is out of sight, or centre the row's far end.
class FolderTreeView : public QTreeView {
  Q_OBJECT

 public:
  using QTreeView::QTreeView;
  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
};

// Builds the model (a child of `owner`) and shows it in `tree` as described above, from the
// shell's places of this system unless told others. `icons` must outlive the model: the model's
// own thread uses it until the model is deleted, so the owner deletes the model (after taking it
// out of the tree) before the provider.
FolderTreeModel* SetUpFolderTree(FolderTreeView* tree, QFileIconProvider* icons, QObject* owner,
                                 const ShellRoots& roots = ShellRootsOfThisSystem());

// Opens the rows a window shows open at first: "/" here; the desktop and This PC on Windows.
void OpenStartRows(QTreeView* tree, const FolderTreeModel* model);

}  // namespace corvane
