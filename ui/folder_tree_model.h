// The rows of the folder trees. On Windows they are the shell's: the desktop at the top, inside it
// the user's folder, then "This PC" with the drives, then the desktop's own folders, as Explorer's
// tree shows them, so a user finds Documents one click from the top instead of digging down from
// "C:". Elsewhere they are the file system's own, "/" at the top.
//
// One file-system model lists the folders; this model shows its rows, some of them in more than
// one place: the user's Documents is inside the user's folder and also inside This PC, C:, Users.
// Each place is a branch (the desktop's, the user folder's, This PC's), and a row is known by its
// folder and its branch, so a folder opened under the user's folder stays closed under C:, and a
// change on the disk is shown in every branch that holds the folder.
#pragma once

#include <QAbstractProxyModel>
#include <QFileSystemModel>
#include <QPersistentModelIndex>
#include <vector>

namespace corvane {

// The file-system model under the tree's rows: the rows know its nodes by their row and internal
// pointer, and ask it for the index again from those.
class FolderFileSystem : public QFileSystemModel {
 public:
  using QFileSystemModel::QFileSystemModel;
  QModelIndex RowOf(int row, void* node) const { return createIndex(row, 0, node); }
};

// Where the shell's tree starts. An empty desktop (or one that does not exist) gives the file
// system's own rows.
struct ShellRoots {
  QString desktop;
  QString home;  // the user's folder, shown first inside the desktop; empty or missing: not shown
};

// The shell's places on this system: the desktop and the user's folder on Windows, none elsewhere.
ShellRoots ShellRootsOfThisSystem();

class FolderTreeModel : public QAbstractProxyModel {
  Q_OBJECT

 public:
  // Takes `files` (already given its root, filter and icons) as its child.
  FolderTreeModel(FolderFileSystem* files, const ShellRoots& roots, QObject* parent);
  ~FolderTreeModel() override;

  FolderFileSystem* Files() const { return files_; }
  bool ShowsShellRoots() const { return desktop_.isValid(); }

  using QAbstractProxyModel::index;
  // The row of the folder at `path`, where a user looks for it first: inside the desktop's own
  // folders, else inside the user's folder, else under This PC. Invalid if it does not exist.
  QModelIndex index(const QString& path) const;
  // The row of `path` in the branch of `near` when that branch holds it (a folder renamed next to
  // the current one stays in the branch the user was in), else as index(path).
  QModelIndex IndexNear(const QString& path, const QModelIndex& near) const;
  // A row's folder; empty for This PC, which has no path.
  QString filePath(const QModelIndex& index) const;
  QString fileName(const QModelIndex& index) const;
  // The rows to show open when a window first shows the tree.
  QModelIndexList RowsOpenAtStart() const;

  QModelIndex mapToSource(const QModelIndex& proxyIndex) const override;
  QModelIndex mapFromSource(const QModelIndex& sourceIndex) const override;
  QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
  bool canFetchMore(const QModelIndex& parent) const override;
  void fetchMore(const QModelIndex& parent) override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  struct Place {
    QModelIndex parent;  // a row of this model, or the invalid top
    int offset;          // the rows before the file system's: the shell's own at the desktop
  };
  struct SavedRow {
    QPersistentModelIndex source;
    quintptr branch;
  };

  void FindRoots();
  QModelIndex MakeRow(int row, quintptr branch, const QModelIndex& source) const;
  QModelIndex DesktopRow() const;
  QModelIndex HomeRow() const;
  QModelIndex ThisPcRow() const;
  int ShellRowCount() const { return home_.isValid() ? 2 : 1; }
  bool IsDesktopRow(const QModelIndex& index) const;
  bool IsThisPcRow(const QModelIndex& index) const;
  quintptr BranchOf(const QModelIndex& index) const;
  quintptr FirstBranchHolding(const QModelIndex& source) const;
  QModelIndex MapIn(const QModelIndex& source, quintptr branch) const;
  std::vector<Place> PlacesOf(const QModelIndex& sourceParent) const;
  bool RangeHoldsRoot(const QModelIndex& sourceParent, int first, int last) const;

  void SourceRowsAboutToBeInserted(const QModelIndex& parent, int first, int last);
  void SourceRowsAboutToBeRemoved(const QModelIndex& parent, int first, int last);
  void SourceRowsChanged();
  void SourceLayoutAboutToBeChanged();
  void SourceLayoutChanged();
  void SourceDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                         const QList<int>& roles);
  void SourceAboutToBeReset();
  void SourceReset();

  FolderFileSystem* files_;
  ShellRoots roots_;
  QPersistentModelIndex desktop_;  // invalid: the file system's own rows
  QPersistentModelIndex home_;
  // Per change of the file system under way: twice the places it was told to, plus one for a
  // removal; -1 when it resets these rows; 0 when nothing was told.
  std::vector<int> changesOpen_;
  bool resetting_ = false;
  QModelIndexList layoutBefore_;
  std::vector<SavedRow> layoutRows_;
};

}  // namespace corvane
