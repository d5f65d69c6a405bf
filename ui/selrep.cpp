#include "ui/selrep.h"

#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QIcon>
#include <QInputDialog>
#include <QItemSelectionModel>
#include <QLineEdit>

#include "ui/folder_in_view.h"
#include "ui/folder_tree.h"
#include "ui/message_boxes.h"
#include "ui/startup.h"
#include "ui/whole_names.h"
#include "ui/window_scale.h"
#include "ui_selrep.h"

namespace corvane {
namespace {

QString AskFolderName(QWidget* dialog, const QString& parent) {
  bool ok = false;
  const QString name = QInputDialog::getText(
      dialog, QObject::tr("New folder"), QObject::tr("Name of the new folder in %1:").arg(parent),
      QLineEdit::Normal, QObject::tr("New folder"), &ok);
  return ok ? name : QString();
}

// Why `name` cannot name a folder, or "" when it can: the names Windows refuses are refused on
// every system, so a destination chosen here also works on the other.
QString FolderNameProblem(const QString& name) {
  if (name == QLatin1String(".") || name == QLatin1String(".."))
    return QObject::tr("\"%1\" names no new folder").arg(name);
  for (const QChar c : name) {
    if (c.unicode() < 32 || QStringLiteral("\\/:*?\"<>|").contains(c))
      return QObject::tr("A folder name cannot hold any of \\ / : * ? \" < > | or a control character");
  }
  if (name.endsWith(QLatin1Char(' ')) || name.endsWith(QLatin1Char('.')))
    return QObject::tr("A folder name cannot end with a blank or a full stop");
  return QString();
}

}  // namespace

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
  // One root ("/", or the desktop on Windows) without lines, opened at once so its folders are in
  // reach; the drives, when Windows has no desktop folder to start from, keep theirs.
  tree->setRootIsDecorated(model_->rowCount() > 1);
  OpenStartRows(tree, model_);

  inView_ = new FolderInViewKeeper(tree);
  ui_->SpeedButton1->setEnabled(false);
  // Every Windows folder picker can make the folder the data files are to go to.
  ui_->NewFolderButton->setEnabled(false);
  askFolderName_ = &AskFolderName;
  connect(ui_->NewFolderButton, &QToolButton::clicked, this, &TForm3::NewFolderClicked);
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
QToolButton* TForm3::NewFolderButton() const { return ui_->NewFolderButton; }

void TForm3::SetFolderNameAsker(FolderNameAsker asker) {
  askFolderName_ = asker ? std::move(asker) : FolderNameAsker(&AskFolderName);
}

void TForm3::SelectionChanged() {
  const QString path = SelectedPath();
  ui_->Label1->setText(path);
  // Only a folder with a file-system path can receive data files; on Windows virtual shell
  // folders have none, here only "no selection" gives an empty path.
  ui_->SpeedButton1->setEnabled(path.contains(QDir::separator()));
  ui_->NewFolderButton->setEnabled(ui_->SpeedButton1->isEnabled());
}

void TForm3::NewFolderClicked() {
  const QString parent = SelectedPath();
  if (parent.isEmpty()) return;
  const QString name = askFolderName_(this, parent).trimmed();
  if (name.isEmpty()) return;
  const QDir folder(QDir::fromNativeSeparators(parent));
  const QString path = folder.filePath(name);
  const auto refuse = [this, &path](const QString& why) {
    ShowErrorBox(("Cannot create folder \"" + QDir::toNativeSeparators(path) + "\". " + why)
                     .toLocal8Bit()
                     .toStdString(),
                 this);
  };
  if (const QString problem = FolderNameProblem(name); !problem.isEmpty()) return refuse(problem);
  if (QFileInfo::exists(path)) return refuse(tr("It exists already"));
  if (!folder.mkdir(name)) return refuse(tr("The folder may not be written, or the disk is full"));
  // The new folder is chosen at once, ready for "Select ".
  FolderTreeView* tree = ui_->ShellTreeView1;
  const QModelIndex row = model_->index(path);
  for (QModelIndex up = row.parent(); up.isValid(); up = up.parent()) tree->expand(up);
  tree->setCurrentIndex(row);
  tree->scrollTo(row);
}

void TForm3::SelectClicked() {
  const QString path = SelectedPath();
  if (path.isEmpty()) return;
  if (destination_) destination_(path);
  accept();
}

}  // namespace corvane
