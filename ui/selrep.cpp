#include "ui/selrep.h"

#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QIcon>
#include <QItemSelectionModel>
#include <QLineEdit>

#include "ui/folder_in_view.h"
#include "ui/folder_tree.h"
#include "ui/whole_names.h"
#include "ui/window_scale.h"
#include "ui_selrep.h"

namespace corvane {

TForm3::TForm3(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      ui_(std::make_unique<Ui::TForm3>()),
      icons_(std::make_unique<QFileIconProvider>()) {
  ui_->setupUi(this);
  ScaleForm(this, QSize(396, 403));
  setWindowIcon(QIcon(QStringLiteral(":/glyphs_dialogs/folder_window.svg")));
  ShowWholeTextWhenCut(ui_->Label1);

  FolderTreeView* tree = ui_->ShellTreeView1;
  model_ = SetUpFolderTree(tree, icons_.get(), this);
  // A right click selects, as in the shell's own tree.
  tree->setContextMenuPolicy(Qt::PreventContextMenu);
#if !defined(Q_OS_WIN)
  // One root ("/") without lines, opened at once so its folders are in reach.
  tree->setRootIsDecorated(false);
  tree->expand(model_->index(QDir::rootPath()));
#endif

  inView_ = new FolderInViewKeeper(tree);
  ui_->SpeedButton1->setEnabled(false);
  connect(tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
          &TForm3::SelectionChanged);
  connect(ui_->SpeedButton1, &QToolButton::clicked, this, &TForm3::SelectClicked);
  connect(ui_->SpeedButton2, &QToolButton::clicked, this, &QDialog::reject);
}

TForm3::~TForm3() {
  // The view and the model go before the icon provider they use.
  ui_->ShellTreeView1->setModel(nullptr);
  delete model_;
}

bool TForm3::SelectStartFolder(const QStringList& candidates) {
  for (const QString& candidate : candidates) {
    const QFileInfo info(candidate);
    // The root is never a place to start: one click on "Select " would send the data files there.
    if (candidate.isEmpty() || !info.isDir() || QDir(info.absoluteFilePath()).isRoot()) continue;
    const QModelIndex index = model_->index(info.absoluteFilePath());
    if (!index.isValid()) continue;
    FolderTreeView* tree = ui_->ShellTreeView1;
    for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent()) {
      tree->expand(parent);
    }
    tree->setCurrentIndex(index);
    // The model reads folders in the background: the row is brought back into view as the rows
    // around it arrive.
    inView_->Keep(index);
    return true;
  }
  return false;
}

int TForm3::ExecAt(const QString& destination, const QString& drawingsFolder) {
  SelectStartFolder({destination, drawingsFolder, QDir::homePath()});
  return exec();
}

QString TForm3::SelectedPath() const {
  const QModelIndex current = ui_->ShellTreeView1->currentIndex();
  if (!current.isValid()) return QString();
  return QDir::toNativeSeparators(model_->filePath(current));
}

void TForm3::SetDestinationHandler(std::function<void(const QString&)> handler) {
  destination_ = std::move(handler);
}

QTreeView* TForm3::Tree() const { return ui_->ShellTreeView1; }
QLabel* TForm3::PathLabel() const { return ui_->Label1; }
QToolButton* TForm3::SelectButton() const { return ui_->SpeedButton1; }
QToolButton* TForm3::CancelButton() const { return ui_->SpeedButton2; }

void TForm3::SelectionChanged() {
  const QString path = SelectedPath();
  ui_->Label1->setText(path);
  // Only a folder with a file-system path can receive data files; on Windows virtual shell
  // folders have none, here only "no selection" gives an empty path.
  ui_->SpeedButton1->setEnabled(path.contains(QDir::separator()));
}

void TForm3::SelectClicked() {
  const QString path = SelectedPath();
  if (path.isEmpty()) return;
  if (destination_) destination_(path);
  accept();
}

}  // namespace corvane
