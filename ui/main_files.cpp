// The main window's folders and files: the folder tree, the file list and its selection, and
// the destination lock.
#include "ui/main.h"

#include <QAbstractButton>
#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileIconProvider>
#include <QFileSystemModel>
#include <QIcon>
#include <QMenu>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QUrl>
#include <QUrlQuery>
#include <QWindow>

#include "config/entity_options.h"
#include "config/program_paths.h"
#include "engine/folder_listing.h"
#include "files/text_rules.h"
#include "ui/Unit2.h"
#include "ui/desktop_opener.h"
#include "ui/folder_in_view.h"
#include "ui/folder_tree.h"
#include "ui/point_preview_window.h"
#include "ui/startup.h"
#include "ui/whole_names.h"
#include "ui/window_scale.h"
#include "ui/window_text.h"
#include "ui_main.h"

namespace corvane {
namespace {

// The file list keeps each name as the folder gave it: a name that is not valid in the system's
// encoding (a Latin-1 name from an old archive) shows with replacement marks, and only the bytes
// still name the file.
constexpr int kNameBytesRole = Qt::UserRole + 1;


}  // namespace

// ---- folders and files ----------------------------------------------------------------------

bool TForm1::SelectFolder(const QString& path) {
  const QFileInfo info(path);
  if (path.isEmpty() || !info.isDir()) return false;
  const QModelIndex index = folderModel_->index(info.absoluteFilePath());
  if (!index.isValid()) return false;
  for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent()) {
    ui_->sh1->expand(parent);
  }
  ui_->sh1->setCurrentIndex(index);
  ui_->sh1->expand(index);
  folderInView_->Keep(index);
  return true;
}

QString TForm1::SelectedFolderPath() const {
  const QModelIndex index = ui_->sh1->currentIndex();
  if (!index.isValid()) return QString();
  return QDir::toNativeSeparators(folderModel_->filePath(index));
}

QStringList TForm1::SelectedFileNames() const {
  QStringList names;
  for (int row = 0; row < ui_->fl1->count(); ++row) {
    const QListWidgetItem* item = ui_->fl1->item(row);
    if (item->isSelected()) names << item->text();
  }
  return names;
}

std::vector<std::string> TForm1::SelectedFileNameBytes() const {
  std::vector<std::string> names;
  for (int row = 0; row < ui_->fl1->count(); ++row) {
    const QListWidgetItem* item = ui_->fl1->item(row);
    if (item->isSelected()) names.push_back(item->data(kNameBytesRole).toByteArray().toStdString());
  }
  return names;
}

std::string TForm1::FileNameBytes(int row) const {
  const QListWidgetItem* item = ui_->fl1->item(row);
  return item ? item->data(kNameBytesRole).toByteArray().toStdString() : std::string();
}

void TForm1::FolderChange() {
  const QString path = SelectedFolderPath();
  if (!path.contains(QDir::separator())) {
    // Nothing selected: there is no folder to list.
    ui_->fl1->clear();
    fileListFolder_.clear();
    ui_->BitBtn3->setEnabled(false);
  } else {
    ReadFileList(path);
    if (ui_->fl1->count() > 0) ui_->fl1->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
    if (ui_->autosel->isChecked()) ui_->fl1->selectAll();
  }
  if (IsLocked()) ui_->Edit1->setText(path);
  RefreshCountText();
  ui_->Label30->setText(path);
}

void TForm1::ReadFileList(const QString& folder) {
  ui_->fl1->clear();
  fileListFolder_ = folder;
  // A folder that cannot be read lists nothing, and then the run button stays off.
  std::string error;
  const std::vector<std::string> names =
      folder.isEmpty() ? std::vector<std::string>()
                       : ListDxfFiles(QFile::encodeName(folder).toStdString(), error);
  const QIcon icon(QStringLiteral(":/glyphs_main/dxf_file.svg"));
  for (const std::string& name : names) {
    auto* item = new QListWidgetItem(icon, QFile::decodeName(QByteArray::fromStdString(name)), ui_->fl1);
    item->setData(kNameBytesRole, QByteArray::fromStdString(name));
    // Over its name a row tells the whole name; the list's hint shows beside and below the names.
    item->setToolTip(item->text());
  }
  ui_->BitBtn3->setEnabled(ui_->fl1->count() > 0);
}

void TForm1::RefreshCountText() {
  ui_->Label3->setText(tr("%1 selected.").arg(ui_->fl1->selectedItems().size()));
}

void TForm1::AutoSelectClicked(bool checked) {
  if (!WriteSetting(kSettingAutoSel, checked)) {
    const QSignalBlocker quiet(ui_->autosel);
    ui_->autosel->setChecked(!checked);
    return;
  }
  // Unticking leaves the selection as it is.
  if (checked) ui_->fl1->selectAll();
  RefreshCountText();
}

// ---- destination lock -----------------------------------------------------------------------

bool TForm1::LockAction() {
  if (!WriteSetting(kSettingLocked, true)) return false;
  ui_->SpeedButton2->hide();
  ui_->SpeedButton1->show();
  ui_->SpeedButton1->setChecked(true);
  ui_->Edit1->setText(SelectedFolderPath());
  ui_->SpeedButton4->setEnabled(false);
  return true;
}

bool TForm1::UnlockAction() {
  if (!WriteSetting(kSettingLocked, false)) return false;
  ui_->SpeedButton1->hide();
  ui_->SpeedButton2->show();
  ui_->SpeedButton4->setEnabled(true);
  // Edit1 keeps the last folder until the folder dialog changes it.
  return true;
}

bool TForm1::IsLocked() const { return !ui_->SpeedButton1->isHidden(); }

void TForm1::ConnectFileHandlers() {
  connect(ui_->fl1, &QListWidget::itemSelectionChanged, this, [this] { RefreshCountText(); });
  connect(ui_->autosel, &QCheckBox::toggled, this, [this](bool on) { AutoSelectClicked(on); });

  connect(ui_->SpeedButton2, &QToolButton::clicked, this, [this] { LockAction(); });
  connect(ui_->SpeedButton1, &QToolButton::clicked, this, [this] {
    UnlockAction();
    // The button is drawn pressed for as long as it is shown.
    ui_->SpeedButton1->setChecked(true);
  });
  connect(ui_->SpeedButton4, &QToolButton::clicked, this, [this] {
    if (browseDestination_) browseDestination_();
  });
}

void TForm1::SetUpFileListMenu() {
  popupMenu1_ = new QMenu(this);
  popupMenu1_->setObjectName(QStringLiteral("PopupMenu1"));
  AddMenuItem(popupMenu1_, "SelectAll1", tr("Select All"), [this] {
    ui_->fl1->selectAll();
    RefreshCountText();
  });
  AddMenuItem(popupMenu1_, "Refreshfolder1", tr("Refresh folder"), [this] {
    ReadFileList(fileListFolder_);
    RefreshCountText();
  });
  // Not one of the designed items: it comes last, after a separator, and leaves them as they are.
  popupMenu1_->addSeparator();
  AddMenuItem(popupMenu1_, "PreviewPoints1", tr("Preview points…"), [this] {
    const int row = menuRow_;
    menuRow_ = -1;
    if (row >= 0) {
      OpenPointPreviewForRow(row);
    } else {
      OpenPointPreview();
    }
  });
  const QKeySequence previewKey(Qt::CTRL | Qt::Key_P);
  QAction* previewItem = popupMenu1_->findChild<QAction*>(QStringLiteral("PreviewPoints1"));
  // Shown in the menu; the window's own shortcut below is the one that works outside it.
  previewItem->setShortcut(previewKey);
  previewItem->setShortcutContext(Qt::WidgetShortcut);
  // Wherever the focus is in the main window (a box, a tree, a button): the user has chosen the
  // drawing in the list, not necessarily stayed there.
  auto* previewShortcut = new QShortcut(previewKey, this, nullptr, nullptr, Qt::WindowShortcut);
  previewShortcut->setObjectName(QStringLiteral("PreviewPointsShortcut"));
  connect(previewShortcut, &QShortcut::activated, this, [this] { OpenPointPreview(); });
  // An empty list has no drawing to preview.
  connect(popupMenu1_, &QMenu::aboutToShow, this,
          [this, previewItem] { previewItem->setEnabled(ui_->fl1->count() > 0); });
  // The preview opens on the drawing the menu was opened on.
  connect(ui_->fl1, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { menuRow_ = ui_->fl1->row(ui_->fl1->itemAt(at)); });
  // In the file list a right click works as in a file manager: on a selected file the selection
  // stays (so five selected files stay five), on another file that file alone is selected.
  AttachPopupMenu(ui_->fl1, popupMenu1_);
}

}  // namespace corvane
