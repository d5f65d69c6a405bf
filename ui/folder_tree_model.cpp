#include "ui/folder_tree_model.h"

#include <QAbstractFileIconProvider>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace corvane {
namespace {

// A row's internal id is its folder's node in the file-system model with the branch in the low
// bits, which a node's address never uses (nodes are allocated, so aligned to 8 bytes at least).
constexpr quintptr kBranchBits = 7;
constexpr quintptr kThisPc = 1;      // the whole file system: under This PC, or the top without shell roots
constexpr quintptr kDesktop = 2;     // inside the desktop, two levels down and more, and the desktop itself
constexpr quintptr kHome = 3;        // the user's folder and what it holds, inside the desktop
constexpr quintptr kDesktopTop = 4;  // the desktop's own folders, after the shell's rows

void* NodeOf(const QModelIndex& index) {
  return reinterpret_cast<void*>(index.internalId() & ~kBranchBits);
}
quintptr IdOf(const QModelIndex& source, quintptr branch) {
  const auto node = reinterpret_cast<quintptr>(source.internalPointer());
  Q_ASSERT((node & kBranchBits) == 0);
  return node | branch;
}

bool Holds(const QModelIndex& root, const QModelIndex& source) {
  if (!root.isValid()) return false;
  for (QModelIndex up = source; up.isValid(); up = up.parent()) {
    if (up == root) return true;
  }
  return false;
}

}  // namespace

ShellRoots ShellRootsOfThisSystem() {
#ifdef Q_OS_WIN
  return {QStandardPaths::writableLocation(QStandardPaths::DesktopLocation), QDir::homePath()};
#else
  return {};
#endif
}

FolderTreeModel::FolderTreeModel(FolderFileSystem* files, const ShellRoots& roots, QObject* parent)
    : QAbstractProxyModel(parent), files_(files), roots_(roots) {
  files_->setParent(this);
  FindRoots();
  setSourceModel(files_);
  connect(files_, &QAbstractItemModel::rowsAboutToBeInserted, this,
          &FolderTreeModel::SourceRowsAboutToBeInserted);
  connect(files_, &QAbstractItemModel::rowsInserted, this, &FolderTreeModel::SourceRowsChanged);
  connect(files_, &QAbstractItemModel::rowsAboutToBeRemoved, this,
          &FolderTreeModel::SourceRowsAboutToBeRemoved);
  connect(files_, &QAbstractItemModel::rowsRemoved, this, &FolderTreeModel::SourceRowsChanged);
  connect(files_, &QAbstractItemModel::layoutAboutToBeChanged, this,
          &FolderTreeModel::SourceLayoutAboutToBeChanged);
  connect(files_, &QAbstractItemModel::layoutChanged, this, &FolderTreeModel::SourceLayoutChanged);
  connect(files_, &QAbstractItemModel::dataChanged, this, &FolderTreeModel::SourceDataChanged);
  connect(files_, &QAbstractItemModel::modelAboutToBeReset, this,
          &FolderTreeModel::SourceAboutToBeReset);
  connect(files_, &QAbstractItemModel::modelReset, this, &FolderTreeModel::SourceReset);
  // The file-system model never moves rows (it sorts by a layout change); were it to, the rows
  // are shown anew.
  connect(files_, &QAbstractItemModel::rowsAboutToBeMoved, this, &FolderTreeModel::SourceAboutToBeReset);
  connect(files_, &QAbstractItemModel::rowsMoved, this, &FolderTreeModel::SourceReset);
}

FolderTreeModel::~FolderTreeModel() {
  // The file-system model goes first, while this model can still hear that it went.
  disconnect(files_, nullptr, this, nullptr);
  delete files_;
}

// Asking the file-system model for a path lists the folders on the way to it.
void FolderTreeModel::FindRoots() {
  desktop_ = QPersistentModelIndex();
  home_ = QPersistentModelIndex();
  if (roots_.desktop.isEmpty() || !QFileInfo(roots_.desktop).isDir()) return;
  desktop_ = files_->index(roots_.desktop);
  // A user folder inside the desktop would be shown inside itself.
  if (!roots_.home.isEmpty() && QFileInfo(roots_.home).isDir()) {
    const QModelIndex home = files_->index(roots_.home);
    if (!Holds(desktop_, home) && !Holds(home, desktop_)) home_ = home;
    // The usual case: the desktop is inside the user's folder, which is shown first anyway.
    if (Holds(home, desktop_) && home != desktop_) home_ = home;
  }
}

QModelIndex FolderTreeModel::MakeRow(int row, quintptr branch, const QModelIndex& source) const {
  return createIndex(row, 0, IdOf(source, branch));
}
QModelIndex FolderTreeModel::DesktopRow() const { return MakeRow(0, kDesktop, desktop_); }
QModelIndex FolderTreeModel::HomeRow() const { return MakeRow(0, kHome, home_); }
QModelIndex FolderTreeModel::ThisPcRow() const { return createIndex(ShellRowCount() - 1, 0, kThisPc); }

bool FolderTreeModel::IsDesktopRow(const QModelIndex& index) const {
  return index.isValid() && ShowsShellRoots() && index.internalId() == IdOf(desktop_, kDesktop);
}
bool FolderTreeModel::IsThisPcRow(const QModelIndex& index) const {
  return index.isValid() && ShowsShellRoots() && index.internalId() == kThisPc;
}

quintptr FolderTreeModel::BranchOf(const QModelIndex& index) const {
  if (!index.isValid()) return ShowsShellRoots() ? kDesktop : kThisPc;
  const quintptr branch = index.internalId() & kBranchBits;
  return branch == kDesktopTop ? kDesktop : branch;
}

quintptr FolderTreeModel::FirstBranchHolding(const QModelIndex& source) const {
  if (Holds(desktop_, source)) return kDesktop;
  if (Holds(home_, source)) return kHome;
  return kThisPc;
}

// The row of a file-system index in one branch that holds it.
QModelIndex FolderTreeModel::MapIn(const QModelIndex& source, quintptr branch) const {
  if (!source.isValid()) return branch == kThisPc && ShowsShellRoots() ? ThisPcRow() : QModelIndex();
  const QModelIndex first = source.siblingAtColumn(0);
  if (branch == kDesktop) {
    if (first == desktop_) return DesktopRow();
    if (first.parent() == desktop_) return MakeRow(first.row() + ShellRowCount(), kDesktopTop, first);
  }
  if (branch == kHome && first == home_) return HomeRow();
  return MakeRow(first.row(), branch, first);
}

QModelIndex FolderTreeModel::mapToSource(const QModelIndex& proxyIndex) const {
  if (!proxyIndex.isValid()) return {};
  void* node = NodeOf(proxyIndex);
  if (node == nullptr) return {};  // This PC: the file system's top
  switch (proxyIndex.internalId() & kBranchBits) {
    case kDesktop:
      if (node == desktop_.internalPointer()) return desktop_;
      break;
    case kHome:
      if (node == home_.internalPointer()) return home_;
      break;
    case kDesktopTop:
      return files_->RowOf(proxyIndex.row() - ShellRowCount(), node);
    default:
      break;
  }
  return files_->RowOf(proxyIndex.row(), node);
}

QModelIndex FolderTreeModel::mapFromSource(const QModelIndex& sourceIndex) const {
  if (!sourceIndex.isValid()) return {};
  return MapIn(sourceIndex, FirstBranchHolding(sourceIndex));
}

QModelIndex FolderTreeModel::index(const QString& path) const {
  return mapFromSource(files_->index(path));
}

QModelIndex FolderTreeModel::IndexNear(const QString& path, const QModelIndex& near) const {
  const QModelIndex source = files_->index(path);
  if (!source.isValid()) return {};
  const quintptr branch = BranchOf(near);
  if (branch == kThisPc || (branch == kDesktop && Holds(desktop_, source)) ||
      (branch == kHome && Holds(home_, source))) {
    return MapIn(source, branch);
  }
  return mapFromSource(source);
}

QString FolderTreeModel::filePath(const QModelIndex& index) const {
  if (!index.isValid() || IsThisPcRow(index)) return {};
  return files_->filePath(mapToSource(index));
}

QString FolderTreeModel::fileName(const QModelIndex& index) const {
  if (IsThisPcRow(index)) return data(index).toString();
  return files_->fileName(mapToSource(index));
}

QModelIndexList FolderTreeModel::RowsOpenAtStart() const {
  if (ShowsShellRoots()) return {DesktopRow(), ThisPcRow()};
  return {index(QDir::rootPath())};
}

QModelIndex FolderTreeModel::index(int row, int column, const QModelIndex& parent) const {
  if (row < 0 || column != 0 || row >= rowCount(parent)) return {};
  if (ShowsShellRoots()) {
    if (!parent.isValid()) return DesktopRow();
    if (IsDesktopRow(parent)) {
      if (row == ShellRowCount() - 1) return ThisPcRow();
      if (row < ShellRowCount()) return HomeRow();
      return MakeRow(row, kDesktopTop, files_->index(row - ShellRowCount(), 0, desktop_));
    }
  }
  const QModelIndex source = files_->index(row, 0, mapToSource(parent));
  return source.isValid() ? MakeRow(row, BranchOf(parent), source) : QModelIndex();
}

QModelIndex FolderTreeModel::parent(const QModelIndex& child) const {
  if (!child.isValid()) return {};
  const quintptr branch = child.internalId() & kBranchBits;
  if (ShowsShellRoots()) {
    if (IsDesktopRow(child)) return {};
    if (branch == kDesktopTop || IsThisPcRow(child) ||
        (branch == kHome && NodeOf(child) == home_.internalPointer())) {
      return DesktopRow();
    }
  }
  return MapIn(mapToSource(child).parent(), BranchOf(child));
}

int FolderTreeModel::rowCount(const QModelIndex& parent) const {
  if (parent.column() > 0) return 0;
  if (ShowsShellRoots()) {
    if (!parent.isValid()) return 1;
    if (IsDesktopRow(parent)) return ShellRowCount() + files_->rowCount(desktop_);
  }
  return files_->rowCount(mapToSource(parent));
}

int FolderTreeModel::columnCount(const QModelIndex&) const { return 1; }

bool FolderTreeModel::hasChildren(const QModelIndex& parent) const {
  if (ShowsShellRoots() && (!parent.isValid() || IsDesktopRow(parent))) return true;
  return files_->hasChildren(mapToSource(parent));
}

bool FolderTreeModel::canFetchMore(const QModelIndex& parent) const {
  if (ShowsShellRoots() && !parent.isValid()) return false;
  return files_->canFetchMore(mapToSource(parent));
}

void FolderTreeModel::fetchMore(const QModelIndex& parent) {
  if (ShowsShellRoots() && !parent.isValid()) return;
  files_->fetchMore(mapToSource(parent));
}

QVariant FolderTreeModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  if (IsThisPcRow(index)) {
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) return tr("This PC");
    if (role == Qt::DecorationRole && files_->iconProvider() != nullptr)
      return files_->iconProvider()->icon(QAbstractFileIconProvider::Computer);
    return {};
  }
  // The full path, with native separators.
  if (role == Qt::ToolTipRole) return QDir::toNativeSeparators(filePath(index));
  if (role == Qt::DecorationRole && IsDesktopRow(index) && files_->iconProvider() != nullptr)
    return files_->iconProvider()->icon(QAbstractFileIconProvider::Desktop);
  return files_->data(mapToSource(index), role);
}

Qt::ItemFlags FolderTreeModel::flags(const QModelIndex& index) const {
  if (IsThisPcRow(index)) return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  return files_->flags(mapToSource(index));
}

QVariant FolderTreeModel::headerData(int section, Qt::Orientation orientation, int role) const {
  return files_->headerData(section, orientation, role);
}

// Every row of this model that shows `sourceParent`, with the rows shown before its own there.
std::vector<FolderTreeModel::Place> FolderTreeModel::PlacesOf(const QModelIndex& sourceParent) const {
  std::vector<Place> places;
  if (!ShowsShellRoots()) {
    places.push_back({MapIn(sourceParent, kThisPc), 0});
    return places;
  }
  places.push_back({MapIn(sourceParent, kThisPc), 0});
  if (sourceParent == desktop_) {
    places.push_back({DesktopRow(), ShellRowCount()});
  } else if (Holds(desktop_, sourceParent)) {
    places.push_back({MapIn(sourceParent, kDesktop), 0});
  }
  if (Holds(home_, sourceParent)) places.push_back({MapIn(sourceParent, kHome), 0});
  return places;
}

bool FolderTreeModel::RangeHoldsRoot(const QModelIndex& sourceParent, int first, int last) const {
  for (const QPersistentModelIndex& root : {desktop_, home_}) {
    for (QModelIndex up = root; up.isValid(); up = up.parent()) {
      if (up.parent() == sourceParent && up.row() >= first && up.row() <= last) return true;
    }
  }
  return false;
}

// A change of the file system is told here once per place that shows it; the file-system model has
// changed its rows only when it reports the change done, and so do these rows.
void FolderTreeModel::SourceRowsAboutToBeInserted(const QModelIndex& parent, int first, int last) {
  if (resetting_) {
    changesOpen_.push_back(0);
    return;
  }
  const std::vector<Place> places = PlacesOf(parent);
  for (const Place& place : places) beginInsertRows(place.parent, first + place.offset, last + place.offset);
  changesOpen_.push_back(static_cast<int>(places.size()) * 2);
}

void FolderTreeModel::SourceRowsAboutToBeRemoved(const QModelIndex& parent, int first, int last) {
  if (resetting_) {
    changesOpen_.push_back(0);
    return;
  }
  if (ShowsShellRoots() && RangeHoldsRoot(parent, first, last)) {
    // The desktop or the user's folder itself goes: the rows are shown anew without it.
    SourceAboutToBeReset();
    changesOpen_.push_back(-1);
    return;
  }
  const std::vector<Place> places = PlacesOf(parent);
  for (const Place& place : places) beginRemoveRows(place.parent, first + place.offset, last + place.offset);
  changesOpen_.push_back(static_cast<int>(places.size()) * 2 + 1);
}

void FolderTreeModel::SourceRowsChanged() {
  if (changesOpen_.empty()) return;
  const int open = changesOpen_.back();
  changesOpen_.pop_back();
  if (open < 0) {
    SourceReset();
    return;
  }
  const bool removed = (open & 1) != 0;
  for (int k = 0; k < open / 2; ++k) {
    if (removed) {
      endRemoveRows();
    } else {
      endInsertRows();
    }
  }
}

void FolderTreeModel::SourceLayoutAboutToBeChanged() {
  if (resetting_) return;
  emit layoutAboutToBeChanged();
  layoutBefore_ = persistentIndexList();
  layoutRows_.clear();
  for (const QModelIndex& row : layoutBefore_) {
    // The desktop, the user's folder and This PC keep their places whatever the order inside.
    const bool fixed = IsDesktopRow(row) || IsThisPcRow(row) ||
                       ((row.internalId() & kBranchBits) == kHome && NodeOf(row) == home_.internalPointer());
    layoutRows_.push_back({fixed ? QPersistentModelIndex() : QPersistentModelIndex(mapToSource(row)),
                           fixed ? 0 : BranchOf(row)});
  }
}

void FolderTreeModel::SourceLayoutChanged() {
  if (resetting_) return;
  QModelIndexList after;
  for (std::size_t k = 0; k < layoutRows_.size(); ++k) {
    const SavedRow& saved = layoutRows_[k];
    after << (saved.branch == 0 ? layoutBefore_[static_cast<int>(k)] : MapIn(saved.source, saved.branch));
  }
  changePersistentIndexList(layoutBefore_, after);
  layoutBefore_.clear();
  layoutRows_.clear();
  emit layoutChanged();
}

void FolderTreeModel::SourceDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                                        const QList<int>& roles) {
  if (resetting_ || topLeft.column() > 0) return;
  const QModelIndex first = topLeft, last = bottomRight.siblingAtColumn(0);
  for (const Place& place : PlacesOf(first.parent())) {
    emit dataChanged(index(first.row() + place.offset, 0, place.parent),
                     index(last.row() + place.offset, 0, place.parent), roles);
  }
  for (const QPersistentModelIndex& root : {desktop_, home_}) {
    if (root.isValid() && root.parent() == first.parent() && root.row() >= first.row() &&
        root.row() <= last.row()) {
      const QModelIndex row = root == desktop_ ? DesktopRow() : HomeRow();
      emit dataChanged(row, row, roles);
    }
  }
}

void FolderTreeModel::SourceAboutToBeReset() {
  if (resetting_) return;
  resetting_ = true;
  beginResetModel();
}

void FolderTreeModel::SourceReset() {
  if (!resetting_) return;
  FindRoots();
  resetting_ = false;
  endResetModel();
}

}  // namespace corvane
