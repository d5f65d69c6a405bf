#include "ui/folder_tree.h"

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QList>
#include <QMetaObject>
#include <QPair>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>
#include <QtGlobal>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "files/output_guard.h"
#include "ui/rows_stay_put.h"

namespace corvane {
namespace {

std::string Local(const QString& path) { return QFile::encodeName(path).toStdString(); }

std::optional<FileIdentity> IdentityOf(const std::string& path,
                                       TargetResolver* resolver = nullptr) {
  const FileTarget target = resolver ? resolver->Resolve(path) : ResolveTarget(path);
  if (!target.exists) return std::nullopt;
  return target.identity;
}

// Keeps the tree's current folder when the disk changes under it. The model reports a renamed
// folder as one row removed and another added, and a removed folder as a row removed; the view
// would then make a neighbouring row current, which in the main window lists that folder's
// drawings and, in locked mode, makes it the destination. Instead the parent of the vanished row
// becomes current at once, and a moment later the folder itself again if it was renamed (found
// by its identity among the parent's folders) or put back under its old name.
class CurrentFolderFollower : public QObject {
 public:
  // Connects to the model before the view does, so that the view finds the current row already
  // moved out of the rows being removed.
  CurrentFolderFollower(QTreeView* tree, FolderTreeModel* model)
      : QObject(tree), tree_(tree), model_(model) {
    connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            &CurrentFolderFollower::RowsAboutToBeRemoved);
  }

  // Once the tree shows the model.
  void Attach() {
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { NoteCurrent(current); });
  }

 private:
  struct Known {
    QString path;
    std::optional<FileIdentity> identity;
  };
  struct Lost {
    QString parent;   // the folder made current in the meantime
    QString removed;  // the row that vanished: the current folder or a folder above it
    std::optional<FileIdentity> identity;  // of `removed`, as it was
    QString current;                       // the current folder's old path, at or under `removed`
    bool expanded = false;
  };

  // Identities must be taken while the folders exist: when a row vanishes it is too late.
  void NoteCurrent(const QModelIndex& current) {
    known_.clear();
    for (QModelIndex row = current; row.isValid(); row = row.parent()) {
      const QString path = model_->filePath(row);
      known_.push_back(Known{path, IdentityOf(Local(path))});
    }
  }

  void RowsAboutToBeRemoved(const QModelIndex& parent, int first, int last) {
    const QModelIndex current = tree_->currentIndex();
    if (!current.isValid() || !parent.isValid()) return;
    QModelIndex top = current;
    while (top.isValid() && top.parent() != parent) top = top.parent();
    if (!top.isValid() || top.row() < first || top.row() > last) return;

    Lost lost;
    lost.parent = model_->filePath(parent);
    lost.removed = model_->filePath(top);
    lost.current = model_->filePath(current);
    lost.expanded = tree_->isExpanded(current);
    // The folder made current for an earlier loss goes too (a whole branch removed row by row):
    // it is the folder lost first that is looked for.
    if (lost_ && lost_->parent == lost.current) {
      lost.current = lost_->current;
      lost.expanded = lost_->expanded;
    }
    for (const Known& known : known_) {
      if (known.path == lost.removed) lost.identity = known.identity;
    }
    lost_ = lost;
    tree_->setCurrentIndex(parent);
    // The model must not be asked for new rows while it removes some.
    QTimer::singleShot(0, this, [this] { FindAgain(); });
  }

  void FindAgain() {
    if (!lost_) return;
    const Lost lost = *lost_;
    lost_.reset();
    // The user or the program chose another folder meanwhile: that choice stands.
    if (model_->filePath(tree_->currentIndex()) != lost.parent) return;
    const QString below = lost.current.mid(lost.removed.size());
    if (lost.identity) {
      TargetResolver resolver;
      const QDir folder(lost.parent);
      // Not among hidden folders: a folder renamed out of the tree's sight is as good as gone.
      const QStringList names = folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
      for (const QString& name : names) {
        const QString path = folder.filePath(name);
        if (IdentityOf(Local(path), &resolver) != lost.identity) continue;
        if (Select(path + below, lost.expanded)) return;
        break;
      }
    }
    // Removed and made again under the same name (a tool that replaces its output folder).
    Select(lost.current, lost.expanded);
  }

  bool Select(const QString& path, bool expand) {
    if (!QFileInfo(path).isDir()) return false;
    // In the branch the user was in (the parent of the lost folder is current now).
    const QModelIndex row = model_->IndexNear(path, tree_->currentIndex());
    if (!row.isValid()) return false;
    for (QModelIndex up = row.parent(); up.isValid(); up = up.parent()) tree_->expand(up);
    tree_->setCurrentIndex(row);
    if (expand) tree_->expand(row);
    tree_->scrollTo(row);
    return true;
  }

  QTreeView* tree_;
  FolderTreeModel* model_;
  std::vector<Known> known_;  // the current folder first, then each folder above it
  std::optional<Lost> lost_;
};

// The column is at least as wide as the tree, so that a row's highlight spans the tree as it
// did before the column took the width of its names. Only the viewport's width counts: a
// vertical scroll bar appearing narrows it, and the column follows, so that no sideways scroll
// bar appears for nothing.
class ColumnFillsTheTree : public QObject {
 public:
  explicit ColumnFillsTheTree(QTreeView* tree) : QObject(tree), tree_(tree) {
    tree->viewport()->installEventFilter(this);
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Resize)
      tree_->header()->setMinimumSectionSize(tree_->viewport()->width());
    return QObject::eventFilter(watched, event);
  }

 private:
  QTreeView* tree_;
};

#ifdef Q_OS_WIN
// Windows: the model does not watch (see the header); the tree looks at the disk again for the
// folders it shows open whenever its window becomes active, and for a folder when it is opened.
class DiskLook : public QObject {
 public:
  DiskLook(QTreeView* tree, FolderTreeModel* model)
      : QObject(tree), tree_(tree), model_(model), files_(model->Files()) {
    tree->installEventFilter(this);
    connect(tree, &QTreeView::expanded, this, [this](const QModelIndex& row) {
      // A folder opened for the first time is being listed by the model right now: only one
      // opened again may show what it held when it was last open.
      const QString path = model_->filePath(row);
      if (listed_.insert(path).second) return;
      // Not while the view reacts to the expansion.
      QTimer::singleShot(0, this, [this, path] { LookAgain(path); });
    });
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == tree_ && event->type() == QEvent::WindowActivate) {
      // The folders shown open, each before the folders inside it.
      QStringList open;
      std::vector<QModelIndex> pending{QModelIndex()};
      while (!pending.empty()) {
        const QModelIndex parent = pending.back();
        pending.pop_back();
        for (int row = model_->rowCount(parent) - 1; row >= 0; --row) {
          const QModelIndex child = model_->index(row, 0, parent);
          if (!tree_->isExpanded(child)) continue;
          open << model_->filePath(child);
          pending.push_back(child);
        }
      }
      // A folder shown in two places (inside the user's folder and under This PC) is looked at once.
      open.removeDuplicates();
      for (const QString& path : open) LookAgain(path);
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  // The rows under `path` made to match the disk: those of folders gone are removed (by the
  // model's own handler of a changed listing, as its watcher would), those of folders new are
  // added (asking the model for a path that exists adds its row).
  void LookAgain(const QString& path) {
    if (path.isEmpty() || !QFileInfo(path).isDir()) return;  // the drives; gone with its parent
    const QDir folder(path);
    const QStringList all = folder.entryList(QDir::AllEntries | QDir::System | QDir::Hidden |
                                             QDir::NoDotAndDotDot);
    if (!QMetaObject::invokeMethod(files_, "_q_directoryChanged", Qt::DirectConnection,
                                   Q_ARG(QString, path), Q_ARG(QStringList, all))) {
      qWarning("The folder tree cannot drop the folders removed from %s", qPrintable(path));
    }
    // The folders there now go to the model as its watcher would give them: it adds the new ones
    // and sorts them into their places by name (asking it for each path would append them at the
    // end, where sort() does not see them: the model only sorts again after news of this kind).
    const QModelIndex parent = files_->index(path);
    std::set<QString> shown;
    for (int row = 0; row < files_->rowCount(parent); ++row)
      shown.insert(files_->fileName(files_->index(row, 0, parent)));
    QList<QPair<QString, QFileInfo>> updates;
    for (const QString& name : folder.entryList(QDir::AllDirs | QDir::NoDotAndDotDot)) {
      if (shown.count(name) == 0) updates.append({name, QFileInfo(folder.filePath(name))});
    }
    if (updates.isEmpty()) return;
    if (!QMetaObject::invokeMethod(files_, "_q_fileSystemChanged", Qt::DirectConnection,
                                   Q_ARG(QString, path),
                                   QArgument<QList<QPair<QString, QFileInfo>>>(
                                       "QList<QPair<QString,QFileInfo>>", updates))) {
      qWarning("The folder tree cannot add the folders made in %s", qPrintable(path));
    }
  }

  QTreeView* tree_;
  FolderTreeModel* model_;
  QFileSystemModel* files_;
  std::set<QString> listed_;  // the folders opened before
};
#endif

}  // namespace

void FolderTreeView::scrollTo(const QModelIndex& index, ScrollHint hint) {
  QScrollBar* sideways = horizontalScrollBar();
  const int before = sideways->value();
  QTreeView::scrollTo(index, hint);
  if (!index.isValid() || isRightToLeft()) return;
  // Where the row's icon starts, in the coordinates of the whole column, and what must be seen of
  // it: the icon and the first characters of the name.
  const int start = visualRect(index).left() + sideways->value();
  const int seen = 3 * indentation();
  const int room = viewport()->width();
  int value = before;
  if (start < before || start + seen > before + room) {
    // Out of sight where the user had the tree: from the left edge if that shows it, else from
    // the row's branch mark.
    value = start + seen <= room ? 0 : start - indentation();
  }
  sideways->setValue(qBound(sideways->minimum(), value, sideways->maximum()));
}

FolderTreeModel* SetUpFolderTree(FolderTreeView* tree, QFileIconProvider* icons, QObject* owner,
                                 const ShellRoots& roots) {
  auto* files = new FolderFileSystem();
  // Without an icon theme the model would show no icons; the provider gives the style's own.
  files->setIconProvider(icons);
  // Hidden folders stay out, as in the shell's tree with its default settings.
  files->setFilter(QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot);
#ifdef Q_OS_WIN
  // Qt's watcher on Windows keeps every folder it watches open: a folder shown in the tree could
  // then not be removed or renamed in Explorer while the program runs.
  files->setOption(QFileSystemModel::DontWatchForChanges);
#endif
  // The whole file system: "/" here, the drives on Windows.
  files->setRootPath(QString());
  auto* model = new FolderTreeModel(files, roots, owner);

  auto* follower = new CurrentFolderFollower(tree, model);
  new RowsStayPut(tree, model);
  tree->setModel(model);
  follower->Attach();
#ifdef Q_OS_WIN
  new DiskLook(tree, model);
#endif
  tree->setSelectionMode(QAbstractItemView::SingleSelection);

  // Whole names: the one column takes the width of the names in view (Qt measures at most a
  // thousand rows around them, so a folder of thousands stays quick) and the tree scrolls sideways.
  tree->setTextElideMode(Qt::ElideNone);
  tree->header()->setStretchLastSection(false);
  tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  tree->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  new ColumnFillsTheTree(tree);
  return model;
}

void OpenStartRows(QTreeView* tree, const FolderTreeModel* model) {
  for (const QModelIndex& row : model->RowsOpenAtStart()) tree->expand(row);
}

}  // namespace corvane
