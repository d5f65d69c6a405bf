// The destination-folder dialog: a folder tree in which the user picks the folder that receives
// the data files. Created once at start-up and reused; each showing starts at the folder the
// data files go to now (or the nearest folder that says something), never at the file system's
// root, where "Select " would send the data files with one click.
#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>
#include <memory>

class QFileIconProvider;

class QLabel;
class QToolButton;
class QTreeView;
namespace Ui {
class TForm3;
}

namespace corvane {

class FolderInViewKeeper;
class FolderTreeModel;

class TForm3 : public QDialog {
  Q_OBJECT

 public:
  explicit TForm3(QWidget* parent = nullptr);
  ~TForm3() override;

  // Receives the folder "Select " chose (the main window's destination); "Cancel " and closing
  // the dialog hand over nothing.
  void SetDestinationHandler(std::function<void(const QString& folder)> handler);

  // Selects and shows the first of `candidates` that is an existing folder other than a root
  // (the current destination, then the drawings' folder, then the home folder); false when none is.
  bool SelectStartFolder(const QStringList& candidates);
  // What the main window's browse button runs: the dialog at the destination, else the drawings'
  // folder, else the home folder.
  int ExecAt(const QString& destination, const QString& drawingsFolder);

  // The selected folder with native separators, "" when none is selected.
  QString SelectedPath() const;

  // What "New folder" asks the user: the name of the folder to make in `parent`, "" to make
  // none. The real one is a small input dialog; tests answer for the user.
  using FolderNameAsker = std::function<QString(QWidget* dialog, const QString& parent)>;
  void SetFolderNameAsker(FolderNameAsker asker);

  QTreeView* Tree() const;
  FolderTreeModel* Model() const { return model_; }
  QLabel* PathLabel() const;
  QToolButton* SelectButton() const;
  QToolButton* CancelButton() const;
  QToolButton* NewFolderButton() const;

 private:
  void SelectionChanged();
  void SelectClicked();
  void NewFolderClicked();

  std::unique_ptr<Ui::TForm3> ui_;
  // The model does not own its icon provider, so the provider outlives it (see the destructor).
  std::unique_ptr<QFileIconProvider> icons_;
  FolderTreeModel* model_ = nullptr;
  std::function<void(const QString&)> destination_;
  FolderInViewKeeper* inView_ = nullptr;  // a child of the tree
  FolderNameAsker askFolderName_;
};

}  // namespace corvane
